#pragma once
// The data directory tree below the DataDir setting:
//   <DataDir>/Mirvak                      data root (database, aircraft directories)
//   <DataDir>/Mirvak/SW_uploads           firmware update files
//   <DataDir>/Mirvak/tmp                  temporary and normalised response files
//   <DataDir>/Mirvak/<reg>_data/engine_N  raw files and reports of one engine
//   <DataDir>/archive                     archives of the data tree

#include <QString>

class QObject;

// The base directory: the run's override when there is one, else DataDir, or
// its default while DataDir is empty (an empty base would put the tree at the
// filesystem root).
QString dataDirPath();
// The data root, created with its parents when missing. Also seeds DataDir.
QString dataRootPath();
// Where the data root is, creating and seeding nothing (for reading only).
QString dataRootLocation();
QString archiveDirectoryPath();  // the base directory's archive directory
QString tmpDirectoryPath();  // the data root's tmp directory

// True when the directory exists (created first when create is set) and is
// readable and writable; otherwise reports why in a critical box titled "Error".
bool checkDirectory(const QString& path, bool create);

// The start-up check of the tree, run again after the settings dialog is accepted.
// Stops at the first directory that fails; true when all passed.
bool checkDataDirectories();

// The access password for the firmware upload, seeded with its default.
QString storedPassword();
// Asks for the access password before a firmware upload and tells a wrong
// one. True when the stored password was typed (an empty entry never is it).
bool confirmAccessPassword(QObject* owner);
