#pragma once
// Recorded flights as the raw files on disk hold them.

#include "flights/RawFileFormat.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <memory>

// One non-empty flight slot of a raw file, as listed for selection.
struct FlightInfo {
    QDateTime dateTime;  // end of flight, UTC
    QString path;        // absolute path of the raw file
    QString registration;
    qint32 enginePosition = 0;
    qint32 flightNumber = 0;
    qint32 memoryType = 0;
    qint32 slot = -1;  // 0..20 in the raw file
};

// One selected flight with copies of its file's header and its flight block.
struct FlightRecord {
    QString registration;
    qint32 enginePosition = 0;
    qint32 flightNumber = 0;
    qint32 memoryType = 0;
    RawFileHeader header{};  // an older header reads as a current one with empty identification
    FlightBlock block{};
};

// The flights handed to the plot window or the export; shared, freed with the last user.
using FlightRecordList = QList<std::shared_ptr<const FlightRecord>>;
