#pragma once
// What the program reads from and writes to the aircraft database: every
// statement of SqlCatalogue.h runs here, on the default connection. Nothing
// here shows a box; a failure comes back as its text (the database's error
// text, or that the database is busy, unless said otherwise) for the caller to show.
// On another thread the statements run on a ThreadConnection.

#include "core/AircraftInfo.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace catalogue {

// While it lives, the catalogue's statements on the thread that made it go to
// a connection of their own to the database file: a connection serves only
// the thread that opened it, so work off the GUI thread needs one.
class ThreadConnection {
public:
    explicit ThreadConnection(const QString& databaseFile);
    ~ThreadConnection();
    ThreadConnection(const ThreadConnection&) = delete;
    ThreadConnection& operator=(const ThreadConnection&) = delete;

    // Why the file could not be opened; empty when it was.
    QString openFailure() const { return openFailure_; }

private:
    QString name_;
    QString openFailure_;
};

template <typename T>
struct Fetched {
    T value{};        // what was read before a failure
    QString failure;  // empty when every statement ran
};

struct ShopDetails {
    QString shopId;
    QString comment;
};

// The engine details the technician confirms for a download.
struct EngineDetails {
    QString type;
    QString serialNumber;
    QString installDate;
};

Fetched<QStringList> registrations();  // ascending
// Every aircraft with its engines, as the flight selection lists them. After a
// failure the aircraft read before it are kept.
Fetched<QList<AircraftInfo>> aircraftWithEngines();
// Empty details for a registration the database does not know.
Fetched<ShopDetails> shopDetails(const QString& registration);
// The record a download starts from: the registration and what the database
// holds for it, each text cut two bytes short of its field.
Fetched<AircraftInfo> aircraftInfo(const QString& registration);

// Adds an aircraft unless its registration exists (which counts as success).
// An empty registration is refused with "Invalid aircraft id.".
QString addAircraft(const QString& registration, const QString& shopId, const QString& comment);
QString updateAircraft(const QString& registration, const QString& shopId, const QString& comment);
// Deletes the aircraft's data directory, then its engines and itself. A
// registration the database does not know deletes nothing, not even files.
QString removeAircraft(const QString& registration);

Fetched<QStringList> engineTypes();  // ascending
QString addEngineType(const QString& type);
QString removeEngineType(const QString& type);

// Stores the aircraft's shop id and comment and the engine at the unit's
// position: an engine row with the same position and serial number is
// updated, otherwise one is added. Fails with "Aircraft ID not found!" for an
// unknown registration.
QString saveAircraftDetails(const AircraftInfo& record, int positionCode, const EngineDetails& engine);

// Registers every "<registration>_data" directory of the data root as an
// aircraft; one failure text per registration that could not be stored.
QStringList importAircraftDirectories();

}  // namespace catalogue
