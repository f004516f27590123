// tolm-cli sync: pushes the downloads of the data tree that the fleet
// repository does not hold yet.

#include "cli/CliCommand.h"
#include "cli/CliConsole.h"
#include "cli/CliInterrupt.h"
#include "cli/CliRepository.h"
#include "cli/Commands.h"
#include "core/DataDirectories.h"
#include "repository/RepositoryPush.h"

namespace {

QString megabytes(qint64 bytes) { return QString::number(bytes / 1e6, 'f', 1); }

void showProgress(int done, int total, qint64 bytesDone, qint64 bytes)
{
    const QString text = QStringLiteral("%1 of %2 downloads, %3 of %4 MB")
                             .arg(QString::number(done), QString::number(total), megabytes(bytesDone), megabytes(bytes));
    if (console::drawsBar())
        console::showBar(console::bar(int(bytesDone / 1024), int(qMax<qint64>(1, bytes / 1024))) + QLatin1Char(' ') + text);
    else if (done > 0)
        console::message(text);
}

}  // namespace

int runSync(const QStringList& arguments)
{
    cli::CommandLine line(QStringLiteral("sync"),
                          QStringLiteral("Pushes every download of the data tree that the fleet repository does not "
                                         "hold (known by the raw file's SHA-256) with its reports, each download in "
                                         "one transaction, and prints a summary; progress goes to standard error. "
                                         "Local files are only read. Running it again sends nothing. A silent "
                                         "network ends it after 30 s without a byte moving; Ctrl+C cancels it; "
                                         "either way the download under way is rolled back and sent by the next "
                                         "sync."),
                          cli::CommandLine::ReadsData,
                          {QStringLiteral("tolm-cli sync"), QStringLiteral("tolm-cli sync --repository service=fleet")});
    cli::addRepositoryOption(line);
    line.parse(arguments);
    cli::require(line.positional().isEmpty(), QStringLiteral("sync takes no arguments."));
    const QString conninfo = cli::repositoryConnection(line);

    repository::RepositoryPush push(conninfo, dataRootLocation(), repository::thisStation());
    QObject::connect(&push, &repository::RepositoryPush::progressed, showProgress);
    cli::CancelOnInterrupt interrupt([&push] { push.cancel(); });
    push.start();
    cli::waitUntil([&push] { return push.isFinished(); });
    console::clearBar();

    const repository::PushOutcome& outcome = push.outcome();
    for (const QString& refused : outcome.refused)
        console::message(refused + QLatin1Char('.'));
    if (interrupt.interrupted())
        throw cli::Exit{cli::Interrupted, outcome.summary() + QStringLiteral(" Cancelled; nothing half stored.")};
    if (!outcome.failure.isEmpty())
        throw cli::Exit{cli::StepFailed, outcome.sent > 0 ? outcome.failure + QLatin1Char('\n') + outcome.summary()
                                                         : outcome.failure};
    cli::printLine(outcome.summary());
    return outcome.refused.isEmpty() ? cli::Success : cli::StepFailed;
}
