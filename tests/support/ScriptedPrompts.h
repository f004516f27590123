#pragma once
// Prompts for tests: every call is recorded and answers come from queues.

#include "core/Prompts.h"

#include <QList>
#include <QQueue>

struct PromptCall {
    Prompts::Kind kind;
    QString title;
    QString text;  // message text, input label, chooser caption, or dialog class name
    QObject* parent = nullptr;
    QString directory;  // where a file or directory chooser starts
};

class ScriptedPrompts : public Prompts {
public:
    QList<PromptCall> calls;
    QQueue<Prompts::Button> buttonAnswers;  // default: the default button, else Ok
    QQueue<std::optional<QString>> textAnswers;         // default: cancelled
    QQueue<QString> fileAnswers;                        // default: nothing chosen
    QQueue<QString> filterAnswers;                      // filter chosen with a saved file; default: the first
    QStringList chooserDirs;                            // the start folder of every file chooser, in order
    // When above 0, every message box and text input answers only after the
    // event loop has run this long, as a person would: timers and sockets go
    // on meanwhile. Use it for every question asked while a session or an
    // upload runs.
    int answerDelayMs = 0;
    int chooserDelayMs = 0;  // the same for the open and save file choosers

    void clear();
    QStringList texts() const;
    // The single message box shown since clear(), as "title|text", or "" / "<n boxes>".
    QString onlyMessage() const;

    Prompts::Button message(Kind kind, QObject* parent, const QString& title, const QString& text, Buttons buttons,
                            Button defaultButton) override;
    std::optional<QString> textInput(QObject* parent, const QString& title, const QString& label, Echo echo,
                                     const QString& text) override;
    QString openFileName(QObject* parent, const QString& caption, const QString& dir,
                         const QString& filter) override;
    QString saveFileName(QObject* parent, const QString& caption, const QString& dir,
                         const QString& filter) override;
    SaveChoice saveFileNameAndFilter(QObject* parent, const QString& caption, const QString& dir,
                                     const QString& filters) override;
    QString existingDirectory(QObject* parent, const QString& caption, const QString& dir) override;
    void showNote(QObject* parent, const QString& title, const QString& text) override;
    void closeNote() override;
    bool noteShown = false;

    int openPrompts = 0;        // message boxes or inputs still waiting for their late answer

private:
    void answerLate(int delayMs);
};
