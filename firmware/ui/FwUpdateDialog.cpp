#include "firmware/ui/FwUpdateDialog.h"

#include "core/AppIdentity.h"
#include "core/Prompts.h"
#include "core/Settings.h"
#include "firmware/UploadQuestions.h"
#include "ui_FwUpdateDialog.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPushButton>

namespace {

QString partNumberText(const char* text) { return QString::asprintf("%16.16s", text); }

}  // namespace

FwUpdateDialog::FwUpdateDialog(QWidget* parent, LinkContext& link, PartNumberRecord& partNumbers)
    : QDialog(parent), ui_(std::make_unique<Ui::FWUpdateDialogClass>()), partNumbers_(partNumbers)
{
    ui_->setupUi(this);
    restoreGeometry(settings::value(settings::FwUpdateGeometry).toByteArray());
    setWindowTitle(QStringLiteral("%1 %2 - FW Update").arg(app::kShortTitle, app::versionString()));
    ui_->mainSWPN->setText(fieldText(partNumbers.mainProgPartNumber));
    ui_->dspSWPN->setText(fieldText(partNumbers.dspProgPartNumber));
    ui_->dspCfgPN->setText(fieldText(partNumbers.dspConfigTablePartNumber));
    // Only the section of what the unit's current mode takes is usable.
    ui_->mainGroupBox->setEnabled(uploadModeRefusal(FirmwareUpload::MainSoftware, partNumbers).isEmpty());
    ui_->dspGroupBox->setEnabled(uploadModeRefusal(FirmwareUpload::DspSoftware, partNumbers).isEmpty());

    upload_ = std::make_unique<FirmwareUpload>(link, partNumbers, this);
    connect(upload_.get(), &FirmwareUpload::statusChanged, this, [this](int kind, const QString& text) {
        ui_->uploadStatus->setText(text);
        statusField(kind)->setText(text);
    });
    connect(upload_.get(), &FirmwareUpload::progressChanged, this, [this](int value, int maximum) {
        ui_->progressBar->setMaximum(maximum);
        ui_->progressBar->setValue(value);
    });
    connect(upload_.get(), &FirmwareUpload::rateChanged, ui_->rateLabel, &QLabel::setText);
    connect(upload_.get(), &FirmwareUpload::partNumbersChanged, this, &FwUpdateDialog::showPartNumbers);
    connect(upload_.get(), &FirmwareUpload::mainSoftwareInstalled, qApp, &QCoreApplication::quit,
            Qt::QueuedConnection);
    connect(upload_.get(), &FirmwareUpload::finished, this, &FwUpdateDialog::uploadEnded);
}

FwUpdateDialog::~FwUpdateDialog() { settings::setValue(settings::FwUpdateGeometry, saveGeometry()); }

QLineEdit* FwUpdateDialog::fileField(int kind) const
{
    QLineEdit* const fields[] = {ui_->mainSWUpdateFile, ui_->dspSWUpdateFile, ui_->dspCfgUpdateFile};
    return fields[kind];
}

QLineEdit* FwUpdateDialog::statusField(int kind) const
{
    QLineEdit* const fields[] = {ui_->mainSwStatus, ui_->dspSwStatus, ui_->dspConfigStatus};
    return fields[kind];
}

void FwUpdateDialog::showPartNumbers()
{
    ui_->mainSWPN->setText(partNumberText(partNumbers_.mainProgPartNumber));
    ui_->dspSWPN->setText(partNumberText(partNumbers_.dspProgPartNumber));
    ui_->dspCfgPN->setText(partNumberText(partNumbers_.dspConfigTablePartNumber));
}

void FwUpdateDialog::chooseFile(FirmwareUpload::Kind kind)
{
    const QString path = prompts().openFileName(this, QStringLiteral("Open"), settings::text(settings::SwFilesDir),
                                                updateFileFilter(kind));
    files_[kind] = path;  // cancelling forgets the earlier choice
    if (path.isEmpty())
        return;
    const QFileInfo file(path);
    fileField(kind)->setText(file.fileName());
    settings::setValue(settings::SwFilesDir, file.absolutePath());
}

bool FwUpdateDialog::confirmUpload(FirmwareUpload::Kind kind)
{
    if (files_[kind].isEmpty()) {
        prompts().warning(this, QStringLiteral("Warning"), QStringLiteral("Please select file first."));
        return false;
    }
    return askUploadQuestions(this, uploadQuestions(kind, fileField(kind)->text(), partNumbers_),
                              [this] { return closeRequested_; });
}

void FwUpdateDialog::setUploadButtonsEnabled(bool enabled)
{
    for (QPushButton* button : {ui_->buttonMainSwUpdateFile, ui_->buttonMainSwUpdate, ui_->buttonDspSwUpdateFile,
                                ui_->buttonDspSwUpdate, ui_->buttonDspCfgUpdateFile, ui_->buttonDspCfgUpdate})
        button->setEnabled(enabled);
}

void FwUpdateDialog::startUpload(FirmwareUpload::Kind kind)
{
    // No other exchange may start until this upload has ended.
    setUploadButtonsEnabled(false);
    asking_ = true;
    const bool confirmed = confirmUpload(kind);
    asking_ = false;
    if (confirmed && !closeRequested_)
        upload_->start(kind, files_[kind]);  // uploadEnded() follows its end
    else
        uploadEnded();
}

void FwUpdateDialog::uploadEnded()
{
    setUploadButtonsEnabled(true);
    if (closeRequested_) {
        closeRequested_ = false;
        QDialog::reject();
    }
}

void FwUpdateDialog::reject()
{
    if (!asking_ && !upload_->busy()) {
        QDialog::reject();
        return;
    }
    closeRequested_ = true;
    upload_->cancel();
}

void FwUpdateDialog::on_buttonMainSwUpdateFile_clicked() { chooseFile(FirmwareUpload::MainSoftware); }
void FwUpdateDialog::on_buttonMainSwUpdate_clicked() { startUpload(FirmwareUpload::MainSoftware); }
void FwUpdateDialog::on_buttonDspSwUpdateFile_clicked() { chooseFile(FirmwareUpload::DspSoftware); }
void FwUpdateDialog::on_buttonDspSwUpdate_clicked() { startUpload(FirmwareUpload::DspSoftware); }
void FwUpdateDialog::on_buttonDspCfgUpdateFile_clicked() { chooseFile(FirmwareUpload::DspConfigTable); }
void FwUpdateDialog::on_buttonDspCfgUpdate_clicked() { startUpload(FirmwareUpload::DspConfigTable); }
