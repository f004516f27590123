#pragma once

#include "flights/FlightRecord.h"
#include "trend/ui/TrendSource.h"

#include <QMainWindow>
#include <QPointer>
#include <memory>

class FleetOverviewWindow;
class LinkClient;
class QLabel;
namespace Ui { class MainWindowClass; }

// The program's one top-level window: four command buttons, the menus, and a
// status bar with the unit's identity, the link status and a clock. It owns
// the connection to the unit and dispatches every command.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    LinkClient& link() { return *link_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private slots:
    void on_actionOpen_triggered();
    void on_actionEngineReport_triggered();
    void on_actionArchiveData_triggered();
    void on_actionSyncToFleetRepository_triggered();
    void on_actionExit_triggered();
    void on_actionAddRemoveAircraft_triggered();
    void on_actionAddRemoveEngineType_triggered();
    void on_actionCheckComm_triggered();
    void on_actionSettings_triggered();
    void on_actionChangePassword_triggered();
    void on_actionDelete_Temp_Files_triggered();
    void on_actionFleetOverview_triggered();
    void openEngineTrend(const QString& engine, TrendSource source);
    void on_actionEngineTrend_triggered();
    void on_actionUserGuide_triggered();
    void on_actionReleaseNotes_triggered();
    void on_actionPartNumbers_triggered();
    void on_actionBiteResults_triggered();
    void on_actionAbout_triggered();
    void on_buttonDownloadClear_clicked();
    void on_buttonPlot_clicked();
    void on_buttonFwUpload_clicked();
    void on_buttonExport_clicked();

private:
    void buildStatusBar();
    void setButtonToolTips();
    void checkDataTree();
    void enableUnitCommands(bool enabled);
    void showClock();
    void runFirmwareUpload();
    void openPlotWindow(const FlightRecordList& flights);
    void openFlight(const QString& rawPath, int slot);
    void rememberDownload(int connection, const QStringList& filesWritten);
    bool downloadedInThisConnection(const QString& rawPath) const;

    std::unique_ptr<Ui::MainWindowClass> ui_;
    QLabel* unitLabel_;
    QLabel* serialLabel_;
    QLabel* linkStatusLabel_;
    QLabel* endpointLabel_;  // the unit address and port in use
    QLabel* clockLabel_;
    std::unique_ptr<LinkClient> link_;
    int clockTimerId_ = 0;
    QPointer<FleetOverviewWindow> fleetOverview_;
    // The raw files downloaded in the link's connection numbered downloadsConnection_.
    QStringList connectionDownloads_;
    int downloadsConnection_ = -1;
};
