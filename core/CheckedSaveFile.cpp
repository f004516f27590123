#include "core/CheckedSaveFile.h"

#include "core/FileFailure.h"

qint64 CheckedSaveFile::writeData(const char* data, qint64 length)
{
    const qint64 written = QSaveFile::writeData(data, length);
    if (written != length && failure_.isEmpty())
        failure_ = fileFailureReason(*this);
    return written;
}

QString CheckedSaveFile::commitWhole()
{
    if (failure_.isEmpty() && (!flush() || error() != QFileDevice::NoError))
        failure_ = fileFailureReason(*this);
    if (!failure_.isEmpty()) {
        cancelWriting();
        return failure_;
    }
    if (!commit())
        return fileFailureReason(*this);
    return {};
}
