#include "export/TempCleanup.h"

#include "app/DataDirectories.h"
#include "app/Prompts.h"

#include <QDir>

void emptyTempDirectory(QWidget* parent, const std::function<bool(const QString&)>& remove)
{
    const QString title = QStringLiteral("Empty Temp Directory");
    const QDir tmp(tmpDirectoryPath());
    const auto temporaryFiles = [&] { return tmp.entryInfoList({QStringLiteral("*.tmp")}, QDir::Files, QDir::Unsorted); };
    if (temporaryFiles().isEmpty()) {
        prompts().information(parent, title, QStringLiteral("Temp directory is empty!"));
        return;
    }
    if (prompts().question(parent, title, QStringLiteral("Do you really want to delete all temporary files?"),
                           QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        != QMessageBox::Yes)
        return;
    int removed = 0;
    for (const QFileInfo& file : temporaryFiles()) {
        if (remove(file.absoluteFilePath()))
            ++removed;
        else
            prompts().warning(parent, QStringLiteral("Error"), QStringLiteral("Failed to remove %1").arg(file.fileName()));
    }
    prompts().information(parent, title, QStringLiteral("Done! Deleted %1 files.").arg(removed));
}
