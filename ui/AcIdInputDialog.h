#pragma once

#include <QDialog>
#include <QLineEdit>
#include <memory>

namespace Ui { class AcIdInputDialogClass; }

// Asks for an aircraft registration and refuses malformed ones.
class AcIdInputDialog : public QDialog {
    Q_OBJECT
public:
    AcIdInputDialog(QWidget* parent, Qt::WindowFlags flags);
    ~AcIdInputDialog() override;

    // Runs the dialog; returns the registration when accepted, else an empty text.
    static QString getRegistration(QWidget* parent, const QString& title, const QString& prompt,
                                   QLineEdit::EchoMode echo, const QString& text,
                                   bool* accepted = nullptr, Qt::WindowFlags flags = {});

    QLineEdit* lineEdit() const;

public slots:
    void accept() override;
    void help();

private:
    std::unique_ptr<Ui::AcIdInputDialogClass> ui_;
};
