#include "firmware/ui/FwUpdateDialog.h"

#include "core/AppIdentity.h"
#include "core/Prompts.h"
#include "core/Settings.h"
#include "ui_FwUpdateDialog.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopedValueRollback>

namespace {

struct FileKind {
    const char* filterName;
    const char* pattern;
    const char* description;  // for the question on a file name that does not match
};

const FileKind kFileKinds[] = {
    {"Main Processor SW Files", "614_205*.dat", "a main processor software file"},
    {"DSP SW Files", "614_207*.dat", "a DSP software file"},
    {"DSP Configuration Tables", "614_208*.dat", "a DSP configuration table"},
};

QString filterOf(const FileKind& kind)
{
    return QStringLiteral("%1 (%2)").arg(QLatin1String(kind.filterName), QLatin1String(kind.pattern));
}

bool matchesPattern(const QString& fileName, const FileKind& kind)
{
    const QRegularExpression pattern(QRegularExpression::wildcardToRegularExpression(QLatin1String(kind.pattern)),
                                     QRegularExpression::CaseInsensitiveOption);
    return pattern.match(fileName).hasMatch();
}

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
    // A unit in its main-software upload mode reports no DSP part numbers.
    const bool normalMode = !unitInUploadMode(partNumbers);
    ui_->mainGroupBox->setEnabled(!normalMode);
    ui_->dspGroupBox->setEnabled(normalMode);

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
                                                filterOf(kFileKinds[kind]));
    files_[kind] = path;  // cancelling forgets the earlier choice
    if (path.isEmpty())
        return;
    const QFileInfo file(path);
    fileField(kind)->setText(file.fileName());
    settings::setValue(settings::SwFilesDir, file.absolutePath());
}

bool FwUpdateDialog::confirmCompatibility(const QString& fileName, const QString& unitPartNumber,
                                          const QString& question)
{
    return partNumbersCompatible(fileName, unitPartNumber)
           || prompts().message(Prompts::Kind::Warning, this, QStringLiteral("Warning"), question,
                                Prompts::Yes | Prompts::No, Prompts::No)
                  == Prompts::Yes;
}

bool FwUpdateDialog::confirmFileName(FirmwareUpload::Kind kind)
{
    const FileKind& fileKind = kFileKinds[kind];
    return matchesPattern(fileField(kind)->text(), fileKind)
           || prompts().question(this, app::kShortTitle,
                                 QStringLiteral("The file name does not look like %1 (%2). Upload it anyway?")
                                     .arg(QLatin1String(fileKind.description), QLatin1String(fileKind.pattern)),
                                 Prompts::Yes | Prompts::No, Prompts::No)
                  == Prompts::Yes;
}

bool FwUpdateDialog::confirmUpload(FirmwareUpload::Kind kind)
{
    if (files_[kind].isEmpty()) {
        prompts().warning(this, QStringLiteral("Warning"), QStringLiteral("Please select file first."));
        return false;
    }
    if (!confirmFileName(kind))
        return false;
    const QString fileName = fileField(kind)->text();
    if (kind == FirmwareUpload::DspSoftware)
        return confirmCompatibility(fileName, fieldText(partNumbers_.dspConfigTablePartNumber),
                                    QStringLiteral("The DSP SW you are about to upload is not compatible with the "
                                                   "Configuration Table currently loaded in the Korvel.\n\nAfter "
                                                   "this operation, you shall imperatively load a compatible "
                                                   "Configuration Table version.\n\nDo you want to continue?"));
    if (kind == FirmwareUpload::DspConfigTable)
        return confirmCompatibility(fileName, fieldText(partNumbers_.dspProgPartNumber),
                                    QStringLiteral("The Configuration Table you are about to upload is not "
                                                   "compatible with the DSP software currently loaded in the "
                                                   "Korvel.\n\nAfter this operation, you shall imperatively load "
                                                   "a compatible DSP software version.\n\nDo you want to "
                                                   "continue?"))
               && prompts().message(Prompts::Kind::Warning, this, QStringLiteral("Warning"),
                                    QStringLiteral("The Tessel memory will be erased. Do you want to continue?"),
                                    Prompts::Yes | Prompts::No, Prompts::No)
                      == Prompts::Yes;
    return true;
}

void FwUpdateDialog::setUploadButtonsEnabled(bool enabled)
{
    for (QPushButton* button : {ui_->buttonMainSwUpdateFile, ui_->buttonMainSwUpdate, ui_->buttonDspSwUpdateFile,
                                ui_->buttonDspSwUpdate, ui_->buttonDspCfgUpdateFile, ui_->buttonDspCfgUpdate})
        button->setEnabled(enabled);
}

void FwUpdateDialog::startUpload(FirmwareUpload::Kind kind)
{
    {
        // No other exchange may start until this upload has ended.
        const QScopedValueRollback uploading(uploading_, true);
        setUploadButtonsEnabled(false);
        if (confirmUpload(kind) && !closeRequested_)
            upload_->uploadFile(kind, files_[kind]);
        setUploadButtonsEnabled(true);
    }
    if (closeRequested_) {
        closeRequested_ = false;
        reject();
    }
}

void FwUpdateDialog::reject()
{
    if (!uploading_) {
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
