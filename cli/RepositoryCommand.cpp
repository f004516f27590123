// tolm-cli repository migrate: the fleet repository's schema, brought up to
// date by its owner.

#include "cli/CliCommand.h"
#include "cli/CliRepository.h"
#include "cli/Commands.h"
#include "repository/PgConnection.h"
#include "repository/RepositorySchema.h"

int runRepository(const QStringList& arguments)
{
    cli::CommandLine line(QStringLiteral("repository"),
                          QStringLiteral("migrate: creates the fleet repository's tables, or brings them up to this "
                                         "station's schema version, in one transaction, and creates the role "
                                         "tolm_station (NOLOGIN, may only read and insert) that the administrator "
                                         "grants to each station's login role. Run it as the database's owner. It "
                                         "never removes anything; a repository of a newer version is refused."),
                          cli::CommandLine::ReachesRepository,
                          {QStringLiteral("tolm-cli repository migrate --repository 'host=fleet.example dbname=tolm'"),
                           QStringLiteral("tolm-cli repository migrate --repository service=tolm-owner")});
    line.parser().addPositionalArgument(QStringLiteral("migrate"), QStringLiteral("The one action: migrate."));
    cli::addRepositoryOption(line);
    line.parse(arguments);
    cli::require(line.positional() == QStringList{QStringLiteral("migrate")},
                 QStringLiteral("repository takes one action: migrate."));
    const QString conninfo = cli::repositoryConnection(line);

    repository::PgConnection connection;
    if (!connection.open(conninfo))
        throw cli::Exit{cli::StepFailed, QStringLiteral("Cannot connect to the fleet repository: ") + connection.failure()};
    const repository::Migration migration = repository::migrate(connection);
    if (!migration.failure.isEmpty())
        throw cli::Exit{cli::StepFailed, migration.failure};
    cli::printLine(migration.from == migration.to
                       ? QStringLiteral("The schema is at version %1 already.").arg(migration.to)
                       : QStringLiteral("Schema version %1 -> %2.").arg(migration.from).arg(migration.to));
    return cli::Success;
}
