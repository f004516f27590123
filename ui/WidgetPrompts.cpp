#include "ui/WidgetPrompts.h"

#include <QCoreApplication>
#include <QDialog>
#include <QFileDialog>
#include <QInputDialog>

namespace {

QWidget* widgetOf(QObject* owner) { return owner && owner->isWidgetType() ? static_cast<QWidget*>(owner) : nullptr; }

DialogRunner* installedRunner = nullptr;

}  // namespace

Prompts::Button WidgetPrompts::message(Kind kind, QObject* owner, const QString& title, const QString& text,
                                       Buttons buttons, Button defaultButton)
{
    QWidget* parent = widgetOf(owner);
    const auto standard = QMessageBox::StandardButtons(int(buttons));
    const auto standardDefault = QMessageBox::StandardButton(int(defaultButton));
    QMessageBox::StandardButton answer = QMessageBox::NoButton;
    switch (kind) {
    case Kind::Critical: answer = QMessageBox::critical(parent, title, text, standard, standardDefault); break;
    case Kind::Warning: answer = QMessageBox::warning(parent, title, text, standard, standardDefault); break;
    case Kind::Information: answer = QMessageBox::information(parent, title, text, standard, standardDefault); break;
    case Kind::Question: answer = QMessageBox::question(parent, title, text, standard, standardDefault); break;
    }
    return Button(int(answer));
}

std::optional<QString> WidgetPrompts::textInput(QObject* owner, const QString& title, const QString& label,
                                                Echo echo, const QString& text)
{
    bool ok = false;
    const QString answer = QInputDialog::getText(widgetOf(owner), title, label,
                                                 echo == Echo::Password ? QLineEdit::Password : QLineEdit::Normal,
                                                 text, &ok);
    if (!ok)
        return std::nullopt;
    return answer;
}

QString WidgetPrompts::openFileName(QObject* owner, const QString& caption, const QString& dir,
                                    const QString& filter)
{
    return QFileDialog::getOpenFileName(widgetOf(owner), caption, dir, filter);
}

QString WidgetPrompts::saveFileName(QObject* owner, const QString& caption, const QString& dir,
                                    const QString& filter)
{
    return QFileDialog::getSaveFileName(widgetOf(owner), caption, dir, filter);
}

Prompts::SaveChoice WidgetPrompts::saveFileNameAndFilter(QObject* owner, const QString& caption,
                                                         const QString& dir, const QString& filters)
{
    SaveChoice choice;
    choice.fileName = QFileDialog::getSaveFileName(widgetOf(owner), caption, dir, filters, &choice.filter);
    return choice;
}

QString WidgetPrompts::existingDirectory(QObject* owner, const QString& caption, const QString& dir)
{
    return QFileDialog::getExistingDirectory(widgetOf(owner), caption, dir,
                                             QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
}

void WidgetPrompts::showNote(QObject* owner, const QString& title, const QString& text)
{
    note_ = std::make_unique<QMessageBox>(QMessageBox::NoIcon, title, text, QMessageBox::NoButton, widgetOf(owner));
    // Without this the box adds an OK button when shown; with no button at all
    // it also ignores Esc and the window's close, so only closeNote() ends it.
    note_->setStandardButtons(QMessageBox::NoButton);
    note_->setModal(false);
    note_->show();
    QCoreApplication::processEvents();
}

void WidgetPrompts::closeNote() { note_.reset(); }

int runDialog(QDialog& dialog) { return installedRunner ? installedRunner->exec(dialog) : dialog.exec(); }

void installDialogRunner(DialogRunner* runner) { installedRunner = runner; }
