#include "simulator/VariedUnit.h"

#include <QDate>
#include <algorithm>

namespace {

constexpr qint64 kPpm = 1000000;
constexpr qint64 kMinutesPerDay = 24 * 60;
constexpr std::array<qint64, 3> kLevelGrowth = {250000, 500000, 800000};  // ppm above the first flight
constexpr quint32 kNoAlarm = 3;  // alarm codes 0, 1, 2 are the levels 1, 2, 3
constexpr qint64 kFlightNoisePpm = 50000;  // of the amplitudes that decide the alarms
constexpr qint64 kAmplitudeNoisePpm = 40000;
// Shaft speeds whose orders fall on the lines of the plain signal's sines
// (64, 128 and 256 periods in 2048 samples at 9765.625 Hz), so the plot's
// shaft order markers sit on its peaks; a tracking ratio of 1 puts F4R
// (305 Hz) on the first of them.
constexpr qint64 kN1 = 18310546875;  // µ-RPM
constexpr qint64 kN2 = 36621093750;
// The plain signal's peak at F4R reads this amplitude (µ-units, G pk) in the
// plot's spectrum; scaled by A4R over it, the peak reads the bin's A4R.
constexpr qint64 kFullScaleAmplitude = 6577500;

// A recorded value: a share of the bin's (or capture sample's) 4R or 3B
// amplitude, or a fixed value; either with noise.
struct Quantity {
    enum Kind { Amplitude4R, Amplitude3B, Fixed, Unused } kind;
    qint64 amount;    // share of the amplitude (ppm), or the fixed value (µ-units)
    qint64 noisePpm;  // spread of the noise
};

constexpr Quantity kA4R{Quantity::Amplitude4R, kPpm, kAmplitudeNoisePpm};
constexpr Quantity kA4RAvg{Quantity::Amplitude4R, 970000, kAmplitudeNoisePpm};
constexpr Quantity kA4RStdDev{Quantity::Amplitude4R, 120000, 100000};
constexpr Quantity kA3B{Quantity::Amplitude3B, kPpm, kAmplitudeNoisePpm};
constexpr Quantity kA3BAvg{Quantity::Amplitude3B, 970000, kAmplitudeNoisePpm};
constexpr Quantity kA3BStdDev{Quantity::Amplitude3B, 120000, 100000};
constexpr Quantity kRatio{Quantity::Fixed, kPpm, 3000};
constexpr Quantity kRatioStdDev{Quantity::Fixed, 20000, 100000};
constexpr Quantity kCN1{Quantity::Fixed, 950000, 10000};
constexpr Quantity kCN2{Quantity::Fixed, 900000, 10000};
constexpr Quantity kCDN{Quantity::Fixed, 850000, 10000};
constexpr Quantity kN1Speed{Quantity::Fixed, kN1, 1000};
constexpr Quantity kN2Speed{Quantity::Fixed, kN2, 1000};
constexpr Quantity kUnused{Quantity::Unused, 0, 0};

// In the unit's order: steady-state p0..p21, transient t0..t10, capture averages a0..a9.
constexpr std::array<Quantity, 22> kSteadyState = {
    kA4RAvg, kRatio, kA4RStdDev, kRatioStdDev, kCN1, kCN2, kCDN, kA4R, kRatio, kN1Speed, kN2Speed,
    kCN1, kCN2, kCDN, kA3BAvg, kRatio, kA3BStdDev, kRatioStdDev, kA3B, kRatio, kN1Speed, kN2Speed};
constexpr std::array<Quantity, 11> kTransient = {
    kA4R, kRatio, kN1Speed, kN2Speed, kCN1, kCN2, kCDN, kA3B, kRatio, kN1Speed, kN2Speed};
constexpr std::array<Quantity, 10> kCaptureAverages = {
    kA4RAvg, kRatio, kUnused, kCN1, kCN2, kCDN, kA3BAvg, kRatio, kUnused, kUnused};
constexpr int kSteadyA4R = 7;
constexpr int kTransientA4R = 0;
constexpr int kAverageSample = 5;  // the capture averages take this sample's amplitudes

// 4R and 3B amplitudes of a steady-state bin (capture < 0) or of a capture's sample, µ-units.
qint64 amplitude4R(int capture, int binOrSample)
{
    return capture < 0 ? 300000 + 20000 * binOrSample : 350000 + 50000 * capture + 30000 * binOrSample;
}
qint64 amplitude3B(int capture, int binOrSample)
{
    return capture < 0 ? 200000 + 15000 * binOrSample : 250000 + 40000 * capture + 20000 * binOrSample;
}

// Keys that tell a flight's values apart in its noise.
quint64 steadyChannel(int parameter, int bin) { return quint64(parameter * 32 + bin); }
quint64 transientChannel(int parameter, int capture, int sample)
{
    return 1000 + quint64((parameter * 4 + capture) * 10 + sample);
}
quint64 averageChannel(int average, int capture) { return 2000 + quint64(average * 4 + capture); }
quint64 alarmChannel(int point) { return 3000 + quint64(point); }

int levelOf(qint64 growth)
{
    return int(std::count_if(kLevelGrowth.begin(), kLevelGrowth.end(), [&](qint64 level) { return growth >= level; }));
}

quint32 alarmCode(int level) { return level == 0 ? kNoAlarm : quint32(level - 1); }

qint64 withShare(qint64 value, qint64 ppm) { return value * ppm / kPpm; }

float toFloat(qint64 micro) { return float(double(micro) / double(kPpm)); }

}  // namespace

VariedUnit::VariedUnit(quint64 seed) : seed_(seed), history_(seed)
{
    rate4R_ = 10000 + history_.below(6000);  // level 1 after 16 to 25 flights
    rate3B_ = 5000 + history_.below(5000);
    firstNumber_ = quint32(100 + history_.below(1900));
    nextNumber_ = firstNumber_;
    const qint64 firstDay = QDate(2000, 1, 1).daysTo(QDate(2024, 1, 1)) + history_.below(730);
    endMinutes_ = firstDay * kMinutesPerDay + history_.below(kMinutesPerDay);
    recordFlights();
}

void VariedUnit::erase() { recordFlights(); }

void VariedUnit::recordFlights()
{
    flights_.clear();
    const qint64 count = 10 + history_.below(11);
    for (qint64 i = 0; i < count; ++i) {
        endMinutes_ += 120 + history_.below(22 * 60);
        VariedFlight flight;
        flight.number = nextNumber_++;
        const qint64 age = flight.number - firstNumber_;
        flight.growth4R = age * rate4R_;
        flight.growth3B = age * rate3B_;
        recordAlarms(flight);
        flight.memoryType = std::max(historicLevel_[0], historicLevel_[1]) > 0 ? 1 : 0;
        const QDate day = QDate(2000, 1, 1).addDays(endMinutes_ / kMinutesPerDay);
        const qint64 minute = endMinutes_ % kMinutesPerDay;
        flight.dateWord = quint16(((day.year() - 2000) << 9) | (day.month() << 5) | day.day());
        flight.timeWord = quint16(((minute / 60) << 11) | ((minute % 60) << 5));
        flights_ << flight;
    }
}

void VariedUnit::recordAlarms(const VariedFlight& flight)
{
    const std::array<qint64, 2> growth = {flight.growth4R, flight.growth3B};
    for (int point = 0; point < 2; ++point) {
        currentLevel_[point] = levelOf(growth[point] + noise(flight, alarmChannel(point), kFlightNoisePpm));
        historicLevel_[point] = std::max(historicLevel_[point], currentLevel_[point]);
    }
}

std::array<quint32, 6> VariedUnit::alarmCodes() const
{
    // 4L stays without alarm: no value of it is recorded here.
    return {alarmCode(currentLevel_[0]), alarmCode(historicLevel_[0]), kNoAlarm, kNoAlarm,
            alarmCode(currentLevel_[1]), alarmCode(historicLevel_[1])};
}

qint64 VariedUnit::noise(const VariedFlight& flight, quint64 channel, qint64 spreadPpm) const
{
    return SplitMix64(seed_ ^ (quint64(flight.number) << 32) ^ channel).around(spreadPpm);
}

namespace {

qint64 baseValue(const Quantity& quantity, const VariedFlight& flight, int capture, int binOrSample)
{
    switch (quantity.kind) {
    case Quantity::Amplitude4R:
        return withShare(withShare(amplitude4R(capture, binOrSample), kPpm + flight.growth4R), quantity.amount);
    case Quantity::Amplitude3B:
        return withShare(withShare(amplitude3B(capture, binOrSample), kPpm + flight.growth3B), quantity.amount);
    case Quantity::Fixed: return quantity.amount;
    case Quantity::Unused: break;
    }
    return 0;
}

}  // namespace

qint64 VariedUnit::recorded(const VariedFlight& flight, qint64 base, qint64 noisePpm, quint64 channel) const
{
    return withShare(base, kPpm + noise(flight, channel, noisePpm));
}

qint64 VariedUnit::steadyStateMicro(const VariedFlight& flight, int parameter, int bin) const
{
    const Quantity& quantity = kSteadyState[parameter];
    return recorded(flight, baseValue(quantity, flight, -1, bin), quantity.noisePpm, steadyChannel(parameter, bin));
}

qint64 VariedUnit::transientMicro(const VariedFlight& flight, int parameter, int capture, int sample) const
{
    const Quantity& quantity = kTransient[parameter];
    return recorded(flight, baseValue(quantity, flight, capture, sample), quantity.noisePpm,
                    transientChannel(parameter, capture, sample));
}

float VariedUnit::steadyStateValue(const VariedFlight& flight, int parameter, int bin) const
{
    return toFloat(steadyStateMicro(flight, parameter, bin));
}

float VariedUnit::transientValue(const VariedFlight& flight, int parameter, int capture, int sample) const
{
    return toFloat(transientMicro(flight, parameter, capture, sample));
}

float VariedUnit::captureAverage(const VariedFlight& flight, int average, int capture) const
{
    const Quantity& quantity = kCaptureAverages[average];
    return toFloat(recorded(flight, baseValue(quantity, flight, capture, kAverageSample), quantity.noisePpm,
                            averageChannel(average, capture)));
}

std::vector<qint16> VariedUnit::scaledSignal(const std::vector<qint16>& plain, const VariedFlight& flight,
                                             int capture, int binOrSample) const
{
    const qint64 amplitude = capture < 0 ? steadyStateMicro(flight, kSteadyA4R, binOrSample)
                                         : transientMicro(flight, kTransientA4R, capture, binOrSample);
    std::vector<qint16> scaled(plain.size());
    std::transform(plain.begin(), plain.end(), scaled.begin(), [&](qint16 sample) {
        return qint16(std::clamp<qint64>(sample * amplitude / kFullScaleAmplitude, -32767, 32767));
    });
    return scaled;
}
