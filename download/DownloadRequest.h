#pragma once
// What the technician confirms before a download: the aircraft and the engine
// the unit sits on. The request dialog and the command line both check and
// store it here, so both file the same rows and hand the session the same record.

#include "core/AircraftInfo.h"

#include <QFuture>
#include <QString>
#include <QStringList>

struct DownloadDetails {
    QString registration;
    QString shopId;
    QString comment;
    QString engineType;
    QString engineSerialNumber;
    QString installDate;
};

// Why the unit's engine position code cannot name an engine; empty for 0..3.
QString enginePositionProblem(int positionCode);

// The record a request starts from: the registration and what the database
// holds for it. A failure to read is shown and leaves the record partly filled.
AircraftInfo storedAircraftRecord(const QString& registration);

// The details as the request opens on the record: its shop id, comment and
// the stored engine n (a type no longer offered reads empty), with the serial
// number the unit reports.
DownloadDetails initialDownloadDetails(const AircraftInfo& record, int engineNumber,
                                       const QString& unitSerialNumber, const QStringList& offeredTypes);

// Why the details cannot be stored or name files: a serial number that cannot
// be a file name, or a text longer than its field. The registration rule is
// checked apart (the dialog asks again, the command line refuses). Empty when
// the details can be stored.
QString downloadDetailsProblem(const DownloadDetails& details);

// Fills the record with the details (engine n of the position code), adds the
// aircraft when new, stores its details and remembers it as LastAircraft.
// Failures are shown and leave the record filled, so the session still runs
// with what was typed (but must not erase). Returns the first failure, empty
// when everything was stored.
QString storeDownloadDetails(AircraftInfo& record, int positionCode, const DownloadDetails& details);

// The same with the writes on a worker thread, so that a slow disk never
// stops the window: the record is filled at once; the future finishes on the
// GUI thread once any failures have been shown, with the first one (empty
// when everything was stored).
QFuture<QString> storeDownloadDetailsInBackground(AircraftInfo& record, int positionCode,
                                                  const DownloadDetails& details);
