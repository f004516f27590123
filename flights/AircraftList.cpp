#include "flights/AircraftList.h"

#include "core/Database.h"
#include "core/Prompts.h"
#include "core/SqlCatalogue.h"

#include <QSqlError>

namespace {

void reportFailure(const QSqlQuery& query)
{
    prompts().critical(nullptr, QStringLiteral("DataSelectionDialog::BuildAircraftInfoList"),
                       query.lastError().text());
}

}  // namespace

QList<AircraftInfo> BuildAircraftInfoList()
{
    QList<AircraftInfo> list;
    QSqlQuery aircraft;
    if (!runStatement(aircraft, sql::kSelectAircraftList)) {
        reportFailure(aircraft);
        return list;
    }
    while (aircraft.next()) {
        AircraftInfo info{};
        copyText(info.registration, aircraft.value(1).toString());
        copyText(info.shopId, aircraft.value(2).toString());
        copyText(info.comment, aircraft.value(3).toString());
        QSqlQuery engines;
        if (!runStatement(engines, sql::kSelectEnginesOfAircraft, {aircraft.value(0)})) {
            reportFailure(engines);
            return list;
        }
        while (engines.next()) {
            const int sdi = engines.value(0).toInt();
            if (sdi < 0 || sdi > 3)
                continue;  // no engine position of the unit
            EngineInfo& engine = info.engines[sdi == 0 ? 3 : sdi - 1];
            copyText(engine.type, engines.value(1).toString());
            copyText(engine.serialNumber, engines.value(2).toString());
            copyText(engine.installDate, engines.value(3).toString());
        }
        list.append(info);
    }
    return list;
}
