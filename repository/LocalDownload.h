#pragma once
// One download of the local data tree as the fleet repository stores it: the
// raw file's bytes and SHA-256 (which names the download), its header's
// fields, its complete flights with the values the flight index keeps, and
// the reports of its set that exist beside it.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <utility>

namespace repository {

struct DownloadFlight {
    qint32 slot = 0;
    qint32 flightNumber = 0;
    qint32 secondWord = 0;
    qint32 memoryType = 0;
    quint16 dateWord = 0;
    quint16 timeWord = 0;
    QByteArray values;  // 22 x 26 steady-state floats, then 10 x 4 capture averages, as the file holds them
};

struct LocalDownload {
    QString rawPath;
    QByteArray sha256;
    qint64 created = 0;  // the header's creation time
    QString registration;
    qint32 enginePosition = 0;
    QString engineSerial;  // the file name's
    QString unitEngineSerial;
    QString engineKey;
    std::array<qint32, 6> alarmCodes{};
    QList<DownloadFlight> flights;
    QList<std::pair<QString, QByteArray>> files;  // name and bytes: the raw file first, then its reports
    QString failure;  // why it cannot be pushed; empty when read

    qint64 bytes() const;
    QStringList fileNames() const;
};

// Every raw file of the data tree (<root>/*_data/engine_*/*.raw), sorted.
QStringList rawFilesBelow(const QString& dataRoot);
// The SHA-256 of a file; empty when it cannot be read.
QByteArray sha256Of(const QString& path);
// Reads the raw file and the reports of its set whole.
LocalDownload readDownload(const QString& rawPath);
// The report names of a raw file's set, "ESN1-fd-20260305-1425.raw" giving
// "ESN1-fh-20260305-1425.txt", then -cb-, -ss-, -tr-.
QStringList reportNamesOf(const QString& rawName);

}  // namespace repository
