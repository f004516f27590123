#pragma once
// The aircraft database: an SQLite file in the data root, opened once at
// start-up as the default connection. The schema is made here; every other
// statement runs in AircraftCatalogue.

#include <QString>

// Opens the database at start-up; a failure is shown and start-up goes on.
void connectDB();
// Moves a legacy file into place (not into a data tree chosen for one run),
// opens the file and creates missing schema objects. Returns the error text,
// empty on success.
QString connectSQLite();

QString databasePath();        // the data root's tolm.db
QString legacyDatabasePath();  // "C:/.tolm.db" on Windows, <home>/.tolm.db elsewhere
