#include "link/ResponseFramer.h"

#include "link/Protocol.h"
#include "link/ResponseNormalizer.h"

#include <QDir>
#include <QIODevice>
#include <QTemporaryFile>
#include <QtEndian>

ResponseFramer::Outcome ResponseFramer::next(QIODevice& device)
{
    normalised_.clear();
    if (pending_ == 0) {
        if (device.bytesAvailable() < 4)
            return Outcome::NeedMore;
        unsigned char word[4];
        device.read(reinterpret_cast<char*>(word), sizeof word);
        pending_ = qFromBigEndian<quint32>(word) - 4;
    }
    if (pending_ >= mirvak::kMaxMessageLength)
        return Outcome::InvalidLength;
    if (device.bytesAvailable() < qint64(pending_))
        return Outcome::NeedMore;

    const quint32 length = pending_ + 4;
    const QByteArray body = device.read(pending_);
    pending_ = 0;

    QTemporaryFile raw(QDir::tempPath() + QStringLiteral("/Tolm-Mirvak-raw-XXXXXX"));
    unsigned char word[4];
    qToBigEndian(length, word);
    const bool spooled = raw.open() && raw.write(reinterpret_cast<const char*>(word), 4) == 4
                         && raw.write(body) == body.size() && raw.flush();
    if (!spooled)
        raw.remove();  // normalizeResponse then reports the raw copy as unreadable
    else if (rawCopyHook_)
        rawCopyHook_(raw.fileName());
    normalizeResponse(normalised_, raw.fileName(), length);
    return Outcome::Response;
}
