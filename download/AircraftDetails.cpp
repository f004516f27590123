#include "download/AircraftDetails.h"

#include "core/Database.h"
#include "core/SqlCatalogue.h"

#include <QSqlError>
#include <QSqlQuery>

QString saveAircraftDetails(const AircraftInfo& record, int positionCode, const EngineDetails& engine)
{
    QSqlQuery query;
    if (!runStatement(query, sql::kSelectAircraftId, {textOf(record.registration)}))
        return query.lastError().text();
    if (!query.next())
        return QStringLiteral("Aircraft ID not found!");
    const qlonglong aircraftId = query.value(0).toLongLong();

    if (!runStatement(query, sql::kUpdateAircraftById,
                      {textOf(record.shopId), textOf(record.comment), aircraftId}))
        return query.lastError().text();
    if (!runStatement(query, sql::kSelectEngineId, {aircraftId, positionCode, engine.serialNumber}))
        return query.lastError().text();
    const qlonglong engineId = query.next() ? query.value(0).toLongLong() : 0;

    const bool stored =
        engineId > 0
            ? runStatement(query, sql::kUpdateEngine, {engine.type, engine.installDate, engineId})
            : runStatement(query, sql::kInsertEngine,
                           {aircraftId, engine.type, engine.serialNumber, positionCode, engine.installDate});
    return stored ? QString() : query.lastError().text();
}
