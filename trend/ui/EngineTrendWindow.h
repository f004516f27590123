#pragma once

#include "trend/FleetOverview.h"
#include "trend/IndexedFlight.h"
#include "trend/TrendSeries.h"

#include <QMainWindow>
#include <memory>
#include <optional>

class FlightIndex;
class RepositoryReader;
class XYPlot;
namespace Ui { class EngineTrendWindowClass; }

// One engine's health indicator across every indexed flight, this station's
// or every station's from the fleet repository (the source chosen; there the
// server lists the engines and only the chosen engine's flights are read): the engine,
// parameter, bin and memory type chosen above the chart, download boundaries
// and alarm changes marked on it, a threshold per parameter with the points
// above it highlighted. Hovering a point tells its flight; double-clicking it
// asks for that flight in the plot window (flightRequested), which the main
// window opens.
class EngineTrendWindow : public QMainWindow {
    Q_OBJECT
public:
    // The index in `databasePath` is brought up to date with the tree below `dataRoot` first.
    EngineTrendWindow(QWidget* parent, const QString& dataRoot, const QString& databasePath);
    ~EngineTrendWindow() override;

    // Shows that engine's trend (an engine key as the index gives it); false when the index has no such engine.
    bool showEngine(const QString& engineKey);
    // Chooses the fleet repository as the source and shows that engine's trend once read.
    void showRepositoryEngine(const QString& engineKey);

    XYPlot* chart() const { return chart_; }
    const trend::TrendSeries& series() const { return series_; }
    // Indices into series().points of the points above the threshold.
    QList<int> pointsAboveThreshold() const;
    // Writes the trend as the command line's CSV; the failure text, empty on success.
    QString saveCsv(const QString& path) const;

signals:
    void flightRequested(const QString& rawPath, int slot);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refreshIndex(const QString& dataRoot, const QString& databasePath);
    void listEngines(QList<trend::FleetRow> engines);
    bool fromRepository() const;
    void sourceChosen();
    void showSource(const QList<trend::FleetRow>& engines, const QString& failure);
    void readingStarted(const QString& what);
    void showFailure(const QString& failure);
    void fillChoices();
    void placeChart();
    void connectCommands();
    trend::TrendChoice choice() const;
    std::optional<double> threshold() const;
    QString binText() const;
    void storeThreshold();
    void showThreshold();
    void engineChosen();
    void readEngineFlights(const QString& engine);
    void redrawTrend();
    std::vector<double> xValues(bool* sequence) const;
    void setTimeTicks(const std::vector<double>& x);
    void markDownloadsAndAlarms(const std::vector<double>& x);
    QString alarmChangeText(int point) const;
    void hover(QPoint position);
    int flightAt(QPoint position) const;
    QString pointText(int point) const;
    void saveCsvAs();
    void writeEngineReport();
    void tellToFetch(const QString& what);

    std::unique_ptr<Ui::EngineTrendWindowClass> ui_;
    std::unique_ptr<FlightIndex> index_;
    XYPlot* chart_ = nullptr;
    RepositoryReader* reader_;
    QString wantedEngine_;  // to be chosen once the repository's engines are listed
    QList<IndexedFlight> flights_;  // of the chosen engine
    trend::TrendSeries series_;
};
