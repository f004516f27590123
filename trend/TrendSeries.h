#pragma once
// One engine's health indicator across every flight the index holds: which
// value of which flight, in flight order, with the downloads it came from and
// the alarm changes their headers show.

#include "trend/IndexedFlight.h"

#include <QList>
#include <QString>
#include <array>
#include <optional>

namespace trend {

constexpr int kParameters = 22;  // steady-state parameters, ids 0..21
constexpr int kBins = 26;
constexpr int kHighestBin = 0;  // the bin with the largest finite, non-zero value
constexpr int kDefaultParameter = 7;  // "A4R"

enum class Memory { Pre, Post, All };

// A parameter or bin out of range shows no points.
struct TrendChoice {
    int parameter = kDefaultParameter;
    int bin = kHighestBin;  // 1..26, or kHighestBin
    Memory memory = Memory::All;
};

struct TrendPoint {
    qint32 flightNumber = 0;
    QString flightEndUtc;  // "YYYY-MM-DDTHH:MM:00Z", the words' fields as stored
    QString registration;
    qint32 enginePosition = 0;
    qint32 memoryType = 0;
    QString rawPath;
    qint32 slot = 0;
    int bin = 0;  // the bin the value is from, 1..26
    double value = 0;
    int sequence = 0;  // 1, 2, ... in flight order: the flight-sequence axis
};

// One of the six alarm states, as the reports name it.
struct AlarmStateChange {
    QString measuringPoint;  // "4R", "4L", "3B"
    bool historic = false;
    QString before;  // "No Event", "Level 2", ...
    QString after;

    // "4R Current Alarm: No Event -> Level 1"
    QString text() const;
};

// A download whose header's alarm codes differ from the download before it,
// marked at its first flight.
struct AlarmChange {
    int point = 0;  // index into the points
    QList<AlarmStateChange> states;

    // The new states only, each point once ("4R Level 2, 3B hist. Level 1"):
    // short enough for a chart's label; the states' text() says it all.
    QString label() const;
};

struct TrendSeries {
    QList<TrendPoint> points;
    QList<int> downloadBoundaries;  // indices of points whose raw file differs from the point before
    QList<AlarmChange> alarmChanges;
};

// An id "0".."21" or a menu entry ("A4R (avg)"), compared without '&' and case.
std::optional<int> parameterId(const QString& text);
QString flightEndText(quint16 dateWord, quint16 timeWord);
// "pre" or "post".
QString memoryTypeText(qint32 memoryType);
// A parameter's value in one flight: the bin's (1..26), or the highest bin's
// (kHighestBin); none when no bin has a finite, non-zero value.
std::optional<double> binValue(const std::array<float, kBins>& bins, int bin);
// Measuring point of alarm code i of the header (4R, 4L, 3B; current then historic).
QString alarmPointName(int index);

// Each flight once: of copies downloaded twice (same engine, flight number,
// date and time words and steady-state values) the latest download's.
QList<const IndexedFlight*> distinctFlights(const QList<const IndexedFlight*>& flights);
// Whether `a` was downloaded after `b`: later creation time, ties by file name ("-2" after none).
bool downloadedAfter(const IndexedFlight& a, const IndexedFlight& b);

// The trend of the engine whose engineKey() is `engine`.
TrendSeries engineTrend(const QList<IndexedFlight>& flights, const QString& engine, const TrendChoice& choice);
// The trend over one engine's flights, copies included.
TrendSeries trendOf(const QList<const IndexedFlight*>& engineFlights, const TrendChoice& choice);

}  // namespace trend
