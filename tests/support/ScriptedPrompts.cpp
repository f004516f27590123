#include "ScriptedPrompts.h"

#include <QEventLoop>
#include <QTimer>

void ScriptedPrompts::clear()
{
    calls.clear();
    buttonAnswers.clear();
    textAnswers.clear();
    fileAnswers.clear();
    filterAnswers.clear();
    chooserDirs.clear();
    answerDelayMs = 0;
    chooserDelayMs = 0;
}

void ScriptedPrompts::answerLate(int delayMs)
{
    if (delayMs <= 0)
        return;
    ++openPrompts;
    QEventLoop loop;
    QTimer::singleShot(delayMs, &loop, &QEventLoop::quit);
    loop.exec();
    --openPrompts;
}

QStringList ScriptedPrompts::texts() const
{
    QStringList result;
    for (const PromptCall& call : calls)
        result << call.text;
    return result;
}

QString ScriptedPrompts::onlyMessage() const
{
    if (calls.isEmpty())
        return {};
    if (calls.size() > 1)
        return QStringLiteral("<%1 boxes: %2>").arg(calls.size()).arg(texts().join(QLatin1String(" / ")));
    return calls.first().title + QLatin1Char('|') + calls.first().text;
}

Prompts::Button ScriptedPrompts::message(Kind kind, QObject* parent, const QString& title,
                                         const QString& text, Buttons, Button defaultButton)
{
    calls.append({kind, title, text, parent});
    answerLate(answerDelayMs);
    if (!buttonAnswers.isEmpty())
        return buttonAnswers.dequeue();
    return defaultButton == Prompts::NoButton ? Prompts::Ok : defaultButton;
}

std::optional<QString> ScriptedPrompts::textInput(QObject* parent, const QString& title,
                                                  const QString& label, Echo, const QString&)
{
    calls.append({Kind::Question, title, label, parent});
    answerLate(answerDelayMs);
    return textAnswers.isEmpty() ? std::nullopt : textAnswers.dequeue();
}

QString ScriptedPrompts::openFileName(QObject* parent, const QString& caption, const QString& dir,
                                      const QString&)
{
    chooserDirs << dir;
    calls.append({Kind::Question, caption, QStringLiteral("<open file>"), parent});
    answerLate(chooserDelayMs);
    return fileAnswers.isEmpty() ? QString() : fileAnswers.dequeue();
}

QString ScriptedPrompts::saveFileName(QObject* parent, const QString& caption, const QString& dir,
                                      const QString&)
{
    chooserDirs << dir;
    calls.append({Kind::Question, caption, QStringLiteral("<save file>"), parent});
    answerLate(chooserDelayMs);
    return fileAnswers.isEmpty() ? QString() : fileAnswers.dequeue();
}

Prompts::SaveChoice ScriptedPrompts::saveFileNameAndFilter(QObject* parent, const QString& caption,
                                                           const QString& dir, const QString& filters)
{
    const QString filter = filterAnswers.isEmpty() ? filters.section(QStringLiteral(";;"), 0, 0) : filterAnswers.dequeue();
    return {saveFileName(parent, caption, dir, filters), filter};
}

QString ScriptedPrompts::existingDirectory(QObject* parent, const QString& caption, const QString& dir)
{
    chooserDirs << dir;
    calls.append({Kind::Question, caption, QStringLiteral("<directory>"), parent, dir});
    return fileAnswers.isEmpty() ? QString() : fileAnswers.dequeue();
}

void ScriptedPrompts::showNote(QObject* parent, const QString& title, const QString& text)
{
    calls.append({Kind::Information, title, QStringLiteral("<note> ") + text, parent});
    noteShown = true;
}

void ScriptedPrompts::closeNote() { noteShown = false; }
