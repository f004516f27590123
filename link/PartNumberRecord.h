#pragma once
// The unit's identity and software part numbers: the part-number answer as it
// stands in the normalised response file from offset 12 (eight blocks with
// their block headers). Text fields are NUL-terminated in their last byte.

#include <QList>
#include <QString>
#include <QtGlobal>
#include <array>
#include <cstddef>
#include <optional>

struct BlockHeader {
    quint32 type;
    quint32 byteCount;
};

struct PartNumberRecord {
    BlockHeader identityHeader;
    char unitPartNumber[16];
    char unitSerialNumber[8];
    char aircraftRegistration[8];
    char engineSerialNumber[8];

    BlockHeader positionHeader;
    quint32 enginePositionCode;  // SDI: 1, 2, 3, or 0 for position 4

    BlockHeader mainSoftwareHeader;
    char mainBootPartNumber[16];
    char mainProgPartNumber[16];

    BlockHeader mainCrcHeader;
    quint32 mainUnused;
    quint32 mainProgCrc;

    BlockHeader dspSoftwareHeader;
    char dspBootPartNumber[16];
    char dspProgPartNumber[16];
    char dspUnused[16];
    char dspConfigTablePartNumber[16];

    BlockHeader dspCrcHeader;
    quint32 dspBootCrc;
    quint32 dspProgCrc;
    quint32 dspUnusedCrc;
    quint32 dspConfigTableCrc;

    BlockHeader spareTextHeader;
    char spareText[4][16];

    BlockHeader spareWordsHeader;
    quint32 spareWords[4];
};
static_assert(sizeof(PartNumberRecord) == 308, "the part-number record is 308 bytes");
static_assert(offsetof(PartNumberRecord, enginePositionCode) == 56);
static_assert(offsetof(PartNumberRecord, dspConfigTablePartNumber) == 172);

// Length of the part-number answer and of the built-in test answer.
constexpr qint64 kPartNumberAnswerSize = 320;
constexpr qint64 kBiteAnswerSize = 72;

// Text of a fixed-size field, up to its first NUL.
template <std::size_t N>
QString fieldText(const char (&field)[N])
{
    return QString::fromLatin1(field, qstrnlen(field, N));
}

// Reads a normalised part-number answer file into the record and terminates its
// text fields. Returns the failure text, empty on success; on failure the
// record is zero-filled.
QString readPartNumberFile(const QString& path, PartNumberRecord& record);

// Forces a NUL into the last byte of each of the fourteen text fields.
void terminateTextFields(PartNumberRecord& record);

// Two part numbers are compatible when the first 13 characters of each are the
// family prefix 614, any character, 20, any six characters, and the same 13th
// character. An empty part number is compatible with anything.
bool partNumbersCompatible(const QString& first, const QString& second);

// Whether the unit runs the software this ground station was made for.
bool unitSoftwareExpected(const PartNumberRecord& record);
// An empty DSP software or configuration table part number: the unit started
// in its main-software upload mode.
bool unitInUploadMode(const PartNumberRecord& record);

// The nine built-in test results of the unit, in the order Main ARINC, Main
// COMM DSP, DSP SDRAM, DSP Flash, DSP Analog, Reserved 1 to 4.
using BiteResults = std::array<quint32, 9>;

// The BITE results' names, in the same order, as the built-in test dialog shows them.
inline const std::array<const char*, 9> kBiteResultLabels = {
    "Main ARINC:", "Main COMM DSP:", "DSP SDRAM:", "DSP Flash:", "DSP Analog:",
    "Reserved 1:", "Reserved 2:", "Reserved 3:", "Reserved 4:"};
// Their names as identifiers (the dialog's value fields).
inline const std::array<const char*, 9> kBiteResultKeys = {
    "mainArincItv", "mainCommDspItv", "dspRamItv", "dspFlashItv", "dspAnalogItv",
    "reserved1", "reserved2", "reserved3", "reserved4"};

// One row of the part-number dialog: label, value and, for software, its CRC.
struct PartNumberRow {
    const char* label;     // "Main Prog PNR:"
    const char* key;       // the value field's name, "mainProgPn"
    QString value;
    const char* crcKey;    // the CRC field's name, nullptr when the row has none
    std::optional<quint32> crc;

    QString crcText() const;  // "(0x1a2b)", empty without a CRC
};

// The seven rows of the part-number dialog, in its order.
QList<PartNumberRow> partNumberRows(const PartNumberRecord& record);
