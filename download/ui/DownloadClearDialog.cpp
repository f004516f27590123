#include "download/ui/DownloadClearDialog.h"

#include "ui/AcIdInputDialog.h"
#include "core/AircraftCatalogue.h"
#include "core/AppIdentity.h"
#include "core/Prompts.h"
#include "core/Registration.h"
#include "download/DownloadRequest.h"
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

    record_ = storedAircraftRecord(textOf(record_.registration));
    const QStringList types = catalogue::engineTypes().value;
    ui_->engineTypeComboBox->addItems(types);
    const DownloadDetails details = initialDownloadDetails(record_, engineNumber_, QString(), types);
    ui_->aircraftRegNum->setText(details.registration);
    ui_->shopIdLineEdit->setText(details.shopId);
    ui_->commentTextEdit->setPlainText(details.comment);
    ui_->engineTypeComboBox->setCurrentIndex(
        ui_->engineTypeComboBox->findText(details.engineType, Qt::MatchExactly | Qt::MatchCaseSensitive));
    ui_->installDateLineEdit->setText(details.installDate);
}

DownloadClearDialog::~DownloadClearDialog() = default;

void DownloadClearDialog::setEngineSerialNumber(const QString& serialNumber)
{
    ui_->engineSerialNumber->setText(serialNumber);
}

RequestSet DownloadClearDialog::requestSet() const
{
    return RequestSet::fromChoices(ui_->downloadCheckBox->isChecked(), ui_->eraseCheckBox->isChecked());
}

DownloadDetails DownloadClearDialog::details() const
{
    return {ui_->aircraftRegNum->text(),          ui_->shopIdLineEdit->text(),
            ui_->commentTextEdit->toPlainText(),   ui_->engineTypeComboBox->currentText(),
            ui_->engineSerialNumber->text(),       ui_->installDateLineEdit->text()};
}

void DownloadClearDialog::on_buttonBox_accepted()
{
    if (!ui_->downloadCheckBox->isChecked()) {
        accept();
        return;
    }
    if (const QString problem = downloadDetailsProblem(details()); !problem.isEmpty()) {
        prompts().warning(this, app::kShortTitle, problem);
        return;
    }
    if (!confirmRegistration())
        return;
    detailsStored_ = storeDownloadDetailsInBackground(record_, positionCode_, details());
    accept();
}

void DownloadClearDialog::on_buttonBox_rejected() { reject(); }

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
