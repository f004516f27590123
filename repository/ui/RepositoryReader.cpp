#include "repository/ui/RepositoryReader.h"

#include "core/Settings.h"
#include "repository/ui/RepositoryLogin.h"

QString RepositoryReader::storedConnection() { return settings::text(settings::RepositoryConnection); }

QString RepositoryReader::noRepositoryText()
{
    return QStringLiteral("No fleet repository is set: enter its connection on the \"Fleet repository\" "
                          "page of Tools > Settings.");
}

bool RepositoryReader::askPassword(const QString& conninfo, const QString& reason)
{
    const QPointer<RepositoryReader> alive(this);
    const bool given = askRepositoryPassword(owner_, conninfo, reason);
    return given && alive;
}
