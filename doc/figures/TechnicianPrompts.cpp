#include "TechnicianPrompts.h"

#include "core/Settings.h"

#include <QMessageBox>

namespace {

QMessageBox::Icon iconOf(Prompts::Kind kind)
{
    switch (kind) {
    case Prompts::Kind::Critical: return QMessageBox::Critical;
    case Prompts::Kind::Warning: return QMessageBox::Warning;
    case Prompts::Kind::Information: return QMessageBox::Information;
    case Prompts::Kind::Question: return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

void TechnicianPrompts::captureNextMessage(const QString& title, std::function<void(QWidget&)> capture)
{
    captures_.insert(title, std::move(capture));
}

Prompts::Button TechnicianPrompts::message(Kind kind, QObject* owner, const QString& title, const QString& text,
                                           Buttons buttons, Button defaultButton)
{
    messages_ << title + QStringLiteral(": ") + text;
    if (const auto capture = captures_.take(title)) {
        QWidget* parent = owner && owner->isWidgetType() ? static_cast<QWidget*>(owner) : nullptr;
        QMessageBox box(iconOf(kind), title, text, QMessageBox::StandardButtons(int(buttons)), parent);
        box.setDefaultButton(QMessageBox::StandardButton(int(defaultButton)));
        box.show();
        capture(box);
    }
    if (buttons.testFlag(Yes))
        return Yes;
    return buttons.testFlag(Ok) ? Ok : defaultButton;
}

std::optional<QString> TechnicianPrompts::textInput(QObject*, const QString&, const QString&, Echo echo,
                                                    const QString& text)
{
    return echo == Echo::Password ? settings::text(settings::Password) : text;
}
