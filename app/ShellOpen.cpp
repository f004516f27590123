#include "app/ShellOpen.h"

#include "core/AppIdentity.h"
#include "core/Prompts.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>
#include <QWidget>

bool shellOpen(QWidget* parent, const QString& path)
{
    QString reason;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    if (!QFileInfo::exists(path))
        reason = QStringLiteral("The system cannot find the file specified");
    else if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        reason = QStringLiteral("No application is associated with the specified file for this operation");
    QApplication::restoreOverrideCursor();
    if (reason.isEmpty())
        return true;
    prompts().warning(parent, app::kShortTitle, QStringLiteral("%1: %2.").arg(path, reason));
    return false;
}
