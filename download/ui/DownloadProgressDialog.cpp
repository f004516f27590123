#include "download/ui/DownloadProgressDialog.h"

#include "core/LatestValueRelay.h"
#include "link/LinkContext.h"
#include "ui_DownloadProgressDialog.h"

DownloadProgressDialog::DownloadProgressDialog(QWidget* parent, LinkContext& link,
                                               const PartNumberRecord& partNumbers,
                                               const AircraftInfo& aircraft, RequestSet requests,
                                               const QFuture<QString>& detailsStored)
    : QDialog(parent), ui_(std::make_unique<Ui::DownloadProgressDialogClass>())
{
    ui_->setupUi(this);
    session_ = std::make_unique<DownloadSession>(link, partNumbers, aircraft,
                                                 engineNumberOfPositionCode(int(partNumbers.enginePositionCode)), requests, this);
    DownloadSession* session = session_.get();
    connect(session, &DownloadSession::statusChanged, this,
            [this](int step, const QString& status) { statusLabel(step)->setText(status); });
    // The bar repaints as it changes: the worker's many updates reach it a few
    // dozen times a second, the last one always, and before what follows them.
    auto* progress = new LatestValueRelay(this);
    connect(progress, &LatestValueRelay::passedOn, ui_->progressBar, &QProgressBar::setValue);
    connect(session, &DownloadSession::progressChanged, progress, &LatestValueRelay::post);
    connect(session, &DownloadSession::progressLabelChanged, this, [this, progress](const QString& text) {
        progress->flush();
        ui_->progressBarLabel->setText(text);
    });
    connect(session, &DownloadSession::progressRangeChanged, this, [this, progress](int maximum) {
        progress->flush();
        ui_->progressBar->setRange(0, maximum);
    });
    connect(session, &DownloadSession::transferChanged, ui_->transferLabel, &QLabel::setText);
    // Queued, so a session that ends at once still closes a dialog that is shown afterwards.
    connect(session, &DownloadSession::finished, this, [this, progress] {
        progress->flush();
        if (!session_->cancelled())
            QMetaObject::invokeMethod(this, &QDialog::accept, Qt::QueuedConnection);
    });
    session->setDetailsStored(detailsStored);
    session->start();
}

DownloadProgressDialog::~DownloadProgressDialog() = default;

void DownloadProgressDialog::reject()
{
    session_->cancel();
    QDialog::reject();
}

QLabel* DownloadProgressDialog::statusLabel(int step) const
{
    QLabel* const labels[kRequestableSteps] = {ui_->downloadAlgoStatus,    ui_->postProcessAlgoStatus,
                                               ui_->downloadData,          ui_->postProcessData,
                                               ui_->downloadFlightHistory, ui_->postProcessFlightHistory,
                                               ui_->eraseData};
    return labels[step];
}
