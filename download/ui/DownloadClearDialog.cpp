#include "download/ui/DownloadClearDialog.h"

#include "app/AcIdInputDialog.h"
#include "core/AircraftCatalogue.h"
#include "core/AppIdentity.h"
#include "core/Prompts.h"
#include "core/Registration.h"
#include "core/Settings.h"
#include "link/LinkContext.h"
#include "ui_DownloadClearDialog.h"

DownloadClearDialog::DownloadClearDialog(AircraftInfo& record, int positionCode, QWidget* parent)
    : QDialog(parent),
      ui_(std::make_unique<Ui::DownloadClearDialogClass>()),
      record_(record),
      positionCode_(positionCode),
      engineNumber_(engineNumberOfPositionCode(positionCode))
{
    ui_->setupUi(this);
    setWindowTitle(QStringLiteral("%1 %2 - Download/Erase").arg(app::kShortTitle, app::versionString()));
    ui_->engineGroupBox->setTitle(QStringLiteral("Engine #%1").arg(engineNumber_));

    loadAircraftInfo();
    ui_->aircraftRegNum->setText(textOf(record_.registration));
    ui_->shopIdLineEdit->setText(textOf(record_.shopId));
    ui_->commentTextEdit->setPlainText(textOf(record_.comment));
    const EngineInfo& engine = record_.engines[engineNumber_ - 1];
    fillEngineTypes();
    ui_->engineTypeComboBox->setCurrentIndex(
        ui_->engineTypeComboBox->findText(textOf(engine.type), Qt::MatchExactly | Qt::MatchCaseSensitive));
    ui_->installDateLineEdit->setText(textOf(engine.installDate));
}

DownloadClearDialog::~DownloadClearDialog() = default;

void DownloadClearDialog::loadAircraftInfo()
{
    const catalogue::Fetched<AircraftInfo> stored = catalogue::aircraftInfo(textOf(record_.registration));
    record_ = stored.value;
    if (!stored.failure.isEmpty())
        prompts().critical(nullptr, QStringLiteral("GetAircraftInfo"), stored.failure);
}

void DownloadClearDialog::fillEngineTypes()
{
    ui_->engineTypeComboBox->clear();
    ui_->engineTypeComboBox->addItems(catalogue::engineTypes().value);
}

void DownloadClearDialog::setEngineSerialNumber(const QString& serialNumber)
{
    ui_->engineSerialNumber->setText(serialNumber);
}

RequestSet DownloadClearDialog::requestSet() const
{
    return RequestSet::fromChoices(ui_->downloadCheckBox->isChecked(), ui_->eraseCheckBox->isChecked());
}

void DownloadClearDialog::on_buttonBox_accepted()
{
    if (!ui_->downloadCheckBox->isChecked()) {
        accept();
        return;
    }
    // The serial number names the session's files: refuse what cannot be a file name.
    const QString serialProblem = fileNameProblem(ui_->engineSerialNumber->text());
    if (!serialProblem.isEmpty()) {
        prompts().warning(this, app::kShortTitle,
                          QStringLiteral("Invalid engine serial number: string %1").arg(serialProblem));
        return;
    }
    // A text cut to its field could name another aircraft's directory, or end inside a character.
    if (const QString problem = overlongTextProblem(); !problem.isEmpty()) {
        prompts().warning(this, app::kShortTitle, problem);
        return;
    }
    if (!confirmRegistration())
        return;
    const QString registration = ui_->aircraftRegNum->text();
    if (const QString failure = catalogue::addAircraft(registration, QString(), QString()); !failure.isEmpty())
        prompts().critical(nullptr, QStringLiteral("Add Aircraft"), failure);
    saveAircraftInfo();
    settings::setValue(settings::LastAircraft, registration);
    accept();
}

void DownloadClearDialog::on_buttonBox_rejected() { reject(); }

QString DownloadClearDialog::overlongTextProblem() const
{
    const EngineInfo& engine = record_.engines[engineNumber_ - 1];
    return firstFieldTextProblem({
        {"registration", ui_->aircraftRegNum->text(), sizeof record_.registration},
        {"shop ID", ui_->shopIdLineEdit->text(), sizeof record_.shopId},
        {"comment", ui_->commentTextEdit->toPlainText(), sizeof record_.comment},
        {"engine type", ui_->engineTypeComboBox->currentText(), sizeof engine.type},
        {"engine serial number", ui_->engineSerialNumber->text(), sizeof engine.serialNumber},
        {"install date", ui_->installDateLineEdit->text(), sizeof engine.installDate},
    });
}

// An invalid registration is asked for once more. False when the technician
// cancels: no session may start without a registration.
bool DownloadClearDialog::confirmRegistration()
{
    const QString registration = ui_->aircraftRegNum->text();
    if (registrationProblem(registration).isEmpty())
        return true;
    bool confirmed = false;
    const QString entered = AcIdInputDialog::getRegistration(
        this, app::kShortTitle, QStringLiteral("Enter a valid aircraft registration Nr"), QLineEdit::Normal,
        registration, &confirmed);
    if (confirmed)
        ui_->aircraftRegNum->setText(entered);
    return confirmed;
}

void DownloadClearDialog::saveAircraftInfo()
{
    EngineInfo& engine = record_.engines[engineNumber_ - 1];
    copyText(record_.registration, ui_->aircraftRegNum->text());
    copyText(record_.shopId, ui_->shopIdLineEdit->text());
    copyText(record_.comment, ui_->commentTextEdit->toPlainText());
    copyText(engine.type, ui_->engineTypeComboBox->currentText());
    copyText(engine.serialNumber, ui_->engineSerialNumber->text());
    copyText(engine.installDate, ui_->installDateLineEdit->text());

    const QString failure = catalogue::saveAircraftDetails(
        record_, positionCode_,
        {ui_->engineTypeComboBox->currentText(), ui_->engineSerialNumber->text(), ui_->installDateLineEdit->text()});
    if (!failure.isEmpty())
        prompts().critical(nullptr, QStringLiteral("DownloadClearDialog::aircraftInfoSave"), failure);
}
