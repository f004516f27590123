#pragma once
// Prompts on a command line: every message goes to standard error, every
// question is answered from the command's flags, and the access password is
// read without echo on a terminal or, when asked, from standard input. Nothing
// else is typed or chosen: files and directories come as arguments.

#include "core/Prompts.h"

#include <QHash>

class CliPrompts : public HeadlessPrompts {
public:
    // The question is answered Yes when the flag was given, else No; the text
    // must be the one the station asks, and flag names the option for Yes.
    void answer(const QString& question, bool yes, const QString& flag);
    // The password is read as one line of standard input.
    void readPasswordFromInput(bool fromInput) { passwordFromInput_ = fromInput; }
    // The flag of the last question answered No since the last call (which
    // forgets it); empty for a question no flag answers; none when all were Yes.
    std::optional<QString> takeDeclined();

    Button message(Kind kind, QObject* owner, const QString& title, const QString& text, Buttons buttons,
                   Button defaultButton) override;
    std::optional<QString> textInput(QObject* owner, const QString& title, const QString& label, Echo echo,
                                     const QString& text) override;
    void showNote(QObject* owner, const QString& title, const QString& text) override;

private:
    struct Answer {
        bool yes;
        QString flag;
    };

    Button answerQuestion(const QString& text, Buttons buttons, Button defaultButton);

    QHash<QString, Answer> answers_;
    bool passwordFromInput_ = false;
    std::optional<QString> declined_;
};

// The prompts of this program, installed at its start.
CliPrompts& cliPrompts();
