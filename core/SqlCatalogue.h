#pragma once
// Every statement the program issues against the aircraft database, in one
// place. Values are always bound ("?" in statement order), never pasted into
// the text, so a registration or comment with an apostrophe is stored as typed.

namespace sql {

// Schema, each object created only when missing; IF NOT EXISTS as well, so a
// second program that made it first is no failure.
inline constexpr const char* kCreateAircraft =
    "CREATE TABLE IF NOT EXISTS aircraft (id INTEGER PRIMARY KEY,tail_number CHAR(20) NOT NULL,shop_id "
    "CHAR(20),comment TEXT,UNIQUE (tail_number))";
inline constexpr const char* kCreateEngineType =
    "CREATE TABLE IF NOT EXISTS engine_type (id INTEGER PRIMARY KEY,type CHAR(20) NOT NULL "
    "UNIQUE DEFAULT 'CFM56-5')";
inline constexpr const char* kInsertDefaultEngineType =
    "INSERT INTO engine_type (id, type) VALUES ('1', 'CFM56-5')";
inline constexpr const char* kCreateEngine =
    "CREATE TABLE IF NOT EXISTS engine (id INTEGER PRIMARY KEY,aircraft_id INTEGER NOT NULL DEFAULT 1,type "
    "CHAR(20) NOT NULL DEFAULT 'CFM56-5',sn CHAR(20),sdi TINYINT UNSIGNED NOT NULL DEFAULT "
    "1,install_date TIMESTAMP NOT NULL DEFAULT CURRENT_TIMESTAMP,comment TEXT,UNIQUE "
    "(aircraft_id, sn, sdi))";
inline constexpr const char* kCreateView =
    "CREATE VIEW IF NOT EXISTS v AS SELECT ac.tail_number, e.id, e.sdi, e.type, e.sn FROM aircraft ac LEFT "
    "OUTER JOIN engine e ON ac.id = e.aircraft_id WHERE e.id > 0 ORDER BY ac.tail_number, e.sdi";

// Aircraft lookup and add (registration; registration, shop id, comment).
inline constexpr const char* kSelectAircraftDetails =
    "SELECT shop_id, comment FROM aircraft WHERE tail_number = ?";
inline constexpr const char* kSelectAircraftEngines =
    "SELECT e.sdi, e.type, e.sn, e.install_date FROM aircraft ac, engine e WHERE ac.id = "
    "e.aircraft_id AND ac.tail_number = ? ORDER BY e.sdi ASC";
inline constexpr const char* kInsertAircraft =
    "INSERT OR IGNORE INTO aircraft (tail_number,shop_id,comment) VALUES (?,?,?)";
// Start-up import of an aircraft directory (registration).
inline constexpr const char* kImportAircraft =
    "INSERT OR IGNORE INTO aircraft (tail_number) VALUES (?)";

// Aircraft dialog.
inline constexpr const char* kSelectRegistrations =
    "SELECT DISTINCT tail_number FROM aircraft ORDER BY tail_number ASC";
inline constexpr const char* kUpdateAircraftByRegistration =
    "UPDATE aircraft SET shop_id=?, comment=? WHERE tail_number=?";
inline constexpr const char* kCountAircraft =
    "SELECT COUNT(*) FROM aircraft WHERE tail_number = ?";
inline constexpr const char* kDeleteAircraftEngines =
    "DELETE FROM engine WHERE aircraft_id = (SELECT id FROM aircraft WHERE tail_number = ?)";
inline constexpr const char* kDeleteAircraft = "DELETE FROM aircraft WHERE tail_number = ?";

// Engine type dialog and download request dialog.
inline constexpr const char* kSelectEngineTypes =
    "SELECT DISTINCT type FROM engine_type ORDER BY type ASC";
inline constexpr const char* kInsertEngineType = "INSERT INTO engine_type (type) VALUES (?)";
inline constexpr const char* kDeleteEngineType = "DELETE FROM engine_type WHERE type = ?";

// Download request dialog, on accept.
inline constexpr const char* kSelectAircraftId = "SELECT id FROM aircraft WHERE tail_number = ?";
inline constexpr const char* kUpdateAircraftById =
    "UPDATE aircraft SET shop_id=?, comment=? WHERE id=?";
inline constexpr const char* kSelectEngineId =
    "SELECT id FROM engine WHERE aircraft_id=? AND sdi=? AND sn=?";
inline constexpr const char* kUpdateEngine = "UPDATE engine SET type=?, install_date=? WHERE id=?";
inline constexpr const char* kInsertEngine =
    "INSERT INTO engine (aircraft_id, type, sn, sdi, install_date) VALUES (?, ?, ?, ?, ?)";

// Flight selection.
inline constexpr const char* kSelectAircraftList =
    "SELECT id, tail_number, shop_id, comment FROM aircraft ORDER by tail_number";
inline constexpr const char* kSelectEnginesOfAircraft =
    "SELECT sdi, type, sn, install_date FROM engine WHERE aircraft_id = ? ORDER BY sdi";

}  // namespace sql
