#include "repository/ui/SyncCommand.h"

#include "core/DataDirectories.h"
#include "core/Prompts.h"
#include "core/Settings.h"
#include "repository/PgConnection.h"
#include "repository/ui/RepositoryLogin.h"
#include "repository/ui/SyncDialog.h"
#include "ui/WidgetPrompts.h"

namespace {

const QString kTitle = QStringLiteral("Sync to Fleet Repository");

void tellOutcome(QWidget* parent, const repository::PushOutcome& outcome)
{
    QStringList lines;
    if (!outcome.failure.isEmpty() && !outcome.cancelled)
        lines << outcome.failure;
    lines << outcome.summary();
    if (outcome.cancelled)
        lines << QStringLiteral("Cancelled; nothing half stored.");
    lines << outcome.refused;
    const QString text = lines.join(QLatin1Char('\n'));
    if (outcome.failure.isEmpty() && outcome.refused.isEmpty())
        prompts().information(parent, kTitle, text);
    else
        prompts().warning(parent, kTitle, text);
}

}  // namespace

void syncToFleetRepository(QWidget* parent)
{
    const QString conninfo = settings::text(settings::RepositoryConnection);
    if (conninfo.trimmed().isEmpty()) {
        prompts().warning(parent, kTitle,
                          QStringLiteral("No fleet repository is set: enter its connection on the \"Fleet repository\" "
                                         "page of Tools > Settings."));
        return;
    }
    if (const QString refusal = repository::connectionStringRefusal(conninfo); !refusal.isEmpty()) {
        prompts().warning(parent, kTitle, refusal);
        return;
    }
    for (;;) {
        SyncDialog dialog(parent, conninfo, dataRootPath(), repository::thisStation());
        runDialog(dialog);
        const repository::PushOutcome outcome = dialog.outcome();
        if (outcome.needsPassword && askRepositoryPassword(parent, conninfo, outcome.failure))
            continue;
        tellOutcome(parent, outcome);
        return;
    }
}
