#include "core/DataDirectories.h"

#include "core/Prompts.h"
#include "core/Settings.h"

#include <QDir>
#include <QFileInfo>

QString dataDirPath()
{
    if (const std::optional<QString> runOnly = settings::dataDirOverride())
        return *runOnly;
    const QString stored = settings::text(settings::DataDir);
    return stored.isEmpty() ? settings::defaultDataDir() : stored;
}

QString dataRootPath()
{
    if (!settings::dataDirOverride() && !settings::contains(settings::DataDir))
        settings::setValue(settings::DataDir, settings::defaultDataDir());
    QDir dir(dataRootLocation());
    if (!dir.exists())
        dir.mkpath(QStringLiteral("."));
    return dir.absolutePath();
}

QString dataRootLocation() { return QDir(dataDirPath() + QStringLiteral("/Mirvak")).absolutePath(); }

QString tmpDirectoryPath() { return dataRootPath() + QStringLiteral("/tmp"); }

QString archiveDirectoryPath() { return dataDirPath() + QStringLiteral("/archive"); }

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

bool checkDataDirectories()
{
    const QString root = dataRootPath();
    const QStringList directories = {root, root + QStringLiteral("/SW_uploads"),
                                     root + QStringLiteral("/tmp"),
                                     archiveDirectoryPath()};
    for (const QString& directory : directories)
        if (!checkDirectory(directory, true))
            return false;
    return true;
}

QString storedPassword()
{
    if (!settings::contains(settings::Password))
        settings::setValue(settings::Password, settings::defaultValue(settings::Password));
    return settings::text(settings::Password);
}

bool confirmAccessPassword(QObject* owner)
{
    const std::optional<QString> password =
        prompts().textInput(owner, QString(), QStringLiteral("Enter Password:"), Prompts::Echo::Password, QString());
    if (!password)
        return false;
    if (password->isEmpty() || *password != storedPassword()) {
        prompts().warning(owner, QStringLiteral("MainWindow::on_buttonFwUpload_clicked"),
                          QStringLiteral("Invalid password."));
        return false;
    }
    return true;
}
