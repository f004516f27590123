#include "GuiTestEnvironment.h"

#include "plot/ui/DataSelectionDialog.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QTest>

void ScriptedDialogs::clear()
{
    onDialog = nullptr;
    dialogsRun.clear();
}

bool waitForFlightList(QDialog& dialog)
{
    auto* selection = qobject_cast<DataSelectionDialog*>(&dialog);
    return selection && QTest::qWaitFor([selection] { return !selection->isUpdating(); }, 20000);
}

int ScriptedDialogs::exec(QDialog& dialog)
{
    dialogsRun.append(QString::fromLatin1(dialog.metaObject()->className()));
    return onDialog ? onDialog(dialog) : QDialog::Rejected;
}

GuiTestEnvironment::GuiTestEnvironment() : path_(qgetenv("PATH"))
{
    installDialogRunner(&dialogs_);
    const QString bin = path() + QStringLiteral("/bin");
    QDir().mkpath(bin);
    qputenv("PATH", QFile::encodeName(bin) + ':' + path_);
    setOpenerExitStatus(0);
}

GuiTestEnvironment::~GuiTestEnvironment()
{
    qputenv("PATH", path_);
    installDialogRunner(nullptr);
}

QList<QUrl> GuiTestEnvironment::openedFiles() const
{
    QFile log(openerLog());
    QList<QUrl> files;
    if (log.open(QIODevice::ReadOnly))
        for (const QByteArray& line : log.readAll().split('\n'))
            if (!line.isEmpty())
                files << QUrl::fromLocalFile(QFile::decodeName(line));
    return files;
}

void GuiTestEnvironment::setOpenerExitStatus(int status)
{
    QFile opener(path() + QStringLiteral("/bin/xdg-open"));
    opener.open(QIODevice::WriteOnly);
    opener.write(QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$1\" >> '%1'\nexit %2\n")
                     .arg(openerLog(), QString::number(status))
                     .toLocal8Bit());
    opener.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

void GuiTestEnvironment::clearPrompts()
{
    TestEnvironment::clearPrompts();
    dialogs_.clear();
    QFile::remove(openerLog());
}
