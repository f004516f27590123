#pragma once
// The aircraft database: an SQLite file in the data root, opened once at
// start-up as the default connection and used by the dialogs through the
// statements of SqlCatalogue.h.

#include "core/AircraftInfo.h"

#include <QSqlQuery>
#include <QString>
#include <QVariantList>

// Opens the database at start-up; a failure is shown and start-up goes on.
void connectDB();
// Moves a legacy file into place, opens the file and creates missing schema
// objects. Returns the error text, empty on success.
QString connectSQLite();

QString databasePath();        // the data root's tolm.db
QString legacyDatabasePath();  // "C:/.tolm.db" on Windows, <home>/.tolm.db elsewhere

// Runs one catalogue statement with its values bound in order. The query holds
// the rows, or lastError() when it returns false.
bool runStatement(QSqlQuery& query, const char* statement, const QVariantList& values = {});

// Fills the record from the database, keyed by the registration it holds.
void GetAircraftInfo(AircraftInfo& record);
// Adds an aircraft unless its registration exists; 0 on success, -1 after a
// reported failure.
int AddAircraft(const QString& registration, const QString& shopId, const QString& comment);

// Registers every "<registration>_data" directory of the data root as an aircraft.
void importAircraftDirectories(QObject* owner);
