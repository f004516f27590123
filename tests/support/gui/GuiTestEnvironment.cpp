#include "GuiTestEnvironment.h"

#include <QDesktopServices>
#include <QDialog>

void ScriptedDialogs::clear()
{
    onDialog = nullptr;
    dialogsRun.clear();
}

int ScriptedDialogs::exec(QDialog& dialog)
{
    dialogsRun.append(QString::fromLatin1(dialog.metaObject()->className()));
    return onDialog ? onDialog(dialog) : QDialog::Rejected;
}

GuiTestEnvironment::GuiTestEnvironment()
{
    installDialogRunner(&dialogs_);
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &opener_, "open");
}

GuiTestEnvironment::~GuiTestEnvironment()
{
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    installDialogRunner(nullptr);
}

void GuiTestEnvironment::clearPrompts()
{
    TestEnvironment::clearPrompts();
    dialogs_.clear();
    opener_.opened.clear();
}
