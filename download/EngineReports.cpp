#include "download/EngineReports.h"

#include "core/CheckedSaveFile.h"
#include "core/NumberFormat.h"
#include "download/ReportHeader.h"

#include <QFileInfo>
#include <QTextStream>
#include <array>
#include <span>

namespace {

constexpr int kValueWidth = 16;    // every value of the steady-state and transient tables
constexpr int kCampbellWidth = 10;  // the value columns of the Campbell tables
constexpr int kProgressScale = 60;  // progress steps are counted out of 60

// Memory type 0 is pre-defect, 1 post-defect; each has its own section.
constexpr std::array<int, 2> kMemoryTypes = {0, 1};
const char* const kSectionNames[] = {"PrD", "PoD"};

const char* const kSteadyColumnLine =
    "Mem  Bin-#  Flt-#             A4R            TR4R             F4R           N1-4R           N2-4R"
    "             CN1             CN2             CDN             A3B            TR3B             F3B"
    "           N1-3B           N2-3B       A4R (Avg)      TR4R (Avg)   A4R (Std Dev)  TR4R (Std Dev)"
    "       CN1 (Avg)       CN2 (Avg)       CDN (Avg)       A3B (Avg)      TR3B (Avg)   A3B (Std Dev)"
    "  TR3B (Std Dev)";
const char* const kTransientColumnLine =
    "Mem  Type  Flt-#   Ts             A4R            TR4R             F4R           N1-4R           N2-4R"
    "             CN1             CN2             CDN             A3B            TR3B             F3B"
    "           N1-3B           N2-3B";

// Where the value columns of a table come from: parameter indices of the
// slot, with the two derived frequencies at their places.
constexpr int kF4R = -1;
constexpr int kF3B = -2;

struct ParameterTable {
    std::span<const int> columns;
    int n1_4R, n2_4R, tr4R, n2_3B, tr3B;  // inputs of the derived frequencies
};

constexpr int kSteadyColumns[] = {7,  8,  kF4R, 9, 10, 11, 12, 13, 18, 19, kF3B, 20,
                                  21, 0,  1,    2, 3,  4,  5,  6,  14, 15, 16,   17};
constexpr int kTransientColumns[] = {0, 1, kF4R, 2, 3, 4, 5, 6, 7, 8, kF3B, 9, 10};
constexpr ParameterTable kSteadyTable{kSteadyColumns, 9, 10, 8, 21, 19};
constexpr ParameterTable kTransientTable{kTransientColumns, 2, 3, 1, 10, 8};

// Capture averages in the columns of the transient table; -1 has no average.
constexpr int kAverageColumns[] = {0, 1, -1, -1, -1, 3, 4, 5, 6, 7, -1, -1, -1};

const char* const kCampbellSummaryTitles[] = {"CN1_4L", "CN2_4L", "CDN_4L", "FN1_4L", "FN2_4L", "FDN_4L"};
const char* const kCampbellBandTitles[] = {"BND", "A_4L", "F_4L", "K1_4L", "K2_4L"};
constexpr int kCampbellSummaryValues = 6;  // f0..f5 open every set
constexpr int kCampbellBandValues = 4;     // A, F, K1, K2 of each band

// The shaft-order frequencies: computed in double, reported in single precision.
float frequency4R(double n1, double n2, double tr) { return float((n2 - n1) / 60.0 * tr); }
float frequency3B(double n2, double tr) { return float(n2 / 60.0 * tr); }

// Writes the values right-aligned in columns of the given width.
template <typename T>
void cells(QTextStream& out, int width, std::initializer_list<T> values)
{
    out.setFieldWidth(width);
    for (const T& v : values)
        out << v;
    out.setFieldWidth(0);
}

void endLine(QTextStream& out) { out << '\n'; }

void writeDashLine(QTextStream& out)
{
    static const QString dashes = dashLine();
    out << dashes << '\n';
}

// The value columns of one table line; parameter(j) reads parameter j.
template <typename Parameter>
void writeParameters(QTextStream& out, const ParameterTable& table, Parameter parameter)
{
    out.setFieldWidth(kValueWidth);
    for (int column : table.columns) {
        if (column == kF4R)
            out << formatG(frequency4R(parameter(table.n1_4R), parameter(table.n2_4R), parameter(table.tr4R)));
        else if (column == kF3B)
            out << formatG(frequency3B(parameter(table.n2_3B), parameter(table.tr3B)));
        else
            out << formatG(parameter(column));
    }
    out.setFieldWidth(0);
    endLine(out);
}

template <typename Slot>
void forEachFlight(const EngineDataImage& image, Slot visit)
{
    for (int i = 0; i < engine::kSlotCount; ++i) {
        const FlightSlot slot = image.slot(i);
        if (slot.flightNumber() != 0)
            visit(slot);
    }
}

// The pre-defect section, then the post-defect one, each closed by the dash
// line. A section runs over its groups (bins or capture types) and, within a
// group, over the flights of the section's memory type in slot order. The
// progress is reported before each group of both sections.
template <typename Group>
void writeSections(QTextStream& out, const EngineDataImage& image, int groups,
                   const ProgressCallback& progress, Group writeGroup)
{
    int step = 0;
    for (int type : kMemoryTypes) {
        for (int group = 0; group < groups; ++group, ++step) {
            if (progress)
                progress(step * 100 / kProgressScale);
            forEachFlight(image, [&](const FlightSlot& slot) {
                if (slot.memoryType() == type)
                    writeGroup(kSectionNames[type], group, slot);
            });
        }
        writeDashLine(out);
    }
}

// Writes a whole report through one stream: the header with the flight list,
// then the body. Nothing appears under path unless all of it was written.
template <typename Body>
QString writeReport(const QString& path, const QString& openFailure, const ReportContext& context,
                    const EngineDataImage& image, Body writeBody)
{
    CheckedSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return openFailure.arg(path) + QStringLiteral(": ") + file.errorString();
    QTextStream out(&file);
    writeReportHeader(out, context, QFileInfo(path).fileName(), &image);
    writeBody(out);
    out.flush();  // the file notes what it did not take
    if (const QString reason = file.commitWhole(); !reason.isEmpty())
        return QStringLiteral("Cannot write '%1': %2").arg(path, reason);
    return {};
}

// The selector tells how many Campbell sets hold data.
int campbellSetCount(qint32 selector) { return selector == 0 ? 1 : selector == 1 ? 2 : engine::kCampbellSets; }

void writeCampbellPairs(QTextStream& out, const FlightSlot& slot)
{
    out << "Campbell Data Selector: " << quint32(slot.campbellSelector()) << '\n';
    writeDashLine(out);
    out << "Flt-#  Mem  Bnd";
    cells(out, kCampbellWidth, {"Fs", "Fw"});
    endLine(out);
    writeDashLine(out);
    const char* memory = slot.memoryType() == 0 ? "PRD" : "POD";
    for (int band = 0; band < engine::kCampbellBands; ++band) {
        cells(out, 5, {slot.flightNumber()});
        cells(out, 5, {memory});
        cells(out, 5, {band});
        cells(out, kCampbellWidth, {formatG(slot.campbellPair(band, 0)), formatG(slot.campbellPair(band, 1))});
        endLine(out);
    }
    writeDashLine(out);
}

void writeCampbellTitles(QTextStream& out, std::span<const char* const> titles)
{
    cells(out, 5, {"Flt-#", "Set"});
    out.setFieldWidth(kCampbellWidth);
    for (const char* title : titles)
        out << title;
    out.setFieldWidth(0);
    endLine(out);
}

void writeCampbellValues(QTextStream& out, const FlightSlot& slot, int set, int first, int count)
{
    out.setFieldWidth(kCampbellWidth);
    for (int v = first; v < first + count; ++v)
        out << formatG(slot.campbellValue(set, v));
    out.setFieldWidth(0);
    endLine(out);
}

void writeCampbellSets(QTextStream& out, const FlightSlot& slot)
{
    const int sets = campbellSetCount(slot.campbellSelector());
    writeCampbellTitles(out, kCampbellSummaryTitles);
    for (int set = 0; set < sets; ++set) {
        cells(out, 5, {slot.flightNumber(), set});
        writeCampbellValues(out, slot, set, 0, kCampbellSummaryValues);
    }
    writeDashLine(out);

    writeCampbellTitles(out, kCampbellBandTitles);
    for (int set = 0; set < sets; ++set) {
        for (int band = 0; band < engine::kCampbellBands; ++band) {
            cells(out, 5, {slot.flightNumber(), set});
            cells(out, kCampbellWidth, {band});
            writeCampbellValues(out, slot, set, kCampbellSummaryValues + kCampbellBandValues * band,
                                kCampbellBandValues);
        }
        writeDashLine(out);
    }
}

void writeSteadyStateLine(QTextStream& out, const char* memory, int bin, const FlightSlot& slot)
{
    out << memory;
    cells(out, 7, {bin + 1, slot.flightNumber()});
    writeParameters(out, kSteadyTable, [&](int j) { return slot.steadyParameter(bin, j); });
}

// Ten sample lines and the line of the capture averages.
void writeCapture(QTextStream& out, const char* memory, int capture, const FlightSlot& slot)
{
    const auto lineStart = [&] {
        out << memory;
        cells(out, 6, {engine::kCaptureNames[capture]});
        cells(out, 7, {slot.flightNumber()});
    };
    for (int sample = 0; sample < engine::kCaptureSamples; ++sample) {
        lineStart();
        cells(out, 5, {sample + 1});
        writeParameters(out, kTransientTable,
                        [&](int j) { return slot.transientParameter(capture, sample, j); });
    }
    lineStart();
    cells(out, 5, {"AVG"});
    out.setFieldWidth(kValueWidth);
    for (int average : kAverageColumns) {
        if (average < 0)
            out << "---";
        else
            out << formatG(slot.captureAverage(capture, average));
    }
    out.setFieldWidth(0);
    endLine(out);
}

}  // namespace

QString writeCampbellReport(const QString& path, const ReportContext& context, const EngineDataImage& image)
{
    return writeReport(path, QStringLiteral("error: Cannot open '%1'"), context, image, [&](QTextStream& out) {
        forEachFlight(image, [&](const FlightSlot& slot) {
            writeCampbellPairs(out, slot);
            writeCampbellSets(out, slot);
        });
    });
}

QString writeSteadyStateReport(const QString& path, const ReportContext& context, const EngineDataImage& image,
                               const ProgressCallback& progress)
{
    return writeReport(path, QStringLiteral("Cannot open '%1'"), context, image, [&](QTextStream& out) {
        out << kSteadyColumnLine << '\n';
        writeDashLine(out);
        writeSections(out, image, engine::kSteadyBins, progress,
                      [&](const char* memory, int bin, const FlightSlot& slot) {
                          writeSteadyStateLine(out, memory, bin, slot);
                      });
    });
}

QString writeTransientReport(const QString& path, const ReportContext& context, const EngineDataImage& image,
                             const ProgressCallback& progress)
{
    return writeReport(path, QStringLiteral("Cannot open '%1'"), context, image, [&](QTextStream& out) {
        out << kTransientColumnLine << '\n';
        writeDashLine(out);
        writeSections(out, image, engine::kCaptures, progress,
                      [&](const char* memory, int capture, const FlightSlot& slot) {
                          writeCapture(out, memory, capture, slot);
                      });
    });
}
