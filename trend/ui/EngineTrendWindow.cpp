#include "trend/ui/EngineTrendWindow.h"
#include "ui_EngineTrendWindow.h"

#include "core/CheckedSaveFile.h"
#include "core/DataDirectories.h"
#include "core/MessageText.h"
#include "core/Prompts.h"
#include "core/Settings.h"
#include "plot/PlotModel.h"
#include "plot/ui/XYPlot.h"
#include "report/ui/EngineReportCommand.h"
#include "repository/FleetRead.h"
#include "repository/ui/RepositoryReader.h"
#include "trend/FleetOverview.h"
#include "trend/FlightIndex.h"
#include "trend/IndexUpdater.h"
#include "trend/TrendOutput.h"
#include "trend/ui/TrendChartStyle.h"

#include <QDateTime>
#include <QFileInfo>
#include <QMouseEvent>
#include <QTimeZone>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <ranges>
#include <utility>

namespace {

enum Series { PreDefect, PostDefect, AboveThreshold, ThresholdLine, SeriesCount };

using namespace trend_style;
const QColor kBoundaryColor(0x90, 0x90, 0x90);
const QColor kReadoutColor(0xff, 0xff, 0xe0);
constexpr int kTimeTicks = 6;

QString withoutAccessKey(QString text) { return text.remove(QLatin1Char('&')); }

QString aircraftText(const QString& registration, qint32 position)
{
    return registration + QLatin1Char('/') + QString::number(position);
}

}  // namespace

EngineTrendWindow::EngineTrendWindow(QWidget* parent, const QString& dataRoot, const QString& databasePath)
    : QMainWindow(parent), ui_(std::make_unique<Ui::EngineTrendWindowClass>()),
      index_(std::make_unique<FlightIndex>(databasePath)), reader_(new RepositoryReader(this))
{
    ui_->setupUi(this);
    placeChart();
    fillChoices();
    refreshIndex(dataRoot, databasePath);
    connectCommands();
    engineChosen();
}

EngineTrendWindow::~EngineTrendWindow() = default;

// The one place the window brings the index up to date: it lists the engines anew.
void EngineTrendWindow::refreshIndex(const QString& dataRoot, const QString& databasePath)
{
    QString failure = index_->openFailure();
    if (failure.isEmpty()) {
        const IndexChanges changes = IndexUpdater::updateWhileLive(dataRoot, databasePath);
        failure = changes.failure;
        if (failure.isEmpty() && !changes.refused.isEmpty())
            failure = QString::number(changes.refused.size()) + QStringLiteral(" raw file(s) could not be read and are left out");
    }
    QString listFailure;
    listEngines(trend::fleetOverview(index_->flights({}, &listFailure)));
    if (failure.isEmpty())
        failure = listFailure;
    if (!failure.isEmpty())
        statusBar()->showMessage(failure);
}

// Fills the engine list anew without drawing: the caller chooses the engine.
void EngineTrendWindow::listEngines(QList<trend::FleetRow> engines)
{
    const QSignalBlocker quiet(ui_->engineCombo);
    ui_->engineCombo->clear();
    std::sort(engines.begin(), engines.end(), [](const auto& a, const auto& b) { return a.engine < b.engine; });
    for (const trend::FleetRow& engine : engines) {
        const QString text = trend::engineText(engine) + QStringLiteral("  (") + aircraftText(engine.registration, engine.enginePosition)
                             + QStringLiteral(", ") + QString::number(engine.flights) + QStringLiteral(" flights)");
        ui_->engineCombo->addItem(text, engine.engine);
    }
}

bool EngineTrendWindow::fromRepository() const { return ui_->sourceCombo->currentIndex() == 1; }

// The engine shown stays chosen when the other source knows it too. From the
// repository only the engines are listed; the chosen one's flights are read
// when it is chosen.
void EngineTrendWindow::sourceChosen()
{
    if (!fromRepository()) {
        showSource(trend::fleetOverview(index_->flights({})), {});
        return;
    }
    readingStarted(QStringLiteral("Reading the fleet repository's engines..."));
    reader_->read<repository::OverviewRead>(&repository::readEngines, [this](const repository::OverviewRead& read) {
        ui_->sourceCombo->setEnabled(true);
        showSource(read.rows, read.failure);
    });
}

void EngineTrendWindow::showSource(const QList<trend::FleetRow>& engines, const QString& failure)
{
    const QString engine = wantedEngine_.isEmpty() ? ui_->engineCombo->currentData().toString()
                                                   : std::exchange(wantedEngine_, QString());
    listEngines(engines);
    ui_->engineCombo->setCurrentIndex(qMax(0, ui_->engineCombo->findData(engine)));
    showFailure(failure);
    engineChosen();
}

// The source is not changed while the repository is read.
void EngineTrendWindow::readingStarted(const QString& what)
{
    ui_->sourceCombo->setEnabled(false);
    statusBar()->showMessage(what);
}

void EngineTrendWindow::showFailure(const QString& failure)
{
    if (failure.isEmpty())
        statusBar()->clearMessage();
    else
        statusBar()->showMessage(failure);
}

void EngineTrendWindow::fillChoices()
{
    for (int id = 0; id < trend::kParameters; ++id)
        ui_->parameterCombo->addItem(withoutAccessKey(plot::parameter(id).menuEntry), id);
    ui_->parameterCombo->setCurrentIndex(trend::kDefaultParameter);
    ui_->binCombo->addItem(QStringLiteral("highest bin"), trend::kHighestBin);
    for (int bin = 1; bin <= trend::kBins; ++bin)
        ui_->binCombo->addItem(QString::number(bin), bin);
    ui_->memoryCombo->addItem(QStringLiteral("all"), int(trend::Memory::All));
    ui_->memoryCombo->addItem(QStringLiteral("pre-defect"), int(trend::Memory::Pre));
    ui_->memoryCombo->addItem(QStringLiteral("post-defect"), int(trend::Memory::Post));
    showThreshold();
}

void EngineTrendWindow::placeChart()
{
    chart_ = new XYPlot(ui_->chartWidget);
    auto* layout = new QVBoxLayout(ui_->chartWidget);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(chart_);
    chart_->setHoverReadout(true);
    chart_->setYGrid(true);
    chart_->setAnnotationLabelStrip(kAlarmLabelRows);
    chart_->canvas()->installEventFilter(this);
}

void EngineTrendWindow::connectCommands()
{
    const auto comboChanged = qOverload<int>(&QComboBox::currentIndexChanged);
    connect(ui_->sourceCombo, comboChanged, this, &EngineTrendWindow::sourceChosen);
    connect(ui_->engineCombo, comboChanged, this, &EngineTrendWindow::engineChosen);
    connect(ui_->parameterCombo, comboChanged, this, [this] {
        showThreshold();
        redrawTrend();
    });
    connect(ui_->binCombo, comboChanged, this, &EngineTrendWindow::redrawTrend);
    connect(ui_->memoryCombo, comboChanged, this, &EngineTrendWindow::redrawTrend);
    connect(ui_->sequenceCheck, &QCheckBox::toggled, this, &EngineTrendWindow::redrawTrend);
    connect(ui_->thresholdEdit, &QLineEdit::editingFinished, this, &EngineTrendWindow::storeThreshold);
    connect(chart_, &XYPlot::mouseHover, this, &EngineTrendWindow::hover);
    connect(chart_, &XYPlot::mouseMove, this, &EngineTrendWindow::hover);
    connect(ui_->actionSaveImage, &QAction::triggered, chart_, &XYPlot::saveAs);
    connect(ui_->actionPrint, &QAction::triggered, chart_, &XYPlot::print);
    connect(ui_->actionEngineReport, &QAction::triggered, this, &EngineTrendWindow::writeEngineReport);
    connect(ui_->actionSaveCsv, &QAction::triggered, this, &EngineTrendWindow::saveCsvAs);
    connect(ui_->actionClose, &QAction::triggered, this, &QWidget::close);
}

trend::TrendChoice EngineTrendWindow::choice() const
{
    trend::TrendChoice result;
    result.parameter = ui_->parameterCombo->currentData().toInt();
    result.bin = ui_->binCombo->currentData().toInt();
    result.memory = trend::Memory(ui_->memoryCombo->currentData().toInt());
    return result;
}

std::optional<double> EngineTrendWindow::threshold() const
{
    bool ok = false;
    const double value = ui_->thresholdEdit->text().trimmed().toDouble(&ok);
    return ok && std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

void EngineTrendWindow::showThreshold()
{
    ui_->thresholdEdit->setText(settings::text(settings::TrendThreshold(choice().parameter)));
}

void EngineTrendWindow::storeThreshold()
{
    const std::optional<double> value = threshold();
    settings::setValue(settings::TrendThreshold(choice().parameter), value ? QString::number(*value, 'g', 9) : QString());
    if (!value)
        ui_->thresholdEdit->clear();
    redrawTrend();
}

void EngineTrendWindow::engineChosen()
{
    QString failure;
    const QString engine = ui_->engineCombo->currentData().toString();
    // An empty key would ask for every engine's flights.
    if (engine.isEmpty()) {
        flights_.clear();
    } else if (fromRepository()) {
        readEngineFlights(engine);
        return;
    } else {
        flights_ = index_->flights(engine, &failure);
    }
    if (!failure.isEmpty())
        statusBar()->showMessage(failure);
    redrawTrend();
}

// Another engine chosen meanwhile wins: the reader hands on the latest read only.
void EngineTrendWindow::readEngineFlights(const QString& engine)
{
    flights_.clear();
    redrawTrend();  // the engine shown before is not this one
    readingStarted(QStringLiteral("Reading the engine's flights from the fleet repository..."));
    reader_->read<repository::EngineFlightsRead>(
        [engine](const QString& conninfo) { return repository::readEngineFlights(conninfo, engine); },
        [this](const repository::EngineFlightsRead& read) {
            ui_->sourceCombo->setEnabled(true);
            flights_ = read.flights;
            showFailure(read.failure);
            redrawTrend();
        });
}

void EngineTrendWindow::redrawTrend()
{
    QList<const IndexedFlight*> engineFlights;
    for (const IndexedFlight& flight : flights_)
        engineFlights.append(&flight);
    series_ = trend::trendOf(engineFlights, choice());

    bool sequence = false;
    std::vector<double> x = xValues(&sequence);
    const std::optional<double> limit = threshold();
    const double nan = std::nan("");
    std::vector<std::vector<double>> y(SeriesCount, std::vector<double>(x.size(), nan));
    for (qsizetype i = 0; i < series_.points.size(); ++i) {
        const trend::TrendPoint& point = series_.points[i];
        y[point.memoryType == 0 ? PreDefect : PostDefect][i] = point.value;
        if (limit && std::isfinite(point.value) && point.value > *limit)
            y[AboveThreshold][i] = point.value;
        if (limit)
            y[ThresholdLine][i] = *limit;
    }

    RedrawSuspension once(*chart_);
    chart_->hideReadout();
    chart_->hideMarkers();
    chart_->setData(x, std::move(y));
    chart_->setSeriesNames({QStringLiteral("Pre-defect"), QStringLiteral("Post-defect"), QStringLiteral("Above threshold"),
                            QStringLiteral("Threshold")});
    chart_->setSeriesStyle(PreDefect, {kPreColor, Qt::SolidLine, XYPlot::Marker::Disc});
    chart_->setSeriesStyle(PostDefect, {kPostColor, Qt::SolidLine, XYPlot::Marker::Triangle});
    chart_->setSeriesStyle(AboveThreshold, {kThresholdColor, Qt::NoPen, XYPlot::Marker::Square});
    chart_->setSeriesStyle(ThresholdLine, {kThresholdColor, Qt::DashLine, XYPlot::Marker::None});
    chart_->setSeriesSpansXAxis(ThresholdLine, true);
    chart_->setSeriesVisible(ThresholdLine, limit.has_value());
    chart_->setSeriesVisible(AboveThreshold, limit.has_value());
    const QString parameterName = ui_->parameterCombo->currentText();
    chart_->setAxisTitles(sequence ? QStringLiteral("Flight sequence") : QStringLiteral("End of flight (UTC)"),
                          plot::parameter(choice().parameter).axisTitle);
    chart_->setHeaderLines({QStringLiteral("Engine ") + ui_->engineCombo->currentData().toString() + QStringLiteral(": ")
                            + parameterName + QStringLiteral(", ") + binText() + QStringLiteral(", ")
                            + ui_->memoryCombo->currentText() + QStringLiteral(" flights")});
    chart_->setIntegerXTicks(sequence);
    if (sequence)
        chart_->setXValueLabels({});
    else
        setTimeTicks(x);
    markDownloadsAndAlarms(x);
    chart_->setDefaultXRange(std::nullopt);
    chart_->resetView();
}

QString EngineTrendWindow::binText() const
{
    return choice().bin == trend::kHighestBin ? ui_->binCombo->currentText()
                                              : QStringLiteral("bin ") + ui_->binCombo->currentText();
}

// Flight end in seconds since 1970, or the flight sequence when asked for,
// when a flight's date cannot be a time (the words as stored, not clamped) or
// when every flight ended at the same minute (a unit whose clock was never set).
std::vector<double> EngineTrendWindow::xValues(bool* sequence) const
{
    std::vector<double> x;
    *sequence = ui_->sequenceCheck->isChecked();
    for (const trend::TrendPoint& point : series_.points) {
        const QDateTime end = QDateTime::fromString(point.flightEndUtc, Qt::ISODate);
        if (!end.isValid())
            *sequence = true;
        x.push_back(*sequence ? point.sequence : double(end.toSecsSinceEpoch()));
    }
    if (x.size() > 1 && std::all_of(x.begin(), x.end(), [&](double at) { return at == x.front(); }))
        *sequence = true;
    if (*sequence) {
        for (qsizetype i = 0; i < series_.points.size(); ++i)
            x[i] = series_.points[i].sequence;
    }
    return x;
}

void EngineTrendWindow::setTimeTicks(const std::vector<double>& x)
{
    if (x.empty()) {
        chart_->setXValueLabels({});
        return;
    }
    const auto [low, high] = std::minmax_element(x.begin(), x.end());
    const bool days = *high - *low > 2 * 86400.0;
    const QString format = days ? QStringLiteral("yyyy-MM-dd") : QStringLiteral("yyyy-MM-dd HH:mm");
    QList<std::pair<double, QString>> labels;
    const int steps = *high > *low ? kTimeTicks : 0;
    for (int i = 0; i <= steps; ++i) {
        const double at = *low + (*high - *low) * i / std::max(steps, 1);
        labels.append(std::pair<double, QString>(at, QDateTime::fromSecsSinceEpoch(qint64(at), QTimeZone::utc()).toString(format)));
    }
    chart_->setXValueLabels(labels);
}

void EngineTrendWindow::markDownloadsAndAlarms(const std::vector<double>& x)
{
    QList<Annotation> marks;
    // The latest change first: where labels crowd, the engine's present state keeps its label.
    for (const trend::AlarmChange& change : std::views::reverse(series_.alarmChanges))
        marks.append({Annotation::Kind::Frequency, x[change.point], 0.0, change.label(), kAlarmColor});
    for (int boundary : series_.downloadBoundaries)
        marks.append({Annotation::Kind::Frequency, x[boundary], 0.0, QString(), kBoundaryColor});
    chart_->setAnnotations(marks);
}


bool EngineTrendWindow::showEngine(const QString& engineKey)
{
    const int index = ui_->engineCombo->findData(engineKey);
    if (index >= 0)
        ui_->engineCombo->setCurrentIndex(index);
    return index >= 0;
}

void EngineTrendWindow::showRepositoryEngine(const QString& engineKey)
{
    wantedEngine_ = engineKey;
    const QSignalBlocker quiet(ui_->sourceCombo);
    ui_->sourceCombo->setCurrentIndex(1);
    sourceChosen();
}

QList<int> EngineTrendWindow::pointsAboveThreshold() const
{
    QList<int> above;
    if (chart_->seriesVisible(AboveThreshold)) {
        const std::vector<double>& values = chart_->yValues(AboveThreshold);
        for (int i = 0; i < int(values.size()); ++i) {
            if (!std::isnan(values[i]))
                above.append(i);
        }
    }
    return above;
}

int EngineTrendWindow::flightAt(QPoint position) const
{
    const XYPlot::Pick pick = chart_->pick(position);
    if (pick.series < 0 || pick.series == ThresholdLine || !pick.pointInPlotArea)
        return -1;
    return pick.point;
}

QString EngineTrendWindow::pointText(int point) const
{
    const trend::TrendPoint& p = series_.points.at(point);
    return QStringLiteral("Flight ") + QString::number(p.flightNumber) + QLatin1Char('\n') + p.flightEndUtc
           + QLatin1Char('\n') + aircraftText(p.registration, p.enginePosition) + QStringLiteral(", ")
           + (p.memoryType == 0 ? QStringLiteral("pre-defect") : QStringLiteral("post-defect"))
           + QStringLiteral("\nValue ") + trend::valueText(p.value) + QLatin1Char('\n') + QFileInfo(p.rawPath).fileName()
           + alarmChangeText(point);
}

QString EngineTrendWindow::alarmChangeText(int point) const
{
    QString text;
    for (const trend::AlarmChange& change : series_.alarmChanges) {
        if (change.point == point) {
            for (const trend::AlarmStateChange& state : change.states)
                text += QLatin1Char('\n') + state.text();
        }
    }
    return text;
}

void EngineTrendWindow::hover(QPoint position)
{
    const int point = flightAt(position);
    RedrawSuspension once(*chart_);
    if (point < 0) {
        chart_->hideReadout();
        chart_->hideMarkers();
        return;
    }
    chart_->showReadout(pointText(point), kReadoutColor);
    chart_->showMarkers(chart_->pick(position).series, point);
}

bool EngineTrendWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == chart_->canvas() && event->type() == QEvent::MouseButtonDblClick) {
        const int point = flightAt(static_cast<QMouseEvent*>(event)->position().toPoint());
        if (point >= 0 && fromRepository()) {
            tellToFetch(QStringLiteral("A flight of the fleet repository opens in the plot window"));
            return true;
        }
        if (point >= 0) {
            emit flightRequested(series_.points[point].rawPath, series_.points[point].slot);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

QString EngineTrendWindow::saveCsv(const QString& path) const
{
    CheckedSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    file.write(trend::trendCsv(series_));
    return file.commitWhole();
}

void EngineTrendWindow::saveCsvAs()
{
    const QString path = prompts().saveFileName(this, QStringLiteral("Save CSV"), dataDirPath(),
                                                QStringLiteral("CSV files (*.csv)"));
    if (path.isEmpty())
        return;
    if (const QString failure = saveCsv(path); !failure.isEmpty())
        prompts().warning(this, QStringLiteral("Save CSV"),
                          QStringLiteral("Cannot save ") + messageText(path) + QStringLiteral(": ") + failure);
}

// Of the engine's latest download.
void EngineTrendWindow::writeEngineReport()
{
    const IndexedFlight* latest = nullptr;
    for (const IndexedFlight& flight : flights_) {
        if (!latest || trend::downloadedAfter(flight, *latest))
            latest = &flight;
    }
    if (latest && fromRepository())
        tellToFetch(QStringLiteral("The engine report of a download in the fleet repository is written"));
    else if (latest)
        EngineReportCommand::run(this, latest->rawPath);
}

// The repository's flights name no file on this station to read from.
void EngineTrendWindow::tellToFetch(const QString& what)
{
    statusBar()->showMessage(what + QStringLiteral(" once fetched: tolm-cli fetch --esn ")
                             + ui_->engineCombo->currentData().toString());
}
