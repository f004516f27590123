#include "app/SettingsDialog.h"

#include "core/Prompts.h"
#include "core/Settings.h"
#include "ui_SettingsDialog.h"

#include <QDir>

SettingsDialog::SettingsDialog(QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::SettingsDialogBase>())
{
    ui_->setupUi(this);
    ui_->addressLE->setText(settings::text(settings::IpAddress));
    ui_->portNum->setValue(settings::integer(settings::Port));
    ui_->pathname->setText(settings::text(settings::DataDir));
    ui_->saveRawFilesCheckBox->setChecked(settings::flag(settings::SaveRawFiles));
    ui_->categoryLW->setCurrentRow(0);
    connect(ui_->fileSelectionTB, &QToolButton::clicked, this, &SettingsDialog::fileSelectionSlot);
}

SettingsDialog::~SettingsDialog() = default;

QString SettingsDialog::address() const { return ui_->addressLE->text(); }
int SettingsDialog::port() const { return ui_->portNum->value(); }

void SettingsDialog::fileSelectionSlot()
{
    const QString chosen = prompts().existingDirectory(
        this, QStringLiteral("Choose a directory"), ui_->pathname->text());
    if (!chosen.isEmpty())
        ui_->pathname->setText(chosen);
}

void SettingsDialog::on_restoreButton_clicked()
{
    ui_->addressLE->setText(settings::kDefaultAddress);
    ui_->portNum->setValue(settings::kDefaultPort);
}

void SettingsDialog::on_buttonOk_clicked()
{
    // A relative data directory would follow whatever the working directory is.
    if (!QDir::isAbsolutePath(ui_->pathname->text())) {
        prompts().warning(this, windowTitle(),
                          QStringLiteral("The data directory must be an absolute path, such as \"%1\".")
                              .arg(settings::defaultDataDir()));
        return;
    }
    settings::setValue(settings::IpAddress, ui_->addressLE->text());
    settings::setValue(settings::Port, ui_->portNum->value());
    settings::setValue(settings::DataDir, ui_->pathname->text());
    settings::setValue(settings::SaveRawFiles, ui_->saveRawFilesCheckBox->isChecked());
    accept();
}
