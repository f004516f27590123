#include "core/Settings.h"

#include "core/AppIdentity.h"
#include "core/DataDirectories.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QSysInfo>

namespace settings {
namespace {
std::optional<QString> addressOverride;
std::optional<int> portOverride;
std::optional<QString> dataDirOverridden;

constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

// The store's file, where the platform keeps settings in a file of their own.
std::optional<QString> storeFile()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    return QSettings().fileName();
#else
    return std::nullopt;  // the registry, or preferences the system writes itself
#endif
}

// Creates the store's file empty and owner-only before the first write;
// QSettings then keeps the permissions of the file it replaces.
void createStoreFileOwnerOnly()
{
    const std::optional<QString> path = storeFile();
    if (!path || QFileInfo::exists(*path))
        return;
    QDir().mkpath(QFileInfo(*path).absolutePath());
    QFile file(*path);
    file.open(QIODevice::WriteOnly | QIODevice::NewOnly, kOwnerOnly);
}

}  // namespace

void protectStoreFile()
{
    if (const std::optional<QString> path = storeFile(); path && QFileInfo::exists(*path))
        QFile::setPermissions(*path, kOwnerOnly);
}

QString defaultDataDir()
{
#ifdef Q_OS_WIN
    return QStringLiteral("C:/tolm-data");
#else
    return QDir::homePath() + QStringLiteral("/tolm-data");
#endif
}

QVariant defaultValue(const QString& key)
{
    if (key == IpAddress) return kDefaultAddress;
    if (key == Port) return kDefaultPort;
    if (key == ConnectTimeout) return 150;
    if (key == Version) return app::versionString();
    if (key == DataDir) return defaultDataDir();
    if (key == SaveRawFiles) return false;
    if (key == Password) return QStringLiteral("tulip");
    if (key == LastAircraft) return QString();
    if (key == LastSelectedEngine) return 1;
    if (key == LastDirectory) return dataRootPath();
    if (key == ExportPath) return QDir::homePath();
    if (key == SwFilesDir) return dataRootPath() + QStringLiteral("/SW_uploads");
    if (key == Plot2D_MemType || key == Plot2D_PlotType || key == Plot2D_TransientBinType
        || key == Plot2D_FFT_WINDOW_TYPE)
        return 0;
    if (key == Plot2D_ParmType) return 7;
    if (key == Plot2D_LastFlight || key == Plot2D_LastSample) return -1;
    if (key == Plot2D_XGrid || key == Plot2D_YGrid || key == Plot2D_YAxisLog) return false;
    if (key == BackgroundColor) return QStringLiteral("white");
    if (key == RepositoryConnection) return QString();
    if (key == RepositorySyncAfterDownload) return false;
    if (key == StationName) return QSysInfo::machineHostName();
    return {};
}

QVariant value(const QString& key)
{
    QSettings store;
    if (store.contains(key))
        return store.value(key);
    return defaultValue(key);
}

QString text(const QString& key) { return value(key).toString(); }
int integer(const QString& key) { return value(key).toInt(); }
bool flag(const QString& key) { return value(key).toBool(); }

void setValue(const QString& key, const QVariant& value)
{
    createStoreFileOwnerOnly();
    QSettings store;
    store.setValue(key, value);
}

bool contains(const QString& key) { return QSettings().contains(key); }

void seedMissingKeys()
{
    createStoreFileOwnerOnly();
    QSettings store;
    const QStringList present = store.childKeys();
    for (const QString& key : {IpAddress, Port, Version, LastAircraft, DataDir, ConnectTimeout})
        if (!present.contains(key, Qt::CaseSensitive))
            store.setValue(key, defaultValue(key));
}

QString unitAddress() { return addressOverride.value_or(text(IpAddress)); }
int unitPort() { return portOverride.value_or(integer(Port)); }

void overrideUnitEndpoint(std::optional<QString> address, std::optional<int> port)
{
    addressOverride = std::move(address);
    portOverride = port;
}

void clearUnitEndpointOverride() { overrideUnitEndpoint(std::nullopt, std::nullopt); }

bool unitEndpointOverridden() { return addressOverride || portOverride; }

void overrideDataDir(std::optional<QString> directory) { dataDirOverridden = std::move(directory); }

std::optional<QString> dataDirOverride() { return dataDirOverridden; }

}  // namespace settings
