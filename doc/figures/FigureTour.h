#pragma once
// The guide's figures, taken in the order a technician meets the windows:
// the main window connected to the unit, the settings, a download with erase,
// the flight selection, the plot window and its display setup, the engine
// trend of the plotted engine, an export and a firmware upload. Each figure
// is the real window with the data the simulated unit gave through the
// program's own code.

#include "FigureCamera.h"
#include "FigureDialogs.h"
#include "TechnicianPrompts.h"

#include <functional>
#include <memory>

class FigureWorld;
class DownloadSession;
class MainWindow;
class PlotMainWindow;

class FigureTour {
public:
    FigureTour(FigureWorld& world, FigureCamera& camera);
    ~FigureTour();

    void run();

private:
    bool connect();
    void settings();
    void download();
    void downloadLater();
    // Waits for the session's end and stamps its files with the fixed clock; the dialog's result.
    int waitForSession(DownloadSession& session, const QString& figure);
    void plot();
    void plotViews(PlotMainWindow& plot);
    void engineTrend();
    void fleetOverview();
    void exportFlights();
    void firmwareUpload();
    int selectFlights(QDialog& dialog, const QString& figure);
    // Processes events until the condition holds; false (and a failure of the figure) after the time limit.
    bool waitUntil(const std::function<bool()>& condition, const QString& figure);

    FigureWorld& world_;
    FigureCamera& camera_;
    TechnicianPrompts prompts_;
    FigureDialogs dialogs_;
    std::unique_ptr<MainWindow> window_;
};
