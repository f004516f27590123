#include "report/ui/EngineReportWriter.h"

#include "core/CheckedSaveFile.h"
#include "core/MessageText.h"
#include "core/PdfCreationDate.h"
#include "flights/RawFileReader.h"
#include "report/ui/ReportCharts.h"
#include "report/ui/ReportPages.h"

#include <QBuffer>
#include <QDateTime>
#include <QFile>
#include <QPdfWriter>

namespace {

constexpr int kResolution = 600;
constexpr double kTrendChartMm = 95;
constexpr double kBinChartMm = 62;
constexpr double kSpectrumChartMm = 95;
constexpr ReportCharts::FlightChart kFlightCharts[] = {ReportCharts::A4RPerBin, ReportCharts::A3BPerBin,
                                                       ReportCharts::Spectrum};

double flightChartMm(ReportCharts::FlightChart chart)
{
    return chart == ReportCharts::Spectrum ? kSpectrumChartMm : kBinChartMm;
}

const QStringList kPoints = {QStringLiteral("4R"), QStringLiteral("3B"), QStringLiteral("4L")};

QString dateTimeText(const QDateTime& time) { return time.toString(QStringLiteral("yyyy-MM-dd HH:mm 'UTC'")); }

QString flightEnd(const FlightRecord& flight)
{
    return dateTimeText(flightDateTime(flight.block.dateWord, flight.block.timeWord));
}

QString memoryText(qint32 memoryType)
{
    return memoryType == 1 ? QStringLiteral("post-defect") : QStringLiteral("pre-defect");
}

class ReportComposer {
public:
    ReportComposer(const EngineReport& report, const QList<RecordedChart>& charts, QPdfWriter& writer)
        : report_(report), pages_(writer, footerTitle(report)), charts_(charts)
    {
    }

    bool compose()
    {
        if (!pages_.begun())
            return false;
        cover();
        status();
        history();
        trends();
        flights();
        appendix();
        return pages_.finish();
    }
    const QList<PdfOutlineEntry>& outline() const { return pages_.outline(); }

private:
    static QString footerTitle(const EngineReport& r)
    {
        return r.registration + QStringLiteral(" ESN ") + r.engineSerial + QStringLiteral(" - downloaded ")
               + dateTimeText(r.downloaded);
    }

    void cover()
    {
        pages_.section(QStringLiteral("Cover"));
        pages_.title(QStringLiteral("Engine Report"));
        const EngineReport& r = report_;
        pages_.fields({{QStringLiteral("Aircraft registration:"), r.registration},
                       {QStringLiteral("Engine type:"), r.engineType},
                       {QStringLiteral("Engine position:"), QString::number(r.enginePosition)},
                       {QStringLiteral("Engine serial number:"), r.engineSerial},
                       {QStringLiteral("Unit part number:"), r.unitPartNumber},
                       {QStringLiteral("Unit serial number:"), r.unitSerialNumber},
                       {QStringLiteral("Boot main software PNR:"), r.mainBootPartNumber},
                       {QStringLiteral("Main software PNR:"), r.mainPartNumber},
                       {QStringLiteral("Boot DSP software PNR:"), r.dspBootPartNumber},
                       {QStringLiteral("DSP software PNR:"), r.dspPartNumber},
                       {QStringLiteral("DSP config. table PNR:"), r.dspConfigPartNumber},
                       {QStringLiteral("Downloaded:"), dateTimeText(r.downloaded)},
                       {QStringLiteral("Station version:"), QStringLiteral("Tolm ") + r.stationVersion},
                       {QStringLiteral("Shop ID:"), r.shopId},
                       {QStringLiteral("Comments:"), r.comment}});
        pages_.paragraph(QStringLiteral("Shop ID and comments as the station's database held them when this report "
                                        "was written, ")
                             + dateTimeText(r.written) + QStringLiteral("."),
                         true);
    }

    void status()
    {
        pages_.section(QStringLiteral("Status"));
        const ReportAlarmStatus& a = report_.alarms;
        pages_.table({QString(), kPoints[0], kPoints[1], kPoints[2]},
                     {{QStringLiteral("Current Alarm:"), a.current[0], a.current[1], a.current[2]},
                      {QStringLiteral("Historic Alarm:"), a.historic[0], a.historic[1], a.historic[2]},
                      {QStringLiteral("Algorithm Status:"), a.algorithms[0], a.algorithms[1], a.algorithms[2]}},
                     {0.31, 0.23, 0.23, 0.23});
        pages_.paragraph(QStringLiteral("Read from ") + a.source + QStringLiteral("."), true);
        biteResults();
        pages_.paragraph(QStringLiteral("Data status of every flight of the download (suspect: a negative value "
                                        "among the steady-state A4R or the transient parameters):"));
        QList<QStringList> rows;
        for (const FlightStatus& s : report_.dataStatus) {
            rows.append({QString::number(s.flightNumber), s.steadySuspect ? QStringLiteral("Suspect") : QStringLiteral("OK"),
                         s.transientSuspect ? QStringLiteral("Suspect") : QStringLiteral("OK")});
        }
        pages_.table({QStringLiteral("Flight #"), QStringLiteral("Steady-State"), QStringLiteral("Transient")}, rows,
                      {0.2, 0.25, 0.25});
    }

    // As the built-in test dialog shows them.
    void biteResults()
    {
        if (!report_.bite) {
            pages_.fields({{QStringLiteral("Built-in test results:"), kNotRecorded}});
            return;
        }
        pages_.fields({{QStringLiteral("Built-in test results:"),
                        QStringLiteral("read from the unit in the connection of this download")}});
        QList<QStringList> rows;
        for (std::size_t i = 0; i < report_.bite->size(); ++i)
            rows.append({QLatin1String(kBiteResultLabels[i]), QString::number((*report_.bite)[i])});
        pages_.table({QStringLiteral("BITE Results"), QString()}, rows, {0.31, 0.23});
    }

    void history()
    {
        pages_.section(QStringLiteral("Flight history"));
        const ReportFlightHistory& h = report_.history;
        if (!h.recorded) {
            pages_.paragraph(QStringLiteral("Flight history: ") + kNotRecorded + QLatin1Char('.'));
            return;
        }
        pages_.fields({{QStringLiteral("Last flight status:"), h.lastFlightStatus}});
        // Flight, alarm indices and event sources; then flight and the twelve values.
        const QList<int> first = {0, 1, 2, 3, 4, 5, 6, 19, 20, 21};
        QList<int> second = {0};
        for (int i = 7; i < 19; ++i)
            second.append(i);
        historyTable(first, {0.07, 0.085, 0.085, 0.085, 0.085, 0.085, 0.085, 0.14, 0.14, 0.14});
        historyTable(second, QList<double>(second.size(), 1.0 / second.size()));
    }

    void historyTable(const QList<int>& columns, const QList<double>& widths)
    {
        const ReportFlightHistory& h = report_.history;
        auto pick = [&](const QStringList& cells) {
            QStringList picked;
            for (int c : columns)
                picked.append(cells.value(c));
            return picked;
        };
        QList<QStringList> rows;
        for (const QStringList& row : h.rows)
            rows.append(pick(row));
        pages_.table(pick(h.columns), rows, widths, true);
    }

    void trends()
    {
        pages_.section(QStringLiteral("Trend"));
        pages_.paragraph(QStringLiteral("Highest bin of every distinct flight of this engine in the flight index; "
                                        "this download's flights are marked and thresholds drawn. Each alarm change is marked at the first "
                                        "flight of the download whose header shows it, and listed in full below."));
        for (std::size_t i = 0; i < report_.trends.size(); ++i)
            nextChart(kTrendChartMm);
        if (!report_.trends.empty())
            alarmChanges(report_.trends.front().series);
    }

    // In full: a chart's label may be left out where it finds no room.
    void alarmChanges(const trend::TrendSeries& series)
    {
        if (series.alarmChanges.isEmpty())
            return;
        QList<QStringList> rows;
        for (const trend::AlarmChange& change : series.alarmChanges) {
            const trend::TrendPoint& first = series.points.at(change.point);
            for (const trend::AlarmStateChange& state : change.states)
                rows.append({QString::number(first.sequence), QString::number(first.flightNumber),
                             dateTimeText(QDateTime::fromString(first.flightEndUtc, Qt::ISODate)),
                             state.text()});
        }
        pages_.table({QStringLiteral("Sequence"), QStringLiteral("Flight #"), QStringLiteral("End of flight"),
                      QStringLiteral("Alarm change")},
                     rows, {0.12, 0.1, 0.26, 0.52});
    }

    void flights()
    {
        pages_.section(QStringLiteral("Flights"));
        if (report_.flights.isEmpty()) {
            pages_.paragraph(QStringLiteral("The download holds no flight."));
            return;
        }
        for (int i = 0; i < report_.flights.size(); ++i) {
            pages_.section(flightTitle(*report_.flights[i]), 2);
            for (ReportCharts::FlightChart chart : kFlightCharts)
                nextChart(flightChartMm(chart));
        }
    }

    // The charts come in the order recordEngineReportCharts recorded them.
    void nextChart(double heightMm) { pages_.chart(charts_.at(chartsUsed_++), heightMm); }

    static QString flightTitle(const FlightRecord& flight)
    {
        return QStringLiteral("Flight ") + QString::number(flight.flightNumber) + QStringLiteral(" (")
               + memoryText(flight.memoryType) + QStringLiteral("), end of flight ") + flightEnd(flight);
    }

    void appendix()
    {
        pages_.section(QStringLiteral("Appendix: files of the download"));
        QList<QStringList> rows;
        for (const ReportSetFile& file : report_.files)
            rows.append({file.name, QString::number(file.size)});
        pages_.table({QStringLiteral("File"), QStringLiteral("Bytes")}, rows, {0.75, 0.25});
        QList<QStringList> hashes;
        for (const ReportSetFile& file : report_.files)
            hashes.append({file.sha256});
        pages_.table({QStringLiteral("SHA-256, in the order above")}, hashes, {1.0}, true);
    }

    const EngineReport& report_;
    ReportPages pages_;
    const QList<RecordedChart>& charts_;
    qsizetype chartsUsed_ = 0;
};

QString writeWhole(const QString& path, const QByteArray& bytes)
{
    CheckedSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    file.write(bytes);
    return file.commitWhole();
}

}  // namespace

QList<RecordedChart> recordEngineReportCharts(const EngineReport& report)
{
    ReportCharts charts(report);
    QList<RecordedChart> recorded;
    const auto record = [&](double heightMm) {
        recorded.append(ChartRenderer(charts.chart())
                            .record(ReportPages::chartSize(kResolution, heightMm), QPointF(kResolution, kResolution)));
    };
    for (std::size_t i = 0; i < report.trends.size(); ++i) {
        charts.showTrend(int(i));
        record(kTrendChartMm);
    }
    for (int i = 0; i < report.flights.size(); ++i) {
        for (ReportCharts::FlightChart chart : kFlightCharts) {
            charts.showFlight(i, chart);
            record(flightChartMm(chart));
        }
    }
    return recorded;
}

QString writeEngineReport(const EngineReport& report, const QString& pdfPath)
{
    return writeEngineReport(report, recordEngineReportCharts(report), pdfPath);
}

QString writeEngineReport(const EngineReport& report, const QList<RecordedChart>& charts, const QString& pdfPath)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QList<PdfOutlineEntry> outline;
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(kResolution);
        writer.setTitle(QStringLiteral("Engine Report ") + report.registration + QStringLiteral(" ESN ") + report.engineSerial);
        writer.setCreator(QStringLiteral("Tolm"));
        ReportComposer composer(report, charts, writer);
        if (!composer.compose())
            return QStringLiteral("The report's pages could not be drawn.");
        outline = composer.outline();
    }
    const QString failure = writeWhole(pdfPath, withCreationDate(buffer.data(), report.written));
    if (!failure.isEmpty())
        return messageText(pdfPath) + QStringLiteral(": ") + failure;
    if (const QString noOutline = PdfOutline::append(pdfPath, outline); !noOutline.isEmpty()) {
        QFile::remove(pdfPath);  // a report without its outline must not pass for a written one
        return messageText(pdfPath) + QStringLiteral(": ") + noOutline;
    }
    return {};
}
