#pragma once
// One flight of the flight index: which raw file and slot hold it, whose
// engine it is, and the values the trend and the fleet overview read. The
// index fills it; the trend, the fleet overview, the flight selection and the
// command line read it, so it holds nothing that needs the raw file again.

#include <QString>
#include <QtGlobal>
#include <array>

struct IndexedFlight {
    // Where it lies.
    QString rawPath;  // absolute path of the raw file
    qint32 slot = -1;  // 0..20
    qint64 rawCreationTime = 0;  // header's creation time, seconds since 1970 UTC: orders downloads

    // Whose it is. The engine is its serial number as the raw file's name
    // holds it; a download without one is an engine of its own per
    // registration and position (see engineKey()).
    QString engineSerial;  // from the file name, empty when the download had none
    QString unitEngineSerial;  // as the unit reported it (header), shown where it differs
    QString registration;
    qint32 enginePosition = 0;  // 1..4

    // Which flight it is.
    qint32 flightNumber = 0;
    qint32 secondFlightWord = 0;
    qint32 memoryType = 0;  // 0 pre-defect, 1 post-defect
    quint16 dateWord = 0;
    quint16 timeWord = 0;

    // The header's six alarm codes: the download's state, the same for each of its flights.
    std::array<qint32, 6> alarmCodes{};

    // Its values: steady-state parameters [parameter][bin] and the transient
    // captures' averages [average][capture], as the raw file stores them.
    std::array<std::array<float, 26>, 22> steady{};
    std::array<std::array<float, 4>, 10> captureAverages{};
};
