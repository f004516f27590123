// Opening the flight selection dialog on a data tree of 1000 raw files of
// 1000 aircraft, offscreen, with an up-to-date flight index: the dialog
// filled from the index, and until its update found nothing new; next to the
// former way in the same run, every raw file listed (the listing alone, and
// the former query: listing, registrations, the rows of one aircraft).
//
// Each aircraft has its catalogue row. The raw files are sparse:
// the header and each recorded slot's date and time words are written, the
// rest of the 5.8 MB is a hole, which lists exactly like written data.

#include "BenchSupport.h"
#include "TestEnvironment.h"
#include "core/AircraftCatalogue.h"
#include "core/Database.h"
#include "core/Settings.h"
#include "flights/FlightQuery.h"
#include "plot/ui/DataSelectionDialog.h"
#include "trend/FlightIndex.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QTreeWidget>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr int kAircraft = 1000;
constexpr int kEngine = 2;
constexpr qint64 kBlockSize = sizeof(FlightBlock);

QString dataRoot;
QString chosenAircraft;  // the aircraft the dialog opens on, one in the middle of the list
qsizetype expectedFlights = 0;
qsizetype expectedRows = 0;
QuietPrompts quietPrompts;

QString registrationOf(int aircraft) { return QStringLiteral("T-%1").arg(aircraft, 4, 10, QLatin1Char('0')); }

quint16 dateWord(int year, int month, int day) { return quint16((year - 2000) << 9 | month << 5 | day); }
quint16 timeWord(int hour, int minute) { return quint16(hour << 11 | minute << 5); }

// <root>/<REG>_data/engine_2/<REG>_000.raw with about three slots in four
// recorded, pre- and post-defect alternating.
QString writeSparseRawFile(int aircraft)
{
    const QString registration = registrationOf(aircraft);
    const QString directory = QStringLiteral("%1/%2_data/engine_%3").arg(dataRoot, registration).arg(kEngine);
    if (!QDir().mkpath(directory))
        return QStringLiteral("cannot create %1").arg(directory);
    RawFileHeader header;
    std::memset(&header, 0, sizeof header);
    header.magic = kRawMagic;
    std::strncpy(header.registration, qPrintable(registration), sizeof header.registration - 1);
    header.engineNumber = kEngine;
    QFile file(QStringLiteral("%1/%2_000.raw").arg(directory, registration));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return file.errorString();
    for (int slot = 0; slot < kRawFlightCount; ++slot) {
        if ((slot + aircraft) % 4 == 3)
            continue;
        header.flightNumbers[slot] = aircraft * kRawFlightCount + slot + 1;
        header.memoryTypes[slot] = slot % 2;
        const quint16 words[2] = {dateWord(2010 + aircraft % 15, 1 + slot % 12, 1 + aircraft % 28),
                                  timeWord(slot, aircraft % 60)};
        if (!file.seek(qint64(sizeof header) + slot * kBlockSize + offsetof(FlightBlock, dateWord))
            || file.write(reinterpret_cast<const char*>(words), sizeof words) != qint64(sizeof words))
            return file.errorString();
        ++expectedFlights;
        if (registration == chosenAircraft && slot % 2 == 0)
            ++expectedRows;
    }
    if (!file.seek(0) || file.write(reinterpret_cast<const char*>(&header), sizeof header) != qint64(sizeof header)
        || !file.resize(kRawFileSize))
        return file.errorString();
    return {};
}

QString prepare()
{
    chosenAircraft = registrationOf(kAircraft / 2);
    QSqlDatabase::database().transaction();
    for (int aircraft = 0; aircraft < kAircraft; ++aircraft) {
        if (const QString failure = writeSparseRawFile(aircraft); !failure.isEmpty())
            return failure;
        if (const QString failure = catalogue::addAircraft(registrationOf(aircraft), {}, {}); !failure.isEmpty())
            return failure;
    }
    QSqlDatabase::database().commit();
    settings::setValue(settings::LastAircraft, chosenAircraft);
    settings::setValue(settings::LastSelectedEngine, kEngine);
    settings::setValue(settings::Plot2D_MemType, 0);
    return {};
}

bool shows(const DataSelectionDialog& dialog)
{
    const auto* aircraft = dialog.findChild<QComboBox*>(QStringLiteral("comboBoxAircraftId"));
    const auto* rows = dialog.findChild<QTreeWidget*>(QStringLiteral("flightDataTreeWidget"));
    return aircraft->count() == kAircraft && aircraft->currentText() == chosenAircraft
           && rows->topLevelItemCount() == expectedRows;
}

// The flight selection as a technician opens it: filled from the index.
void BM_DialogOpens(benchmark::State& state)
{
    for (auto _ : state) {
        FlightRecordList records;
        DataSelectionDialog dialog(nullptr, records);
        if (!shows(dialog)) {
            state.SkipWithError("the dialog shows something else");
            break;
        }
    }
}

// ... and until its update has checked every raw file.
void BM_DialogChecked(benchmark::State& state)
{
    for (auto _ : state) {
        FlightRecordList records;
        DataSelectionDialog dialog(nullptr, records);
        while (dialog.isUpdating())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (!shows(dialog)) {
            state.SkipWithError("the dialog shows something else");
            break;
        }
    }
}

const FlightFilter kFilter{QString(), kEngine, 0};

// The dialog's query without the dialog.
void BM_Query(benchmark::State& state)
{
    for (auto _ : state) {
        const FlightQuery query(scanRawFiles(dataRoot));
        const QStringList registrations = query.registrations();
        FlightFilter filter = kFilter;
        filter.registration = chosenAircraft;
        const QList<FlightRow> rows = query.rows(filter);
        if (query.flights().size() != expectedFlights || registrations.size() != kAircraft
            || rows.size() != expectedRows) {
            state.SkipWithError("the query found something else");
            break;
        }
    }
}

void BM_Listing(benchmark::State& state)
{
    for (auto _ : state) {
        if (scanRawFiles(dataRoot).flights.size() != expectedFlights) {
            state.SkipWithError("the listing found something else");
            break;
        }
    }
}

// The way the dialog used to fill itself, after the same listing.
void BM_FormerFilling(benchmark::State& state)
{
    for (auto _ : state) {
        const QList<FlightInfo> flights = scanRawFiles(dataRoot).flights;
        QStringList registrations;
        for (const FlightInfo& flight : flights)
            if (!registrations.contains(flight.registration))
                registrations.append(flight.registration);
        QList<QDateTime> downloadTimes;
        for (const FlightInfo& flight : flights)
            if (flight.registration == chosenAircraft && flight.enginePosition == kEngine && flight.memoryType == 0)
                downloadTimes.append(QFileInfo(flight.path).lastModified());
        if (registrations.size() != kAircraft || downloadTimes.size() != expectedRows) {
            state.SkipWithError("the former filling found something else");
            break;
        }
    }
}

BENCHMARK(BM_DialogOpens)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(9)->ReportAggregatesOnly();
BENCHMARK(BM_DialogChecked)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(9)->ReportAggregatesOnly();
BENCHMARK(BM_Query)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(9)->ReportAggregatesOnly();
BENCHMARK(BM_Listing)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(9)->ReportAggregatesOnly();
BENCHMARK(BM_FormerFilling)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(5)->ReportAggregatesOnly();

void printFigure(const MedianKeeper& reporter, const char* what, const char* name)
{
    const auto found = reporter.medians.find(name);
    if (found != reporter.medians.end())
        std::printf("%-44s real %7.1f ms, cpu %7.1f ms\n", what, found->second.real * 1e3, found->second.cpu * 1e3);
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    TestEnvironment environment;  // settings, data tree and database in a temporary folder
    installPrompts(&quietPrompts);
    dataRoot = environment.dataRoot();
    connectDB();

    std::fprintf(stderr, "writing %d sparse raw files and catalogue rows ...\n", kAircraft);
    if (const QString failure = prepare(); !failure.isEmpty() || quietPrompts.messages != 0) {
        std::fprintf(stderr, "preparation failed: %s %s\n", qPrintable(failure), qPrintable(quietPrompts.lastFailure));
        return 1;
    }
    scanRawFiles(dataRoot);  // warms the page cache
    if (const QString failure = FlightIndex(databasePath()).update(dataRoot).failure; !failure.isEmpty()) {
        std::fprintf(stderr, "indexing failed: %s\n", qPrintable(failure));
        return 1;
    }
    std::fprintf(stderr, "%d files, %lld flights, %lld rows shown\n", kAircraft, qlonglong(expectedFlights),
                 qlonglong(expectedRows));

    MedianKeeper reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\n%d raw files of %d aircraft, %lld flights:\n", kAircraft, kAircraft, qlonglong(expectedFlights));
    printFigure(reporter, "the dialog opens (from the index)", "BM_DialogOpens");
    printFigure(reporter, "... and its update checked every file", "BM_DialogChecked");
    printFigure(reporter, "former query (listing, registrations, rows)", "BM_Query");
    printFigure(reporter, "the listing alone", "BM_Listing");
    printFigure(reporter, "the former filling (listing included)", "BM_FormerFilling");
    installPrompts(nullptr);
    benchmark::Shutdown();
    return quietPrompts.failures == 0 ? 0 : 1;
}
