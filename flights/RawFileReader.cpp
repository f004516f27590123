#include "flights/RawFileReader.h"

#include "core/Prompts.h"
#include "flights/PositionedFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstring>
#include <functional>

namespace {

constexpr qint64 kBlockSize = sizeof(FlightBlock);
constexpr qint64 kDateWordOffset = offsetof(FlightBlock, dateWord);

int clamp(int value, int low, int high) { return qBound(low, value, high); }

struct HeaderCheck {
    QString failure;
    qint64 size = 0;  // of the header in the file; 0 for an unknown magic
};

// Completes a header read in place from the first `got` bytes of a file (at
// most sizeof header, the rest zero); see readRawHeader.
HeaderCheck checkHeader(RawFileHeader& header, qint64 got)
{
    if (got < 4)
        return {QStringLiteral("Failed to read version information")};
    char* bytes = reinterpret_cast<char*>(&header);
    if (header.magic == kRawMagicV1) {
        if (got < kRawHeaderSizeV1)
            return {QStringLiteral("Failed to read v200 file header")};
        std::memset(bytes + kRawHeaderSizeV1, 0, sizeof header - kRawHeaderSizeV1);
        header.magic = kRawMagic;  // the identification fields stay empty
        return {{}, kRawHeaderSizeV1};
    }
    if (header.magic == kRawMagic) {
        if (got < qint64(sizeof header))
            return {QStringLiteral("Failed to read file header")};
        return {{}, qint64(sizeof header)};
    }
    std::memset(bytes + sizeof header.magic, 0, sizeof header - sizeof header.magic);
    return {};
}

// A file longer than a complete raw file of its format is none: trailing
// bytes, or the older magic before a current header, which would shift every
// value read. A shorter one is a cut file, read up to its cut.
QString sizeRefusal(qint64 size, qint64 headerSize)
{
    const qint64 complete = headerSize + kRawFlightCount * kBlockSize;
    if (size <= complete)
        return {};
    return QStringLiteral("%1 bytes, more than the %2 bytes of a complete raw file of its format")
        .arg(QString::number(size), QString::number(complete));
}

}  // namespace

QString readRawHeader(QFile& file, RawFileHeader& header)
{
    std::memset(&header, 0, sizeof header);
    const HeaderCheck check = checkHeader(header, file.read(reinterpret_cast<char*>(&header), sizeof header));
    if (check.size > 0 && check.size != qint64(sizeof header))
        file.seek(check.size);
    return check.failure;
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

RawFileLayout readRawLayout(PositionedFile& file, RawFileHeader& header)
{
    std::memset(&header, 0, sizeof header);
    const HeaderCheck check = checkHeader(header, file.read(0, &header, sizeof header));
    if (!check.failure.isEmpty())
        return {check.failure};
    if (header.magic != kRawMagic)
        return {{}, true};
    if (const QString refusal = sizeRefusal(file.size(), check.size); !refusal.isEmpty())
        return {{}, false, refusal};
    const int completeBlocks = int(qMin<qint64>((file.size() - check.size) / kBlockSize, kRawFlightCount));
    return {{}, false, {}, check.size, completeBlocks};
}

QString RawFileLayout::whyNotRead() const
{
    if (unsupported)
        return QStringLiteral("unsupported file format");
    return failure.isEmpty() ? refusal : failure;
}

ListingOutcome extractFlightInfo(const QString& path, QList<FlightInfo>& flights)
{
    PositionedFile file(path);
    if (!file.isOpen())
        return {};
    RawFileHeader header;
    const RawFileLayout layout = readRawLayout(file, header);
    if (!layout.whyNotRead().isEmpty())
        return {layout.unsupported, layout.failure, layout.refusal};

    const QString absolutePath = QFileInfo(path).absoluteFilePath();
    const QString registration = registrationOf(header);
    for (int slot = 0; slot < kRawFlightCount; ++slot) {
        if (slot >= layout.completeBlocks)
            return {false, QStringLiteral("Failed to read data block")};
        if (header.flightNumbers[slot] == 0)
            continue;
        quint16 words[2] = {};
        if (file.read(layout.blockOffset(slot) + kDateWordOffset, words, sizeof words) != qint64(sizeof words))
            return {false, QStringLiteral("Failed to read data block")};
        flights.append({flightDateTime(words[0], words[1]), absolutePath, registration, header.engineNumber,
                        header.flightNumbers[slot], header.memoryTypes[slot], slot});
    }
    return {};
}

RawFileScan scanRawFiles(const QString& dataRoot)
{
    RawFileScan scan;
    QStringList refusals;
    const QDir::Filters directories = QDir::Dirs | QDir::NoDotAndDotDot;
    for (const QFileInfo& aircraft : QDir(dataRoot).entryInfoList({QStringLiteral("*_data")}, directories, QDir::Unsorted)) {
        for (const QFileInfo& engine : QDir(aircraft.absoluteFilePath()).entryInfoList({QStringLiteral("engine_*")}, directories, QDir::Unsorted)) {
            for (const QFileInfo& raw : QDir(engine.absoluteFilePath()).entryInfoList({QStringLiteral("*.raw")}, QDir::Files, QDir::Unsorted)) {
                const ListingOutcome outcome = extractFlightInfo(raw.absoluteFilePath(), scan.flights);
                if (outcome.unsupported)
                    scan.unsupportedFiles.append(raw.absoluteFilePath());
                if (!outcome.refusal.isEmpty()) {
                    scan.refusedFiles.append(raw.absoluteFilePath());
                    refusals.append(raw.absoluteFilePath() + QStringLiteral(": ") + outcome.refusal + QLatin1Char('.'));
                }
                if (!outcome.failure.isEmpty()) {
                    scan.truncatedFiles.append(raw.absoluteFilePath());
                    prompts().critical(nullptr, QStringLiteral("DataSelectionDialog::ExtractFlightInfo"),
                                       raw.absoluteFilePath() + QStringLiteral(": ") + outcome.failure);
                }
            }
        }
    }
    if (!scan.unsupportedFiles.isEmpty() || !refusals.isEmpty()) {
        QString text = QStringLiteral("Found raw data files with an unsupported format. These files have been ignored.");
        if (!refusals.isEmpty())
            text += QStringLiteral("\n\n") + refusals.join(QLatin1Char('\n'));
        prompts().warning(nullptr, QStringLiteral("Error"), text);
    }
    return scan;
}

namespace {

// Reads the header, then the block of the slot chosen from it (-1: none).
SlotReading readChosenSlot(const QString& path, const std::function<int(const RawFileHeader&)>& choose,
                           RawFileHeader& header, FlightBlock& block)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {-1, QStringLiteral("cannot open the file: %1").arg(file.errorString())};
    if (const QString failure = readRawHeader(file, header); !failure.isEmpty())
        return {-1, failure};
    if (header.magic != kRawMagic)
        return {-1, QStringLiteral("unsupported file format")};
    if (const QString refusal = sizeRefusal(file.size(), file.pos()); !refusal.isEmpty())
        return {-1, refusal};
    const int slot = choose(header);
    if (slot < 0)
        return {};
    if (!file.seek(file.pos() + slot * kBlockSize)
        || file.read(reinterpret_cast<char*>(&block), kBlockSize) != kBlockSize)
        return {-1, QStringLiteral("Failed to read data block")};
    return {slot, {}};
}

}  // namespace

SlotReading readFlightSlot(const QString& path, qint32 flightNumber, RawFileHeader& header, FlightBlock& block)
{
    return readChosenSlot(path, [flightNumber](const RawFileHeader& read) {
        const qint32* begin = read.flightNumbers;
        const qint32* end = begin + kRawFlightCount;
        const qint32* found = std::find(begin, end, flightNumber);
        return found == end ? -1 : int(found - begin);
    }, header, block);
}

SlotReading readSlot(const QString& path, int slot, RawFileHeader& header, FlightBlock& block)
{
    return readChosenSlot(path, [slot](const RawFileHeader& read) {
        return read.flightNumbers[slot] != 0 ? slot : -1;
    }, header, block);
}

QString extractFlightData(const FlightInfo& flight, RawFileHeader& header, FlightBlock& block)
{
    const SlotReading reading = readFlightSlot(flight.path, flight.flightNumber, header, block);
    if (reading.slot < 0 && reading.failure.isEmpty())
        return QStringLiteral("the flight is no longer in the file");
    return reading.failure;
}
