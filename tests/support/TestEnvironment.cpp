#include "TestEnvironment.h"

#include "core/AppIdentity.h"
#include "core/Settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QSettings>

TestEnvironment::TestEnvironment()
{
    QCoreApplication::setOrganizationName(app::kOrganisation);
    QCoreApplication::setApplicationName(app::kApplication);
    for (auto format : {QSettings::NativeFormat, QSettings::IniFormat})
        QSettings::setPath(format, QSettings::UserScope, dir_.path() + QStringLiteral("/settings"));
    resetSettings();
    installPrompts(&prompts_);
}

TestEnvironment::~TestEnvironment()
{
    installPrompts(nullptr);
}

void TestEnvironment::resetSettings()
{
    QSettings store;
    store.clear();
    // Nothing here may ever try the unit's real address.
    store.setValue(settings::IpAddress, QStringLiteral("127.0.0.1"));
    store.setValue(settings::DataDir, dataDir());
    QDir().mkpath(dataRoot() + QStringLiteral("/tmp"));
}
