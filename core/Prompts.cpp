#include "core/Prompts.h"

#include <QDebug>

Prompts::Button HeadlessPrompts::message(Kind, QObject*, const QString& title, const QString& text, Buttons,
                                         Button defaultButton)
{
    qWarning().noquote() << title << ':' << text;
    return defaultButton == NoButton ? Ok : defaultButton;
}

namespace {

Prompts* installed = nullptr;

}  // namespace

Prompts& prompts()
{
    static HeadlessPrompts fallback;
    return installed ? *installed : fallback;
}

void installPrompts(Prompts* replacement) { installed = replacement; }

void Prompts::critical(QObject* owner, const QString& title, const QString& text)
{
    message(Kind::Critical, owner, title, text, Ok, NoButton);
}

void Prompts::warning(QObject* owner, const QString& title, const QString& text)
{
    message(Kind::Warning, owner, title, text, Ok, NoButton);
}

void Prompts::information(QObject* owner, const QString& title, const QString& text)
{
    message(Kind::Information, owner, title, text, Ok, NoButton);
}

Prompts::SaveChoice Prompts::saveFileNameAndFilter(QObject* owner, const QString& caption, const QString& dir,
                                                   const QString& filters)
{
    return {saveFileName(owner, caption, dir, filters), filters.section(QStringLiteral(";;"), 0, 0)};
}

Prompts::Button Prompts::question(QObject* owner, const QString& title, const QString& text, Buttons buttons,
                                  Button defaultButton)
{
    return message(Kind::Question, owner, title, text, buttons, defaultButton);
}
