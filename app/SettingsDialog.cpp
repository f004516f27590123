#include "app/SettingsDialog.h"

#include "core/Prompts.h"
#include "core/Settings.h"
#include "repository/ConnectionCheck.h"
#include "repository/PgConnection.h"
#include "repository/ui/RepositoryLogin.h"
#include "ui_SettingsDialog.h"

#include <QDir>
#include <QFutureWatcher>
#include <QSysInfo>
#include <QtConcurrent>

SettingsDialog::SettingsDialog(QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::SettingsDialogBase>())
{
    ui_->setupUi(this);
    ui_->addressLE->setText(settings::text(settings::IpAddress));
    ui_->portNum->setValue(settings::integer(settings::Port));
    ui_->pathname->setText(settings::text(settings::DataDir));
    ui_->saveRawFilesCheckBox->setChecked(settings::flag(settings::SaveRawFiles));
    ui_->repositoryConnectionLE->setText(settings::text(settings::RepositoryConnection));
    ui_->stationNameLE->setText(settings::text(settings::StationName));
    ui_->syncAfterDownloadCheckBox->setChecked(settings::flag(settings::RepositorySyncAfterDownload));
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
    if (const QString refusal = repository::connectionStringRefusal(ui_->repositoryConnectionLE->text());
        !refusal.isEmpty()) {
        ui_->categoryLW->setCurrentRow(2);
        prompts().warning(this, windowTitle(), refusal);
        return;
    }
    settings::setValue(settings::IpAddress, ui_->addressLE->text());
    settings::setValue(settings::Port, ui_->portNum->value());
    settings::setValue(settings::DataDir, ui_->pathname->text());
    settings::setValue(settings::SaveRawFiles, ui_->saveRawFilesCheckBox->isChecked());
    storeRepository();
    accept();
}

void SettingsDialog::storeRepository()
{
    settings::setValue(settings::RepositoryConnection, ui_->repositoryConnectionLE->text().trimmed());
    // An emptied name gives the host name back.
    const QString name = ui_->stationNameLE->text().trimmed();
    settings::setValue(settings::StationName, name.isEmpty() ? QSysInfo::machineHostName() : name);
    settings::setValue(settings::RepositorySyncAfterDownload, ui_->syncAfterDownloadCheckBox->isChecked());
}

// The server is asked on a worker thread: a far or silent server must not freeze the dialog.
void SettingsDialog::on_testConnectionButton_clicked()
{
    const QString conninfo = ui_->repositoryConnectionLE->text().trimmed();
    ui_->testConnectionButton->setEnabled(false);
    ui_->connectionStateLabel->setText(QStringLiteral("Connecting..."));
    auto* watcher = new QFutureWatcher<repository::ConnectionCheck>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, conninfo] {
        watcher->deleteLater();
        showConnectionCheck(conninfo, watcher->result());
    });
    watcher->setFuture(QtConcurrent::run(repository::checkConnection, conninfo));
}

void SettingsDialog::showConnectionCheck(const QString& conninfo, const repository::ConnectionCheck& check)
{
    ui_->testConnectionButton->setEnabled(true);
    if (check.needsPassword && askRepositoryPassword(this, conninfo, check.failure)) {
        on_testConnectionButton_clicked();
        return;
    }
    ui_->connectionStateLabel->setText(check.failure.isEmpty() ? check.answer : check.failure);
}
