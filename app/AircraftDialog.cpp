#include "app/AircraftDialog.h"

#include "core/AircraftCatalogue.h"
#include "core/AircraftInfo.h"
#include "core/Prompts.h"
#include "core/Registration.h"
#include "core/Settings.h"
#include "ui_AircraftDialog.h"

AircraftDialog::AircraftDialog(QWidget* parent) : QDialog(parent), ui_(std::make_unique<Ui::AircraftDialogBase>())
{
    ui_->setupUi(this);
    ui_->aircraftList->addItems(catalogue::registrations().value);
    if (ui_->aircraftList->count() == 0)
        enableEditing(false);
    else
        ui_->aircraftList->setCurrentRow(0);
}

AircraftDialog::~AircraftDialog() = default;

void AircraftDialog::enableEditing(bool enabled)
{
    ui_->buttonDel->setEnabled(enabled);
    ui_->buttonUpdate->setEnabled(enabled);
}

void AircraftDialog::reportFailure(const QString& text) { prompts().critical(this, windowTitle(), text); }

// The download record holds these texts in fixed fields: what would not fit is
// refused here rather than cut there.
QString AircraftDialog::overlongDetailsProblem() const
{
    return firstFieldTextProblem({
        {"shop ID", ui_->shopId->text(), sizeof(AircraftInfo::shopId)},
        {"comment", ui_->comment->toPlainText(), sizeof(AircraftInfo::comment)},
    });
}

QString AircraftDialog::overlongTextProblem() const
{
    const QString problem = fieldTextProblem(QStringLiteral("registration"), ui_->aircraftId->text(),
                                             sizeof(AircraftInfo::registration));
    return problem.isEmpty() ? overlongDetailsProblem() : problem;
}

void AircraftDialog::on_aircraftList_currentTextChanged(const QString& registration)
{
    const catalogue::ShopDetails details = catalogue::shopDetails(registration).value;
    ui_->shopId->setText(details.shopId);
    ui_->comment->setPlainText(details.comment);
}

// A registration names a data directory, so it never holds a "/".
void AircraftDialog::on_aircraftId_textChanged()
{
    const QString text = ui_->aircraftId->text();
    if (text.contains(QLatin1Char('/')))
        ui_->aircraftId->setText(QString(text).replace(QLatin1Char('/'), QLatin1Char('_')));
}

void AircraftDialog::on_buttonAdd_clicked()
{
    const QString registration = ui_->aircraftId->text();
    if (registration.isEmpty()) {
        reportFailure(QStringLiteral("No aircraft ID specified"));
        return;
    }
    if (const QString problem = registrationProblem(registration); !problem.isEmpty()) {
        reportFailure(invalidRegistrationMessage(problem));
        return;
    }
    if (const QString problem = overlongTextProblem(); !problem.isEmpty()) {
        prompts().warning(this, windowTitle(), problem);
        return;
    }
    if (!ui_->aircraftList->findItems(registration, Qt::MatchExactly | Qt::MatchCaseSensitive).isEmpty()) {
        reportFailure(QStringLiteral("Aircraft ID \"%1\" already exists").arg(registration));
        return;
    }
    ui_->aircraftList->addItem(registration);
    if (const QString failure = catalogue::addAircraft(registration, ui_->shopId->text(), ui_->comment->toPlainText());
        !failure.isEmpty())
        prompts().critical(nullptr, QStringLiteral("Add Aircraft"), failure);
    settings::setValue(settings::LastAircraft, registration);
    ui_->aircraftList->setCurrentRow(ui_->aircraftList->count() - 1);
    enableEditing(true);
}

void AircraftDialog::on_buttonUpdate_clicked()
{
    if (const QString problem = overlongDetailsProblem(); !problem.isEmpty()) {
        prompts().warning(this, windowTitle(), problem);
        return;
    }
    QListWidgetItem* current = ui_->aircraftList->currentItem();
    const QString registration = current ? current->text() : QString();
    if (const QString failure =
            catalogue::updateAircraft(registration, ui_->shopId->text(), ui_->comment->toPlainText());
        !failure.isEmpty())
        prompts().critical(this, QStringLiteral("AircraftDialog::on_buttonUpdate_clicked"), failure);
}

void AircraftDialog::on_buttonDel_clicked()
{
    QListWidgetItem* current = ui_->aircraftList->currentItem();
    if (!current) {
        prompts().warning(this, windowTitle(), QStringLiteral("No aircraft selected!"));
        return;
    }
    const QString registration = current->text();
    if (prompts().question(this, windowTitle(),
                           QStringLiteral("Are you sure you want to delete the aircraft '%1' from the database?\n"
                                          "This will also delete all associated data file!")
                               .arg(registration),
                           Prompts::Ok | Prompts::Cancel, Prompts::Cancel)
        != Prompts::Ok)
        return;
    removeAircraft(registration);
    delete ui_->aircraftList->takeItem(ui_->aircraftList->row(current));
    if (ui_->aircraftList->count() == 0) {
        ui_->aircraftId->clear();
        ui_->shopId->clear();
        ui_->comment->clear();
        enableEditing(false);
    }
}

void AircraftDialog::removeAircraft(QString aircraftName)
{
    if (const QString failure = catalogue::removeAircraft(aircraftName); !failure.isEmpty())
        reportFailure(failure);
}
