#pragma once
// Ctrl+C while a job runs (a download session, an upload): the job is
// cancelled as the window's Cancel does, and the command ends with
// Interrupted. The signal only wakes the event loop (the handler writes a
// byte to a pipe); the cancel itself runs there. A second Ctrl+C, and one
// outside such a job, ends the program as usual.

#include <QObject>
#include <functional>
#include <memory>

class QSocketNotifier;

namespace cli {

class CancelOnInterrupt : public QObject {
    Q_OBJECT
public:
    // Until destroyed, Ctrl+C calls cancel once, on the event loop.
    explicit CancelOnInterrupt(std::function<void()> cancel);
    ~CancelOnInterrupt() override;

    // Ctrl+C was pressed.
    bool interrupted() const { return interrupted_; }

private:
    Q_INVOKABLE void interrupt();
    void stopCatching();

    std::function<void()> cancel_;
    std::unique_ptr<QSocketNotifier> notifier_;
    bool interrupted_ = false;
};

}  // namespace cli
