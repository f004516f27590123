#pragma once

#include <QDialog>
#include <memory>

namespace Ui { class SettingsDialogBase; }
namespace repository { struct ConnectionCheck; }

// The unit's address and port, the data directory and whether raw answers are
// kept; the fleet repository's connection, this station's name and whether
// each download is pushed. OK stores the values as typed, once the data
// directory is an absolute path and the connection holds no password; the
// caller acts on them.
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
    void on_testConnectionButton_clicked();

private:
    void showConnectionCheck(const QString& conninfo, const repository::ConnectionCheck& check);
    void storeRepository();

    std::unique_ptr<Ui::SettingsDialogBase> ui_;
};
