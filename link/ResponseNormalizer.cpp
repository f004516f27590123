#include "link/ResponseNormalizer.h"

#include "core/DataDirectories.h"
#include "core/FileFailure.h"
#include "core/Prompts.h"
#include "link/Protocol.h"

#include <QDebug>
#include <QFile>
#include <QTemporaryFile>
#include <QtEndian>
#include <algorithm>
#include <cstring>
#include <memory>

namespace {

void showFailure(const QString& text)
{
    qDebug().noquote() << text;
    prompts().critical(nullptr, QStringLiteral("UnsetRsp"), text);
}

// The raw message passing through one buffer: read in large pieces, converted
// in place, and written out before the next piece comes in. Blocks never cost
// a call of their own, and the memory stays at one piece whatever the answer.
class PieceBuffer {
public:
    static constexpr qsizetype kPieceBytes = 64 * 1024;

    PieceBuffer(QFile& in, QFile& out)
        : in_(in), out_(out), bytes_(std::make_unique_for_overwrite<unsigned char[]>(kPieceBytes)), unread_(in.size())
    {
    }

    // Makes at least count unconverted bytes contiguous at at(), or all that
    // the file still holds; returns how many there are.
    qint64 available(qint64 count)
    {
        if (end_ - cursor_ < count)
            refill();
        return end_ - cursor_;
    }
    unsigned char* at() { return bytes_.get() + cursor_; }
    void advance(qint64 count) { cursor_ += count; }
    // Bytes not yet converted, in the buffer and in the file.
    qint64 left() const { return end_ - cursor_ + unread_; }
    // Writes what has been converted; the system's reason when a write
    // failed now or before, else empty.
    QString finish()
    {
        writeConverted();
        return writeFailure_;
    }

private:
    void writeConverted()
    {
        if (cursor_ > 0 && out_.write(reinterpret_cast<const char*>(bytes_.get()), cursor_) != cursor_
            && writeFailure_.isEmpty())
            writeFailure_ = fileFailureReason(out_);
    }

    void refill()
    {
        writeConverted();
        std::memmove(bytes_.get(), bytes_.get() + cursor_, end_ - cursor_);
        end_ -= cursor_;
        cursor_ = 0;
        const qint64 got = in_.read(reinterpret_cast<char*>(bytes_.get()) + end_, kPieceBytes - end_);
        if (got > 0) {
            end_ += got;
            unread_ = std::max<qint64>(unread_ - got, 0);
        } else {
            unread_ = 0;
        }
    }

    QFile& in_;
    QFile& out_;
    std::unique_ptr<unsigned char[]> bytes_;
    qint64 cursor_ = 0;  // bytes before it are converted, not yet written
    qint64 end_ = 0;     // bytes from the cursor to here are read, not yet converted
    qint64 unread_;      // bytes still in the file
    QString writeFailure_;
};

qint64 elementSize(mirvak::BlockType type)
{
    switch (type) {
    case mirvak::BlockType::Int16: return 2;
    case mirvak::BlockType::UInt32:
    case mirvak::BlockType::Float32: return 4;
    case mirvak::BlockType::Bytes: break;
    }
    return 1;
}

// Converts count data bytes of the type, whole elements at a time; a trailing
// part of an element stays as received.
void convertData(PieceBuffer& buffer, mirvak::BlockType type, qint64 count)
{
    const qint64 element = elementSize(type);
    while (count > 0) {
        qint64 piece = std::min(count, buffer.available(std::min(count, element)));
        if (piece < count)
            piece -= piece % element;  // an element cut by the buffer's end waits for the refill
        if (piece <= 0)
            return;
        mirvak::swapBlockData(quint32(piece), type, buffer.at());
        buffer.advance(piece);
        count -= piece;
    }
}

// The block-by-block conversion; returns the failure text, empty on success.
QString convertBlocks(PieceBuffer& buffer, quint32 length)
{
    quint64 position = mirvak::kResponseHeaderSize;
    int blockNumber = 0;
    while (position < length) {
        const qint64 got = buffer.available(mirvak::kBlockHeaderSize);
        if (got < mirvak::kBlockHeaderSize) {
            buffer.advance(got);  // a trailing fragment too short for a block header is kept as received
            break;
        }
        ++blockNumber;
        position += mirvak::kBlockHeaderSize;
        unsigned char* head = buffer.at();
        const quint32 type = qFromBigEndian<quint32>(head);
        const quint32 byteCount = qFromBigEndian<quint32>(head + 4);
        if (type > quint32(mirvak::BlockType::Float32))
            return QStringLiteral("Invalid block type detected - block # %1").arg(blockNumber);
        if (byteCount > mirvak::kMaxMessageLength)
            return QStringLiteral("Invalid byte count detected - block # %1").arg(blockNumber);
        qToUnaligned(type, head);
        qToUnaligned(byteCount, head + 4);
        buffer.advance(mirvak::kBlockHeaderSize);

        // The file may hold less than byteCount.
        const qint64 count = std::min<qint64>(byteCount, buffer.left());
        if (count == 0) {
            if (byteCount > 0)
                break;
            continue;
        }
        convertData(buffer, mirvak::BlockType(type), count);
        position += count;
    }
    return {};
}

// Converts the opened raw message into out; returns the failure text, empty on success.
QString convert(QFile& raw, QFile& out, quint32 length)
{
    PieceBuffer buffer(raw, out);
    if (buffer.available(mirvak::kResponseHeaderSize) < mirvak::kResponseHeaderSize)
        return QStringLiteral("Invalid message size received");
    unsigned char* header = buffer.at();
    mirvak::swapBlockData(mirvak::kResponseHeaderSize, mirvak::BlockType::UInt32, header);
    if (qFromUnaligned<quint32>(header + 4) != 0)
        return kDetectedAckError;
    buffer.advance(mirvak::kResponseHeaderSize);
    QString failure;
    if (length > quint32(mirvak::kResponseHeaderSize))
        failure = convertBlocks(buffer, length);
    if (failure.isEmpty())
        if (const QString reason = buffer.finish(); !reason.isEmpty())
            failure = cannotCreateTemporaryFile(reason);
    return failure;
}

}  // namespace

QString cannotCreateTemporaryFile(const QString& reason)
{
    return QStringLiteral("Cannot create temporary file: ") + reason;
}

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
        report(cannotCreateTemporaryFile(fileFailureReason(out)));
        return -1;
    }

    QString failure;
    // Unbuffered: the pieces are large, a second buffer would only copy them again.
    QFile raw(rawFileName);
    if (!raw.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        failure = QStringLiteral("Cannot open input file: ") + rawFileName;
    else
        failure = convert(raw, out, length);
    if (failure.isEmpty() && !out.flush())
        failure = cannotCreateTemporaryFile(fileFailureReason(out));

    if (!failure.isEmpty()) {
        out.remove();
        report(failure);
        return -1;
    }
    outputName = out.fileName();
    out.close();
    return 0;
}
