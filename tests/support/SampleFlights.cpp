#include "SampleFlights.h"

#include "download/EngineData.h"
#include "download/RawFileWriter.h"
#include "flights/RawFileReader.h"

#include <QDir>
#include <cmath>
#include <cstring>

namespace sample {

namespace {
constexpr double kTwoPi = 6.283185307179586;

qint16 sine(qint16 amplitude, int line, int index)
{
    return qint16(std::lround(amplitude * std::sin(kTwoPi * line * index / 2048.0)));
}
}  // namespace

// Quarter steps keep every value exact in single precision.
float steadyParameter(qint32 flight, int bin, int parameter) { return parameter * 100.0f + bin + flight * 0.25f; }
float transientParameter(qint32 flight, int type, int event, int parameter)
{
    return parameter * 1000.0f + type * 100.0f + event + flight * 0.25f;
}
float captureAverage(qint32 flight, int type, int average) { return average * 10.0f + type + flight * 0.25f; }

int steadyLine(int bin) { return 300 + 10 * bin; }
int transientLine(int type, int event) { return 250 + 50 * type + 5 * event; }
qint16 steadyAmplitude(qint32 flight, int bin) { return qint16(1000 + 100 * bin + 10 * flight); }
qint16 transientAmplitude(qint32 flight, int type, int event) { return qint16(2000 + 100 * event + 10 * type + flight); }
qint16 steadySample(qint32 flight, int bin, int index) { return sine(steadyAmplitude(flight, bin), steadyLine(bin), index); }
qint16 transientSample(qint32 flight, int type, int event, int index)
{
    return sine(transientAmplitude(flight, type, event), transientLine(type, event), index);
}

}  // namespace sample

namespace {

template <typename T>
void put(QByteArray& image, qsizetype offset, T value)
{
    std::memcpy(image.data() + offset, &value, sizeof value);
}

// One slot in the unit's layout (see FlightSlot).
void fillSlot(QByteArray& image, qsizetype slot, qint32 flight, qint32 memoryType)
{
    using namespace sample;
    put(image, slot + 24, flight);
    put(image, slot + 32, memoryType);
    for (int r = 0; r < engine::kSteadyBins; ++r) {
        for (int j = 0; j < engine::kSteadyParameters; ++j)
            put(image, slot + 56 + 4212 * r + 4 * j, steadyParameter(flight, r, j));
        for (int i = 0; i < engine::kSamples; ++i)
            put(image, slot + 152 + 4212 * r + 2 * i, steadySample(flight, r, i));
    }
    for (int k = 0; k < engine::kCaptures; ++k) {
        for (int a = 0; a < engine::kCaptureAverages; ++a)
            put(image, slot + 109568 + 41620 * k + 4 * a, captureAverage(flight, k, a));
        for (int m = 0; m < engine::kCaptureSamples; ++m) {
            for (int j = 0; j < engine::kTransientParameters; ++j)
                put(image, slot + 109616 + 41620 * k + 4156 * m + 4 * j, transientParameter(flight, k, m, j));
            for (int i = 0; i < engine::kSamples; ++i)
                put(image, slot + 109668 + 41620 * k + 4156 * m + 2 * i, transientSample(flight, k, m, i));
        }
    }
    put(image, slot + 279696, quint16((11 << 9) | (3 << 5) | 5));
    put(image, slot + 279698, quint16((14 << 11) | (25 << 5)));
}

}  // namespace

QString writeSampleRawFile(const QString& dataRoot, const QString& registration, int engine, const QString& name,
                           const QList<SampleSlot>& slotList)
{
    QByteArray bytes(EngineDataImage::kSize, 0);
    for (int i = 0; i < slotList.size(); ++i)
        fillSlot(bytes, qsizetype(i) * engine::kSlotSize, slotList[i].flight, slotList[i].memoryType);
    ReportContext context;
    copyText(context.aircraft.registration, registration);
    context.engineNumber = engine;
    const QString directory = QStringLiteral("%1/%2_data/engine_%3").arg(dataRoot, registration).arg(engine);
    QDir().mkpath(directory);
    const QString path = directory + QLatin1Char('/') + name;
    const QString failure = writeRawFile(path, context, EngineDataImage(bytes));
    Q_ASSERT_X(failure.isEmpty(), "writeSampleRawFile", qPrintable(failure));
    return path;
}

FlightRecordList readFlights(const QString& path)
{
    QList<FlightInfo> flights;
    extractFlightInfo(path, flights);
    FlightRecordList records;
    for (const FlightInfo& info : flights) {
        auto record = std::make_shared<FlightRecord>();
        record->registration = info.registration;
        record->enginePosition = info.enginePosition;
        record->flightNumber = info.flightNumber;
        record->memoryType = info.memoryType;
        extractFlightData(info, record->header, record->block);
        records << record;
    }
    return records;
}
