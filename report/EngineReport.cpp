#include "report/EngineReport.h"

#include "core/AircraftCatalogue.h"
#include "core/AppIdentity.h"
#include "core/Clock.h"
#include "core/MessageText.h"
#include "core/Settings.h"
#include "flights/PositionedFile.h"
#include "flights/RawFileReader.h"
#include "report/ReportSet.h"
#include "report/ReportTexts.h"
#include "trend/EngineKey.h"
#include "trend/FlightIndex.h"

#include <QFile>
#include <QFileInfo>
#include <QTimeZone>
#include <algorithm>

namespace {

constexpr int kTrendParameters[2] = {7, 18};  // A4R, A3B

QString field(const char* text, int size) { return QString::fromLatin1(text, qstrnlen(text, size)).trimmed(); }

template <std::size_t N>
QString field(const char (&text)[N])
{
    return field(text, int(N));
}

void fillCover(EngineReport& report)
{
    const RawFileHeader& h = report.header;
    report.registration = registrationOf(h);
    report.engineType = field(h.engineType);
    report.engineSerial = engineSerialOfFileName(QFileInfo(report.rawPath).fileName());
    report.enginePosition = h.engineNumber;
    report.unitPartNumber = field(h.unitPartNumber);
    report.unitSerialNumber = field(h.unitSerialNumber);
    report.mainBootPartNumber = field(h.mainBootPartNumber);
    report.mainPartNumber = field(h.mainProgPartNumber);
    report.dspBootPartNumber = field(h.dspBootPartNumber);
    report.dspPartNumber = field(h.dspProgPartNumber);
    report.dspConfigPartNumber = field(h.dspConfigTablePartNumber);
    report.downloaded = QDateTime::fromSecsSinceEpoch(h.creationTime, QTimeZone::utc());
    report.stationVersion = app::versionString();
    report.written = Clock::now().toUTC();
}

bool newerFlight(const std::shared_ptr<const FlightRecord>& a, const std::shared_ptr<const FlightRecord>& b)
{
    const QDateTime endA = flightDateTime(a->block.dateWord, a->block.timeWord);
    const QDateTime endB = flightDateTime(b->block.dateWord, b->block.timeWord);
    return endA != endB ? endA > endB : a->flightNumber > b->flightNumber;
}

// Every flight of the download; the failure text when a slot cannot be read.
QString readFlights(EngineReport& report, FlightRecordList& flights)
{
    for (int slot = 0; slot < kRawFlightCount; ++slot) {
        if (report.header.flightNumbers[slot] == 0)
            continue;
        auto record = std::make_shared<FlightRecord>();
        const SlotReading reading = readSlot(report.rawPath, slot, record->header, record->block);
        if (!reading.failure.isEmpty())
            return reading.failure;
        if (reading.slot < 0)
            continue;  // beyond the end of a cut file
        record->registration = report.registration;
        record->enginePosition = report.enginePosition;
        record->flightNumber = report.header.flightNumbers[slot];
        record->memoryType = report.header.memoryTypes[slot];
        report.dataStatus.append(PlotModel::status(*record));
        flights.append(record);
    }
    return {};
}

void chooseFlights(EngineReport& report, FlightRecordList flights)
{
    std::stable_sort(flights.begin(), flights.end(), newerFlight);
    for (const auto& flight : flights) {
        if (flight->memoryType == 1 && report.flights.size() < kReportPostDefectFlights)
            report.flights.append(flight);
    }
    const auto pre = std::find_if(flights.begin(), flights.end(), [](const auto& f) { return f->memoryType == 0; });
    if (pre != flights.end())
        report.flights.append(*pre);
}

// The engine's trend over every flight the index holds, this download's included.
void fillTrends(EngineReport& report, const QString& dataRoot)
{
    FlightIndex index(dataRoot + QStringLiteral("/tolm.db"));
    if (!index.openFailure().isEmpty())
        return;
    index.update(dataRoot);
    index.updateFile(report.rawPath);  // a raw file outside the data tree as well
    IndexedFlight self;
    self.engineSerial = report.engineSerial;
    self.registration = report.registration;
    self.enginePosition = report.enginePosition;
    const QString engine = engineKey(self);
    const QList<IndexedFlight> flights = index.flights(engine);
    for (int i = 0; i < 2; ++i) {
        const int parameter = kTrendParameters[i];
        bool ok = false;
        const double threshold = settings::text(settings::TrendThreshold(parameter)).toDouble(&ok);
        report.trends[i] = {parameter,
                            trend::engineTrend(flights, engine, {parameter, trend::kHighestBin, trend::Memory::All}),
                            ok ? std::optional<double>(threshold) : std::nullopt};
    }
}

}  // namespace

std::optional<EngineReport> gatherEngineReport(const QString& rawPath, const QString& dataRoot, QString& failure)
{
    EngineReport report;
    report.rawPath = QFileInfo(rawPath).absoluteFilePath();
    if (QFile probe(report.rawPath); !probe.open(QIODevice::ReadOnly)) {
        failure = messageText(rawPath) + QStringLiteral(": ") + probe.errorString();
        return std::nullopt;
    }
    PositionedFile file(report.rawPath);
    const QString why = readRawLayout(file, report.header).whyNotRead();
    if (!why.isEmpty()) {
        failure = messageText(rawPath) + QStringLiteral(": ") + why;
        return std::nullopt;
    }
    fillCover(report);
    FlightRecordList flights;
    if (const QString unreadable = readFlights(report, flights); !unreadable.isEmpty()) {
        failure = unreadable;
        return std::nullopt;
    }
    chooseFlights(report, flights);
    report.alarms = report::alarmStatus(report.rawPath, report.header);
    report.history = report::flightHistory(report.rawPath);
    fillTrends(report, dataRoot);
    report.files = report::setFiles(report.rawPath);
    return report;
}

void readShopDetails(EngineReport& report)
{
    const catalogue::Fetched<catalogue::ShopDetails> shop = catalogue::shopDetails(report.registration);
    report.shopId = shop.value.shopId;
    report.comment = shop.value.comment;
}

QString defaultReportName(const EngineReport& report)
{
    QString stamp = report::stampOf(QFileInfo(report.rawPath).fileName());
    if (stamp.isEmpty())
        stamp = report.downloaded.toString(QStringLiteral("yyyyMMdd-HHmm"));
    return report.registration + QStringLiteral("-ESN") + report.engineSerial + QLatin1Char('-') + stamp
           + QStringLiteral("-report.pdf");
}

QString defaultReportName(const QString& rawPath)
{
    EngineReport report;
    QFile file(rawPath);
    if (!file.open(QIODevice::ReadOnly) || !readRawHeader(file, report.header).isEmpty())
        return QStringLiteral("report.pdf");
    report.rawPath = rawPath;
    fillCover(report);
    return defaultReportName(report);
}
