// tolm-cli export: the ASCII export of chosen flights.

#include "cli/CliCommand.h"
#include "cli/Commands.h"

int runExport(const QStringList& arguments)
{
    cli::CommandLine line(QStringLiteral("export"),
                          QStringLiteral("Exports the flights as ASCII files into DIR, as Export does."),
                          cli::CommandLine::DataOnly);
    line.add({QStringLiteral("out"), QStringLiteral("Directory to export into."), QStringLiteral("DIR")});
    line.parser().addPositionalArgument(QStringLiteral("RAW:FLIGHT..."), QStringLiteral("The flights to export."));
    line.parse(arguments);
    throw cli::Exit{cli::StepFailed, QStringLiteral("The ASCII export is not available in this build.")};
}
