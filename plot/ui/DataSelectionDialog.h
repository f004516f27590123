#pragma once

#include "core/AircraftInfo.h"
#include "flights/FlightQuery.h"

#include <QDialog>
#include <QSet>
#include <memory>

class FlightIndex;
class IndexUpdater;
class QButtonGroup;
struct IndexChanges;
namespace Ui { class DataSelectionDialogClass; }

// Lists the flights recorded in the raw files for one aircraft, engine
// position and memory type, and reads the chosen ones (at most 10) into the
// caller's list when accepted. The flights come from the flight index: those
// it holds show at once, while the raw files new since its last update are
// read in the background with their progress shown, and join the list when
// they are read. Closing the dialog stops that update.
class DataSelectionDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kFlightLimit = FlightQuery::kFlightLimit;

    // flights must be empty; it holds the selection once the dialog is accepted.
    DataSelectionDialog(QWidget* parent, FlightRecordList& flights);
    ~DataSelectionDialog() override;

    // True while the index is being brought up to date.
    bool isUpdating() const;
    void done(int result) override;

signals:
    // The update ended and the list shows every flight of the data tree.
    void listComplete();

public slots:
    void buildFlightList();

private slots:
    void on_buttonBox_accepted();
    void on_buttonBox_rejected();

private:
    using SlotKey = std::pair<QString, qint32>;  // raw file, slot

    void fillAircraftChoices(const QString& wanted);
    void fitColumns();
    void showEngineSerialNumber(int engine);
    void showProgress(int done, int total);
    void indexUpdated(const IndexChanges& changes);
    void reportListingProblems(const IndexChanges& changes);
    FlightFilter currentFilter() const;
    QList<qsizetype> selectedFlights() const;
    QSet<SlotKey> selectedSlots() const;
    void selectSlots(const QSet<SlotKey>& wanted);
    void showSelectionProblems(const FlightSelection& selection);

    std::unique_ptr<Ui::DataSelectionDialogClass> ui_;
    FlightRecordList& result_;
    QButtonGroup* engineGroup_;
    QButtonGroup* memoryGroup_;
    QList<AircraftInfo> aircraft_;
    QString lastAircraft_;
    std::unique_ptr<FlightIndex> index_;
    IndexUpdater* updater_;
    FlightQuery query_;  // the flights listed now
};
