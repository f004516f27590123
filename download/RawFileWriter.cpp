#include "download/RawFileWriter.h"

#include "core/CheckedSaveFile.h"
#include "core/Clock.h"

#include <QDateTime>
#include <cstring>
#include <memory>

namespace {

template <std::size_t N, std::size_t M>
void copyField(char (&to)[N], const char (&from)[M])
{
    const std::size_t n = qstrnlen(from, std::min(N - 1, M));
    std::memcpy(to, from, n);
}

void copyIdentification(RawFileHeader& h, const PartNumberRecord& pn)
{
    copyField(h.unitPartNumber, pn.unitPartNumber);
    copyField(h.unitSerialNumber, pn.unitSerialNumber);
    copyField(h.unitRegistration, pn.aircraftRegistration);
    copyField(h.unitEngineSerialNumber, pn.engineSerialNumber);
    copyField(h.mainBootPartNumber, pn.mainBootPartNumber);
    copyField(h.mainProgPartNumber, pn.mainProgPartNumber);
    copyField(h.dspBootPartNumber, pn.dspBootPartNumber);
    copyField(h.dspProgPartNumber, pn.dspProgPartNumber);
    copyField(h.unusedIdentification, pn.dspUnused);
    copyField(h.dspConfigTablePartNumber, pn.dspConfigTablePartNumber);
    for (int i = 0; i < 4; ++i)
        copyField(h.identification[i], pn.spareText[i]);
}

}  // namespace

RawFileHeader makeRawFileHeader(const ReportContext& context, const EngineDataImage& image,
                                quint32 creationTime)
{
    RawFileHeader h{};
    h.magic = kRawMagic;
    copyField(h.registration, context.aircraft.registration);
    copyField(h.engineType, context.engine().type);
    h.engineNumber = context.engineNumber;
    std::memcpy(h.dataHeaderWords, &context.dataHeader.words[2], sizeof h.dataHeaderWords);
    h.creationTime = creationTime;
    h.totalFlights = qint32(context.dataHeader.totalFlights());
    for (int i = 0; i < kRawFlightCount; ++i) {
        const FlightSlot slot = image.slot(i);
        h.flightNumbers[i] = slot.flightNumber();
        h.secondFlightWords[i] = slot.secondFlightWord();
        h.memoryTypes[i] = slot.memoryType();
    }
    copyIdentification(h, context.partNumbers);
    return h;
}

void fillFlightBlock(FlightBlock& b, const FlightSlot& slot)
{
    std::memset(&b, 0, sizeof b);
    for (int r = 0; r < engine::kSteadyBins; ++r) {
        for (int j = 0; j < engine::kSteadyParameters; ++j)
            b.steadyParameters[j][r] = slot.steadyParameter(r, j);
        std::memcpy(b.steadySamples[r], slot.steadySamples(r), sizeof b.steadySamples[r]);
    }
    for (int k = 0; k < engine::kCaptures; ++k) {
        for (int a = 0; a < engine::kCaptureAverages; ++a)
            b.captureAverages[a][k] = slot.captureAverage(k, a);
        for (int m = 0; m < engine::kCaptureSamples; ++m) {
            for (int j = 0; j < engine::kTransientParameters; ++j)
                b.transientParameters[j][k][m] = slot.transientParameter(k, m, j);
            std::memcpy(b.transientSamples[k][m], slot.transientSamples(k, m), sizeof b.transientSamples[k][m]);
        }
    }
    b.campbellSelector = slot.campbellSelector();
    for (int s = 0; s < engine::kCampbellSets; ++s)
        std::memcpy(b.campbellSets[s], slot.campbellSet(s), sizeof b.campbellSets[s]);
    b.dateWord = slot.dateWord();
    b.timeWord = slot.timeWord();
}

QString writeRawFile(const QString& path, const ReportContext& context, const EngineDataImage& image)
{
    CheckedSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QStringLiteral("Cannot open '%1': %2").arg(path, file.errorString());
    const RawFileHeader header =
        makeRawFileHeader(context, image, quint32(Clock::now().toSecsSinceEpoch()));
    file.write(reinterpret_cast<const char*>(&header), sizeof header);
    auto block = std::make_unique<FlightBlock>();
    for (int i = 0; i < kRawFlightCount; ++i) {
        fillFlightBlock(*block, image.slot(i));
        file.write(reinterpret_cast<const char*>(block.get()), sizeof *block);
    }
    if (const QString reason = file.commitWhole(); !reason.isEmpty())
        return QStringLiteral("Cannot write '%1': %2").arg(path, reason);
    return {};
}
