#pragma once
// The test world for windows and dialogs: the scripted prompts of every test,
// modal dialogs handed to a callback instead of blocking, and files handed to
// the desktop's opener (xdg-open, first on PATH) recorded instead of opened.

#include "TestEnvironment.h"
#include "ui/WidgetPrompts.h"

#include <QObject>
#include <QStringList>
#include <QUrl>
#include <functional>

class ScriptedDialogs : public DialogRunner {
public:
    // Called with each dialog run; returns its result. Default: rejected.
    std::function<int(QDialog&)> onDialog;
    QStringList dialogsRun;  // class names of the dialogs run, in order

    void clear();
    int exec(QDialog& dialog) override;
};

// Waits until a flight selection dialog lists every flight of the data tree
// (its flight index brought up to date); false when it did not in time.
bool waitForFlightList(QDialog& dialog);

class GuiTestEnvironment : public TestEnvironment {
public:
    GuiTestEnvironment();
    ~GuiTestEnvironment() override;

    ScriptedDialogs& dialogs() { return dialogs_; }
    // Local files the program asked the desktop to open, in order.
    QList<QUrl> openedFiles() const;
    // The exit status of the stand-in xdg-open from now on (0 until set).
    void setOpenerExitStatus(int status);
    void clearPrompts() override;

private:
    QString openerLog() const { return path() + QStringLiteral("/opened.log"); }

    ScriptedDialogs dialogs_;
    QByteArray path_;
};
