#pragma once

#include "core/AircraftInfo.h"
#include "download/DownloadRequest.h"
#include "download/RequestSet.h"

#include <QDialog>
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
    // Why the details could not be stored in the database; empty when they were.
    QString detailsFailure() const { return detailsFailure_; }

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
    QString detailsFailure_;
};
