#include "app/Prompts.h"

#include <QDialog>
#include <QCoreApplication>
#include <QInputDialog>

namespace {
Prompts* installed = nullptr;
}

Prompts& prompts()
{
    static WidgetPrompts widgets;
    return installed ? *installed : widgets;
}

void installPrompts(Prompts* replacement) { installed = replacement; }

void Prompts::critical(QWidget* parent, const QString& title, const QString& text)
{
    message(Kind::Critical, parent, title, text, QMessageBox::Ok, QMessageBox::NoButton);
}

void Prompts::warning(QWidget* parent, const QString& title, const QString& text)
{
    message(Kind::Warning, parent, title, text, QMessageBox::Ok, QMessageBox::NoButton);
}

void Prompts::information(QWidget* parent, const QString& title, const QString& text)
{
    message(Kind::Information, parent, title, text, QMessageBox::Ok, QMessageBox::NoButton);
}

QMessageBox::StandardButton Prompts::question(QWidget* parent, const QString& title,
                                              const QString& text,
                                              QMessageBox::StandardButtons buttons,
                                              QMessageBox::StandardButton defaultButton)
{
    return message(Kind::Question, parent, title, text, buttons, defaultButton);
}

QMessageBox::StandardButton WidgetPrompts::message(Kind kind, QWidget* parent, const QString& title,
                                                   const QString& text,
                                                   QMessageBox::StandardButtons buttons,
                                                   QMessageBox::StandardButton defaultButton)
{
    switch (kind) {
    case Kind::Critical: return QMessageBox::critical(parent, title, text, buttons, defaultButton);
    case Kind::Warning: return QMessageBox::warning(parent, title, text, buttons, defaultButton);
    case Kind::Information:
        return QMessageBox::information(parent, title, text, buttons, defaultButton);
    case Kind::Question: return QMessageBox::question(parent, title, text, buttons, defaultButton);
    }
    return QMessageBox::NoButton;
}

std::optional<QString> WidgetPrompts::textInput(QWidget* parent, const QString& title,
                                                const QString& label, QLineEdit::EchoMode echo,
                                                const QString& text)
{
    bool ok = false;
    const QString answer = QInputDialog::getText(parent, title, label, echo, text, &ok);
    if (!ok)
        return std::nullopt;
    return answer;
}

QString WidgetPrompts::openFileName(QWidget* parent, const QString& caption, const QString& dir,
                                    const QString& filter)
{
    return QFileDialog::getOpenFileName(parent, caption, dir, filter);
}

QString WidgetPrompts::saveFileName(QWidget* parent, const QString& caption, const QString& dir,
                                    const QString& filter)
{
    return QFileDialog::getSaveFileName(parent, caption, dir, filter);
}

QString WidgetPrompts::existingDirectory(QWidget* parent, const QString& caption,
                                         const QString& dir, QFileDialog::Options options)
{
    return QFileDialog::getExistingDirectory(parent, caption, dir, options);
}

int WidgetPrompts::exec(QDialog& dialog) { return dialog.exec(); }

void WidgetPrompts::showNote(QWidget* parent, const QString& title, const QString& text)
{
    note_ = std::make_unique<QMessageBox>(QMessageBox::NoIcon, title, text, QMessageBox::NoButton, parent);
    // Without this the box adds an OK button when shown; with no button at all
    // it also ignores Esc and the window's close, so only closeNote() ends it.
    note_->setStandardButtons(QMessageBox::NoButton);
    note_->setModal(false);
    note_->show();
    QCoreApplication::processEvents();
}

void WidgetPrompts::closeNote() { note_.reset(); }
