#pragma once
// The raw file: the persistent format of recorded flights. Little-endian; a
// 640-byte header followed by 21 flight blocks, one per flight slot of the
// unit, empty slots included. An older variant (kRawMagicV1) has a 340-byte
// header without the identification strings; it is only read.

#include <QtGlobal>
#include <cstddef>

constexpr quint32 kRawMagic = 0xAEEAAEED;
constexpr quint32 kRawMagicV1 = 0xAEEAAEEC;
constexpr int kRawHeaderSizeV1 = 340;
constexpr int kRawFlightCount = 21;

struct RawFileHeader {
    quint32 magic;
    char registration[17];
    char engineType[17];
    char reserved0[2];
    qint32 engineNumber;
    qint32 dataHeaderWords[9];  // three uninterpreted words, then the six alarm codes
    quint32 creationTime;       // seconds since 1970-01-01 UTC
    qint32 totalFlights;
    qint32 flightNumbers[kRawFlightCount];  // 0 marks an empty slot
    qint32 secondFlightWords[kRawFlightCount];
    qint32 memoryTypes[kRawFlightCount];  // 0 pre-defect, 1 post-defect
    // Identification of the unit (absent in the older variant).
    char unitPartNumber[16];
    char unitSerialNumber[8];
    char unitRegistration[8];
    char unitEngineSerialNumber[8];
    char mainBootPartNumber[16];
    char mainProgPartNumber[16];
    char dspBootPartNumber[16];
    char dspProgPartNumber[16];
    char unusedIdentification[16];
    char dspConfigTablePartNumber[16];
    char identification[4][16];
    char reserved1[100];
};
static_assert(sizeof(RawFileHeader) == 640);
static_assert(offsetof(RawFileHeader, engineNumber) == 40);
static_assert(offsetof(RawFileHeader, creationTime) == 80);
static_assert(offsetof(RawFileHeader, unitPartNumber) == kRawHeaderSizeV1);
static_assert(offsetof(RawFileHeader, identification) == 476);

struct FlightBlock {
    float steadyParameters[22][26];           // [parameter][bin]
    qint16 steadySamples[26][2048];           // [bin]
    float transientParameters[11][4][10];     // [parameter][capture][sample]
    float captureAverages[10][4];             // [average][capture]
    qint16 transientSamples[4][10][2048];     // [capture][sample]
    qint32 campbellSelector;
    char reserved0[320];
    float campbellSets[5][166];
    quint16 dateWord;
    quint16 timeWord;
    quint32 reserved1;
};
static_assert(sizeof(FlightBlock) == 278196);
static_assert(offsetof(FlightBlock, steadySamples) == 2288);
static_assert(offsetof(FlightBlock, transientParameters) == 108784);
static_assert(offsetof(FlightBlock, captureAverages) == 110544);
static_assert(offsetof(FlightBlock, transientSamples) == 110704);
static_assert(offsetof(FlightBlock, campbellSelector) == 274544);
static_assert(offsetof(FlightBlock, campbellSets) == 274868);
static_assert(offsetof(FlightBlock, dateWord) == 278188);

constexpr qint64 kRawFileSize = qint64(sizeof(RawFileHeader)) + kRawFlightCount * qint64(sizeof(FlightBlock));
static_assert(kRawFileSize == 5842756);
