#pragma once

#include "firmware/FirmwareUpload.h"

#include <QDialog>
#include <array>
#include <memory>

class QLineEdit;
namespace Ui { class FWUpdateDialogClass; }

// Chooses update files, asks what must be asked before an upload and shows
// the upload as it runs; only the section that the unit's current mode allows
// is enabled.
class FwUpdateDialog : public QDialog {
    Q_OBJECT
public:
    FwUpdateDialog(QWidget* parent, LinkContext& link, PartNumberRecord& partNumbers);
    ~FwUpdateDialog() override;

    FirmwareUpload& upload() { return *upload_; }

    // Esc, "Close (Esc)" and the window's close: during an upload they cancel
    // it, and the dialog closes (giving the connection back) once it has ended.
    void reject() override;

private slots:
    void on_buttonMainSwUpdateFile_clicked();
    void on_buttonMainSwUpdate_clicked();
    void on_buttonDspSwUpdateFile_clicked();
    void on_buttonDspSwUpdate_clicked();
    void on_buttonDspCfgUpdateFile_clicked();
    void on_buttonDspCfgUpdate_clicked();

private:
    void chooseFile(FirmwareUpload::Kind kind);
    void startUpload(FirmwareUpload::Kind kind);
    bool confirmUpload(FirmwareUpload::Kind kind);
    void uploadEnded();
    void setUploadButtonsEnabled(bool enabled);
    void showPartNumbers();
    QLineEdit* fileField(int kind) const;
    QLineEdit* statusField(int kind) const;

    std::unique_ptr<Ui::FWUpdateDialogClass> ui_;
    PartNumberRecord& partNumbers_;
    std::unique_ptr<FirmwareUpload> upload_;
    std::array<QString, 3> files_;  // full path of the chosen file per kind, empty until chosen
    bool asking_ = false;           // the questions before an upload are open
    bool closeRequested_ = false;   // closing waits for the upload to end
};
