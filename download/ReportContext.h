#pragma once
// What every text report of one download session is written from.

#include "core/AircraftInfo.h"
#include "download/EngineData.h"
#include "link/PartNumberRecord.h"

#include <QDateTime>
#include <QString>
#include <array>
#include <functional>

struct ReportContext {
    QDateTime sessionTime;           // in every file name of the session
    PartNumberRecord partNumbers{};  // the unit's identity as received
    AircraftInfo aircraft{};
    int engineNumber = 1;            // 1..4
    DataHeader dataHeader{};         // zero until the engine data has been read
    std::array<quint16, 3> algorithmStates{};  // unit order 4R, 4L, 3B

    const EngineInfo& engine() const { return aircraft.engines[engineNumber - 1]; }
};

// Reports the progress of a long report (0..100).
using ProgressCallback = std::function<void(int percent)>;

// The separator line of all reports: 111 '-'.
inline QString dashLine() { return QString(111, QLatin1Char('-')); }
