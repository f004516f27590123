#pragma once
// Every message box, question, text input, file chooser and modal dialog run
// goes through this one interface, so tests can script the answers and check
// the exact titles and texts without a blocking window.

#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QString>
#include <memory>
#include <optional>

class QDialog;
class QWidget;

class Prompts {
public:
    enum class Kind { Critical, Warning, Information, Question };

    virtual ~Prompts() = default;

    virtual QMessageBox::StandardButton message(Kind kind, QWidget* parent, const QString& title,
                                                const QString& text,
                                                QMessageBox::StandardButtons buttons,
                                                QMessageBox::StandardButton defaultButton) = 0;
    // Empty optional when the technician cancels.
    virtual std::optional<QString> textInput(QWidget* parent, const QString& title,
                                             const QString& label, QLineEdit::EchoMode echo,
                                             const QString& text) = 0;
    virtual QString openFileName(QWidget* parent, const QString& caption, const QString& dir,
                                 const QString& filter) = 0;
    virtual QString saveFileName(QWidget* parent, const QString& caption, const QString& dir,
                                 const QString& filter) = 0;
    virtual QString existingDirectory(QWidget* parent, const QString& caption, const QString& dir,
                                      QFileDialog::Options options) = 0;
    // Runs a modal dialog and returns its result code.
    virtual int exec(QDialog& dialog) = 0;
    // A modeless note without icon or buttons ("Please wait..."), shown until closed.
    virtual void showNote(QWidget* parent, const QString& title, const QString& text) = 0;
    virtual void closeNote() = 0;

    // Shorthands for the common boxes with a single OK button.
    void critical(QWidget* parent, const QString& title, const QString& text);
    void warning(QWidget* parent, const QString& title, const QString& text);
    void information(QWidget* parent, const QString& title, const QString& text);
    QMessageBox::StandardButton question(QWidget* parent, const QString& title, const QString& text,
                                         QMessageBox::StandardButtons buttons,
                                         QMessageBox::StandardButton defaultButton);
};

// The prompts in use; the widget-based ones unless a test installed its own.
Prompts& prompts();
// Installs replacement prompts (not owned); nullptr restores the widget-based ones.
void installPrompts(Prompts* replacement);

// The real thing: QMessageBox, QInputDialog, QFileDialog and QDialog::exec.
class WidgetPrompts : public Prompts {
public:
    QMessageBox::StandardButton message(Kind kind, QWidget* parent, const QString& title,
                                        const QString& text, QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton) override;
    std::optional<QString> textInput(QWidget* parent, const QString& title, const QString& label,
                                     QLineEdit::EchoMode echo, const QString& text) override;
    QString openFileName(QWidget* parent, const QString& caption, const QString& dir,
                         const QString& filter) override;
    QString saveFileName(QWidget* parent, const QString& caption, const QString& dir,
                         const QString& filter) override;
    QString existingDirectory(QWidget* parent, const QString& caption, const QString& dir,
                              QFileDialog::Options options) override;
    int exec(QDialog& dialog) override;
    void showNote(QWidget* parent, const QString& title, const QString& text) override;
    void closeNote() override;

private:
    std::unique_ptr<QMessageBox> note_;
};
