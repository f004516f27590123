#include "repository/SessionPassword.h"

#include <QHash>
#include <QMutex>

namespace repository {
namespace {

// Connections open on worker threads as well as on the window's.
QMutex& guard()
{
    static QMutex mutex;
    return mutex;
}

QHash<QString, QString>& passwords()
{
    static QHash<QString, QString> kept;
    return kept;
}

}  // namespace

QString sessionPassword(const QString& conninfo)
{
    QMutexLocker lock(&guard());
    return passwords().value(conninfo);
}

void keepSessionPassword(const QString& conninfo, const QString& password)
{
    QMutexLocker lock(&guard());
    passwords().insert(conninfo, password);
}

void forgetSessionPassword(const QString& conninfo)
{
    QMutexLocker lock(&guard());
    passwords().remove(conninfo);
}

}  // namespace repository
