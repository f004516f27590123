#pragma once
// What the engine report of one download holds, gathered from the files the
// station already has: the raw file's header and flights, the set's text
// reports, the database's shop details and the flight index's trend. The
// page layout lives in report/ui; this is plain data.

#include "flights/FlightRecord.h"
#include "link/PartNumberRecord.h"
#include "plot/PlotModel.h"
#include "trend/TrendSeries.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

// One file of the download's set, so the PDF can be matched to the raw data later.
struct ReportSetFile {
    QString name;
    qint64 size = 0;
    QString sha256;  // lower-case hex
};

// Measuring points in report order 4R, 3B, 4L.
struct ReportAlarmStatus {
    QString source;  // where the texts were read: a report's file name, or the raw file's alarm codes
    std::array<QString, 3> current;
    std::array<QString, 3> historic;
    std::array<QString, 3> algorithms;  // "not recorded" when only the raw file was read
};

struct ReportFlightHistory {
    bool recorded = false;
    QString lastFlightStatus;
    QStringList columns;         // the summary line's column titles
    QList<QStringList> rows;     // one per flight, a cell per column
};

struct ReportTrend {
    int parameter = 0;
    trend::TrendSeries series;
    std::optional<double> threshold;  // the trend window's threshold of the parameter
};

struct EngineReport {
    QString rawPath;
    RawFileHeader header{};

    // Cover.
    QString registration;
    QString engineType;
    QString engineSerial;
    int enginePosition = 0;
    QString unitPartNumber, unitSerialNumber;
    QString mainBootPartNumber, mainPartNumber, dspBootPartNumber, dspPartNumber, dspConfigPartNumber;
    QDateTime downloaded;  // the raw file's creation time, UTC
    QString stationVersion;
    QString shopId, comment;
    QDateTime written;  // the clock's time of writing, UTC

    // Status.
    ReportAlarmStatus alarms;
    // Read in the connection that made this download; not recorded otherwise.
    std::optional<BiteResults> bite;
    QList<FlightStatus> dataStatus;  // every flight of the download, in slot order

    ReportFlightHistory history;
    std::array<ReportTrend, 2> trends;  // A4R and A3B, highest bin

    // The post-defect flights (at most ten, newest first), then the latest pre-defect one.
    FlightRecordList flights;
    QList<ReportSetFile> files;
};

constexpr int kReportPostDefectFlights = 10;
inline const QString kNotRecorded = QStringLiteral("not recorded");

// Gathers the report of the download whose raw file is rawPath, all but the
// shop details; the data root holds the flight index. Runs on any thread.
// Nothing when the raw file cannot be read or is refused; failure then says why.
std::optional<EngineReport> gatherEngineReport(const QString& rawPath, const QString& dataRoot, QString& failure);
// The shop id and comment the database holds now; on the thread of its default connection.
void readShopDetails(EngineReport& report);

// "<registration>-ESN<sn>-<stamp>-report.pdf", the stamp of the raw file's name.
QString defaultReportName(const EngineReport& report);
// The same for a raw file not gathered yet; "report.pdf" when its header cannot be read.
QString defaultReportName(const QString& rawPath);
