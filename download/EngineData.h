#pragma once
// The engine-data answer as post-processing reads it from the normalised
// answer file: the 12-byte message header, a 52-byte data header block, then
// 21 flight slots of 279712 bytes, block headers included, host byte order.

#include "link/PartNumberRecord.h"

#include <QByteArray>
#include <QtGlobal>
#include <array>
#include <cstring>

namespace engine {

constexpr qint64 kAnswerSize = 5874016;
constexpr int kMessageHeaderSize = 12;
constexpr int kSlotCount = 21;
constexpr int kSlotSize = 279712;
constexpr int kSteadyBins = 26;
constexpr int kSteadyParameters = 22;
constexpr int kCaptures = 4;  // transient capture types TOC, TOD, AOD, AOA
constexpr int kCaptureSamples = 10;
constexpr int kTransientParameters = 11;
constexpr int kCaptureAverages = 10;
constexpr int kSamples = 2048;  // samples of one time history
constexpr int kCampbellBands = 40;
constexpr int kCampbellSets = 5;
constexpr int kCampbellValues = 166;

inline const char* const kCaptureNames[kCaptures] = {"TOC", "TOD", "AOD", "AOA"};

}  // namespace engine

// A value of type T at a byte offset of an answer held in memory (host order).
template <typename T>
T valueAt(const char* data, qsizetype offset)
{
    T v;
    std::memcpy(&v, data + offset, sizeof v);
    return v;
}

// The unit's three measuring points, in the order the unit sends their values.
// Reports and plots show them in the order 4R, 3B, 4L (kReportOrder).
enum MeasuringPoint { Point4R = 0, Point4L = 1, Point3B = 2 };
constexpr std::array<MeasuringPoint, 3> kReportOrder = {Point4R, Point3B, Point4L};
inline const char* pointName(MeasuringPoint p) { return p == Point4R ? "4R" : p == Point4L ? "4L" : "3B"; }

// The 52 bytes after the message header: a block header and eleven words.
struct DataHeader {
    BlockHeader block;
    quint32 words[11];  // 1: total engine flights; 5..10: alarms (4R, 4L, 3B; current, historic)

    quint32 totalFlights() const { return words[1]; }
    quint32 currentAlarm(MeasuringPoint p) const { return words[5 + 2 * p]; }
    quint32 historicAlarm(MeasuringPoint p) const { return words[6 + 2 * p]; }
};
static_assert(sizeof(DataHeader) == 52);

// Read-only view of one flight slot of the image.
class FlightSlot {
public:
    explicit FlightSlot(const char* slot) : p_(slot) {}

    qint32 flightNumber() const { return value<qint32>(24); }  // 0 marks an empty slot
    qint32 secondFlightWord() const { return value<qint32>(28); }
    qint32 memoryType() const { return value<qint32>(32); }  // 0 pre-defect, 1 post-defect
    // Parameter j (0..21) of steady-state bin r (0..25).
    float steadyParameter(int r, int j) const { return value<float>(56 + 4212 * r + 4 * j); }
    const char* steadySamples(int r) const { return p_ + 152 + 4212 * r; }
    // Average a (0..9) of transient capture k (0..3).
    float captureAverage(int k, int a) const { return value<float>(109568 + 41620 * k + 4 * a); }
    // Parameter j (0..10) of sample m (0..9) of capture k.
    float transientParameter(int k, int m, int j) const
    {
        return value<float>(109616 + 41620 * k + 4156 * m + 4 * j);
    }
    const char* transientSamples(int k, int m) const { return p_ + 109668 + 41620 * k + 4156 * m; }
    qint32 campbellSelector() const { return value<qint32>(276036); }
    // Fs (0) or Fw (1) of band b (0..39).
    float campbellPair(int b, int which) const { return value<float>(276048 + 8 * b + 4 * which); }
    // Value v (0..165) of Campbell set s (0..4).
    float campbellValue(int s, int v) const { return value<float>(276368 + 664 * s + 4 * v); }
    const char* campbellSet(int s) const { return p_ + 276368 + 664 * s; }
    quint16 dateWord() const { return value<quint16>(279696); }
    quint16 timeWord() const { return value<quint16>(279698); }

private:
    template <typename T>
    T value(int offset) const
    {
        return valueAt<T>(p_, offset);
    }

    const char* p_;
};

// The 21 flight slots of one engine-data answer, held whole in memory.
class EngineDataImage {
public:
    static constexpr qsizetype kSize = qsizetype(engine::kSlotCount) * engine::kSlotSize;

    EngineDataImage() = default;
    // bytes must hold exactly kSize bytes.
    explicit EngineDataImage(QByteArray bytes) : bytes_(std::move(bytes)) { Q_ASSERT(bytes_.size() == kSize); }

    FlightSlot slot(int i) const { return FlightSlot(bytes_.constData() + qsizetype(i) * engine::kSlotSize); }
    const QByteArray& bytes() const { return bytes_; }

private:
    QByteArray bytes_;
};

// End-of-flight date and time words: year-2000 (7 bits), month (4), day (5);
// hour (5), minute (6), 5 unused bits.
inline unsigned dateYear(quint16 date) { return date >> 9; }
inline unsigned dateMonth(quint16 date) { return (date >> 5) & 0xF; }
inline unsigned dateDay(quint16 date) { return date & 0x1F; }
inline unsigned timeHour(quint16 time) { return time >> 11; }
inline unsigned timeMinute(quint16 time) { return (time >> 5) & 0x3F; }
