#pragma once

#include "download/DownloadSession.h"

#include <QDialog>
#include <memory>

class QLabel;
namespace Ui { class DownloadProgressDialogClass; }

// Shows a download session: its current step, the progress of the answer
// being received and the outcome of every step. Cancel stops the session.
class DownloadProgressDialog : public QDialog {
    Q_OBJECT
public:
    // detailsStored: why the request's details could not be stored (no erase
    // then), empty when they were; the session waits for it only before the erase and its end.
    DownloadProgressDialog(QWidget* parent, LinkContext& link, const PartNumberRecord& partNumbers,
                           const AircraftInfo& aircraft, RequestSet requests,
                           const QFuture<QString>& detailsStored = QtFuture::makeReadyFuture(QString()));
    ~DownloadProgressDialog() override;

    DownloadSession& session() { return *session_; }

public slots:
    void reject() override;

private:
    QLabel* statusLabel(int step) const;

    std::unique_ptr<Ui::DownloadProgressDialogClass> ui_;
    std::unique_ptr<DownloadSession> session_;
};
