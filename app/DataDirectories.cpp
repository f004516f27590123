#include "app/DataDirectories.h"

#include "app/Database.h"
#include "app/Prompts.h"
#include "app/Settings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

QString dataRootPath()
{
    QSettings store;
    if (!store.contains(settings::DataDir))
        store.setValue(settings::DataDir, settings::defaultDataDir());
    const QString root = QStringLiteral("%1/%2").arg(store.value(settings::DataDir).toString(),
                                                     QStringLiteral("Mirvak"));
    QDir dir(root);
    if (!dir.exists())
        dir.mkpath(QStringLiteral("."));
    return dir.absolutePath();
}

QString tmpDirectoryPath() { return dataRootPath() + QStringLiteral("/tmp"); }

bool checkDirectory(const QString& path, bool create)
{
    QDir dir(path);
    QString checked = path;
    if (!dir.exists()) {
        if (!create) {
            prompts().critical(nullptr, QStringLiteral("Error"),
                               QStringLiteral("Directory \"%1\" not found").arg(path));
            return false;
        }
        checked = dir.absolutePath();
        if (!QDir().mkpath(checked)) {
            prompts().critical(nullptr, QStringLiteral("Error"),
                               QStringLiteral("Unable to create directory \"%1\"").arg(path));
            return false;
        }
    }
    const QFileInfo info(checked);
    if (info.isReadable() && info.isWritable())
        return true;
    prompts().critical(nullptr, QStringLiteral("Error"),
                       QStringLiteral("No read/write access to directory \"%1\"").arg(path));
    return false;
}

void checkDataDirectories(QWidget* parent)
{
    const QString root = dataRootPath();
    const QStringList directories = {root, root + QStringLiteral("/SW_uploads"),
                                     root + QStringLiteral("/tmp"),
                                     settings::text(settings::DataDir) + QStringLiteral("/archive")};
    for (const QString& directory : directories)
        if (!checkDirectory(directory, true))
            return;
    importAircraftDirectories(parent);
}

QString storedPassword()
{
    QSettings store;
    if (!store.contains(settings::Password))
        store.setValue(settings::Password, settings::defaultValue(settings::Password));
    return store.value(settings::Password).toString();
}
