#include "FigureWorld.h"

#include "core/AppIdentity.h"
#include "core/Clock.h"
#include "core/Settings.h"
#include "simulator/Server.h"

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QSettings>
#include <QStyle>
#include <QStyleFactory>

namespace {

// The unit's own port where it is free, so the status bar reads as it does at
// a unit; any free one otherwise.
constexpr quint16 kPreferredPort = settings::kDefaultPort;
// The unit plays an engine whose vibration creeps up from download to download, the same at every build.
constexpr quint64 kVariedSeed = 3;

}  // namespace

FigureWorld::FigureWorld()
{
    if (!dir_.isValid()) {
        failure_ = QStringLiteral("No temporary folder: ") + dir_.errorString();
        return;
    }
    QCoreApplication::setOrganizationName(app::kOrganisation);
    QCoreApplication::setApplicationName(app::kApplication);
    QCoreApplication::setApplicationVersion(app::versionString());
    for (auto format : {QSettings::NativeFormat, QSettings::IniFormat})
        QSettings::setPath(format, QSettings::UserScope, dir_.path() + QStringLiteral("/settings"));
    Clock::fix(QDateTime(QDate(2026, 3, 5), QTime(14, 25, 10), Qt::UTC));
    fixLooks();
    startUnit();
    seedSettings();
}

FigureWorld::~FigureWorld() = default;

QString FigureWorld::dataRoot() const { return dir_.path() + QStringLiteral("/tolm-data/Mirvak"); }

void FigureWorld::fixLooks()
{
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setPalette(QApplication::style()->standardPalette());
    QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
    // A steady text cursor, drawn the same whenever a figure is taken.
    QApplication::setCursorFlashTime(0);
    // As the program sets it for its message boxes.
    QApplication::setFont(QFont(QStringLiteral("Helvetica [Cronyx]"), 11, QFont::Bold, true), "QMessageBox");
}

void FigureWorld::startUnit()
{
    ServerOptions options;
    options.listenAddress = QHostAddress::LocalHost;
    options.eraseDelayMs = 0;
    options.reprogDelayMs = 0;
    options.variedSeed = kVariedSeed;
    unit_ = std::make_unique<Server>(options);
    if (!unit_->listen(QHostAddress::LocalHost, kPreferredPort) && !unit_->listen(QHostAddress::LocalHost, 0))
        failure_ = QStringLiteral("The simulated unit cannot listen: ") + unit_->errorString();
}

void FigureWorld::seedSettings()
{
    QSettings store;
    store.clear();
    // Only the unit of this process is ever asked.
    store.setValue(settings::IpAddress, QStringLiteral("127.0.0.1"));
    store.setValue(settings::Port, unit_->serverPort());
    store.setValue(settings::DataDir, dir_.path() + QStringLiteral("/tolm-data"));
    QDir().mkpath(dataRoot());
}
