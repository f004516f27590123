#pragma once
// The test world for windows and dialogs: the scripted prompts of every test,
// modal dialogs handed to a callback instead of blocking, and files handed to
// the desktop's opener recorded instead of opened.

#include "TestEnvironment.h"
#include "app/WidgetPrompts.h"

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

// Stands in for the desktop's opener of local files.
class RecordingOpener : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened.append(url); }
};

class GuiTestEnvironment : public TestEnvironment {
public:
    GuiTestEnvironment();
    ~GuiTestEnvironment() override;

    ScriptedDialogs& dialogs() { return dialogs_; }
    // Local files the program asked the desktop to open, in order.
    QList<QUrl>& openedFiles() { return opener_.opened; }
    void clearPrompts() override;

private:
    ScriptedDialogs dialogs_;
    RecordingOpener opener_;
};
