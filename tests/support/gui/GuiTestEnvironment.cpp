#include "GuiTestEnvironment.h"

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

GuiTestEnvironment::GuiTestEnvironment() { installDialogRunner(&dialogs_); }

GuiTestEnvironment::~GuiTestEnvironment() { installDialogRunner(nullptr); }

void GuiTestEnvironment::clearPrompts()
{
    TestEnvironment::clearPrompts();
    dialogs_.clear();
}
