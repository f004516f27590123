#include "repository/Station.h"

#include "core/Settings.h"

#include <QUuid>

namespace repository {

Station thisStation()
{
    QString id = settings::text(settings::StationId);
    if (QUuid(id).isNull()) {
        id = QUuid::createUuid().toString(QUuid::WithoutBraces);
        settings::setValue(settings::StationId, id);
    }
    return {id, settings::text(settings::StationName)};
}

}  // namespace repository
