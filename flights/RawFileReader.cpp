#include "flights/RawFileReader.h"

#include "core/Prompts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstring>

namespace {

constexpr qint64 kBlockSize = sizeof(FlightBlock);
constexpr qint64 kDateWordOffset = offsetof(FlightBlock, dateWord);

int clamp(int value, int low, int high) { return qBound(low, value, high); }

}  // namespace

QString readRawHeader(QFile& file, RawFileHeader& header)
{
    std::memset(&header, 0, sizeof header);
    quint32 magic = 0;
    if (file.read(reinterpret_cast<char*>(&magic), 4) != 4)
        return QStringLiteral("Failed to read version information");
    file.seek(0);
    if (magic == kRawMagicV1) {
        if (file.read(reinterpret_cast<char*>(&header), kRawHeaderSizeV1) != kRawHeaderSizeV1)
            return QStringLiteral("Failed to read v200 file header");
        header.magic = kRawMagic;  // the identification fields stay empty
        return {};
    }
    if (magic == kRawMagic) {
        if (file.read(reinterpret_cast<char*>(&header), sizeof header) != qint64(sizeof header))
            return QStringLiteral("Failed to read file header");
        return {};
    }
    header.magic = magic;
    return {};
}

QDateTime flightDateTime(quint16 dateWord, quint16 timeWord)
{
    const int year = 2000 + clamp(int(dateWord >> 9), 0, 99);
    const int month = clamp(int((dateWord >> 5) & 0xF), 1, 12);
    // A day past the end of its month shows as the month's last day.
    const int day = clamp(int(dateWord & 0x1F), 1, QDate(year, month, 1).daysInMonth());
    const int hour = clamp(int(timeWord >> 11), 0, 23);
    const int minute = clamp(int((timeWord >> 5) & 0x3F), 0, 59);
    return QDateTime(QDate(year, month, day), QTime(hour, minute, 0), Qt::UTC);
}

QString registrationOf(const RawFileHeader& header)
{
    return QString::fromLocal8Bit(header.registration, qstrnlen(header.registration, sizeof header.registration));
}

ListingOutcome extractFlightInfo(const QString& path, QList<FlightInfo>& flights)
{
    QFile file(path);
    // Unbuffered: each slot needs 4 bytes, not the 16 kB a buffered read would fetch.
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return {};
    RawFileHeader header;
    if (const QString failure = readRawHeader(file, header); !failure.isEmpty())
        return {false, failure};
    if (header.magic != kRawMagic)
        return {true, {}};

    const qint64 start = file.pos();
    const qint64 completeBlocks = (file.size() - start) / kBlockSize;
    const QString absolutePath = QFileInfo(path).absoluteFilePath();
    const QString registration = registrationOf(header);
    for (int slot = 0; slot < kRawFlightCount; ++slot) {
        if (slot >= completeBlocks)
            return {false, QStringLiteral("Failed to read data block")};
        if (header.flightNumbers[slot] == 0)
            continue;
        quint16 words[2] = {};
        if (!file.seek(start + slot * kBlockSize + kDateWordOffset) || file.read(reinterpret_cast<char*>(words), 4) != 4)
            return {false, QStringLiteral("Failed to read data block")};
        flights.append({flightDateTime(words[0], words[1]), absolutePath, registration, header.engineNumber,
                        header.flightNumbers[slot], header.memoryTypes[slot]});
    }
    return {};
}

RawFileScan scanRawFiles(const QString& dataRoot)
{
    RawFileScan scan;
    const QDir::Filters directories = QDir::Dirs | QDir::NoDotAndDotDot;
    for (const QFileInfo& aircraft : QDir(dataRoot).entryInfoList({QStringLiteral("*_data")}, directories, QDir::Unsorted)) {
        for (const QFileInfo& engine : QDir(aircraft.absoluteFilePath()).entryInfoList({QStringLiteral("engine_*")}, directories, QDir::Unsorted)) {
            for (const QFileInfo& raw : QDir(engine.absoluteFilePath()).entryInfoList({QStringLiteral("*.raw")}, QDir::Files, QDir::Unsorted)) {
                const ListingOutcome outcome = extractFlightInfo(raw.absoluteFilePath(), scan.flights);
                if (outcome.unsupported)
                    scan.unsupportedFiles.append(raw.absoluteFilePath());
                if (!outcome.failure.isEmpty()) {
                    scan.truncatedFiles.append(raw.absoluteFilePath());
                    prompts().critical(nullptr, QStringLiteral("DataSelectionDialog::ExtractFlightInfo"),
                                       raw.absoluteFilePath() + QStringLiteral(": ") + outcome.failure);
                }
            }
        }
    }
    if (!scan.unsupportedFiles.isEmpty())
        prompts().warning(nullptr, QStringLiteral("Error"),
                          QStringLiteral("Found raw data files with an unsupported format. These files have been ignored."));
    return scan;
}

SlotReading readFlightSlot(const QString& path, qint32 flightNumber, RawFileHeader& header, FlightBlock& block)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {-1, QStringLiteral("cannot open the file: %1").arg(file.errorString())};
    if (const QString failure = readRawHeader(file, header); !failure.isEmpty())
        return {-1, failure};
    if (header.magic != kRawMagic)
        return {-1, QStringLiteral("unsupported file format")};
    const qint32* begin = header.flightNumbers;
    const qint32* end = begin + kRawFlightCount;
    const qint32* found = std::find(begin, end, flightNumber);
    if (found == end)
        return {};
    const int slot = int(found - begin);
    if (!file.seek(file.pos() + slot * kBlockSize)
        || file.read(reinterpret_cast<char*>(&block), kBlockSize) != kBlockSize)
        return {-1, QStringLiteral("Failed to read data block")};
    return {slot, {}};
}

QString extractFlightData(const FlightInfo& flight, RawFileHeader& header, FlightBlock& block)
{
    const SlotReading reading = readFlightSlot(flight.path, flight.flightNumber, header, block);
    if (reading.slot < 0 && reading.failure.isEmpty())
        return QStringLiteral("the flight is no longer in the file");
    return reading.failure;
}
