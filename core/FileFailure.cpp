#include "core/FileFailure.h"

#include <QFileDevice>
#include <cerrno>
#include <cstring>

QString fileFailureReason(const QFileDevice& file)
{
    const int error = errno;
    const QString reason = file.errorString();
    if (!reason.isEmpty() && reason != QLatin1String("Unknown error"))
        return reason;
    if (error != 0)
        return QString::fromLocal8Bit(std::strerror(error));
    return reason;
}
