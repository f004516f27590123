#include "link/ResponseFramer.h"

#include "core/FileFailure.h"
#include "link/Protocol.h"
#include "link/ResponseNormalizer.h"

#include <QDir>
#include <QIODevice>
#include <QTemporaryFile>
#include <QtEndian>

ResponseFramer::Outcome ResponseFramer::next(QIODevice& device)
{
    normalised_.clear();
    failure_.clear();
    if (pending_ == 0) {
        if (device.bytesAvailable() < 4)
            return Outcome::NeedMore;
        unsigned char word[4];
        device.read(reinterpret_cast<char*>(word), sizeof word);
        pending_ = qFromBigEndian<quint32>(word) - 4;
        // A message shorter than its own header cannot be read at fixed offsets.
        if (pending_ >= mirvak::kMaxMessageLength || pending_ + 4 < quint32(mirvak::kResponseHeaderSize)) {
            failure_ = QStringLiteral("Invalid block size: the unit announced a message of %1 bytes.")
                           .arg(quint32(pending_ + 4));
            return Outcome::InvalidLength;
        }
        if (expectedLength_ != 0 && pending_ + 4 != expectedLength_) {
            failure_ = QStringLiteral("The unit's answer holds %1 bytes; %2 bytes were expected.")
                           .arg(pending_ + 4)
                           .arg(expectedLength_);
            return Outcome::UnexpectedLength;
        }
    }
    if (pending_ >= mirvak::kMaxMessageLength)
        return Outcome::InvalidLength;
    if (device.bytesAvailable() < qint64(pending_))
        return Outcome::NeedMore;

    RawMessage message{pending_ + 4, device.read(pending_)};
    pending_ = 0;
    if (deferAbove_ != 0 && message.length > deferAbove_)
        message_ = std::move(message);  // the consumer normalises it, off the GUI thread
    else
        normalised_ = normalise(message, failure_, rawCopyHook_);
    return Outcome::Response;
}

QString ResponseFramer::normalise(const RawMessage& message, QString& failure,
                                  const std::function<void(const QString&)>& rawCopyHook)
{
    QTemporaryFile raw(QDir::tempPath() + QStringLiteral("/Tolm-Mirvak-raw-XXXXXX"));
    unsigned char word[4];
    qToBigEndian(message.length, word);
    const bool spooled = raw.open() && raw.write(reinterpret_cast<const char*>(word), 4) == 4
                         && raw.write(message.body) == message.body.size() && raw.flush();
    if (!spooled) {
        failure = cannotCreateTemporaryFile(fileFailureReason(raw));
        return {};
    }
    if (rawCopyHook)
        rawCopyHook(raw.fileName());
    QString normalised;
    normalizeResponse(normalised, raw.fileName(), message.length, &failure);
    return normalised;
}
