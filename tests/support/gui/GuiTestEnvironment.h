#pragma once
// The test world for windows and dialogs: the scripted prompts of every test,
// and modal dialogs handed to a callback instead of blocking.

#include "TestEnvironment.h"
#include "app/WidgetPrompts.h"

#include <QStringList>
#include <functional>

class ScriptedDialogs : public DialogRunner {
public:
    // Called with each dialog run; returns its result. Default: rejected.
    std::function<int(QDialog&)> onDialog;
    QStringList dialogsRun;  // class names of the dialogs run, in order

    void clear();
    int exec(QDialog& dialog) override;
};

class GuiTestEnvironment : public TestEnvironment {
public:
    GuiTestEnvironment();
    ~GuiTestEnvironment() override;

    ScriptedDialogs& dialogs() { return dialogs_; }
    void clearPrompts() override;

private:
    ScriptedDialogs dialogs_;
};
