#pragma once

#include "core/AircraftInfo.h"
#include "flights/FlightQuery.h"

#include <QDialog>
#include <memory>

class QButtonGroup;
namespace Ui { class DataSelectionDialogClass; }

// Lists the flights recorded in the raw files for one aircraft, engine
// position and memory type, and reads the chosen ones (at most 10) into the
// caller's list when accepted. The flight query does the work; the dialog
// moves its answers into the widgets and the technician's choices back.
class DataSelectionDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kFlightLimit = FlightQuery::kFlightLimit;

    // flights must be empty; it holds the selection once the dialog is accepted.
    DataSelectionDialog(QWidget* parent, FlightRecordList& flights);
    ~DataSelectionDialog() override;

public slots:
    void buildFlightList();

private slots:
    void on_buttonBox_accepted();
    void on_buttonBox_rejected();

private:
    void fillAircraftChoices();
    void fitColumns();
    void showEngineSerialNumber(int engine);
    FlightFilter currentFilter() const;
    QList<qsizetype> selectedFlights() const;
    void showSelectionProblems(const FlightSelection& selection);

    std::unique_ptr<Ui::DataSelectionDialogClass> ui_;
    FlightRecordList& result_;
    QButtonGroup* engineGroup_;
    QButtonGroup* memoryGroup_;
    QList<AircraftInfo> aircraft_;
    FlightQuery query_;
};
