#include "repository/LocalDownload.h"

#include "core/MessageText.h"
#include "flights/PositionedFile.h"
#include "flights/RawFileReader.h"
#include "trend/EngineKey.h"
#include "trend/FlightIndex.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstring>

namespace repository {
namespace {

constexpr qint64 kSteadyBytes = sizeof(FlightBlock::steadyParameters);
constexpr qint64 kCaptureBytes = sizeof(FlightBlock::captureAverages);

QString fieldText(const char* field, qsizetype size) { return QString::fromLocal8Bit(field, qstrnlen(field, size)); }

void readHeaderFields(LocalDownload& download, const RawFileHeader& header)
{
    IndexedFlight owner;
    owner.engineSerial = engineSerialOfFileName(QFileInfo(download.rawPath).fileName());
    owner.registration = registrationOf(header);
    owner.enginePosition = header.engineNumber;
    download.engineSerial = owner.engineSerial;
    download.registration = owner.registration;
    download.enginePosition = owner.enginePosition;
    download.engineKey = engineKey(owner);
    download.unitEngineSerial = fieldText(header.unitEngineSerialNumber, sizeof header.unitEngineSerialNumber);
    download.created = header.creationTime;
    for (int alarm = 0; alarm < 6; ++alarm)
        download.alarmCodes[alarm] = header.dataHeaderWords[3 + alarm];
}

void readFlights(LocalDownload& download, const RawFileLayout& layout, const RawFileHeader& header,
                 const QByteArray& raw)
{
    for (int slot = 0; slot < layout.completeBlocks; ++slot) {
        if (header.flightNumbers[slot] == 0)
            continue;
        const char* block = raw.constData() + layout.blockOffset(slot);
        DownloadFlight flight{slot, header.flightNumbers[slot], header.secondFlightWords[slot],
                              header.memoryTypes[slot]};
        std::memcpy(&flight.dateWord, block + offsetof(FlightBlock, dateWord), sizeof flight.dateWord);
        std::memcpy(&flight.timeWord, block + offsetof(FlightBlock, timeWord), sizeof flight.timeWord);
        flight.values = QByteArray(block + offsetof(FlightBlock, steadyParameters), kSteadyBytes)
                        + QByteArray(block + offsetof(FlightBlock, captureAverages), kCaptureBytes);
        download.flights << flight;
    }
}

QByteArray wholeFile(const QString& path, QString& failure)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        failure = messageText(path) + QStringLiteral(": ") + file.errorString();
        return {};
    }
    return file.readAll();
}

}  // namespace

qint64 LocalDownload::bytes() const
{
    qint64 total = 0;
    for (const auto& file : files)
        total += file.second.size();
    return total;
}

QStringList LocalDownload::fileNames() const
{
    QStringList names;
    for (const auto& file : files)
        names << file.first;
    return names;
}

QStringList rawFilesBelow(const QString& dataRoot)
{
    QStringList files;
    const QDir::Filters directories = QDir::Dirs | QDir::NoDotAndDotDot;
    for (const QFileInfo& aircraft : QDir(dataRoot).entryInfoList({QStringLiteral("*_data")}, directories, QDir::Name))
        for (const QFileInfo& engine :
             QDir(aircraft.absoluteFilePath()).entryInfoList({QStringLiteral("engine_*")}, directories, QDir::Name))
            for (const QFileInfo& raw : QDir(engine.absoluteFilePath()).entryInfoList({QStringLiteral("*.raw")}, QDir::Files, QDir::Name))
                files << raw.absoluteFilePath();
    return files;
}

QByteArray sha256Of(const QString& path)
{
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file))
        return {};
    return hash.result();
}

QStringList reportNamesOf(const QString& rawName)
{
    const qsizetype cut = rawName.lastIndexOf(QLatin1String("-fd-"));
    if (cut < 0 || !rawName.endsWith(QLatin1String(".raw")))
        return {};
    const QString stamp = rawName.mid(cut + 4).chopped(4);
    QStringList names;
    for (const char* tag : {"fh", "cb", "ss", "tr"})
        names << rawName.left(cut) + QLatin1Char('-') + QLatin1String(tag) + QLatin1Char('-') + stamp
                     + QStringLiteral(".txt");
    return names;
}

LocalDownload readDownload(const QString& rawPath)
{
    LocalDownload download;
    download.rawPath = rawPath;
    PositionedFile file(rawPath);
    RawFileHeader header{};
    const RawFileLayout layout = file.isOpen() ? readRawLayout(file, header) : RawFileLayout{};
    download.failure = file.isOpen() ? layout.whyNotRead() : QStringLiteral("cannot open the file");
    if (!download.failure.isEmpty())
        return download;
    // The bytes hashed are the bytes whose flights are stored, whatever happens to the file meanwhile.
    QByteArray raw(file.size(), Qt::Uninitialized);
    if (file.read(0, raw.data(), raw.size()) != raw.size()) {
        download.failure = QStringLiteral("cannot read the file");
        return download;
    }
    download.sha256 = QCryptographicHash::hash(raw, QCryptographicHash::Sha256);
    readHeaderFields(download, header);
    readFlights(download, layout, header, raw);
    const QFileInfo info(rawPath);
    download.files << std::pair(info.fileName(), raw);
    for (const QString& report : reportNamesOf(info.fileName())) {
        const QString path = info.dir().filePath(report);
        if (!QFileInfo::exists(path))
            continue;
        QByteArray bytes = wholeFile(path, download.failure);
        if (!download.failure.isEmpty())
            return download;
        download.files << std::pair(report, bytes);
    }
    return download;
}

}  // namespace repository
