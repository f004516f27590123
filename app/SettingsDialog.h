#pragma once

#include <QDialog>
#include <memory>

namespace Ui { class SettingsDialogBase; }

// The unit's address and port, the data directory and whether raw answers are
// kept. OK stores the values as typed, once the data directory is an
// absolute path; the caller acts on them.
class SettingsDialog : public QDialog {
    Q_OBJECT
public:
    explicit SettingsDialog(QWidget* parent = nullptr);
    ~SettingsDialog() override;

    QString address() const;
    int port() const;

public slots:
    void fileSelectionSlot();

private slots:
    void on_restoreButton_clicked();
    void on_buttonOk_clicked();

private:
    std::unique_ptr<Ui::SettingsDialogBase> ui_;
};
