#include "app/MainWindow.h"

#include "app/AboutMirvakDialog.h"
#include "app/AircraftDialog.h"
#include "core/AircraftCatalogue.h"
#include "core/AppIdentity.h"
#include "core/Clock.h"
#include "core/Database.h"
#include "core/DataDirectories.h"
#include "app/EngineDialog.h"
#include "app/PasswordDialog.h"
#include "ui/ButtonShortcut.h"
#include "ui/MenuBarKey.h"
#include "ui/WidgetPrompts.h"
#include "core/Prompts.h"
#include "core/Settings.h"
#include "app/SettingsDialog.h"
#include "app/ShellOpen.h"
#include "download/DownloadRequest.h"
#include "download/ui/DownloadClearDialog.h"
#include "download/ui/DownloadProgressDialog.h"
#include "export/ui/ArchiveCommand.h"
#include "export/ui/ExportCommand.h"
#include "export/TempCleanup.h"
#include "firmware/ui/FwUpdateDialog.h"
#include "flights/FlightQuery.h"
#include "link/ui/BiteResultDialog.h"
#include "link/LinkClient.h"
#include "link/ui/PartNumbersDialog.h"
#include "plot/ui/DataSelectionDialog.h"
#include "plot/ui/PlotMainWindow.h"
#include "repository/ui/SyncCommand.h"
#include "trend/ui/FleetOverviewWindow.h"
#include "trend/ui/EngineTrendWindow.h"
#include "report/ReportSet.h"
#include "report/ui/EngineReportCommand.h"
#include "ui_MainWindow.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLabel>

namespace {

const QString kDownloadToolTip = QStringLiteral(
    "This function is used to download data captured on\nthe latest flights from the Korvel to the "
    "Host computer.\nPlease ensure power is not disrupted during the download process.\nBefore "
    "starting the download process, make sure:\n(1) The unit is powered on,\n(2) The cable is "
    "plugged into the front connector of the unit.");
const QString kPlotToolTip = QStringLiteral("This function is used to analyze captured data.");
const QString kUploadToolTip = QStringLiteral(
    "This function is used to upload a new firmware version to:\n- the MAIN processor,\n- to the "
    "DSP,\n- or to update the DSP configuration table.");
const QString kExportToolTip = QStringLiteral("This function is used to export data to an ASCII file.");

}  // namespace

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent),
      ui_(std::make_unique<Ui::MainWindowClass>()),
      unitLabel_(new QLabel),
      serialLabel_(new QLabel),
      linkStatusLabel_(new QLabel),
      endpointLabel_(new QLabel),
      clockLabel_(new QLabel),
      link_(std::make_unique<LinkClient>(this))
{
    ui_->setupUi(this);
    setWindowTitle(QStringLiteral("%1 %2").arg(app::kLongTitle, app::versionString()));
    enableUnitCommands(false);
    restoreGeometry(settings::value(settings::Geometry).toByteArray());
    buildStatusBar();
    setButtonToolTips();
    for (QPushButton* button : {ui_->buttonDownloadClear, ui_->buttonPlot, ui_->buttonFwUpload, ui_->buttonExport})
        makeShortcutImmediate(button);
    bindMenuBarKey(this);

    settings::seedMissingKeys();
    checkDataTree();

    connect(link_.get(), &LinkClient::linkStatusChanged, linkStatusLabel_, &QLabel::setText);
    connect(link_.get(), &LinkClient::unitLabelChanged, unitLabel_, &QLabel::setText);
    connect(link_.get(), &LinkClient::serialLabelChanged, serialLabel_, &QLabel::setText);
    connect(link_.get(), &LinkClient::unitCommandsEnabled, this, &MainWindow::enableUnitCommands);
    connect(link_.get(), &LinkClient::partNumbersReceived, this, [this](const PartNumberRecord& record, bool show) {
        if (show) {
            PartNumbersDialog dialog(record, this);
            runDialog(dialog);
        }
    });
    connect(link_.get(), &LinkClient::biteResultsReceived, this, [this](const BiteResults& results) {
        BiteResultDialog dialog(results, this);
        runDialog(dialog);
    });
    connect(link_.get(), &LinkClient::endpointChanged, this,
            [this](const QString& endpoint) { endpointLabel_->setText(QStringLiteral("Unit: %1").arg(endpoint)); });
    link_->connectToUnit();

    clockTimerId_ = startTimer(1000);
}

MainWindow::~MainWindow()
{
    killTimer(clockTimerId_);
    link_->disconnect(this);
    link_->closeConnection();
}

void MainWindow::buildStatusBar()
{
    unitLabel_->setText(QStringLiteral("PNR: ???"));
    serialLabel_->setText(QStringLiteral("SER: ???"));
    showClock();
    for (QLabel* label : {unitLabel_, serialLabel_, linkStatusLabel_, clockLabel_})
        ui_->statusBar->addPermanentWidget(label, 1);
    // Beyond the four labels: which unit address is in use (it may come from the command line).
    ui_->statusBar->insertPermanentWidget(3, endpointLabel_, 0);
}

void MainWindow::setButtonToolTips()
{
    ui_->buttonDownloadClear->setToolTip(kDownloadToolTip);
    ui_->buttonPlot->setToolTip(kPlotToolTip);
    ui_->buttonFwUpload->setToolTip(kUploadToolTip);
    ui_->buttonExport->setToolTip(kExportToolTip);
}

// Every "<registration>_data" directory of a sound tree is an aircraft of the database.
void MainWindow::checkDataTree()
{
    if (!checkDataDirectories())
        return;
    for (const QString& failure : catalogue::importAircraftDirectories())
        prompts().warning(this, QStringLiteral("Error"), failure);
}

void MainWindow::enableUnitCommands(bool enabled)
{
    ui_->buttonDownloadClear->setEnabled(enabled);
    ui_->buttonFwUpload->setEnabled(enabled);
}

void MainWindow::showClock()
{
    clockLabel_->setText(Clock::now().toString(QStringLiteral("dd.MM.yyyy hh:mm:ss")));
}

void MainWindow::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == clockTimerId_)
        showClock();
    else
        QMainWindow::timerEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    settings::setValue(settings::Geometry, saveGeometry());
    QMainWindow::closeEvent(event);
}

void MainWindow::on_actionExit_triggered() { close(); }
void MainWindow::on_actionCheckComm_triggered() { link_->checkComm(); }
void MainWindow::on_actionPartNumbers_triggered() { link_->showPartNumbers(); }
void MainWindow::on_actionBiteResults_triggered() { link_->requestBiteResults(); }

void MainWindow::on_actionSettings_triggered()
{
    const QString storedAddress = settings::text(settings::IpAddress);
    const int storedPort = settings::integer(settings::Port);
    SettingsDialog dialog;
    if (runDialog(dialog) != QDialog::Accepted)
        return;
    checkDataTree();
    // An address given on the command line holds until the technician types another.
    if (dialog.address() != storedAddress || dialog.port() != storedPort)
        settings::clearUnitEndpointOverride();
    const QString address = settings::unitAddress();
    const int port = settings::unitPort();
    if (address != link_->currentAddress() || port != link_->currentPort())
        link_->reconnectTo(address, port);
}

void MainWindow::on_actionOpen_triggered()
{
    const QString file = prompts().openFileName(this, QString(), settings::text(settings::LastDirectory),
                                                QStringLiteral("Text Files (*.txt)\nAll (*.*)"));
    if (file.isEmpty())
        return;
    settings::setValue(settings::LastDirectory, QFileInfo(file).absoluteDir().absolutePath());
    shellOpen(this, file);
}

// The latest download is offered; any other raw file can be chosen instead.
void MainWindow::on_actionEngineReport_triggered()
{
    const QString latest = report::latestRawFile(dataRootPath());
    const QString raw = prompts().openFileName(this, QStringLiteral("Engine Report"),
                                               latest.isEmpty() ? dataRootPath() : latest,
                                               QStringLiteral("Raw files (*.raw)\nAll (*.*)"));
    if (raw.isEmpty())
        return;
    // The built-in test results go into the report only when this very
    // connection read them and made the download: both in the link's current
    // connection, which ends when the link drops or another unit answers.
    EngineReportCommand::run(this, raw, downloadedInThisConnection(raw) ? link_->biteResults() : std::nullopt);
}

// A download whose connection ended meanwhile is not remembered.
void MainWindow::rememberDownload(int connection, const QStringList& filesWritten)
{
    if (link_->connectionNumber() != connection)
        return;
    if (downloadsConnection_ != connection)
        connectionDownloads_.clear();
    downloadsConnection_ = connection;
    for (const QString& file : filesWritten) {
        if (file.endsWith(QLatin1String(".raw")))
            connectionDownloads_.append(QFileInfo(file).canonicalFilePath());
    }
}

bool MainWindow::downloadedInThisConnection(const QString& rawPath) const
{
    return downloadsConnection_ == link_->connectionNumber()
           && connectionDownloads_.contains(QFileInfo(rawPath).canonicalFilePath());
}

void MainWindow::on_actionUserGuide_triggered()
{
    shellOpen(this, QCoreApplication::applicationDirPath() + QStringLiteral("/../doc/KDM-310-Rev3.pdf"));
}

void MainWindow::on_actionReleaseNotes_triggered()
{
    shellOpen(this, QCoreApplication::applicationDirPath() + QStringLiteral("/../doc/releasenotes.pdf"));
}

void MainWindow::on_actionAbout_triggered()
{
    AboutMirvakDialog dialog(this);
    runDialog(dialog);
}

void MainWindow::on_buttonFwUpload_clicked()
{
    if (confirmAccessPassword(this))
        runFirmwareUpload();
}

void MainWindow::on_actionChangePassword_triggered()
{
    const QString title = QStringLiteral("Change Password");
    const std::optional<QString> current = prompts().textInput(
        this, title, QStringLiteral("Enter current password:"), Prompts::Echo::Password, QString());
    if (!current)
        return;
    if (current->isEmpty() || *current != storedPassword()) {
        prompts().warning(this, title, QStringLiteral("Incorrect password."));
        return;
    }
    PasswordDialog dialog(this);
    if (runDialog(dialog) != QDialog::Accepted)
        return;
    if (dialog.password().isEmpty()) {
        prompts().warning(this, title, QStringLiteral("Invalid password."));
        return;
    }
    if (dialog.password() != dialog.verification()) {
        prompts().warning(this, title, QStringLiteral("Passwords don't match."));
        return;
    }
    settings::setValue(settings::Password, dialog.password());
    prompts().information(this, title, QStringLiteral("The password has been changed."));
}

void MainWindow::on_buttonDownloadClear_clicked()
{
    if (!link_->checkDownloadAllowed())
        return;
    const int positionCode = int(link_->partNumbers().enginePositionCode);
    if (const QString problem = enginePositionProblem(positionCode); !problem.isEmpty()) {
        prompts().warning(this, app::kShortTitle, problem);
        return;
    }
    const PartNumberRecord& unitIdentity = link_->partNumbers();
    AircraftInfo record{};
    copyText(record.registration, fieldText(unitIdentity.aircraftRegistration), 7);
    DownloadClearDialog request(record, positionCode);
    request.setEngineSerialNumber(fieldText(unitIdentity.engineSerialNumber));
    if (runDialog(request) != QDialog::Accepted)
        return;
    const RequestSet requests = request.requestSet();
    bool downloaded = false;
    QStringList written;
    const int connection = link_->connectionNumber();
    link_->lend([&](LinkContext& link, PartNumberRecord& partNumbers) {
        DownloadProgressDialog session(this, link, partNumbers, record, requests, request.detailsStored());
        const int result = runDialog(session);
        downloaded = session.session().succeeded();
        written = session.session().filesWritten();
        return result;
    });
    rememberDownload(connection, written);
    if (downloaded && settings::flag(settings::RepositorySyncAfterDownload))
        syncToFleetRepository(this);
}

void MainWindow::on_buttonPlot_clicked()
{
    FlightRecordList flights;
    DataSelectionDialog selection(this, flights);
    if (runDialog(selection) != QDialog::Accepted)
        return;
    if (flights.isEmpty()) {
        prompts().critical(this, QStringLiteral("Error"), QStringLiteral("No data exists for plotting!"));
        return;
    }
    openPlotWindow(flights);
}

void MainWindow::openPlotWindow(const FlightRecordList& flights)
{
    // Several plot windows may be open; each lives as long as this window.
    auto* plot = new PlotMainWindow(this, flights);
    plot->show();
}

void MainWindow::on_actionEngineTrend_triggered()
{
    openEngineTrend({}, TrendSource::Station);
}

// An empty engine key opens the trend of the window's first engine.
void MainWindow::openEngineTrend(const QString& engine, TrendSource source)
{
    auto* trendWindow = new EngineTrendWindow(this, dataRootPath(), databasePath());
    trendWindow->setAttribute(Qt::WA_DeleteOnClose);
    connect(trendWindow, &EngineTrendWindow::flightRequested, this, &MainWindow::openFlight);
    if (source == TrendSource::FleetRepository)
        trendWindow->showRepositoryEngine(engine);
    else if (!engine.isEmpty())
        trendWindow->showEngine(engine);
    trendWindow->show();
}

void MainWindow::openFlight(const QString& rawPath, int slot)
{
    const ResolvedFlight flight = resolveSlot(rawPath, slot);
    if (!flight.record) {
        prompts().critical(this, QStringLiteral("Error"), flight.failure);
        return;
    }
    openPlotWindow({flight.record});
}

void MainWindow::runFirmwareUpload()
{
    link_->lend([&](LinkContext& link, PartNumberRecord& partNumbers) {
        FwUpdateDialog dialog(this, link, partNumbers);
        return runDialog(dialog);
    });
}

void MainWindow::on_actionAddRemoveAircraft_triggered()
{
    AircraftDialog dialog;
    runDialog(dialog);
}

void MainWindow::on_actionAddRemoveEngineType_triggered()
{
    EngineDialog dialog;
    runDialog(dialog);
}

void MainWindow::on_actionArchiveData_triggered() { archiveData(this); }
void MainWindow::on_actionSyncToFleetRepository_triggered() { syncToFleetRepository(this); }
void MainWindow::on_actionDelete_Temp_Files_triggered() { emptyTempDirectory(this); }

void MainWindow::on_buttonExport_clicked()
{
    FlightRecordList flights;
    DataSelectionDialog selection(this, flights);
    if (runDialog(selection) != QDialog::Accepted || flights.isEmpty())
        return;
    exportData(this, flights);
}

// One fleet overview at a time: asked again, it reads the index again and comes to the front.
void MainWindow::on_actionFleetOverview_triggered()
{
    if (!fleetOverview_) {
        fleetOverview_ = new FleetOverviewWindow(this);
        connect(fleetOverview_, &FleetOverviewWindow::engineChosen, this, &MainWindow::openEngineTrend);
    }
    fleetOverview_->reload();
    if (!fleetOverview_)
        return;  // closed while it was brought up to date
    fleetOverview_->show();
    fleetOverview_->raise();
    fleetOverview_->activateWindow();
}

