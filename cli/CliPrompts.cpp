#include "cli/CliPrompts.h"

#include "cli/CliConsole.h"

#include <QRegularExpression>
#include <QTextStream>
#include <cstdio>
#include <utility>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <termios.h>
#include <unistd.h>
#endif

namespace {

// The window titles some boxes with the function that raised them
// ("connectDB", "MainWindow::decodePN"); a command line never shows those.
bool namesAFunction(const QString& title)
{
    static const QRegularExpression identifier(QStringLiteral("^(\\w+(::\\w+)+|\\w*[a-z][A-Z]\\w*)$"));
    return identifier.match(title).hasMatch();
}

QString titled(const QString& title, const QString& text)
{
    const QString shownTitle = title.trimmed();
    return shownTitle.isEmpty() || namesAFunction(shownTitle) ? text : shownTitle + QStringLiteral(": ") + text;
}

// Turns the terminal's echo off for its lifetime.
class EchoOff {
public:
#ifdef Q_OS_WIN
    EchoOff() : input_(GetStdHandle(STD_INPUT_HANDLE))
    {
        GetConsoleMode(input_, &mode_);
        SetConsoleMode(input_, mode_ & ~ENABLE_ECHO_INPUT);
    }
    ~EchoOff() { SetConsoleMode(input_, mode_); }

private:
    HANDLE input_;
    DWORD mode_ = 0;
#else
    EchoOff()
    {
        tcgetattr(STDIN_FILENO, &saved_);
        termios quiet = saved_;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    ~EchoOff() { tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved_); }

private:
    termios saved_{};
#endif
};

std::optional<QString> readInputLine()
{
    QTextStream input(stdin);
    const QString line = input.readLine();
    if (line.isNull())
        return std::nullopt;
    return line;
}

}  // namespace

CliPrompts& cliPrompts()
{
    static CliPrompts instance;
    return instance;
}

void CliPrompts::answer(const QString& question, bool yes, const QString& flag)
{
    answers_.insert(question, {yes, flag});
}

std::optional<QString> CliPrompts::takeDeclined() { return std::exchange(declined_, std::nullopt); }

Prompts::Button CliPrompts::message(Kind kind, QObject*, const QString& title, const QString& text, Buttons buttons,
                                    Button defaultButton)
{
    console::message(titled(title, text));
    if (kind != Kind::Question && !(buttons & Yes))
        return defaultButton == NoButton ? Ok : defaultButton;
    return answerQuestion(text, buttons, defaultButton);
}

Prompts::Button CliPrompts::answerQuestion(const QString& text, Buttons, Button defaultButton)
{
    const auto known = answers_.constFind(text);
    if (known == answers_.constEnd()) {
        // A question no flag answers takes its default, which is the careful answer.
        const Button answer = defaultButton == NoButton ? No : defaultButton;
        console::message(QStringLiteral("  -> %1").arg(answer == Yes ? QStringLiteral("Yes") : QStringLiteral("No")));
        if (answer != Yes)
            declined_ = QString();
        return answer;
    }
    if (known->yes) {
        console::message(QStringLiteral("  -> Yes (%1)").arg(known->flag));
        return Yes;
    }
    console::message(QStringLiteral("  -> No (give %1 to answer Yes)").arg(known->flag));
    declined_ = known->flag;
    return No;
}

std::optional<QString> CliPrompts::textInput(QObject*, const QString& title, const QString& label, Echo echo,
                                             const QString&)
{
    // Only the access password is ever typed on a command line; anything else comes as a flag.
    if (echo != Echo::Password)
        return std::nullopt;
    if (passwordFromInput_) {
        const std::optional<QString> password = readInputLine();
        if (!password)
            console::message(QStringLiteral("No password: standard input ended."));
        return password;
    }
    if (!console::inputIsTerminal()) {
        console::message(QStringLiteral("No password: type it on a terminal or give --password-stdin."));
        return std::nullopt;
    }
    std::fputs(qPrintable(titled(title, label) + QLatin1Char(' ')), stderr);
    std::fflush(stderr);
    std::optional<QString> password;
    {
        EchoOff quiet;
        password = readInputLine();
    }
    std::fputs("\n", stderr);
    return password;
}

void CliPrompts::showNote(QObject*, const QString& title, const QString& text)
{
    console::message(titled(title, text));
}
