#include "cli/CliInterrupt.h"

#include <QSocketNotifier>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace cli {
namespace {

#ifdef Q_OS_WIN
CancelOnInterrupt* active = nullptr;

// Runs on a thread of its own: the cancel is queued to the event loop.
BOOL WINAPI consoleHandler(DWORD event)
{
    if (event != CTRL_C_EVENT || !active)
        return FALSE;
    QMetaObject::invokeMethod(active, "interrupt", Qt::QueuedConnection);
    return TRUE;
}
#else
int wakeFds[2] = {-1, -1};  // the handler writes to [1], the event loop reads [0]
struct sigaction previousAction {};

void onInterrupt(int)
{
    const int savedErrno = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(wakeFds[1], &byte, 1);
    errno = savedErrno;
}
#endif

}  // namespace

CancelOnInterrupt::CancelOnInterrupt(std::function<void()> cancel) : cancel_(std::move(cancel))
{
#ifdef Q_OS_WIN
    active = this;
    SetConsoleCtrlHandler(consoleHandler, TRUE);
#else
    if (::pipe2(wakeFds, O_CLOEXEC | O_NONBLOCK) != 0)
        return;  // Ctrl+C then ends the program as usual
    notifier_ = std::make_unique<QSocketNotifier>(wakeFds[0], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] {
        char bytes[16];
        while (::read(wakeFds[0], bytes, sizeof bytes) > 0) {
        }
        interrupt();
    });
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, &previousAction);
#endif
}

CancelOnInterrupt::~CancelOnInterrupt() { stopCatching(); }

void CancelOnInterrupt::stopCatching()
{
#ifdef Q_OS_WIN
    SetConsoleCtrlHandler(consoleHandler, FALSE);
    active = nullptr;
#else
    if (!notifier_ || !notifier_->isEnabled())
        return;
    sigaction(SIGINT, &previousAction, nullptr);
    notifier_->setEnabled(false);  // not deleted: this may run in its own signal
    ::close(wakeFds[0]);
    ::close(wakeFds[1]);
    wakeFds[0] = wakeFds[1] = -1;
#endif
}

void CancelOnInterrupt::interrupt()
{
    stopCatching();  // a cancel that takes long can still be cut short
    interrupted_ = true;
    cancel_();
}

}  // namespace cli
