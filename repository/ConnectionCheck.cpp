#include "repository/ConnectionCheck.h"

#include "repository/PgConnection.h"
#include "repository/RepositorySchema.h"

namespace repository {

ConnectionCheck checkConnection(const QString& conninfo)
{
    ConnectionCheck check;
    if (const QString refusal = connectionStringRefusal(conninfo); !refusal.isEmpty()) {
        check.failure = refusal;
        return check;
    }
    PgConnection connection;
    if (!connection.open(conninfo)) {
        check.failure = QStringLiteral("Cannot connect to the fleet repository: ") + connection.failure();
        check.needsPassword = connection.needsPassword();
        return check;
    }
    const auto server = connection.exec("SELECT current_setting('server_version'), current_user, current_database()");
    if (!server) {
        check.failure = connection.failure();
        return check;
    }
    if (const QString refusal = schemaRefusal(connection); !refusal.isEmpty()) {
        check.failure = refusal;
        return check;
    }
    check.answer = QStringLiteral("Connected as ") + server->text(0, 1) + QStringLiteral(" to the database ")
                   + server->text(0, 2) + QStringLiteral(", PostgreSQL ") + server->text(0, 0) + QLatin1Char('.');
    return check;
}

}  // namespace repository
