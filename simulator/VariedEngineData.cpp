#include "simulator/VariedEngineData.h"

#include "simulator/ResponseBuilder.h"

#include <QDataStream>

using namespace mirvak;

namespace {

// Block numbers within one flight slot of the engine-data answer.
constexpr int kFlightWords = 1;
constexpr int kFirstBin = 2;  // per bin: bin words, 22 parameters, samples
constexpr int kBlocksPerBin = 3;
constexpr int kFirstCapture = kFirstBin + 26 * kBlocksPerBin;  // per capture: words, averages, 10 × (parameters, samples)
constexpr int kBlocksPerCapture = 22;
constexpr int kCampbellSelector = kFirstCapture + 4 * kBlocksPerCapture;
constexpr int kEndOfFlight = kCampbellSelector + 2;

constexpr int kSignalSamples = 2048;

const std::vector<qint16>& plainSignal()
{
    static const std::vector<qint16> samples = [] {
        std::vector<qint16> s(kSignalSamples);
        for (int j = 0; j < kSignalSamples; ++j)
            s[j] = signalSample(j, kSignalSamples);
        return s;
    }();
    return samples;
}

bool isUnitBlock(int blockNb)
{
    if (blockNb == kFlightWords || blockNb == kEndOfFlight)
        return true;
    if (blockNb >= kFirstBin && blockNb < kFirstCapture)
        return (blockNb - kFirstBin) % kBlocksPerBin != 0;
    if (blockNb >= kFirstCapture && blockNb < kCampbellSelector)
        return (blockNb - kFirstCapture) % kBlocksPerCapture != 0;
    return false;
}

}  // namespace

void VariedEngineData::writeDataHeader(QDataStream& out) const
{
    out << quint32(BlockType::UInt32) << quint32(kDataHeaderBytes);
    out << quint32(0) << unit_.totalEngineFlights() << quint32(2) << quint32(3) << quint32(4);
    for (quint32 code : unit_.alarmCodes())
        out << code;
}

bool VariedEngineData::writeBlock(QDataStream& out, BlockLayout block, int blockNb, int record) const
{
    if (!isUnitBlock(blockNb))
        return false;
    out << quint32(block.type) << block.byteCount;
    if (record < unit_.flights().size())
        writeFlightBlock(out, unit_.flights()[record], blockNb);
    else
        out.writeRawData(QByteArray(block.byteCount, '\0').constData(), int(block.byteCount));
    return true;
}

void VariedEngineData::writeFlightBlock(QDataStream& out, const VariedFlight& flight, int blockNb) const
{
    if (blockNb == kFlightWords) {
        out << flight.number << quint32(0) << flight.memoryType;
    } else if (blockNb == kEndOfFlight) {
        out << flight.dateWord << flight.timeWord;
    } else if (blockNb < kFirstCapture) {
        const int bin = (blockNb - kFirstBin) / kBlocksPerBin;
        if ((blockNb - kFirstBin) % kBlocksPerBin == 1) {
            for (int parameter = 0; parameter < 22; ++parameter)
                out << unit_.steadyStateValue(flight, parameter, bin);
        } else {
            writeSignal(out, flight, -1, bin);
        }
    } else {
        const int capture = (blockNb - kFirstCapture) / kBlocksPerCapture;
        const int position = (blockNb - kFirstCapture) % kBlocksPerCapture;
        const int sample = (position - 2) / 2;
        if (position == 1) {
            for (int average = 0; average < 10; ++average)
                out << unit_.captureAverage(flight, average, capture);
        } else if (position % 2 == 0) {
            for (int parameter = 0; parameter < 11; ++parameter)
                out << unit_.transientValue(flight, parameter, capture, sample);
        } else {
            writeSignal(out, flight, capture, sample);
        }
    }
}

void VariedEngineData::writeSignal(QDataStream& out, const VariedFlight& flight, int capture, int binOrSample) const
{
    for (qint16 sample : unit_.scaledSignal(plainSignal(), flight, capture, binOrSample))
        out << sample;
}
