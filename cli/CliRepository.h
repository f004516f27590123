#pragma once
// The fleet repository as the commands reach it: --repository CONNINFO, or
// the stored connection; a connection string holding a password is refused.

#include "cli/CliCommand.h"
#include "repository/RepositoryFlights.h"

namespace repository {
class PgConnection;
}

namespace cli {

// Adds --repository.
void addRepositoryOption(CommandLine& line);
// Whether --repository was given.
bool repositoryGiven(const CommandLine& line);
// The connection string given, or the stored one when none (or an empty one)
// is given; ends with BadInput when there is none or it holds a password.
QString repositoryConnection(const CommandLine& line);
// Connects and checks the schema; ends with StepFailed, naming the cause, otherwise.
void openRepository(repository::PgConnection& connection, const QString& conninfo);
// The flights of one engine (engineKey()), or every engine's, from the
// repository --repository names; ends with StepFailed when it cannot be read.
repository::FleetFlights repositoryFlights(const CommandLine& line, const QString& engine = {});

}  // namespace cli
