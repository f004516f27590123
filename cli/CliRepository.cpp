#include "cli/CliRepository.h"

#include "core/Settings.h"
#include "repository/PgConnection.h"
#include "repository/RepositorySchema.h"

namespace cli {
namespace {

const QString kRepository = QStringLiteral("repository");

}  // namespace

void addRepositoryOption(CommandLine& line)
{
    line.add({kRepository, QStringLiteral("The fleet repository: a libpq connection string or \"service=NAME\" "
                                          "(default, or empty: the stored one). Passwords belong in ~/.pgpass or the "
                                          "service file, never here."),
              QStringLiteral("CONNINFO")});
}

bool repositoryGiven(const CommandLine& line) { return line.isSet(kRepository); }

QString repositoryConnection(const CommandLine& line)
{
    const QString given = line.value(kRepository);
    const QString conninfo = given.isEmpty() ? settings::text(settings::RepositoryConnection) : given;
    require(!conninfo.trimmed().isEmpty(),
            QStringLiteral("No fleet repository: give --repository, or set one in the window's settings."));
    const QString refusal = repository::connectionStringRefusal(conninfo);
    require(refusal.isEmpty(), refusal);
    return conninfo;
}

void openRepository(repository::PgConnection& connection, const QString& conninfo)
{
    if (!connection.open(conninfo))
        throw Exit{StepFailed, QStringLiteral("Cannot connect to the fleet repository: ") + connection.failure()};
    if (const QString refusal = repository::schemaRefusal(connection); !refusal.isEmpty())
        throw Exit{StepFailed, refusal};
}

repository::FleetFlights repositoryFlights(const CommandLine& line, const QString& engine)
{
    repository::PgConnection connection;
    openRepository(connection, repositoryConnection(line));
    repository::FleetFlights read = repository::fleetFlights(connection, engine);
    if (!read.failure.isEmpty())
        throw Exit{StepFailed, QStringLiteral("The fleet repository cannot be read: ") + read.failure};
    return read;
}

}  // namespace cli
