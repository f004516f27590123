#include "export/ui/ExportCommand.h"

#include "core/Prompts.h"
#include "core/Settings.h"
#include "export/AsciiExport.h"
#include "export/ExportFiles.h"

#include <QApplication>
#include <QProgressDialog>

namespace {

const QString kTitle = QStringLiteral("Export Data");

// The wait cursor, lifted while a message box waits for the technician.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    template <typename Show>
    void lift(Show show)
    {
        QApplication::restoreOverrideCursor();
        show();
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
};

}  // namespace

int& exportProgressDelayMs()
{
    static int delay = 500;
    return delay;
}

namespace {

ExportOutcome runExport(QWidget* parent, const FlightRecordList& flights, const QString& directory)
{
    const int fileCount = int(flights.size() * exportFiles().size());
    QProgressDialog progress(QString(), QStringLiteral("Cancel"), 0, fileCount, parent);
    progress.setWindowTitle(kTitle);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(exportProgressDelayMs());
    WaitCursor cursor;
    ExportCallbacks callbacks;
    callbacks.progress = [&](const ExportProgress& step) {
        progress.setLabelText(QStringLiteral("Flight %1 of %2: %3")
                                  .arg(QString::number(step.flight), QString::number(step.flightCount), step.file));
        progress.setValue(step.filesDone);
        QCoreApplication::processEvents();
        return !progress.wasCanceled();
    };
    callbacks.flightFailed = [&](const QString& message) {
        cursor.lift([&] { prompts().warning(parent, kTitle, message); });
    };
    const ExportOutcome outcome = exportFlights(flights, directory, callbacks);
    progress.reset();
    return outcome;
}

}  // namespace

void exportData(QWidget* parent, const FlightRecordList& flights)
{
    const QString directory =
        prompts().existingDirectory(parent, QStringLiteral("Select Directory"), settings::text(settings::ExportPath));
    if (directory.isEmpty())
        return;
    settings::setValue(settings::ExportPath, directory);

    const ExportOutcome outcome = runExport(parent, flights, directory);
    const QString summary = exportSummary(outcome);
    if (outcome.notWritten.isEmpty())
        prompts().information(parent, kTitle, summary);
    else
        prompts().warning(parent, kTitle, summary);
}
