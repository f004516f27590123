#include "export/ui/ArchiveCommand.h"

#include "core/DataDirectories.h"
#include "core/Prompts.h"
#include "export/Archive.h"

#include <QApplication>
#include <QProgressDialog>

namespace {

constexpr int kListedEntries = 10;

// "path: reason" per entry left out, the first few of them.
QString skippedList(const QList<SkippedEntry>& skipped)
{
    QStringList lines;
    for (const SkippedEntry& entry : skipped.mid(0, kListedEntries))
        lines << entry.path + QStringLiteral(": ") + entry.reason;
    if (skipped.size() > kListedEntries)
        lines << QStringLiteral("... and %1 more").arg(skipped.size() - kListedEntries);
    return lines.join(QLatin1Char('\n'));
}

}  // namespace

void archiveData(QWidget* parent)
{
    const QString directory = prompts().existingDirectory(parent, QString(), dataRootPath());
    if (directory.isEmpty())
        return;

    QProgressDialog progress(QStringLiteral("Packing..."), QStringLiteral("Cancel"), 0, 100, parent);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ArchiveJob job(directory, archiveDirectoryPath());
    const ArchiveOutcome outcome = job.run([&](qint64 packed, qint64 total) {
        progress.setLabelText(QStringLiteral("%1 of %2 MB packed")
                                  .arg(packed / 1e6, 0, 'f', 1)
                                  .arg(total / 1e6, 0, 'f', 1));
        progress.setValue(total > 0 ? int(packed * 100 / total) : 0);
        QCoreApplication::processEvents();
        return !progress.wasCanceled();
    });
    progress.reset();
    QApplication::restoreOverrideCursor();

    if (outcome.cancelled)
        return;
    if (!outcome.failure.isEmpty())
        prompts().warning(parent, QStringLiteral("Backup"), outcome.failure);
    else if (!outcome.skipped.isEmpty())
        prompts().warning(parent, QStringLiteral("Backup incomplete"),
                          QStringLiteral("The file %1 has been created without these entries:\n%2")
                              .arg(outcome.archive, skippedList(outcome.skipped)));
    else
        prompts().information(parent, QStringLiteral("Backup finished"),
                              QStringLiteral("The Backup was finished successfully.\n\nThe file %1 has been created.")
                                  .arg(outcome.archive));
}
