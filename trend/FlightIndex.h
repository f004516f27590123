#pragma once
// The flight index: every flight slot of every raw file of the data tree, in
// the station's database, so that the trend, the fleet overview and the
// flight selection list flights without reading raw files again. It is
// brought up to date at each use by comparing each raw file's path, size and
// modification time with what it holds; the download indexes the file it
// writes at once.
//
// Tables (a new layout gets new names, so an older program never misreads one):
//   flight_index_file_v2    one row per raw file seen: path, size, modification
//                           time, why it was refused (NULL when indexed), and
//                           its header's fields (engine, registration, alarms)
//   flight_index_flight_v2  one row per complete non-empty slot: its words,
//                           its values and their hash
// The values are one blob per flight, the raw file's own bytes: the 22 x 26
// steady-state parameters (2288 bytes, parameter-major) followed by the
// 10 x 4 capture averages (160 bytes), little-endian float32. A 64-bit hash
// of the first 2288 bytes tells copies of one flight from different flights
// (which also differ in none of engine, flight number, date and time).

#include "flights/FlightQuery.h"
#include "trend/IndexedFlight.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <utility>

struct IndexChanges {
    QStringList added;    // raw files indexed for the first time (absolute paths)
    QStringList changed;  // raw files indexed again
    QStringList dropped;  // raw files gone from the tree
    // Files refused since they last changed, with why: each is told once.
    QList<std::pair<QString, QString>> refused;
    // Files indexed up to where they stop (their complete flights), with why the rest is not.
    QList<std::pair<QString, QString>> cut;
    QString failure;  // why the index could not be brought up to date; empty on success
    bool cancelled = false;  // stopped on request: nothing was written
};

// Follows an update from the thread that runs it, and stops it.
struct UpdateWatch {
    // Files read so far of those to read, after each batch.
    std::function<void(int done, int total)> progress;
    // Once set, the update stops and writes nothing.
    const std::atomic<bool>* cancelled = nullptr;
};

class FlightIndex {
public:
    // The index in the database file (the data root's tolm.db); tables are
    // created when missing.
    explicit FlightIndex(const QString& databasePath);
    ~FlightIndex();
    FlightIndex(const FlightIndex&) = delete;
    FlightIndex& operator=(const FlightIndex&) = delete;

    // Empty when the database opened and holds the index's tables, else why not.
    QString openFailure() const { return openFailure_; }

    // Brings the index up to date with the raw files below the data root
    // (<root>/*_data/engine_*/*.raw), in one transaction; rebuild first
    // forgets everything held. New and changed files are read several at once.
    IndexChanges update(const QString& dataRoot, bool rebuild = false, const UpdateWatch& watch = {});
    // Indexes one raw file (again) now, leaving the others as they are.
    IndexChanges updateFile(const QString& rawPath);

    // Every distinct flight, in order of flight end, then flight number: a
    // flight held by several raw files (downloaded twice) once, from the
    // latest download. An empty engine key gives every engine's.
    QList<IndexedFlight> flights(const QString& engineKey = {}, QString* failure = nullptr) const;
    // Every indexed flight slot as the flight selection lists it, copies
    // included, in order of raw file path, then slot: all of them in one
    // query, or those one filter lets through.
    QList<FlightInfo> listedFlights(const FlightFilter* filter = nullptr, QString* failure = nullptr) const;
    // The registrations of the raw files holding flights, each once, sorted.
    QStringList registrations(QString* failure = nullptr) const;
    // The number of indexed flight slots, copies included.
    int slotCount() const;

private:
    QString connection_;
    QString openFailure_;
};

// Why the index refused a file, as the flight selection tells it: an
// unopened file is passed over, a broken one named at once, unsupported and
// oversized ones in one warning.
enum class RefusalKind { Unopened, Broken, Unsupported, Oversized };
RefusalKind refusalKind(const QString& why);

// The engine serial number a raw file's name holds ("ESN<sn>-fd-<stamp>.raw",
// split at the last "-fd-"); empty when the download had none.
QString engineSerialOfFileName(const QString& fileName);
