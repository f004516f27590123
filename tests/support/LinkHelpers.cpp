#include "LinkHelpers.h"

#include "ScriptedPrompts.h"
#include "core/Settings.h"
#include "link/LinkClient.h"

#include <QElapsedTimer>
#include <QTest>

bool waitFor(const std::function<bool()>& condition, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition() && timer.elapsed() < timeoutMs)
        QTest::qWait(10);
    return condition();
}

bool identifyUnit(LinkClient& link, quint16 port, ScriptedPrompts& prompts)
{
    bool identified = false;
    const QMetaObject::Connection watch =
        QObject::connect(&link, &LinkClient::unitCommandsEnabled, [&](bool on) { identified = on; });
    settings::setValue(settings::Port, port);
    link.connectToUnit();
    const bool ok = waitFor([&] { return identified; }, 10000);
    QObject::disconnect(watch);
    prompts.clear();
    return ok;
}
