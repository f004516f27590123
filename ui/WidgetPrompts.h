#pragma once
// The window's prompts: QMessageBox, QInputDialog and QFileDialog; and the
// hook through which every modal dialog of the window runs, so tests can take
// a dialog over instead of blocking on it.

#include "core/Prompts.h"

#include <QMessageBox>
#include <memory>

class QDialog;
class QWidget;

class WidgetPrompts : public Prompts {
public:
    Button message(Kind kind, QObject* owner, const QString& title, const QString& text, Buttons buttons,
                   Button defaultButton) override;
    std::optional<QString> textInput(QObject* owner, const QString& title, const QString& label, Echo echo,
                                     const QString& text) override;
    QString openFileName(QObject* owner, const QString& caption, const QString& dir,
                         const QString& filter) override;
    QString saveFileName(QObject* owner, const QString& caption, const QString& dir,
                         const QString& filter) override;
    SaveChoice saveFileNameAndFilter(QObject* owner, const QString& caption, const QString& dir,
                                     const QString& filters) override;
    QString existingDirectory(QObject* owner, const QString& caption, const QString& dir) override;
    void showNote(QObject* owner, const QString& title, const QString& text) override;
    void closeNote() override;

private:
    std::unique_ptr<QMessageBox> note_;
};

// Runs modal dialogs; tests install their own.
class DialogRunner {
public:
    virtual ~DialogRunner() = default;
    virtual int exec(QDialog& dialog) = 0;
};

// Runs a modal dialog through the installed runner (QDialog::exec without one)
// and returns its result code.
int runDialog(QDialog& dialog);
void installDialogRunner(DialogRunner* runner);
