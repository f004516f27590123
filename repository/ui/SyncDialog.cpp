#include "repository/ui/SyncDialog.h"
#include "ui_SyncDialog.h"

#include <QPushButton>

namespace {

QString megabytes(qint64 bytes) { return QString::number(bytes / 1e6, 'f', 1); }

}  // namespace

SyncDialog::SyncDialog(QWidget* parent, const QString& conninfo, const QString& dataRoot,
                       const repository::Station& station)
    : QDialog(parent), ui_(std::make_unique<Ui::SyncDialogClass>()), push_(conninfo, dataRoot, station)
{
    ui_->setupUi(this);
    connect(&push_, &repository::RepositoryPush::progressed, this, &SyncDialog::showProgress);
    connect(&push_, &repository::RepositoryPush::finished, this, &QDialog::accept);
    push_.start();
}

SyncDialog::~SyncDialog() = default;

void SyncDialog::showProgress(int downloadsDone, int downloads, qint64 bytesDone, qint64 bytes)
{
    ui_->downloadsLabel->setText(QStringLiteral("%1 of %2 downloads").arg(QString::number(downloadsDone), QString::number(downloads)));
    ui_->bytesLabel->setText(QStringLiteral("%1 of %2 MB").arg(megabytes(bytesDone), megabytes(bytes)));
    // Kilobytes keep the bar's range inside an int.
    ui_->progressBar->setRange(0, int(qMax<qint64>(1, bytes / 1024)));
    ui_->progressBar->setValue(int(bytesDone / 1024));
}

// The push ends by itself once its connection is shut; finished() then closes the dialog.
void SyncDialog::reject()
{
    if (push_.isFinished()) {
        QDialog::reject();
        return;
    }
    push_.cancel();
    ui_->stateLabel->setText(QStringLiteral("Cancelling; the download under way is rolled back..."));
    ui_->buttonCancel->setEnabled(false);
}
