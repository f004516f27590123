#pragma once
// The fleet repository's tables, versioned: schema_version holds one row, and
// the migrations below it are applied in order by the repository's owner
// (tolm-cli repository migrate), each only adding. Stations read and insert
// through the role tolm_station, which may do nothing else.
//
//   station        a station's UUID (made once, kept in its settings store)
//   station_name   its names over time; the latest counts (rows are never updated)
//   engine         engine_key: the serial number, or "(no ESN) F-GABC/2"
//   download       one raw file, known by its SHA-256 (unique: a download
//                  pushed twice, or by two stations, is stored once), with its
//                  station, engine, header fields and the set's file names
//   flight         one complete slot of a download: its words and values (the
//                  flight index's blob: 22 x 26 steady-state floats, then the
//                  10 x 4 capture averages), keyed (download, slot), and
//                  the SHA-256 of the steady-state values that tells copies
//                  of one flight from different flights
//   distinct_flight  each flight once per engine (copies downloaded twice share a row)
//   engine_flights   each engine's count of them, kept by a trigger on flight
//   download_file  the raw file and the four reports of a download, as bytea

#include <QString>

namespace repository {

class PgConnection;

constexpr int kSchemaVersion = 1;
inline const char kStationRole[] = "tolm_station";

struct Migration {
    int from = 0;  // the version found; 0 for an empty database
    int to = 0;
    QString failure;  // empty on success
};

// Brings the schema to kSchemaVersion in one transaction, and creates the
// station role when missing. A newer schema is refused with both versions.
Migration migrate(PgConnection& connection);

// Empty when the repository holds the schema this station knows; otherwise why not.
QString schemaRefusal(PgConnection& connection);

}  // namespace repository
