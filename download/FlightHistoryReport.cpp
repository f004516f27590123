#include "download/FlightHistoryReport.h"

#include "download/EngineData.h"
#include "core/CheckedSaveFile.h"
#include "core/NumberFormat.h"
#include "download/ReportHeader.h"

#include <QFileInfo>
#include <QStringList>
#include <QTextStream>
#include <cstring>
#include <iterator>

namespace {

// The answer: the flight count and the last flight's status, then a ring of
// 15 flight records, each holding one flight's summary and 66 acquisitions.
constexpr int kFlightCountOffset = 20;
constexpr int kStatusOffset = 24;
constexpr int kFirstRecordOffset = 52;
constexpr int kRecordSize = 3522;
constexpr int kRecordCount = 15;
constexpr int kAcquisitions = 66;
constexpr int kValues = 12;  // g0..g11
constexpr int kMaxima = 11;
constexpr int kSteadyAcquisitions = 26;  // then 10 of each transient capture type
constexpr int kCaptureAcquisitions = 10;

constexpr int kFlightWidth = 5;
constexpr int kValueWidth = 11;
constexpr int kEventWidth = 14;
constexpr int kTypeWidth = 6;
constexpr int kNumberWidth = 4;

// Read-only view of one flight record.
class HistoryRecord {
public:
    explicit HistoryRecord(const char* record) : p_(record) {}

    // h0..h5: (h0, h1) of 4R, (h2, h3) of 4L, (h4, h5) of 3B.
    int index(int k) const { return valueAt<qint16>(p_, 8 + 2 * k); }
    // g0..g11 in the unit's order.
    float value(int k) const { return valueAt<float>(p_, 28 + 4 * k); }
    // Sources of 4R, 4L and 3B.
    int eventSource(MeasuringPoint p) const { return valueAt<qint16>(p_, 84 + 2 * int(p)); }
    // Maximum j (0..10) of acquisition i (0..65).
    float maximum(int i, int j) const { return valueAt<float>(p_, 98 + 52 * i + 4 * j); }

private:
    const char* p_;
};

QString lastFlightStatusText(qint32 code)
{
    static const char* const texts[] = {
        "Last flight data available", "Algorithms deactivated",        "Flight duration too short",
        "Accel fault detected (by SPM)", "Insufficient data collected", "Permanent tacho loss",
        "BITE error"};
    return code >= 0 && code < qint32(std::size(texts)) ? QString::fromLatin1(texts[code]) : QString();
}

// 4L has its own table: its algorithm also reports a global event.
QString eventSourceText(MeasuringPoint point, int code)
{
    static const QStringList common = {QStringLiteral("No event"), QStringLiteral("Steady-state"),
                                       QStringLiteral("Transient")};
    static const QStringList fourL = {QStringLiteral("No event"), QStringLiteral("Global"),
                                      QStringLiteral("Steady-state"), QStringLiteral("Transient")};
    return (point == Point4L ? fourL : common).value(code);
}

QString acquisitionType(int i)
{
    if (i < kSteadyAcquisitions)
        return QStringLiteral("S-S");
    return QString::fromLatin1(engine::kCaptureNames[(i - kSteadyAcquisitions) / kCaptureAcquisitions]);
}

QString column(const QString& text, int width) { return text.rightJustified(width); }
QString column(int value, int width) { return column(QString::number(value), width); }
QString decimals(float value) { return column(formatFixed(value, 2), kValueWidth); }

QString titles(const char* const* names, int count, int width)
{
    QString line;
    for (int k = 0; k < count; ++k)
        line += column(QString::fromLatin1(names[k]), width);
    return line;
}

QString summaryColumnLine()
{
    static const char* const values[] = {"MMC4R", "MMH4R", "MMC3B", "MMH3B", "MMC4L", "MMH4L",
                                         "A4R",   "TR4R",  "N1-4R", "N2-4R", "A4L",   "F4L",
                                         "K1",    "K2",    "A3B",   "TR3B",  "N1-3B", "N2-3B"};
    static const char* const sources[] = {"Evt src. 4R", "Evt src. 3B", "Evt src. 4L"};
    return QStringLiteral("Flt-#") + titles(values, int(std::size(values)), kValueWidth)
           + titles(sources, int(std::size(sources)), kEventWidth) + QLatin1Char('\n');
}

QString summaryLine(const HistoryRecord& r, int flight)
{
    // Index pairs and event sources in report order 4R, 3B, 4L; the values as the unit sends them.
    static constexpr int kIndexOrder[] = {0, 1, 4, 5, 2, 3};
    QString line = column(flight, kFlightWidth);
    for (int k : kIndexOrder)
        line += column(r.index(k) + 1, kValueWidth);
    for (int k = 0; k < kValues; ++k)
        line += decimals(r.value(k));
    for (MeasuringPoint p : kReportOrder)
        line += column(eventSourceText(p, r.eventSource(p)), kEventWidth);
    return line + QLatin1Char('\n');
}

QString acquisitionColumnLine()
{
    static const char* const names[] = {"Max A4R", "Max TR4R", "Max N1-4R", "Max N2-4R",
                                        "Max CN1", "Max CN2",  "Max CDN",   "Max A3B",
                                        "Max TR3B", "Max N1-3B", "Max N2-3B"};
    return QStringLiteral("Flt-#  Type  ID") + titles(names, kMaxima, kValueWidth) + QLatin1Char('\n');
}

QString acquisitionLine(const HistoryRecord& r, int flight, int i)
{
    QString line = column(flight, kFlightWidth) + column(acquisitionType(i), kTypeWidth)
                   + column(i + 1, kNumberWidth);
    for (int j = 0; j < kMaxima; ++j)
        line += decimals(r.maximum(i, j));
    return line + QLatin1Char('\n');
}

void writeFlight(QTextStream& out, const HistoryRecord& r, int flight)
{
    const QString dash = dashLine() + QLatin1Char('\n');
    out << dash << summaryColumnLine() << dash << summaryLine(r, flight) << dash
        << acquisitionColumnLine() << dash;
    for (int i = 0; i < kAcquisitions; ++i)
        out << acquisitionLine(r, flight, i);
}

// The ring keeps flight k in record (k - 1) mod 15; the oldest of the last
// 15 flights is listed first.
void writeFlights(QTextStream& out, const QByteArray& answer)
{
    const qint32 count = valueAt<qint32>(answer.constData(), kFlightCountOffset);
    for (int c = 0; c < kRecordCount; ++c) {
        const int flight = count <= kRecordCount ? c + 1 : count - (kRecordCount - 1) + c;
        const int record = (flight - 1) % kRecordCount;
        writeFlight(out, HistoryRecord(answer.constData() + kFirstRecordOffset + kRecordSize * record),
                    flight);
    }
}

}  // namespace

QString writeFlightHistoryReport(const QString& path, const ReportContext& context,
                                 const QByteArray& answer)
{
    if (answer.size() < kFlightHistoryAnswerSize)
        return QStringLiteral("Flight history answer too short: %1 bytes, expected %2")
            .arg(answer.size())
            .arg(kFlightHistoryAnswerSize);

    CheckedSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return QStringLiteral("Failed to create Flight History output file '%1': %2").arg(path, file.errorString());
    QTextStream out(&file);
    writeReportHeader(out, context, QFileInfo(path).fileName(), nullptr);
    out << labelLine(QStringLiteral("Last flight status: "),
                     lastFlightStatusText(valueAt<qint32>(answer.constData(), kStatusOffset)));
    writeFlights(out, answer);
    out.flush();  // the file notes what it did not take
    if (const QString reason = file.commitWhole(); !reason.isEmpty())
        return QStringLiteral("Failed to write Flight History output file '%1': %2").arg(path, reason);
    return QString();
}
