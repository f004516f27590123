// tolm-cli report: the engine report PDF of one download, as the window's
// File › Engine Report… writes it.

#include "cli/CliCommand.h"
#include "cli/Commands.h"
#include "core/DataDirectories.h"
#include "core/Database.h"
#include "core/MessageText.h"
#include "report/EngineReport.h"
#include "report/ui/EngineReportWriter.h"

#include <QDir>

namespace {

const QString kOut = QStringLiteral("out");

}  // namespace

int runReport(const QStringList& arguments)
{
    cli::CommandLine line(QStringLiteral("report"),
                          QStringLiteral("Writes the engine report of one download as a PDF: cover, status, flight "
                                         "history, trend, the post-defect flights' values and spectra, and the files "
                                         "of the download with their SHA-256."),
                          cli::CommandLine::ReadsData,
                          {QStringLiteral("tolm-cli report ESN123456-fd-20261208-1344.raw"),
                           QStringLiteral("tolm-cli report ESN123456-fd-20261208-1344.raw --out engine.pdf")});
    line.add({kOut, QStringLiteral("The PDF to write (default: <registration>-ESN<sn>-<stamp>-report.pdf here)."),
              QStringLiteral("FILE.pdf")});
    line.parser().addPositionalArgument(QStringLiteral("RAWFILE"), QStringLiteral("The raw file of the download."));
    line.parse(arguments);
    cli::require(line.positional().size() == 1, QStringLiteral("report takes one RAWFILE."));
    if (const QString failure = connectSQLite(); !failure.isEmpty())
        throw cli::Exit{cli::StepFailed, failure};

    QString failure;
    std::optional<EngineReport> report = gatherEngineReport(line.positional().first(), dataRootLocation(), failure);
    if (!report)
        throw cli::Exit{cli::StepFailed, failure};
    readShopDetails(*report);
    const QString out = line.isSet(kOut) ? line.value(kOut) : QDir::current().filePath(defaultReportName(*report));
    if (const QString notWritten = writeEngineReport(*report, out); !notWritten.isEmpty())
        throw cli::Exit{cli::StepFailed, notWritten};
    cli::printLine(QDir::toNativeSeparators(out));
    return cli::Success;
}
