#pragma once
// The plot window's logic without the window: which plot the technician has
// chosen (mode, parameter, transient type, sample, flight, FFT window), what
// the menus and bin buttons allow, the data, texts and readouts of each plot,
// and the Plot2D_* settings that carry the choices from one window to the next.

#include "flights/CorrectionTable.h"
#include "flights/FlightRecord.h"
#include "plot/PeakFinder.h"
#include "plot/PlotData.h"
#include "plot/ShaftOrders.h"

#include <QString>
#include <array>
#include <vector>

namespace plot {

enum Mode { SteadyState = 0, Transient = 1 };

constexpr int kParameterCount = 25;
constexpr int kDefaultParameter = 7;  // "A4R"
constexpr int kA4RStdDev = 2;         // has no transient values
constexpr int kTimeHistory = 22;
constexpr int kSpectrum = 23;
constexpr int kStackedSpectrum = 24;

constexpr int kTransientTypes = 4;  // TOC, TOD, AOD, AOA
constexpr int kEvents = 10;         // transient captures per type
constexpr int kBins = 26;           // steady-state speed bins
constexpr int kBinButtons = 26;
constexpr int kMaxFlights = 10;

struct Parameter {
    QString menuEntry;
    QString axisTitle;
    int transientRow = -1;  // row of the transient parameters; -1: none
    int summaryRow = -1;    // row of the transient summary; -1: none
};

// Ids 0..24, in menu order.
const Parameter& parameter(int id);
// "TOC (Top Of Climb)" and the three others; the same texts serve as footers.
QString transientTypeText(int type);
// "None", "Hanning", "Hamming"; any other type reads as "None".
QString fftWindowName(int windowType);

}  // namespace plot

struct BinButton {
    QString text;
    int id = 0;
    bool enabled = false;
};

// The "Bin #" group: its title, its 26 buttons, the one to check.
struct BinButtons {
    QString title;
    std::array<BinButton, plot::kBinButtons> buttons;
    int checked = 0;  // index of the button to check
    bool groupEnabled = false;
};

// The cursor readout of one point.
struct Readout {
    QString text;
    bool negative = false;  // the point's value is below zero
};

// Two points picked on the chart: series and point index of each.
struct CursorPair {
    int series1 = 0;
    int point1 = 0;
    int series2 = 0;
    int point2 = 0;
};

// The shaft orders marked on a spectrum and the series whose speeds they come from.
struct OrderMarks {
    int series = -1;  // -1: none shown
    QList<ShaftOrder> orders;
};

// Whether a flight's values are plausible: none of the steady-state A4R
// values and none of the transient parameters may be negative.
struct FlightStatus {
    qint32 flightNumber = 0;
    QString numberText;  // the flight as the plot names it, without "Flight "
    bool steadySuspect = false;
    bool transientSuspect = false;
};

class PlotModel {
public:
    // The flights in selection order (at most 10 are used); the correction
    // table of this window's spectra.
    PlotModel(FlightRecordList flights, CorrectionTable corrections);

    // Reads the Plot2D_* choices; a stored value out of its range reads as the default.
    void loadSettings();
    // Stores the choices a window keeps when it closes (not the log axis, stored
    // when it changes, nor the memory type, which the flight selection owns).
    void saveSettings() const;

    const FlightRecordList& flights() const { return flights_; }
    int mode() const { return mode_; }
    int parameterId() const { return parameter_; }
    int transientType() const { return transientType_; }
    int lastSample() const { return lastSample_; }
    int lastFlight() const { return lastFlight_; }
    int fftWindow() const { return fftWindow_; }
    bool xGrid() const { return xGrid_; }
    bool yGrid() const { return yGrid_; }
    bool yAxisLog() const { return yAxisLog_; }
    bool flightVisible(int index) const;
    bool isStacked() const { return parameter_ == plot::kStackedSpectrum; }

    void setMode(int mode);
    void setParameter(int id);
    void setTransientType(int type);
    // A bin button's id: the list index of a stacked spectrum's flight, else the sample.
    void chooseBin(int id);
    void setFftWindow(int windowType);
    void setXGrid(bool on) { xGrid_ = on; }
    void setYGrid(bool on) { yGrid_ = on; }
    // Logarithmic only for the spectrum; stored at once.
    void setYAxisLog(bool on);
    void setFlightVisible(int index, bool visible);
    // The memory type the header names; the flight selection's stored one otherwise.
    void setMemoryType(int type) { memoryType_ = type; }

    bool parameterEnabled(int id) const;
    bool transientBinMenuEnabled() const;
    bool transientModeEnabled() const;

    // The bin buttons for the current plot. Picks the first button when the
    // stored sample or flight has none, and stores that choice.
    BinButtons updateBinButtons();

    QString windowTitle() const;
    // The stacked spectrum's flight as the plot names it, without "Flight ".
    QString stackedFlightText() const;
    // Every series, point and text of the current plot.
    PlotData build() const;
    // The readout of point `point` of series `series` in `data`.
    Readout readout(const PlotData& data, int series, int point) const;

    // The spectrum's tools: peaks and shaft orders.
    bool spectrumToolsEnabled() const { return parameter_ == plot::kSpectrum; }
    // The peaks of the shown flights of a spectrum within the X range shown; none for other plots.
    QList<SpectrumPeak> peaks(const PlotData& data, XRange shown) const;
    // The orders of the first shown flight's shaft speeds; none for other plots.
    OrderMarks shaftOrderMarks(const PlotData& data) const;
    // "ΔX = ...   ΔY = ..." from the first point to the second; on a spectrum also their frequency ratio.
    QString deltaReadout(const PlotData& data, const CursorPair& cursors) const;

    static FlightStatus status(const FlightRecord& flight);
    QList<FlightStatus> dataStatus() const;
    bool anySuspect() const;

private:
    int stackedFlightIndex() const;
    QStringList headerLines() const;
    QStringList footerLines() const;
    QString timeHistoryFooter() const;
    const qint16* selectedSamples(const FlightRecord& flight) const;
    std::vector<double> spectrumOf(const qint16* samples) const;
    void buildParameters(PlotData& data) const;
    void buildTransientSummary(PlotData& data) const;
    void buildTimeHistories(PlotData& data) const;
    void buildSpectra(PlotData& data) const;
    void buildStackedSpectra(PlotData& data) const;
    void setXValues(PlotData& data, int points) const;
    std::vector<std::vector<double>> seriesPerFlight(int points) const;

    FlightRecordList flights_;
    CorrectionTable corrections_;
    int mode_ = plot::SteadyState;
    int parameter_ = plot::kDefaultParameter;
    int transientType_ = 0;
    int lastSample_ = -1;
    int lastFlight_ = -1;       // the stacked spectrum's flight number, as stored
    int stackedIndex_ = -1;     // and which of the flights with that number
    int fftWindow_ = 0;
    bool xGrid_ = false;
    bool yGrid_ = false;
    bool yAxisLog_ = false;
    int memoryType_ = 0;
    std::array<bool, plot::kMaxFlights> visible_;
};
