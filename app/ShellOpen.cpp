#include "app/ShellOpen.h"

#include "core/AppIdentity.h"
#include "core/Prompts.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QUrl>
#include <QWidget>

namespace {

void warn(QWidget* parent, const QString& path, const QString& reason)
{
    prompts().warning(parent, app::kShortTitle, path + QStringLiteral(": ") + reason + QLatin1Char('.'));
}

#ifdef Q_OS_LINUX
// xdg-open's exit statuses for failures.
QString xdgOpenFailure(int status)
{
    switch (status) {
    case 1: return QStringLiteral("error in command line syntax");
    case 2: return QStringLiteral("one of the files passed does not exist");
    case 3: return QStringLiteral("no application is associated with this file type");
    case 4: return QStringLiteral("the action failed");
    default: return {};
    }
}

// The desktop's own service cannot tell that no viewer exists: xdg-open's
// exit status can. It may run as long as the viewer, so it is never waited for.
void openWithXdgOpen(QWidget* parent, const QString& path)
{
    const QPointer<QWidget> owner(parent);
    auto* process = new QProcess;
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    QObject::connect(process, &QProcess::started, [] { QApplication::restoreOverrideCursor(); });
    QObject::connect(process, &QProcess::errorOccurred, [=](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        QApplication::restoreOverrideCursor();
        warn(owner, path, QStringLiteral("xdg-open could not be started: ") + process->errorString());
        process->deleteLater();
    });
    QObject::connect(process, &QProcess::finished, [=](int status, QProcess::ExitStatus exit) {
        const QString failure = exit == QProcess::NormalExit ? xdgOpenFailure(status) : QString();
        if (!failure.isEmpty())
            warn(owner, path, failure);
        process->deleteLater();
    });
    QApplication::setOverrideCursor(Qt::WaitCursor);
    process->start(QStringLiteral("xdg-open"), {path});
}
#endif

}  // namespace

void shellOpen(QWidget* parent, const QString& path)
{
    if (!QFileInfo::exists(path))
        return warn(parent, path, QStringLiteral("The system cannot find the file specified"));
#ifdef Q_OS_LINUX
    openWithXdgOpen(parent, path);
#else
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool opened = QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    QApplication::restoreOverrideCursor();
    if (!opened)
        warn(parent, path, QStringLiteral("No application is associated with the specified file for this operation"));
#endif
}
