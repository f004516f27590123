#include "FigureFlights.h"

#include "core/Clock.h"
#include "download/EngineData.h"
#include "download/RawFileWriter.h"

#include <QDir>
#include <QFile>
#include <cmath>
#include <cstring>

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kLineHz = 4.76837158203125;  // one spectral line
constexpr int kFirstFlight = 131;

// Shaft speeds sit exactly on spectral lines, so their orders meet the peaks.
int lowShaftLine(int step) { return 231 + 2 * step; }
int highShaftLine(int step) { return 315 + 3 * step; }
float rpmOfLine(int line) { return float(line * kLineHz * 60.0); }

// A bearing tone, apart from every shaft order.
constexpr int kBearingLine = 780;

// One time history: the low shaft and its second order, the high shaft and its
// second order, and the bearing tone; the high shaft and the bearing grow by flight.
void putSignal(char* samples, int flight, int step)
{
    for (int i = 0; i < engine::kSamples; ++i) {
        const double turn = 2.0 * kPi * i / engine::kSamples;
        const double value = 600.0 * std::sin(turn * lowShaftLine(step))
                             + 160.0 * std::sin(turn * 2 * lowShaftLine(step))
                             + (300.0 + 90.0 * flight) * std::sin(turn * highShaftLine(step) + 0.5)
                             + 120.0 * std::sin(turn * 2 * highShaftLine(step))
                             + (50.0 + 12.0 * flight) * std::sin(turn * kBearingLine);
        const qint16 sample = qint16(std::lround(value));
        std::memcpy(samples + 2 * i, &sample, sizeof sample);
    }
}

template <typename T>
void put(char* slot, qsizetype offset, T value)
{
    std::memcpy(slot + offset, &value, sizeof value);
}

// Steady-state rows: 7 A4R, 8 TR4R, 9 N1-4R, 10 N2-4R, 18 A3B, 19 TR3B, 20 N1-3B, 21 N2-3B; the rest averages.
void putSteadyBin(char* slot, int flight, int bin)
{
    const qsizetype base = 56 + 4212 * bin;
    const float a4r = float(0.9 + 0.5 * std::sin(kPi * bin / 25.0) + 0.08 * flight);
    const float values[engine::kSteadyParameters] = {
        a4r, 1.1f, 0.05f, 0.04f, 0.6f, 0.7f, 0.3f, a4r, 1.1f, rpmOfLine(lowShaftLine(bin)),
        rpmOfLine(highShaftLine(bin)), 0.6f, 0.7f, 0.3f, 0.8f * a4r, 0.9f, 0.04f, 0.03f, 0.8f * a4r, 0.9f,
        rpmOfLine(lowShaftLine(bin)), rpmOfLine(highShaftLine(bin))};
    for (int j = 0; j < engine::kSteadyParameters; ++j)
        put(slot, base + 4 * j, values[j]);
    putSignal(slot + base + 96, flight, bin);
}

// Transient rows: 0 A4R, 1 TR4R, 2 N1-4R, 3 N2-4R, 7 A3B, 8 TR3B, 9 N1-3B, 10 N2-3B.
void putTransientCapture(char* slot, int flight, int type, int event)
{
    const qsizetype base = 109616 + 41620 * type + 4156 * event;
    const int step = 5 * type + event;
    const float a4r = float(1.0 + 0.05 * event + 0.08 * flight);
    const float values[engine::kTransientParameters] = {
        a4r, 1.2f, rpmOfLine(lowShaftLine(step)), rpmOfLine(highShaftLine(step)), 0.6f, 0.7f, 0.3f, 0.8f * a4r, 1.0f,
        rpmOfLine(lowShaftLine(step)), rpmOfLine(highShaftLine(step))};
    for (int j = 0; j < engine::kTransientParameters; ++j)
        put(slot, base + 4 * j, values[j]);
    putSignal(slot + base + 52, flight, step);
}

void putFlight(char* slot, int flight)
{
    put(slot, 24, qint32(kFirstFlight + flight));
    put(slot, 32, qint32(0));  // pre-defect memory
    for (int bin = 0; bin < engine::kSteadyBins; ++bin)
        putSteadyBin(slot, flight, bin);
    for (int type = 0; type < engine::kCaptures; ++type) {
        for (int average = 0; average < engine::kCaptureAverages; ++average)
            put(slot, 109568 + 41620 * type + 4 * average, float(1.0 + 0.1 * average + 0.08 * flight));
        for (int event = 0; event < engine::kCaptureSamples; ++event)
            putTransientCapture(slot, flight, type, event);
    }
    // One flight a day in February 2026, landing at 18:40.
    put(slot, 279696, quint16((26 << 9) | (2 << 5) | (2 + flight)));
    put(slot, 279698, quint16((18 << 11) | (40 << 5)));
}

}  // namespace

namespace figureflights {

QString write(const QString& dataRoot)
{
    QByteArray image(EngineDataImage::kSize, 0);
    for (int flight = 0; flight < kFlights; ++flight)
        putFlight(image.data() + qsizetype(flight) * engine::kSlotSize, flight);
    ReportContext context;
    copyText(context.aircraft.registration, kRegistration);
    context.engineNumber = kEngine;
    // As a unit reports a growing vibration at 4R: its current and historic alarms (words 5, 6) at Level 1 (0),
    // 4L's and 3B's quiet (3).
    for (int alarm = 7; alarm <= 10; ++alarm)
        context.dataHeader.words[alarm] = 3;
    const QString directory = dataRoot + QLatin1Char('/') + kRegistration + QStringLiteral("_data/engine_")
                              + QString::number(kEngine);
    if (!QDir().mkpath(directory))
        return QStringLiteral("cannot create ") + directory;
    const QString path = directory + QStringLiteral("/ESN") + kSerialNumber + QStringLiteral("-fd-20260305-1425.raw");
    if (const QString failure = writeRawFile(path, context, EngineDataImage(std::move(image))); !failure.isEmpty())
        return failure;
    // The selection lists when each file was downloaded: the fixed clock's time, not the build's.
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite) || !file.setFileTime(Clock::now(), QFileDevice::FileModificationTime))
        return path + QStringLiteral(": ") + file.errorString();
    return {};
}

}  // namespace figureflights
