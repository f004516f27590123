#pragma once
// The unit's request/response protocol: command codes, block types and the
// reference block layout of every response. Shared by the ground station and
// the simulator, so both sides agree on every byte.
//
//   request:  u32 length (payload + 8) | u32 command | payload words
//   response: u32 length | u32 ack | u32 blockCount | blocks...
//   block:    u32 type | u32 byteCount | data (big-endian elements)

#include <QtGlobal>
#include <array>
#include <cstddef>

namespace mirvak {

enum Command : quint32 {
    CMD_PN = 1,
    CMD_STATUS_REQ = 2,
    CMD_DOWNLOAD_DATA = 96,
    CMD_GET_FLIGHT_HISTORY = 97,
    CMD_GET_ALGORITHM_STATUS = 100,
    CMD_ERASE_DATA = 101,
    CMD_REPROG_PROG_MAIN = 240,
    CMD_REPROG_PROG_DSP = 242,
    CMD_REPROG_CONFIG_DSP = 243,
};

enum class BlockType : quint32 { Bytes = 0, Int16 = 1, UInt32 = 2, Float32 = 3 };

constexpr int kCommandCount = 9;
constexpr std::array<quint32, kCommandCount> kCommandCodes = {1, 2, 96, 97, 100, 101, 240, 242, 243};

// Number of blocks of one record of each command's response, in the order of kCommandCodes.
constexpr std::array<int, kCommandCount> RSP_BLOCK_NB = {8, 3, 172, 1038, 1, 0, 0, 0, 0};

constexpr int kRequestBufferSize = 16384;
constexpr int kResponseHeaderSize = 12;
constexpr int kBlockHeaderSize = 8;
constexpr quint32 kMaxMessageLength = 0xFFFFFF;  // also the largest block byte count
constexpr int kEngineRecordCount = 21;           // flight slots in an engine-data answer
constexpr int kDataHeaderBytes = 44;             // the engine-data answer's leading block

// Index of a command in kCommandCodes, or -1 for a code the unit does not know.
int GetCmdCodeArray(quint32 command);
const char* commandName(quint32 command);  // "CMD_PN", ...; "UNKNOWN" for other codes

struct BlockLayout {
    BlockType type;
    quint32 byteCount;
};

// Layout of block blockNb (0-based) of one record of the command's response.
BlockLayout responseBlock(quint32 command, int blockNb);
bool hasDataHeader(quint32 command);  // only CMD_DOWNLOAD_DATA
BlockLayout dataHeaderBlock(int blockNb);
int recordCount(quint32 command);     // 21 for CMD_DOWNLOAD_DATA, 1 otherwise
quint32 responseLength(quint32 command);  // total message length of the command's answer

// Writes length, command and the payload words into buffer in network order and
// returns the number of bytes to send (payloadSize + 8). payloadSize is a multiple of 4.
int buildRequest(unsigned char* buffer, const quint32* payload, int payloadSize, quint32 command);

// Converts the elements of one block between network and host order, in place.
// Trailing bytes that do not fill a whole element are left alone.
void swapBlockData(quint32 byteCount, BlockType type, unsigned char* data);

}  // namespace mirvak
