#include "export/TempCleanup.h"

#include "core/DataDirectories.h"
#include "core/MessageText.h"
#include "core/Prompts.h"

#include <QDir>

void emptyTempDirectory(QObject* owner, const std::function<bool(const QString&)>& remove)
{
    const QString title = QStringLiteral("Empty Temp Directory");
    const QDir tmp(tmpDirectoryPath());
    const auto temporaryFiles = [&] { return tmp.entryInfoList({QStringLiteral("*.tmp")}, QDir::Files, QDir::Unsorted); };
    if (temporaryFiles().isEmpty()) {
        prompts().information(owner, title, QStringLiteral("Temp directory is empty!"));
        return;
    }
    if (prompts().question(owner, title, QStringLiteral("Do you really want to delete all temporary files?"),
                           Prompts::Yes | Prompts::No, Prompts::No)
        != Prompts::Yes)
        return;
    int removed = 0;
    for (const QFileInfo& file : temporaryFiles()) {
        if (remove(file.absoluteFilePath()))
            ++removed;
        else
            prompts().warning(owner, QStringLiteral("Error"), QStringLiteral("Failed to remove %1").arg(messageText(file.fileName())));
    }
    prompts().information(owner, title, QStringLiteral("Done! Deleted %1 files.").arg(removed));
}
