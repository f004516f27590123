#pragma once

#include "core/AircraftInfo.h"
#include "download/DownloadRequest.h"
#include "download/RequestSet.h"

#include <QDialog>
#include <QFuture>
#include <memory>

namespace Ui { class DownloadClearDialogClass; }

// Asks which aircraft and engine the unit belongs to and whether its data is
// to be downloaded, erased or both; stores the confirmed details. The record
// is filled for the session that follows.
class DownloadClearDialog : public QDialog {
    Q_OBJECT
public:
    // positionCode: the unit's engine position code (SDI: 1, 2, 3, or 0 for engine 4).
    DownloadClearDialog(AircraftInfo& record, int positionCode, QWidget* parent = nullptr);
    ~DownloadClearDialog() override;

    void setEngineSerialNumber(const QString& serialNumber);
    RequestSet requestSet() const;
    // The details are stored on a worker thread once OK is pressed, so a slow
    // disk never holds the window: finished (on the GUI thread, after any
    // failure was shown) with why they could not be stored, empty when they were.
    QFuture<QString> detailsStored() const { return detailsStored_; }

private slots:
    void on_buttonBox_accepted();
    void on_buttonBox_rejected();

private:
    DownloadDetails details() const;
    bool confirmRegistration();

    std::unique_ptr<Ui::DownloadClearDialogClass> ui_;
    AircraftInfo& record_;
    int positionCode_;
    int engineNumber_;
    QFuture<QString> detailsStored_ = QtFuture::makeReadyFuture(QString());
};
