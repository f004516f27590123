#include "simulator/ResponseBuilder.h"

#include "link/Protocol.h"
#include "simulator/VariedEngineData.h"

#include <QDataStream>
#include <QHash>
#include <QIODevice>
#include <cmath>

using namespace mirvak;

qint16 signalSample(int index, int sampleCount)
{
    const double x = double(index) / sampleCount;
    return qint16(std::trunc(std::sin(804.247719318987 * x) * 8191.75
                             + std::sin(402.1238596594935 * x) * 16383.5
                             + std::sin(1608.495438637974 * x) * 4095.875));
}

namespace {

// The big-endian bytes of a signal block; every engine-data answer carries
// the same ones, so each size is computed once.
const QByteArray& signalBlock(quint32 byteCount)
{
    static QHash<quint32, QByteArray> cache;
    auto found = cache.find(byteCount);
    if (found == cache.end()) {
        QByteArray bytes;
        QDataStream out(&bytes, QIODevice::WriteOnly);
        const int samples = int(byteCount / 2);
        for (int j = 0; j < samples; ++j)
            out << signalSample(j, samples);
        found = cache.insert(byteCount, bytes);
    }
    return *found;
}

class BlockWriter {
public:
    BlockWriter(QDataStream& out, quint32 command, quint16& algorithmCounter)
        : out_(out), command_(command), algorithmCounter_(algorithmCounter)
    {
    }

    void write(BlockLayout block, int blockNb, int record)
    {
        out_ << quint32(block.type) << block.byteCount;
        const quint32 m = block.byteCount;
        switch (block.type) {
        case BlockType::Bytes:
            for (quint32 j = 0; j < m; ++j)
                out_ << quint8('A' + j % 26);
            break;
        case BlockType::Int16: writeInt16(m); break;
        case BlockType::UInt32: writeUInt32(m, blockNb, record); break;
        case BlockType::Float32:
            for (quint32 j = 0; j < m / 4; ++j)
                out_ << float(j);
            break;
        }
    }

private:
    void writeInt16(quint32 m)
    {
        if (command_ == CMD_DOWNLOAD_DATA) {
            const QByteArray& samples = signalBlock(m);
            out_.writeRawData(samples.constData(), int(samples.size()));
        } else if (command_ == CMD_GET_ALGORITHM_STATUS) {
            algorithmCounter_ = quint16((algorithmCounter_ + 1) % 3);
            for (quint32 j = 0; j < m / 2; ++j)
                out_ << algorithmCounter_;
        } else {
            for (quint32 j = 0; j < m / 2; ++j)
                out_ << quint16(j);
        }
    }

    void writeUInt32(quint32 m, int blockNb, int record)
    {
        if (command_ == CMD_DOWNLOAD_DATA && blockNb == 0) {  // the data header: 21 flights
            for (quint32 j = 0; j < m / 4; ++j)
                out_ << quint32(j == 1 ? kEngineRecordCount : j);
        } else if (command_ == CMD_DOWNLOAD_DATA && blockNb == 1) {  // flight number, memory type
            out_ << quint32(record) << quint32(0) << quint32(record >= 5 ? 1 : 0);
        } else {
            for (quint32 j = 0; j < m / 4; ++j)
                out_ << j;
        }
    }

    QDataStream& out_;
    quint32 command_;
    quint16& algorithmCounter_;
};

}  // namespace

ResponseBuilder::ResponseBuilder(std::optional<quint64> variedSeed)
{
    if (variedSeed)
        varied_.emplace(*variedSeed);
}

QByteArray ResponseBuilder::build(quint32 command)
{
    if (varied_ && command == CMD_ERASE_DATA)
        varied_->erase();

    QByteArray response;
    QDataStream out(&response, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::BigEndian);
    out.setFloatingPointPrecision(QDataStream::SinglePrecision);

    const int index = GetCmdCodeArray(command);
    if (index < 0) {
        out << quint32(kResponseHeaderSize) << quint32(1) << quint32(0);
        return response;
    }
    const int blocks = RSP_BLOCK_NB[index];
    const quint32 length = responseLength(command);
    response.reserve(length);
    out << length << quint32(0) << quint32(blocks + (hasDataHeader(command) ? 1 : 0));

    BlockWriter writer(out, command, algorithmCounter_);
    std::optional<VariedEngineData> variedData;
    if (varied_ && command == CMD_DOWNLOAD_DATA)
        variedData.emplace(*varied_);
    if (hasDataHeader(command)) {
        if (variedData)
            variedData->writeDataHeader(out);
        else
            writer.write(dataHeaderBlock(0), 0, 0);
    }
    for (int record = 0; record < recordCount(command); ++record)
        for (int block = 0; block < blocks; ++block)
            if (!variedData || !variedData->writeBlock(out, responseBlock(command, block), block, record))
                writer.write(responseBlock(command, block), block, record);
    return response;
}
