#include "link/Protocol.h"

#include <QtEndian>
#include <cassert>
#include <cstring>
#include <vector>

namespace mirvak {
namespace {

using Layout = std::vector<BlockLayout>;

void add(Layout& layout, BlockType type, quint32 bytes) { layout.push_back({type, bytes}); }

Layout partNumberLayout()
{
    Layout l;
    add(l, BlockType::Bytes, 40);
    add(l, BlockType::UInt32, 4);
    add(l, BlockType::Bytes, 32);
    add(l, BlockType::UInt32, 8);
    add(l, BlockType::Bytes, 64);
    add(l, BlockType::UInt32, 16);
    add(l, BlockType::Bytes, 64);
    add(l, BlockType::UInt32, 16);
    return l;
}

Layout biteLayout()
{
    return {{BlockType::UInt32, 8}, {BlockType::UInt32, 12}, {BlockType::UInt32, 16}};
}

// One flight slot of the engine-data answer.
Layout engineRecordLayout()
{
    Layout l;
    add(l, BlockType::Bytes, 8);
    add(l, BlockType::UInt32, 12);
    for (int bin = 0; bin < 26; ++bin) {  // steady-state speed bins
        add(l, BlockType::Int16, 4);
        add(l, BlockType::Float32, 88);
        add(l, BlockType::Int16, 4096);
    }
    for (int transient = 0; transient < 4; ++transient) {
        add(l, BlockType::Int16, 4);
        add(l, BlockType::Float32, 40);
        for (int capture = 0; capture < 10; ++capture) {
            add(l, BlockType::Float32, 44);
            add(l, BlockType::Int16, 4096);
        }
    }
    add(l, BlockType::UInt32, 4);
    add(l, BlockType::Float32, 3640);
    add(l, BlockType::Int16, 4);
    add(l, BlockType::UInt32, 4);
    return l;
}

Layout flightHistoryLayout()
{
    Layout l;
    add(l, BlockType::UInt32, 8);
    add(l, BlockType::Bytes, 16);
    for (int flight = 0; flight < 15; ++flight) {
        add(l, BlockType::Int16, 12);
        add(l, BlockType::Float32, 48);
        add(l, BlockType::Int16, 6);
        for (int i = 0; i < 66; ++i)
            add(l, BlockType::Float32, 44);
    }
    add(l, BlockType::Int16, 2);
    return l;
}

const Layout& layoutOf(quint32 command)
{
    static const std::array<Layout, kCommandCount> layouts = {
        partNumberLayout(), biteLayout(), engineRecordLayout(), flightHistoryLayout(),
        Layout{{BlockType::Int16, 6}}, Layout{}, Layout{}, Layout{}, Layout{}};
    const int index = GetCmdCodeArray(command);
    assert(index >= 0);
    return layouts[index];
}

}  // namespace

int GetCmdCodeArray(quint32 command)
{
    for (int i = 0; i < kCommandCount; ++i)
        if (kCommandCodes[i] == command)
            return i;
    return -1;
}

const char* commandName(quint32 command)
{
    switch (command) {
    case CMD_PN: return "CMD_PN";
    case CMD_STATUS_REQ: return "CMD_STATUS_REQ";
    case CMD_DOWNLOAD_DATA: return "CMD_DOWNLOAD_DATA";
    case CMD_GET_FLIGHT_HISTORY: return "CMD_GET_FLIGHT_HISTORY";
    case CMD_GET_ALGORITHM_STATUS: return "CMD_GET_ALGORITHM_STATUS";
    case CMD_ERASE_DATA: return "CMD_ERASE_DATA";
    case CMD_REPROG_PROG_MAIN: return "CMD_REPROG_PROG_MAIN";
    case CMD_REPROG_PROG_DSP: return "CMD_REPROG_PROG_DSP";
    case CMD_REPROG_CONFIG_DSP: return "CMD_REPROG_CONFIG_DSP";
    default: return "UNKNOWN";
    }
}

BlockLayout responseBlock(quint32 command, int blockNb)
{
    assert(blockNb < RSP_BLOCK_NB[GetCmdCodeArray(command)]);
    return layoutOf(command)[blockNb];
}

bool hasDataHeader(quint32 command) { return command == CMD_DOWNLOAD_DATA; }

BlockLayout dataHeaderBlock(int blockNb)
{
    assert(blockNb < 1);
    Q_UNUSED(blockNb);
    return {BlockType::UInt32, kDataHeaderBytes};
}

int recordCount(quint32 command) { return command == CMD_DOWNLOAD_DATA ? kEngineRecordCount : 1; }

quint32 responseLength(quint32 command)
{
    quint32 recordBytes = 0;
    for (const BlockLayout& block : layoutOf(command))
        recordBytes += block.byteCount + kBlockHeaderSize;
    quint32 length = kResponseHeaderSize + recordBytes * recordCount(command);
    if (hasDataHeader(command))
        length += kDataHeaderBytes + kBlockHeaderSize;
    return length;
}

int buildRequest(unsigned char* buffer, const quint32* payload, int payloadSize, quint32 command)
{
    qToBigEndian<quint32>(payloadSize + 8, buffer);
    qToBigEndian<quint32>(command, buffer + 4);
    for (int i = 0; i < payloadSize / 4; ++i)
        qToBigEndian<quint32>(payload[i], buffer + 8 + 4 * i);
    return payloadSize + 8;
}

void swapBlockData(quint32 byteCount, BlockType type, unsigned char* data)
{
    switch (type) {
    case BlockType::Int16:
        for (quint32 i = 0; i + 2 <= byteCount; i += 2)
            qToUnaligned(qFromBigEndian<quint16>(data + i), data + i);
        break;
    case BlockType::UInt32:
    case BlockType::Float32:
        for (quint32 i = 0; i + 4 <= byteCount; i += 4)
            qToUnaligned(qFromBigEndian<quint32>(data + i), data + i);
        break;
    case BlockType::Bytes:
        break;
    }
}

}  // namespace mirvak
