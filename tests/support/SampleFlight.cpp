#include "SampleFlight.h"

#include "SampleAircraft.h"
#include "core/Clock.h"
#include "download/RawFileWriter.h"
#include "flights/RawFileReader.h"
#include "flights/Spectrum.h"

#include <QDir>
#include <QFile>
#include <cmath>
#include <cstring>

namespace sampleflight {

namespace {

template <typename T>
void put(QByteArray& image, qsizetype offset, T value)
{
    std::memcpy(image.data() + offset, &value, sizeof value);
}

void putSine(QByteArray& image, qsizetype offset, int line, double amplitude)
{
    for (int i = 0; i < sampling::kSamples; ++i)
        put(image, offset + 2 * i,
            qint16(std::lround(amplitude * std::sin(2.0 * M_PI * line * i / sampling::kSamples))));
}

EngineDataImage image(int flightNumber)
{
    QByteArray bytes(EngineDataImage::kSize, 0);
    const qsizetype slot = qsizetype(kSlot) * engine::kSlotSize;
    put(bytes, slot + 24, qint32(flightNumber));
    put(bytes, slot + 32, qint32(1));
    put(bytes, slot + 279696, quint16(11 << 9 | 3 << 5 | 5));
    put(bytes, slot + 279698, quint16(14 << 11 | 20 << 5));
    for (int r = 0; r < engine::kSteadyBins; ++r) {
        for (int j = 0; j < engine::kSteadyParameters; ++j)
            put(bytes, slot + 56 + 4212 * r + 4 * j, steadyValue(j, r));
        putSine(bytes, slot + 152 + 4212 * r, steadyLine(r), 1000 + 100 * r);
    }
    for (int k = 0; k < engine::kCaptures; ++k)
        for (int m = 0; m < engine::kCaptureSamples; ++m) {
            const qsizetype sample = slot + 41620 * k + 4156 * m;
            for (int j = 0; j < engine::kTransientParameters; ++j)
                put(bytes, sample + 109616 + 4 * j, transientValue(j, k, m));
            putSine(bytes, sample + 109668, transientLine(k, m), 3000);
        }
    return EngineDataImage(bytes);
}

}  // namespace

float steadyValue(int parameter, int bin)
{
    if (parameter == 9) {
        switch (bin) {
        case 0: return 4171.625f;   // a tie printf rounds to even: 4171.62
        case 1: return 1234567.0f;  // wider than its field: 1.23457e+06
        case 2: return -0.0001f;
        case 3: return 0.0f;
        }
    }
    return parameter * 1000.0f + bin * 12.25f;
}

float transientValue(int parameter, int capture, int sample)
{
    if (sample == 9)
        return 1e-5f * (parameter + 1);
    return parameter * 100.0f + capture * 10.0f + sample + 0.5f;
}

int steadyLine(int bin) { return 300 + 20 * bin; }
int transientLine(int capture, int sample) { return 220 + 50 * capture + 5 * sample; }

QString writeRawFile(const QString& dataRoot, const QString& engineSerial, int flightNumber)
{
    ReportContext context;
    context.aircraft = sampleAircraft();
    context.engineNumber = kEngine;
    PartNumberRecord& pn = context.partNumbers;
    copyText(pn.unitPartNumber, QStringLiteral("614-201-100-01"));
    copyText(pn.unitSerialNumber, QStringLiteral("SN00042"));
    copyText(pn.engineSerialNumber, engineSerial);
    copyText(pn.mainBootPartNumber, QStringLiteral("614-205-001-01"));
    copyText(pn.mainProgPartNumber, QStringLiteral("614-205-002-03"));
    copyText(pn.dspBootPartNumber, QStringLiteral("614-207-001-01"));
    copyText(pn.dspProgPartNumber, QStringLiteral("614-207-002-02"));
    copyText(pn.dspConfigTablePartNumber, QStringLiteral("614-208-003-01"));
    const QString directory = QStringLiteral("%1/F-GABC_data/engine_%2").arg(dataRoot).arg(kEngine);
    QDir().mkpath(directory);
    const QString path = QStringLiteral("%1/ESN%2-fd-%3.raw").arg(directory, engineSerial).arg(flightNumber);
    Clock::fix(kWritten);
    ::writeRawFile(path, context, image(flightNumber));
    Clock::fix(std::nullopt);
    return path;
}

QString writeOlderRawFile(const QString& dataRoot)
{
    const QString current = writeRawFile(dataRoot, QStringLiteral("older"));
    QFile in(current);
    in.open(QIODevice::ReadOnly);
    QByteArray bytes = in.readAll();
    in.close();
    QFile::remove(current);
    bytes.remove(kRawHeaderSizeV1, int(sizeof(RawFileHeader)) - kRawHeaderSizeV1);
    std::memcpy(bytes.data(), &kRawMagicV1, sizeof kRawMagicV1);
    const QString older = QFileInfo(current).absolutePath() + QStringLiteral("/older.raw");
    QFile out(older);
    out.open(QIODevice::WriteOnly);
    out.write(bytes);
    return older;
}

std::shared_ptr<FlightRecord> read(const QString& path, int flightNumber)
{
    auto flight = std::make_shared<FlightRecord>();
    FlightInfo info;
    info.path = path;
    info.flightNumber = flightNumber;
    if (const QString failure = extractFlightData(info, flight->header, flight->block); !failure.isEmpty())
        qFatal("%s: %s", qPrintable(path), qPrintable(failure));
    flight->registration = textOf(flight->header.registration);
    flight->enginePosition = flight->header.engineNumber;
    flight->flightNumber = flightNumber;
    flight->memoryType = flight->header.memoryTypes[kSlot];
    return flight;
}

}  // namespace sampleflight
