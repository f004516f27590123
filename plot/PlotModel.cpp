#include "plot/PlotModel.h"

#include "core/AppIdentity.h"
#include "core/NumberFormat.h"
#include "core/Settings.h"
#include "flights/Spectrum.h"
#include "plot/FlightNames.h"

#include <algorithm>

namespace plot {

namespace {

const std::array<Parameter, kParameterCount> kParameters = {{
    {QStringLiteral("A4R (avg)"), QStringLiteral("A4R (Avg)"), -1, 0},
    {QStringLiteral("TR4R (avg)"), QStringLiteral("TR4R (Avg)"), -1, 1},
    {QStringLiteral("A4R (std dev)"), QStringLiteral("A4R (Std Dev)"), -1, -1},
    {QStringLiteral("TR4R (std dev)"), QStringLiteral("TR4R (Std Dev)"), -1, 2},
    {QStringLiteral("CN1 (avg)"), QStringLiteral("CN1 (Avg)"), -1, 3},
    {QStringLiteral("CN2 (avg)"), QStringLiteral("CN2 (Avg)"), -1, 4},
    {QStringLiteral("CDN (avg)"), QStringLiteral("CDN (Avg)"), -1, 5},
    {QStringLiteral("A4R"), QStringLiteral("A4R"), 0, -1},
    {QStringLiteral("TR4R"), QStringLiteral("TR4R"), 1, -1},
    {QStringLiteral("N1-4R (RPM)"), QStringLiteral("N1-4R (RPM)"), 2, -1},
    {QStringLiteral("N2-4R (RPM)"), QStringLiteral("N2-4R (RPM)"), 3, -1},
    {QStringLiteral("CN1"), QStringLiteral("CN1"), 4, -1},
    {QStringLiteral("CN2"), QStringLiteral("CN2"), 5, -1},
    {QStringLiteral("CDN"), QStringLiteral("CDN"), 6, -1},
    {QStringLiteral("A3B (avg)"), QStringLiteral("A3B (Avg)"), -1, 6},
    {QStringLiteral("TR3B (avg)"), QStringLiteral("TR3B (Avg)"), -1, 7},
    {QStringLiteral("A3B (std dev)"), QStringLiteral("A3B (Std Dev)"), -1, 8},
    {QStringLiteral("TR3B (std dev)"), QStringLiteral("TR3B (Std Dev)"), -1, 9},
    {QStringLiteral("A3B"), QStringLiteral("A3B"), 7, -1},
    {QStringLiteral("TR3B"), QStringLiteral("TR3B"), 8, -1},
    {QStringLiteral("N1-3B"), QStringLiteral("N1-3B"), 9, -1},
    {QStringLiteral("N2-3B"), QStringLiteral("N2-3B"), 10, -1},
    {QStringLiteral("Time History"), QStringLiteral("Inch/sec (uncompensated)"), -1, -1},
    {QStringLiteral("FFT"), QStringLiteral("G pk (compensated)"), -1, -1},
    {QStringLiteral("Stacked FFT"), QStringLiteral("Bin"), -1, -1},
}};

const std::array<QString, kTransientTypes> kTransientTypeTexts = {
    QStringLiteral("TOC (Top Of Climb)"), QStringLiteral("TOD (Top Of Descent)"),
    QStringLiteral("AOD (All Other Decels)"), QStringLiteral("AOA (All Other Accels)")};
const std::array<QString, kTransientTypes> kTransientTypeShort = {
    QStringLiteral("TOC"), QStringLiteral("TOD"), QStringLiteral("AOD"), QStringLiteral("AOA")};

bool inRange(int value, int count) { return value >= 0 && value < count; }

}  // namespace

const Parameter& parameter(int id) { return kParameters[inRange(id, kParameterCount) ? id : kDefaultParameter]; }

QString transientTypeText(int type) { return kTransientTypeTexts[inRange(type, kTransientTypes) ? type : 0]; }

QString fftWindowName(int windowType)
{
    switch (windowType) {
    case FftWindowHanning: return QStringLiteral("Hanning");
    case FftWindowHamming: return QStringLiteral("Hamming");
    default: return QStringLiteral("None");
    }
}

}  // namespace plot

using namespace plot;

namespace {

// Footers of the transient summary plots of the 4R parameters; the 3B ones show the transient type.
QString summaryFooter(int id)
{
    switch (id) {
    case 0: return QStringLiteral("A4R (Avg)");
    case 1: return QStringLiteral("TR4R (Avg)");
    case 3: return QStringLiteral("TR4R (Dev)");
    case 4: return QStringLiteral("CN1 (Avg)");
    case 5: return QStringLiteral("CN2 (Avg)");
    case 6: return QStringLiteral("CDN (Avg)");
    default: return {};
    }
}

bool allZero(const qint16* samples)
{
    return std::all_of(samples, samples + sampling::kSamples, [](qint16 sample) { return sample == 0; });
}

}  // namespace

PlotModel::PlotModel(FlightRecordList flights, CorrectionTable corrections)
    : flights_(flights.mid(0, kMaxFlights)), corrections_(std::move(corrections))
{
    visible_.fill(true);
}

void PlotModel::loadSettings()
{
    mode_ = settings::integer(settings::Plot2D_PlotType);
    if (mode_ != SteadyState && mode_ != Transient)
        mode_ = SteadyState;
    parameter_ = settings::integer(settings::Plot2D_ParmType);
    if (!inRange(parameter_, kParameterCount) || (mode_ == Transient && parameter_ == kA4RStdDev))
        parameter_ = kDefaultParameter;
    transientType_ = settings::integer(settings::Plot2D_TransientBinType);
    if (!inRange(transientType_, kTransientTypes))
        transientType_ = 0;
    lastFlight_ = settings::integer(settings::Plot2D_LastFlight);
    lastSample_ = settings::integer(settings::Plot2D_LastSample);
    xGrid_ = settings::flag(settings::Plot2D_XGrid);
    yGrid_ = settings::flag(settings::Plot2D_YGrid);
    setFftWindow(settings::integer(settings::Plot2D_FFT_WINDOW_TYPE));
    memoryType_ = settings::integer(settings::Plot2D_MemType);
    yAxisLog_ = settings::flag(settings::Plot2D_YAxisLog);
}

void PlotModel::saveSettings() const
{
    settings::setValue(settings::Plot2D_XGrid, xGrid_);
    settings::setValue(settings::Plot2D_YGrid, yGrid_);
    settings::setValue(settings::Plot2D_LastFlight, lastFlight_);
    settings::setValue(settings::Plot2D_LastSample, lastSample_);
    settings::setValue(settings::Plot2D_ParmType, parameter_);
    settings::setValue(settings::Plot2D_FFT_WINDOW_TYPE, fftWindow_);
    settings::setValue(settings::Plot2D_PlotType, mode_);
    settings::setValue(settings::Plot2D_TransientBinType, transientType_);
}

bool PlotModel::flightVisible(int index) const { return inRange(index, kMaxFlights) && visible_[index]; }

void PlotModel::setMode(int mode)
{
    if (mode == SteadyState || mode == Transient)
        mode_ = mode;
}

void PlotModel::setParameter(int id)
{
    if (inRange(id, kParameterCount))
        parameter_ = id;
}

void PlotModel::setTransientType(int type)
{
    if (inRange(type, kTransientTypes))
        transientType_ = type;
}

void PlotModel::chooseBin(int id)
{
    if (!isStacked()) {
        lastSample_ = id;
    } else if (inRange(id, int(flights_.size()))) {
        stackedIndex_ = id;
        lastFlight_ = flights_[id]->flightNumber;
    }
}

// The flight chosen for the stacked spectrum: the one picked by its button, else
// the first with the stored number; -1 when none has it.
int PlotModel::stackedFlightIndex() const
{
    if (inRange(stackedIndex_, int(flights_.size())) && flights_[stackedIndex_]->flightNumber == lastFlight_)
        return stackedIndex_;
    const auto match = std::find_if(flights_.begin(), flights_.end(),
                                    [&](const auto& flight) { return flight->flightNumber == lastFlight_; });
    return match == flights_.end() ? -1 : int(match - flights_.begin());
}

QString PlotModel::stackedFlightText() const
{
    const int index = stackedFlightIndex();
    return index < 0 ? QString::number(lastFlight_) : flightNumberText(flights_, index);
}

void PlotModel::setFftWindow(int windowType)
{
    // Any other type means no window; keep it that way in the settings too.
    fftWindow_ = windowType == FftWindowHanning || windowType == FftWindowHamming ? windowType : FftWindowNone;
}

void PlotModel::setYAxisLog(bool on)
{
    yAxisLog_ = on && parameter_ == kSpectrum;
    settings::setValue(settings::Plot2D_YAxisLog, yAxisLog_);
}

void PlotModel::setFlightVisible(int index, bool visible)
{
    if (inRange(index, kMaxFlights))
        visible_[index] = visible;
}

bool PlotModel::parameterEnabled(int id) const
{
    return inRange(id, kParameterCount) && (mode_ == SteadyState || id != kA4RStdDev);
}

bool PlotModel::transientBinMenuEnabled() const
{
    // The summary plots of the 4R parameters show all four types at once.
    const bool summaryOf4R = parameter_ <= 6 && parameter_ != kA4RStdDev;
    return mode_ == Transient && !summaryOf4R;
}

bool PlotModel::transientModeEnabled() const { return parameter_ != kA4RStdDev; }

BinButtons PlotModel::updateBinButtons()
{
    BinButtons state;
    for (int i = 0; i < kBinButtons; ++i)
        state.buttons[i] = {QString::number(i + 1), i, false};
    const bool transient = mode_ == Transient;
    const bool sampleChoice = parameter_ == kTimeHistory || parameter_ == kSpectrum;
    int wanted = -1;
    bool hasWanted = false;
    if (sampleChoice) {
        state.title = transient ? QStringLiteral("Time History #") : QStringLiteral("Bin #");
        for (int i = 0; i < (transient ? kEvents : kBins); ++i)
            state.buttons[i].enabled = true;
        wanted = lastSample_;
        hasWanted = true;
    } else if (isStacked()) {
        state.title = QStringLiteral("Flight #");
        // One button per flight, its id the list index: flights that share a
        // number stay apart.
        for (int f = 0; f < flights_.size(); ++f)
            state.buttons[f] = {flightNumberText(flights_, f), f, true};
        wanted = stackedFlightIndex();
        hasWanted = true;
    } else if (transient) {
        for (int i = 0; i < kEvents; ++i)
            state.buttons[i].enabled = true;
    }
    const auto match = std::find_if(state.buttons.begin(), state.buttons.end(),
                                    [&](const BinButton& b) { return hasWanted && b.enabled && b.id == wanted; });
    state.checked = match == state.buttons.end() ? 0 : int(match - state.buttons.begin());
    state.groupEnabled = hasWanted;
    if (hasWanted && match == state.buttons.end())
        chooseBin(state.buttons[0].id);
    return state;
}

QString PlotModel::windowTitle() const
{
    const QString viewer = mode_ == SteadyState ? QStringLiteral("Steady-State Data Viewer")
                                                : QStringLiteral("Transient Data Viewer");
    QString title = QStringLiteral("%1 %2 - %3").arg(app::kShortTitle, app::versionString(), viewer);
    if (flights_.isEmpty())
        return title;
    // Which aircraft, engine and flights, so that several plot windows stay apart.
    QStringList numbers;
    for (const auto& flight : flights_)
        numbers << QString::number(flight->flightNumber);
    return title + QStringLiteral(" \u2013 ") + flights_.first()->registration + QStringLiteral(" / Engine ")
           + QString::number(flights_.first()->enginePosition) + QStringLiteral(" / Flights ")
           + numbers.join(QStringLiteral(", "));
}

QStringList PlotModel::headerLines() const
{
    const bool spectra = isStacked();
    QString kind;
    if (mode_ == SteadyState)
        kind = spectra ? QStringLiteral("Steady State Frequency Spectra: ") : QStringLiteral("Steady State Data: ");
    else
        kind = spectra ? QStringLiteral("Transient Frequency Spectra: ") : QStringLiteral("Transient Data: ");
    QString registration;
    qint32 engine = 0;
    if (!flights_.isEmpty()) {
        registration = flights_.first()->registration;
        engine = flights_.first()->enginePosition;
    }
    QStringList lines{kind + QStringLiteral("Aircraft ") + registration + QStringLiteral(" / Engine ")
                          + QString::number(engine),
                      memoryType_ == 1 ? QStringLiteral("Post-Defect") : QStringLiteral("Pre-Defect")};
    if (parameter_ == kSpectrum || parameter_ == kStackedSpectrum)
        lines << QStringLiteral("Window: %1").arg(fftWindowName(fftWindow_));
    return lines;
}

QString PlotModel::timeHistoryFooter() const
{
    if (mode_ == SteadyState)
        return QStringLiteral("Bin #%1").arg(lastSample_ + 1);
    return QStringLiteral("Time History #%1: (%2)").arg(lastSample_ + 1).arg(kTransientTypeShort[transientType_]);
}

QStringList PlotModel::footerLines() const
{
    if (parameter_ == kTimeHistory || parameter_ == kSpectrum)
        return {timeHistoryFooter()};
    if (mode_ == SteadyState)
        return isStacked() ? QStringList{QStringLiteral("Flight # ") + stackedFlightText()} : QStringList{};
    const QString summary = summaryFooter(parameter_);
    return {summary.isEmpty() ? transientTypeText(transientType_) : summary};
}

void PlotModel::setXValues(PlotData& data, int points) const
{
    data.x.resize(points);
    for (int i = 0; i < points; ++i) {
        if (parameter_ == kTimeHistory)
            data.x[i] = i * sampling::kSamplePeriodMs;
        else if (parameter_ == kSpectrum || parameter_ == kStackedSpectrum)
            data.x[i] = i * sampling::kBinSpacingHz;
        else
            data.x[i] = i + 1;
    }
}

std::vector<std::vector<double>> PlotModel::seriesPerFlight(int points) const
{
    return std::vector<std::vector<double>>(flights_.size(), std::vector<double>(points, 0.0));
}

void PlotModel::buildParameters(PlotData& data) const
{
    const bool transient = mode_ == Transient;
    const int row = transient ? parameter(parameter_).transientRow : parameter_;
    const int points = transient ? kEvents : kBins;
    data.xTitle = transient ? QStringLiteral("Time History Number") : QStringLiteral("Bin #");
    data.integerX = true;
    setXValues(data, points);
    data.y = seriesPerFlight(points);
    for (int f = 0; f < flights_.size(); ++f) {
        const FlightBlock& block = flights_[f]->block;
        for (int i = 0; i < points && row >= 0; ++i)
            data.y[f][i] = transient ? block.transientParameters[row][transientType_][i] : block.steadyParameters[row][i];
    }
}

void PlotModel::buildTransientSummary(PlotData& data) const
{
    const int row = parameter(parameter_).summaryRow;
    setXValues(data, kTransientTypes);
    data.y = seriesPerFlight(kTransientTypes);
    for (int f = 0; f < flights_.size(); ++f) {
        for (int type = 0; type < kTransientTypes; ++type)
            data.y[f][type] = flights_[f]->block.captureAverages[row][type];
    }
    for (int type = 0; type < kTransientTypes; ++type)
        data.xLabels.append({type + 1.0, kTransientTypeShort[type]});
}

const qint16* PlotModel::selectedSamples(const FlightRecord& flight) const
{
    if (mode_ == SteadyState)
        return inRange(lastSample_, kBins) ? flight.block.steadySamples[lastSample_] : nullptr;
    return inRange(lastSample_, kEvents) ? flight.block.transientSamples[transientType_][lastSample_] : nullptr;
}

void PlotModel::buildTimeHistories(PlotData& data) const
{
    data.style = SeriesStyle::Lines;
    data.xTitle = QStringLiteral("Time History (ms)");
    setXValues(data, sampling::kSamples);
    data.y = seriesPerFlight(sampling::kSamples);
    for (int f = 0; f < flights_.size(); ++f) {
        if (const qint16* samples = selectedSamples(*flights_[f]))
            data.y[f] = timeHistory(samples);
    }
}

// The plot spectrum of 2048 counts; none for a capture that was never recorded.
std::vector<double> PlotModel::spectrumOf(const qint16* samples) const
{
    if (!samples || allZero(samples))
        return std::vector<double>(sampling::kBins, 0.0);
    return plotSpectrum(timeHistory(samples).data(), fftWindow_, corrections_);
}

void PlotModel::buildSpectra(PlotData& data) const
{
    data.style = SeriesStyle::Lines;
    data.xTitle = QStringLiteral("Frequency (Hz)");
    setXValues(data, sampling::kBins);
    // The Hanning window leaves a leak in line 1 of the steady-state spectra.
    const bool clearLine1 = mode_ == SteadyState && fftWindow_ == FftWindowHanning;
    data.y.clear();
    for (const auto& flight : flights_) {
        std::vector<double> spectrum = spectrumOf(selectedSamples(*flight));
        spectrum[0] = 0.0;
        if (clearLine1)
            spectrum[1] = 0.0;
        data.y.push_back(std::move(spectrum));
    }
    data.xRange = XRange{1000.0, 4500.0};
    data.yLog = yAxisLog_;
}

void PlotModel::buildStackedSpectra(PlotData& data) const
{
    data.style = SeriesStyle::Stacked;
    data.legend = false;
    data.xTitle = QStringLiteral("Frequency (Hz)");
    setXValues(data, sampling::kBins);
    const bool steady = mode_ == SteadyState;
    const bool clearLine1 = steady && fftWindow_ == FftWindowHanning;
    const int index = stackedFlightIndex();
    const FlightRecord* flight = index < 0 ? nullptr : flights_[index].get();
    const int count = steady ? kBins : kEvents;
    for (int s = 0; s < count; ++s) {
        const qint16* samples = nullptr;
        if (flight)
            samples = steady ? flight->block.steadySamples[s] : flight->block.transientSamples[transientType_][s];
        std::vector<double> spectrum = spectrumOf(samples);
        const double offset = s + 1;
        for (double& value : spectrum)
            value += offset;
        spectrum[0] = offset;
        if (clearLine1)
            spectrum[1] = offset;
        data.y.push_back(std::move(spectrum));
        data.visible.push_back(samples && !allZero(samples));
        data.seriesNames << (steady ? QStringLiteral("Bin #%1") : QStringLiteral("Time History #%1")).arg(s + 1);
    }
    data.xRange = XRange{1000.0, 4500.0};
}

PlotData PlotModel::build() const
{
    PlotData data;
    data.yTitle = parameter(parameter_).axisTitle;
    data.header = headerLines();
    data.footer = footerLines();
    if (parameter_ == kTimeHistory)
        buildTimeHistories(data);
    else if (parameter_ == kSpectrum)
        buildSpectra(data);
    else if (isStacked())
        buildStackedSpectra(data);
    else if (mode_ == Transient && parameter(parameter_).summaryRow >= 0)
        buildTransientSummary(data);
    else
        buildParameters(data);
    if (!isStacked()) {
        for (int f = 0; f < flights_.size(); ++f) {
            data.seriesNames << flightName(flights_, f);
            data.visible.push_back(visible_[f]);
        }
    }
    if (const int unplottable = data.unplottableCount())
        data.footer << QString::number(unplottable) + QStringLiteral(" values not plotted (not finite or out of range)");
    return data;
}

Readout PlotModel::readout(const PlotData& data, int series, int point) const
{
    const QString name = data.seriesNames.value(series);
    const double x = data.x[point];
    const double y = data.y[series][point];
    Readout result;
    result.negative = y < 0.0;
    switch (parameter_) {
    case kSpectrum:
        result.text = QStringLiteral("%1   %2 (FFTbin)   %3 (Hz)   %4 (G pk)")
                          .arg(name, QString::number(point), formatG(x), formatG(y));
        break;
    case kStackedSpectrum: result.text = QStringLiteral("Frequency   %1 (Hz)").arg(formatG(x)); break;
    case kTimeHistory:
        result.text = QStringLiteral("%1   X = %2 (ms)   Y = %3 (Volt)").arg(name, formatG(x), formatG(y));
        break;
    default: result.text = QStringLiteral("%1   X = %2   Y = %3").arg(name, formatG(x), formatG(y)); break;
    }
    return result;
}

QList<SpectrumPeak> PlotModel::peaks(const PlotData& data, XRange shown) const
{
    if (!spectrumToolsEnabled())
        return {};
    // Line 0, and line 1 of steady-state spectra under the Hanning window, are forced to 0.
    const int firstLine = mode_ == SteadyState && fftWindow_ == FftWindowHanning ? 2 : 1;
    return spectrumPeaks(data, shown, firstLine);
}

OrderMarks PlotModel::shaftOrderMarks(const PlotData& data) const
{
    if (!spectrumToolsEnabled())
        return {};
    const auto shown = std::find(data.visible.begin(), data.visible.end(), true);
    const int series = int(shown - data.visible.begin());
    if (shown == data.visible.end() || series >= flights_.size())
        return {};
    const ShaftSpeeds speeds = shaftSpeeds(flights_[series]->block, mode_ == Transient, transientType_, lastSample_);
    return {series, shaftOrders(speeds)};
}

QString PlotModel::deltaReadout(const PlotData& data, const CursorPair& cursors) const
{
    const double x1 = data.x[cursors.point1];
    const double x2 = data.x[cursors.point2];
    const double dx = x2 - x1;
    const double dy = data.y[cursors.series2][cursors.point2] - data.y[cursors.series1][cursors.point1];
    if (parameter_ != kSpectrum)
        return QStringLiteral("\u0394X = ") + formatG(dx) + QStringLiteral("   \u0394Y = ") + formatG(dy);
    QString text = QStringLiteral("\u0394X = ") + formatG(dx) + QStringLiteral(" (Hz)   \u0394Y = ") + formatG(dy)
                   + QStringLiteral(" (G pk)");
    if (x1 != 0.0)
        text += QStringLiteral("   f2/f1 = ") + formatG(x2 / x1);
    return text;
}

FlightStatus PlotModel::status(const FlightRecord& flight)
{
    const auto negative = [](float value) { return value < 0.0f; };
    const float* a4r = flight.block.steadyParameters[kDefaultParameter];
    const float* transient = &flight.block.transientParameters[0][0][0];
    constexpr int transientCount = int(sizeof flight.block.transientParameters / sizeof(float));
    return {flight.flightNumber, QString::number(flight.flightNumber), std::any_of(a4r, a4r + kBins, negative),
            std::any_of(transient, transient + transientCount, negative)};
}

QList<FlightStatus> PlotModel::dataStatus() const
{
    QList<FlightStatus> rows;
    for (int f = 0; f < flights_.size(); ++f) {
        rows << status(*flights_[f]);
        rows.last().numberText = flightNumberText(flights_, f);
    }
    return rows;
}

bool PlotModel::anySuspect() const
{
    const QList<FlightStatus> rows = dataStatus();
    return std::any_of(rows.begin(), rows.end(),
                       [](const FlightStatus& row) { return row.steadySuspect || row.transientSuspect; });
}
