#pragma once
// The settings key table: every key the program stores, its type and default.
// Each read opens the store afresh and falls back on the key's default; each
// write goes to the store at once.

#include <QString>
#include <QVariant>
#include <optional>

namespace settings {

inline const QString IpAddress = QStringLiteral("IP Address");
inline const QString Port = QStringLiteral("Port");
inline const QString ConnectTimeout = QStringLiteral("ConnectTimeout");
inline const QString Version = QStringLiteral("Version");
inline const QString DataDir = QStringLiteral("DataDir");
inline const QString SaveRawFiles = QStringLiteral("SaveRawFiles");
inline const QString Password = QStringLiteral("Password");
inline const QString LastAircraft = QStringLiteral("LastAircraft");
inline const QString LastSelectedEngine = QStringLiteral("LastSelectedEngine");
inline const QString LastDirectory = QStringLiteral("LastDirectory");
inline const QString ExportPath = QStringLiteral("ExportPath");
inline const QString SwFilesDir = QStringLiteral("SwFilesDir");
inline const QString Plot2D_MemType = QStringLiteral("Plot2D_MemType");
inline const QString Plot2D_PlotType = QStringLiteral("Plot2D_PlotType");
inline const QString Plot2D_ParmType = QStringLiteral("Plot2D_ParmType");
inline const QString Plot2D_LastFlight = QStringLiteral("Plot2D_LastFlight");
inline const QString Plot2D_LastSample = QStringLiteral("Plot2D_LastSample");
inline const QString Plot2D_TransientBinType = QStringLiteral("Plot2D_TransientBinType");
inline const QString Plot2D_XGrid = QStringLiteral("Plot2D_XGrid");
inline const QString Plot2D_YGrid = QStringLiteral("Plot2D_YGrid");
inline const QString Plot2D_FFT_WINDOW_TYPE = QStringLiteral("Plot2D_FFT_WINDOW_TYPE");
inline const QString Plot2D_YAxisLog = QStringLiteral("Plot2D_YAxisLog");
// The engine trend window's threshold of a steady-state parameter (0..21); unset or empty: none.
inline QString TrendThreshold(int parameter) { return QStringLiteral("Trend/Threshold/") + QString::number(parameter); }
// The fleet repository: a libpq connection string or "service=NAME" (never a
// password), and whether the window pushes after each download.
inline const QString RepositoryConnection = QStringLiteral("Repository/Connection");
inline const QString RepositorySyncAfterDownload = QStringLiteral("Repository/SyncAfterDownload");
// This station in the fleet repository: a UUID made once, and a name (the host name unless changed).
inline const QString StationId = QStringLiteral("Station/Id");
inline const QString StationName = QStringLiteral("Station/Name");
inline const QString BackgroundColor = QStringLiteral("BackgroundColor");
inline const QString Geometry = QStringLiteral("geometry");
inline const QString PlotWindowGeometry = QStringLiteral("PlotMainWindow/geometry");
inline const QString FwUpdateGeometry = QStringLiteral("FwUpdateDialog/geometry");

inline const QString kDefaultAddress = QStringLiteral("192.168.0.1");
constexpr int kDefaultPort = 4242;

// "C:/tolm-data" on Windows, <home>/tolm-data elsewhere.
QString defaultDataDir();
// The key's default; an invalid QVariant for keys without one (the geometries).
QVariant defaultValue(const QString& key);

QVariant value(const QString& key);
QString text(const QString& key);
int integer(const QString& key);
bool flag(const QString& key);
void setValue(const QString& key, const QVariant& value);
bool contains(const QString& key);

// Writes the default of each seeded key that is missing; stored values stay.
void seedMissingKeys();

// The store holds the access password in plain text: its file is for its
// owner's eyes only. Sets an existing file to owner-only access (0600); a new
// one is created so by the first write. Both programs call it at start.
void protectStoreFile();

// The unit's address and port for connecting: the stored values unless the
// command line overrode them for this run (nothing of an override is stored).
QString unitAddress();
int unitPort();
void overrideUnitEndpoint(std::optional<QString> address, std::optional<int> port);
void clearUnitEndpointOverride();
bool unitEndpointOverridden();

// The base directory of the data tree for this run only (the command line's
// --data-dir); dataDirPath() answers it instead of DataDir, which stays as stored.
void overrideDataDir(std::optional<QString> directory);
std::optional<QString> dataDirOverride();

}  // namespace settings
