#include "FigureTour.h"

#include "FigureWorld.h"
#include "app/MainWindow.h"
#include "core/Clock.h"
#include "core/Settings.h"
#include "download/ui/DownloadProgressDialog.h"
#include "export/ui/ExportCommand.h"
#include "firmware/ui/FwUpdateDialog.h"
#include "plot/PlotModel.h"
#include "plot/ui/DataSelectionDialog.h"
#include "plot/ui/DisplaySetupDialog.h"
#include "plot/ui/PlotMainWindow.h"
#include "plot/ui/PlotTools.h"
#include "trend/ui/EngineTrendWindow.h"
#include "trend/ui/FleetOverviewWindow.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDialogButtonBox>
#include <QDir>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressDialog>
#include <QRegularExpression>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>
#include <QTreeWidget>

namespace {

// Long enough for a sanitized build on a busy machine; a working run needs a few seconds in all.
constexpr int kStepLimitMs = 60000;

// What the guide's examples are filed under.
const QString kShopId = QStringLiteral("HAM-2");
const QString kInstallDate = QStringLiteral("12.01.2024");
const QString kComment = QStringLiteral("Vibration survey after the fan blade change.");

// A widget of the window by its object name. A form that lost it stops the
// run with a message: the figures no longer match the program.
template <typename T>
T* child(QObject& parent, const char* name)
{
    T* found = parent.findChild<T*>(QLatin1String(name));
    if (!found)
        qFatal("tolm-figures: %s has no %s named %s", parent.metaObject()->className(),
               T::staticMetaObject.className(), name);
    return found;
}

// A measured transfer rate depends on the machine and the moment; the figures
// show a fixed one in its place, so they are the same on every build.
void showNominalRate(QLabel* label, const QString& measured, const QString& nominal)
{
    label->setText(label->text().replace(QRegularExpression(measured), nominal));
}

void showNominalDownloadRate(QDialog& dialog)
{
    showNominalRate(child<QLabel>(dialog, "transferLabel"), QStringLiteral(", [0-9.]+ MB/s$"),
                    QStringLiteral(", 4.8 MB/s"));
}

void clickOk(QDialog& dialog) { child<QDialogButtonBox>(dialog, "buttonBox")->button(QDialogButtonBox::Ok)->click(); }

// The simulated unit's engine position.
constexpr int kUnitEngine = 4;
// Downloads after the first, this many days apart: the engine trend shows three.
constexpr int kDaysBetweenDownloads = 21;
constexpr int kLaterDownloads = 2;

// The selection lists when each file was downloaded: the fixed clock's time,
// not the build's. The failure, empty on success.
QString stampWithClock(const QStringList& paths)
{
    for (const QString& path : paths) {
        QFile file(path);
        if (!file.open(QIODevice::ReadWrite) || !file.setFileTime(Clock::now(), QFileDevice::FileModificationTime))
            return path + QStringLiteral(": ") + file.errorString();
    }
    return {};
}

}  // namespace

FigureTour::FigureTour(FigureWorld& world, FigureCamera& camera) : world_(world), camera_(camera)
{
    installPrompts(&prompts_);
}

FigureTour::~FigureTour()
{
    window_.reset();
    installPrompts(nullptr);
}

void FigureTour::run()
{
    if (!connect())
        return;
    settings();
    download();
    downloadLater();
    plot();
    engineTrend();
    fleetOverview();
    exportFlights();
    firmwareUpload();
    for (const QString& name : dialogs_.unexpected())
        camera_.fail(name, QStringLiteral("a dialog the figure run did not expect"));
    for (const QString& name : dialogs_.pending() + prompts_.pendingCaptures())
        camera_.fail(name, QStringLiteral("the figure run waited for it, but it never opened"));
}

bool FigureTour::waitUntil(const std::function<bool()>& condition, const QString& figure)
{
    const QDeadlineTimer deadline(kStepLimitMs);
    while (!condition()) {
        if (deadline.hasExpired()) {
            camera_.fail(figure, QStringLiteral("timed out; messages so far:\n  ")
                                     + prompts_.messages().join(QStringLiteral("\n  ")));
            return false;
        }
        QEventLoop pause;
        QTimer::singleShot(10, &pause, &QEventLoop::quit);
        pause.exec();
    }
    return true;
}

bool FigureTour::connect()
{
    window_ = std::make_unique<MainWindow>();
    window_->resize(680, 280);
    window_->show();
    auto* upload = child<QPushButton>(*window_, "buttonFwUpload");
    if (!waitUntil([&] { return upload->isEnabled(); }, QStringLiteral("main-window")))
        return false;
    camera_.take(*window_, QStringLiteral("main-window"));
    return true;
}

void FigureTour::settings()
{
    dialogs_.expect(QStringLiteral("SettingsDialog"), [this](QDialog& dialog) {
        // The run's temporary folder stands for the technician's own.
        child<QLineEdit>(dialog, "pathname")->setText(QStringLiteral("/home/technician/tolm-data"));
        camera_.take(dialog, QStringLiteral("settings"));
        return int(QDialog::Rejected);
    });
    child<QAction>(*window_, "actionSettings")->trigger();
}

void FigureTour::download()
{
    dialogs_.expect(QStringLiteral("DownloadClearDialog"), [this](QDialog& dialog) {
        child<QLineEdit>(dialog, "shopIdLineEdit")->setText(kShopId);
        child<QLineEdit>(dialog, "installDateLineEdit")->setText(kInstallDate);
        child<QTextEdit>(dialog, "commentTextEdit")->setPlainText(kComment);
        child<QComboBox>(dialog, "engineTypeComboBox")->setCurrentIndex(0);
        child<QCheckBox>(dialog, "eraseCheckBox")->setChecked(true);
        camera_.take(dialog, QStringLiteral("download-request"));
        clickOk(dialog);
        return dialog.result();
    });
    dialogs_.expect(QStringLiteral("DownloadProgressDialog"), [this](QDialog& dialog) {
        DownloadSession& session = static_cast<DownloadProgressDialog&>(dialog).session();
        // Mid-session: the engine data is in, its files are being written.
        QObject::connect(&session, &DownloadSession::statusChanged, &dialog, [&](int step, const QString& status) {
            if (step == DownloadEngineData && status == QStringLiteral("Done")) {
                showNominalDownloadRate(dialog);
                camera_.take(dialog, QStringLiteral("download-progress"));
            }
        });
        QObject::connect(&session, &DownloadSession::finished, &dialog, [&] {
            showNominalDownloadRate(dialog);
            camera_.take(dialog, QStringLiteral("download-finished"));
        });
        return waitForSession(session, QStringLiteral("download-finished"));
    });
    child<QPushButton>(*window_, "buttonDownloadClear")->click();
}

int FigureTour::waitForSession(DownloadSession& session, const QString& figure)
{
    if (!waitUntil([&] { return session.isFinished(); }, figure))
        session.cancel();
    else if (!session.succeeded())
        camera_.fail(figure, QStringLiteral("the download failed:\n  ") + prompts_.messages().join(QStringLiteral("\n  ")));
    if (const QString failure = stampWithClock(session.filesWritten()); !failure.isEmpty())
        camera_.fail(figure, failure);
    return int(session.succeeded() ? QDialog::Accepted : QDialog::Rejected);
}

// The same unit downloaded and erased again weeks later, unseen: the flights
// flown since, their vibration higher, the alarms it raised.
void FigureTour::downloadLater()
{
    for (int download = 1; download <= kLaterDownloads; ++download) {
        Clock::fix(Clock::now().addDays(kDaysBetweenDownloads));
        dialogs_.expect(QStringLiteral("DownloadClearDialog"), [](QDialog& dialog) {
            child<QCheckBox>(dialog, "eraseCheckBox")->setChecked(true);
            clickOk(dialog);
            return dialog.result();
        });
        dialogs_.expect(QStringLiteral("DownloadProgressDialog"), [this](QDialog& dialog) {
            return waitForSession(static_cast<DownloadProgressDialog&>(dialog).session(), QStringLiteral("engine-trend"));
        });
        child<QPushButton>(*window_, "buttonDownloadClear")->click();
    }
}

int FigureTour::selectFlights(QDialog& dialog, const QString& figure)
{
    // The list is whole once the flight index is up to date.
    if (auto* selection = qobject_cast<DataSelectionDialog*>(&dialog); selection && selection->isUpdating()) {
        QEventLoop listing;
        QObject::connect(selection, &DataSelectionDialog::listComplete, &listing, &QEventLoop::quit);
        listing.exec();
    }
    auto* list = child<QTreeWidget>(dialog, "flightDataTreeWidget");
    for (int row = 0; row < qMin(10, list->topLevelItemCount()); ++row)
        list->topLevelItem(row)->setSelected(true);
    if (!figure.isEmpty())
        camera_.take(dialog, figure);
    clickOk(dialog);
    return dialog.result();
}

void FigureTour::plot()
{
    settings::setValue(settings::LastSelectedEngine, kUnitEngine);
    dialogs_.expect(QStringLiteral("DataSelectionDialog"), [this](QDialog& dialog) {
        dialog.resize(520, 420);
        return selectFlights(dialog, QStringLiteral("flight-selection"));
    });
    child<QPushButton>(*window_, "buttonPlot")->click();
    PlotMainWindow* plot = window_->findChild<PlotMainWindow*>();
    if (!plot) {
        camera_.fail(QStringLiteral("plot-steady-state"), QStringLiteral("no plot window opened"));
        return;
    }
    plot->resize(960, 720);
    plotViews(*plot);
    plot->close();
}

void FigureTour::plotViews(PlotMainWindow& plot)
{
    const auto choose = [&](int parameter) {
        child<QMenu>(plot, "menuParameter")->actions()[parameter]->trigger();
    };
    camera_.take(plot, QStringLiteral("plot-steady-state"));

    choose(plot::kSpectrum);
    plot.tools()->shaftOrdersAction()->trigger();
    plot.tools()->peaksAction()->trigger();
    camera_.take(plot, QStringLiteral("plot-fft"));

    child<QAction>(plot, "actionDisplaySetup")->trigger();
    if (auto* setup = plot.findChild<DisplaySetupDialog*>())
        camera_.take(*setup, QStringLiteral("display-setup"));
    else
        camera_.fail(QStringLiteral("display-setup"), QStringLiteral("the display setup did not open"));

    choose(plot::kStackedSpectrum);
    camera_.take(plot, QStringLiteral("plot-stacked-fft"));
}

// The downloaded engine's flights, A4R of its highest bin, with a threshold the latest flights pass.
void FigureTour::engineTrend()
{
    settings::setValue(settings::TrendThreshold(plot::kDefaultParameter), 1.1);
    child<QAction>(*window_, "actionEngineTrend")->trigger();
    auto* trend = window_->findChild<EngineTrendWindow*>();
    if (!trend) {
        camera_.fail(QStringLiteral("engine-trend"), QStringLiteral("no engine trend window opened"));
        return;
    }
    trend->resize(960, 560);
    camera_.take(*trend, QStringLiteral("engine-trend"));
    trend->close();
}

// The downloaded engine.
void FigureTour::fleetOverview()
{
    child<QAction>(*window_, "actionFleetOverview")->trigger();
    auto* fleet = window_->findChild<FleetOverviewWindow*>();
    if (!fleet) {
        camera_.fail(QStringLiteral("fleet-overview"), QStringLiteral("the fleet overview did not open"));
        return;
    }
    fleet->resize(1320, 150);
    camera_.take(*fleet, QStringLiteral("fleet-overview"));
    fleet->close();
}

void FigureTour::exportFlights()
{
    const QString target = world_.path() + QStringLiteral("/export");
    QDir().mkpath(target);
    prompts_.setChosenDirectory(target);
    dialogs_.expect(QStringLiteral("DataSelectionDialog"), [this](QDialog& dialog) { return selectFlights(dialog, {}); });
    exportProgressDelayMs() = 0;
    // Halfway through, at the same file on every run: the progress moves one file per step.
    QTimer watch;
    bool taken = false;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        auto* progress = window_->findChild<QProgressDialog*>();
        if (!taken && progress && progress->isVisible() && progress->value() >= progress->maximum() / 2) {
            taken = true;
            camera_.take(*progress, QStringLiteral("export-progress"));
        }
    });
    watch.start(0);
    prompts_.captureNextMessage(QStringLiteral("Export Data"),
                                [this](QWidget& box) { camera_.take(box, QStringLiteral("export-finished")); });
    child<QPushButton>(*window_, "buttonExport")->click();
    if (!taken)
        camera_.fail(QStringLiteral("export-progress"), QStringLiteral("the export showed no progress"));
}

void FigureTour::firmwareUpload()
{
    // A DSP software image of three packets.
    const QString file = world_.dataRoot() + QStringLiteral("/SW_uploads/614_207-000-203.dat");
    QFile image(file);
    if (image.open(QIODevice::WriteOnly)) {
        for (int word = 0; word < 3000; ++word)
            image.write(QByteArray::number(quint32(word) * 2654435761u) + '\n');
        image.close();
    }
    prompts_.setChosenFile(file);
    dialogs_.expect(QStringLiteral("FwUpdateDialog"), [this](QDialog& dialog) {
        auto& update = static_cast<FwUpdateDialog&>(dialog);
        child<QPushButton>(dialog, "buttonDspSwUpdateFile")->click();
        child<QPushButton>(dialog, "buttonDspSwUpdate")->click();
        if (!waitUntil([&] { return !update.upload().busy(); }, QStringLiteral("firmware-upload")))
            return int(QDialog::Rejected);
        showNominalRate(child<QLabel>(dialog, "rateLabel"), QStringLiteral("^[0-9.]+ kB/s"),
                        QStringLiteral("96.0 kB/s"));
        camera_.take(dialog, QStringLiteral("firmware-upload"));
        return int(QDialog::Rejected);
    });
    child<QPushButton>(*window_, "buttonFwUpload")->click();
}
