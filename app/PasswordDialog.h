#pragma once

#include <QDialog>
#include <memory>

namespace Ui { class PasswordDialog; }

// Asks for a new access password twice.
class PasswordDialog : public QDialog {
    Q_OBJECT
public:
    explicit PasswordDialog(QWidget* parent);
    ~PasswordDialog() override;

    QString password() const;
    QString verification() const;

private:
    std::unique_ptr<Ui::PasswordDialog> ui_;
};
