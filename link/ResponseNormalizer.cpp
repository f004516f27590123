#include "link/ResponseNormalizer.h"

#include "core/DataDirectories.h"
#include "core/Prompts.h"
#include "link/Protocol.h"

#include <QDebug>
#include <QFile>
#include <QTemporaryFile>
#include <QtEndian>

namespace {

void showFailure(const QString& text)
{
    qDebug().noquote() << text;
    prompts().critical(nullptr, QStringLiteral("UnsetRsp"), text);
}

// The block-by-block conversion; returns the failure text, empty on success.
QString convertBlocks(QFile& raw, QFile& out, quint32 length)
{
    quint64 position = mirvak::kResponseHeaderSize;
    int blockNumber = 0;
    QByteArray data;
    while (position < length) {
        unsigned char head[mirvak::kBlockHeaderSize];
        const qint64 got = raw.read(reinterpret_cast<char*>(head), sizeof head);
        if (got < qint64(sizeof head)) {
            // A trailing fragment too short for a block header is kept as received.
            if (got > 0)
                out.write(reinterpret_cast<const char*>(head), got);
            break;
        }
        ++blockNumber;
        position += got;
        const quint32 type = qFromBigEndian<quint32>(head);
        const quint32 byteCount = qFromBigEndian<quint32>(head + 4);
        if (type > quint32(mirvak::BlockType::Float32))
            return QStringLiteral("Invalid block type detected - block # %1").arg(blockNumber);
        if (byteCount > mirvak::kMaxMessageLength)
            return QStringLiteral("Invalid byte count detected - block # %1").arg(blockNumber);
        qToUnaligned(type, head);
        qToUnaligned(byteCount, head + 4);
        out.write(reinterpret_cast<const char*>(head), sizeof head);

        // Never trust byteCount for the allocation: the file may hold less.
        const qint64 wanted = qMin<qint64>(byteCount, raw.size() - raw.pos());
        data.resize(wanted);
        const qint64 read = raw.read(data.data(), wanted);
        if (read <= 0) {
            if (byteCount > 0)
                break;
            continue;
        }
        mirvak::swapBlockData(quint32(read), mirvak::BlockType(type),
                              reinterpret_cast<unsigned char*>(data.data()));
        out.write(data.constData(), read);
        position += read;
    }
    return {};
}

}  // namespace

int normalizeResponse(QString& outputName, const QString& rawFileName, quint32 length, QString* failureOut)
{
    outputName.clear();
    const auto report = [failureOut](const QString& text) {
        if (failureOut)
            *failureOut = text;
        else
            showFailure(text);
    };
    // A message shorter than its own header cannot be read at fixed offsets.
    if (length > mirvak::kMaxMessageLength || length < quint32(mirvak::kResponseHeaderSize)) {
        report(QStringLiteral("Invalid message size received"));
        return -1;
    }

    dataRootPath();  // recreates the data root when it has gone
    QTemporaryFile out(tmpDirectoryPath() + QStringLiteral("/Tolm-Mirvak-XXXXXX.tmp"));
    out.setAutoRemove(false);
    if (!out.open()) {
        report(QStringLiteral("Cannot create temporary file"));
        return -1;
    }

    QString failure;
    QFile raw(rawFileName);
    if (!raw.open(QIODevice::ReadOnly)) {
        failure = QStringLiteral("Cannot open input file: ") + rawFileName;
    } else {
        unsigned char header[mirvak::kResponseHeaderSize] = {};
        if (raw.read(reinterpret_cast<char*>(header), sizeof header) != qint64(sizeof header)) {
            failure = QStringLiteral("Invalid message size received");
        } else {
            mirvak::swapBlockData(sizeof header, mirvak::BlockType::UInt32, header);
            out.write(reinterpret_cast<const char*>(header), sizeof header);
            if (qFromUnaligned<quint32>(header + 4) != 0)
                failure = QStringLiteral("Detected ACK error");
            else if (length > quint32(mirvak::kResponseHeaderSize))
                failure = convertBlocks(raw, out, length);
        }
    }
    if (failure.isEmpty() && !out.flush())
        failure = QStringLiteral("Cannot create temporary file");

    if (!failure.isEmpty()) {
        out.remove();
        report(failure);
        return -1;
    }
    outputName = out.fileName();
    out.close();
    return 0;
}
