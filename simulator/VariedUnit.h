#pragma once
// An engine whose vibration grows from flight to flight, so that downloads
// show a trend: each erase makes room for new flights with higher numbers and
// later end-of-flight dates, their amplitudes drift upward with noise, and the
// alarm codes rise as the amplitudes pass the levels; flights after the first
// alarm go to the post-defect memory. Everything follows from the seed with
// integer arithmetic, so one seed gives the same answers on every machine.

#include "simulator/SplitMix64.h"

#include <QList>
#include <QtGlobal>
#include <array>
#include <vector>

struct VariedFlight {
    quint32 number = 0;
    quint32 memoryType = 0;  // 0 pre-defect, 1 post-defect
    quint16 dateWord = 0;    // the unit's end-of-flight date and time words
    quint16 timeWord = 0;
    qint64 growth4R = 0;     // amplitude rise since the first flight, parts per million
    qint64 growth3B = 0;
};

class VariedUnit {
public:
    explicit VariedUnit(quint64 seed);

    // The stored flights go; those flown until the next download replace them.
    void erase();

    const QList<VariedFlight>& flights() const { return flights_; }
    quint32 totalEngineFlights() const { return nextNumber_ - 1; }
    // Current and historic codes of 4R, 4L and 3B, in the order of the data header.
    std::array<quint32, 6> alarmCodes() const;

    // The recorded values, as the unit would store them.
    float steadyStateValue(const VariedFlight& flight, int parameter, int bin) const;
    float transientValue(const VariedFlight& flight, int parameter, int capture, int sample) const;
    float captureAverage(const VariedFlight& flight, int average, int capture) const;
    // The plain simulator's signal scaled with the 4R amplitude of a steady-state bin
    // (capture < 0) or of a capture's sample, so the time history and spectrum follow it.
    std::vector<qint16> scaledSignal(const std::vector<qint16>& plain, const VariedFlight& flight, int capture,
                                     int binOrSample) const;

private:
    void recordFlights();
    void recordAlarms(const VariedFlight& flight);
    qint64 recorded(const VariedFlight& flight, qint64 base, qint64 noisePpm, quint64 channel) const;
    qint64 steadyStateMicro(const VariedFlight& flight, int parameter, int bin) const;
    qint64 transientMicro(const VariedFlight& flight, int parameter, int capture, int sample) const;
    // Noise of one value of one flight: the same at every download of the flight.
    qint64 noise(const VariedFlight& flight, quint64 channel, qint64 spreadPpm) const;

    quint64 seed_;
    SplitMix64 history_;  // draws the engine's rates, flight counts and flight times
    qint64 rate4R_ = 0, rate3B_ = 0;  // growth per flight, ppm
    quint32 firstNumber_ = 0, nextNumber_ = 0;
    qint64 endMinutes_ = 0;  // end of the latest flight, minutes since 2000-01-01 00:00 UTC
    std::array<int, 2> currentLevel_{}, historicLevel_{};  // 4R, 3B; 0 none, 1..3
    QList<VariedFlight> flights_;
};
