#include "export/AsciiExport.h"

#include "export/ExportFiles.h"

#include <QDir>

namespace {

// A summary names at most this many things not written, so its box fits on the screen.
constexpr int kListedFailures = 20;

class ExportRun {
public:
    ExportRun(const FlightRecordList& flights, const QString& directory, const ExportCallbacks& callbacks)
        : flights_(flights), directory_(directory), callbacks_(callbacks)
    {
        outcome_.fileCount = int(flights.size() * exportFiles().size());
    }

    ExportOutcome run()
    {
        for (int i = 0; i < flights_.size() && !outcome_.cancelled; ++i)
            exportFlight(i);
        return outcome_;
    }

private:
    void exportFlight(int index)
    {
        const FlightRecord& flight = *flights_[index];
        if (const QString refusal = flightRefusal(flight); !refusal.isEmpty())
            return failFlight(refusal);
        const QString path = directory_ + QLatin1Char('/') + flightDirectoryName(flight);
        if (!QDir().mkpath(path))
            return failFlight(QStringLiteral("Failed to create directory \"%1\"").arg(path));

        const QByteArray header = exportHeaderBlock(flight);
        const QList<ExportFile>& files = exportFiles();
        for (int f = 0; f < files.size(); ++f) {
            const ExportProgress step{index + 1, int(flights_.size()), files[f].name,
                                      index * int(files.size()) + f, outcome_.fileCount};
            if (callbacks_.progress && !callbacks_.progress(step)) {
                outcome_.cancelled = true;
                return;
            }
            const QString failure = writeExportFile(files[f], header, flight, path);
            if (failure.isEmpty())
                ++outcome_.filesWritten;
            else
                outcome_.notWritten << failure;
        }
    }

    void failFlight(const QString& message)
    {
        outcome_.notWritten << message;
        if (callbacks_.flightFailed)
            callbacks_.flightFailed(message);
    }

    const FlightRecordList& flights_;
    const QString directory_;
    const ExportCallbacks& callbacks_;
    ExportOutcome outcome_;
};

}  // namespace

ExportOutcome exportFlights(const FlightRecordList& flights, const QString& directory,
                            const ExportCallbacks& callbacks)
{
    return ExportRun(flights, directory, callbacks).run();
}

QString exportSummary(const ExportOutcome& outcome)
{
    if (outcome.complete())
        return QStringLiteral("Done!");
    const QString count = QStringLiteral("%1 of %2 files were written.")
                              .arg(QString::number(outcome.filesWritten), QString::number(outcome.fileCount));
    QStringList lines{outcome.cancelled ? QStringLiteral("Export cancelled: ") + count : count};
    if (!outcome.notWritten.isEmpty()) {
        lines << QString() << QStringLiteral("Not written:") << outcome.notWritten.mid(0, kListedFailures);
        if (outcome.notWritten.size() > kListedFailures)
            lines << QStringLiteral("... and %1 more").arg(outcome.notWritten.size() - kListedFailures);
    }
    return lines.join(QLatin1Char('\n'));
}
