#include "trend/TrendSeries.h"

#include "download/ReportHeader.h"
#include "plot/PlotModel.h"
#include "trend/EngineKey.h"

#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <tuple>

namespace trend {

namespace {

const std::array<QString, 3> kPointNames = {QStringLiteral("4R"), QStringLiteral("4L"), QStringLiteral("3B")};

QString withoutMnemonic(const QString& text) { return QString(text).remove(QLatin1Char('&')); }

// Flight end to the minute, as its text shows it (hour and minute lie above
// the time word's low five bits), then flight number; then where it lies, so
// the order never depends on how the index listed the flights.
bool flownBefore(const IndexedFlight* a, const IndexedFlight* b)
{
    const auto key = [](const IndexedFlight* f) {
        return std::tuple<quint16, int, qint32, qint64, const QString&, qint32>(
            f->dateWord, f->timeWord >> 5, f->flightNumber, f->rawCreationTime, f->rawPath, f->slot);
    };
    return key(a) < key(b);
}

quint64 flightWords(const IndexedFlight& flight)
{
    return quint64(quint32(flight.flightNumber)) << 32 | quint32(flight.dateWord) << 16 | flight.timeWord;
}

bool sameFlight(const IndexedFlight& a, const IndexedFlight& b)
{
    static_assert(sizeof a.steady == 22 * 26 * sizeof(float));
    return flightWords(a) == flightWords(b) && engineKey(a) == engineKey(b)
           && std::memcmp(a.steady.data(), b.steady.data(), sizeof a.steady) == 0;
}

// The largest finite, non-zero value over the bins, with its bin (1..26); none when every bin is zero or not finite.
std::optional<std::pair<int, double>> highestBin(const std::array<float, kBins>& bins)
{
    std::optional<std::pair<int, double>> best;
    for (int bin = 0; bin < kBins; ++bin) {
        const double value = bins[bin];
        if (std::isfinite(value) && value != 0 && (!best || value > best->second))
            best = std::pair{bin + 1, value};
    }
    return best;
}

std::optional<std::pair<int, double>> chosenValue(const std::array<float, kBins>& bins, int bin)
{
    if (bin == kHighestBin)
        return highestBin(bins);
    return std::pair{bin, double(bins[bin - 1])};
}

bool memoryMatches(qint32 memoryType, Memory memory)
{
    return memory == Memory::All || (memory == Memory::Post) == (memoryType == 1);
}

TrendPoint pointOf(const IndexedFlight& flight, std::pair<int, double> value)
{
    TrendPoint point;
    point.flightNumber = flight.flightNumber;
    point.flightEndUtc = flightEndText(flight.dateWord, flight.timeWord);
    point.registration = flight.registration;
    point.enginePosition = flight.enginePosition;
    point.memoryType = flight.memoryType;
    point.rawPath = flight.rawPath;
    point.slot = flight.slot;
    point.bin = value.first;
    point.value = value.second;
    return point;
}

QList<AlarmStateChange> alarmDifferences(const std::array<qint32, 6>& before, const std::array<qint32, 6>& after)
{
    QList<AlarmStateChange> changes;
    for (int i = 0; i < 6; ++i) {
        if (before[i] == after[i])
            continue;
        const bool historic = i % 2 == 1;
        const auto text = historic ? historicAlarmText : currentAlarmText;
        changes.append({alarmPointName(i), historic, text(quint32(before[i])), text(quint32(after[i]))});
    }
    return changes;
}

// Boundaries where the raw file changes; an alarm change where a download seen
// for the first time has other codes than the download first seen before it.
void markDownloads(TrendSeries& series, const QList<const IndexedFlight*>& flights)
{
    QSet<QString> seen;
    const IndexedFlight* previousDownload = nullptr;
    for (int i = 0; i < flights.size(); ++i) {
        const IndexedFlight& flight = *flights[i];
        if (i > 0 && flight.rawPath != flights[i - 1]->rawPath)
            series.downloadBoundaries.append(i);
        if (seen.contains(flight.rawPath))
            continue;
        seen.insert(flight.rawPath);
        if (previousDownload && previousDownload->alarmCodes != flight.alarmCodes)
            series.alarmChanges.append({i, alarmDifferences(previousDownload->alarmCodes, flight.alarmCodes)});
        previousDownload = &flight;
    }
}

}  // namespace

QString AlarmStateChange::text() const
{
    return measuringPoint + (historic ? QStringLiteral(" Historic Alarm: ") : QStringLiteral(" Current Alarm: "))
           + before + QStringLiteral(" -> ") + after;
}

QString AlarmChange::label() const
{
    QStringList pointsDone;
    for (const AlarmStateChange& state : states) {
        if (!state.historic)
            pointsDone.append(state.measuringPoint);
    }
    QStringList parts;
    for (const AlarmStateChange& state : states) {
        if (!state.historic)
            parts.append(state.measuringPoint + QLatin1Char(' ') + state.after);
        else if (!pointsDone.contains(state.measuringPoint))
            parts.append(state.measuringPoint + QStringLiteral(" hist. ") + state.after);
    }
    return parts.join(QStringLiteral(", "));
}

std::optional<int> parameterId(const QString& text)
{
    bool isNumber = false;
    const int id = text.toInt(&isNumber);
    if (isNumber)
        return id >= 0 && id < kParameters ? std::optional(id) : std::nullopt;
    const QString wanted = withoutMnemonic(text);
    for (int candidate = 0; candidate < kParameters; ++candidate)
        if (withoutMnemonic(plot::parameter(candidate).menuEntry).compare(wanted, Qt::CaseInsensitive) == 0)
            return candidate;
    return std::nullopt;
}

QString flightEndText(quint16 dateWord, quint16 timeWord)
{
    return QString::asprintf("%04u-%02u-%02uT%02u:%02u:00Z", 2000u + (dateWord >> 9), (dateWord >> 5) & 0xFu,
                             dateWord & 0x1Fu, unsigned(timeWord >> 11), (timeWord >> 5) & 0x3Fu);
}

QString memoryTypeText(qint32 memoryType) { return memoryType == 1 ? QStringLiteral("post") : QStringLiteral("pre"); }

QString alarmPointName(int index) { return kPointNames[std::clamp(index / 2, 0, 2)]; }

std::optional<double> binValue(const std::array<float, kBins>& bins, int bin)
{
    if (const auto value = chosenValue(bins, bin))
        return value->second;
    return std::nullopt;
}

bool downloadedAfter(const IndexedFlight& a, const IndexedFlight& b)
{
    if (a.rawCreationTime != b.rawCreationTime)
        return a.rawCreationTime > b.rawCreationTime;
    // A second download in the same minute is named "…-1425-2.raw", the tenth "…-1425-10.raw".
    const QString nameA = QFileInfo(a.rawPath).completeBaseName();
    const QString nameB = QFileInfo(b.rawPath).completeBaseName();
    return std::pair(nameA.size(), nameA) > std::pair(nameB.size(), nameB);
}

QList<const IndexedFlight*> distinctFlights(const QList<const IndexedFlight*>& flights)
{
    // Copies share the flight number and the date and time words: compare within those only.
    QHash<quint64, QList<int>> candidates;
    QList<const IndexedFlight*> kept;
    for (const IndexedFlight* flight : flights) {
        QList<int>& same = candidates[flightWords(*flight)];
        const auto copy = std::find_if(same.begin(), same.end(), [&](int i) { return sameFlight(*kept[i], *flight); });
        if (copy == same.end()) {
            same.append(int(kept.size()));
            kept.append(flight);
        } else if (downloadedAfter(*flight, *kept[*copy])) {
            kept[*copy] = flight;
        }
    }
    return kept;
}

TrendSeries trendOf(const QList<const IndexedFlight*>& engineFlights, const TrendChoice& choice)
{
    TrendSeries series;
    if (choice.parameter < 0 || choice.parameter >= kParameters || choice.bin < kHighestBin || choice.bin > kBins)
        return series;
    QList<const IndexedFlight*> flights = distinctFlights(engineFlights);
    std::sort(flights.begin(), flights.end(), flownBefore);
    QList<const IndexedFlight*> shown;
    for (const IndexedFlight* flight : flights) {
        if (!memoryMatches(flight->memoryType, choice.memory))
            continue;
        const auto value = chosenValue(flight->steady[choice.parameter], choice.bin);
        if (!value)
            continue;
        series.points.append(pointOf(*flight, *value));
        series.points.last().sequence = int(series.points.size());
        shown.append(flight);
    }
    markDownloads(series, shown);
    return series;
}

TrendSeries engineTrend(const QList<IndexedFlight>& flights, const QString& engine, const TrendChoice& choice)
{
    QList<const IndexedFlight*> engineFlights;
    for (const IndexedFlight& flight : flights)
        if (engineKey(flight) == engine)
            engineFlights.append(&flight);
    return trendOf(engineFlights, choice);
}

}  // namespace trend
