#include "download/DownloadRequest.h"

#include "core/AircraftCatalogue.h"
#include "core/Prompts.h"
#include "core/Registration.h"
#include "core/Settings.h"

QString enginePositionProblem(int positionCode)
{
    if (positionCode >= 0 && positionCode <= 3)
        return {};
    return QStringLiteral("The unit reports an unknown engine position (%1).").arg(positionCode);
}

AircraftInfo storedAircraftRecord(const QString& registration)
{
    const catalogue::Fetched<AircraftInfo> stored = catalogue::aircraftInfo(registration);
    if (!stored.failure.isEmpty())
        prompts().critical(nullptr, QStringLiteral("GetAircraftInfo"), stored.failure);
    return stored.value;
}

DownloadDetails initialDownloadDetails(const AircraftInfo& record, int engineNumber,
                                       const QString& unitSerialNumber, const QStringList& offeredTypes)
{
    const EngineInfo& engine = record.engines[engineNumber - 1];
    const QString type = textOf(engine.type);
    return {textOf(record.registration),
            textOf(record.shopId),
            textOf(record.comment),
            offeredTypes.contains(type, Qt::CaseSensitive) ? type : QString(),
            unitSerialNumber,
            textOf(engine.installDate)};
}

QString downloadDetailsProblem(const DownloadDetails& details)
{
    // The serial number names the session's files.
    if (const QString problem = fileNameProblem(details.engineSerialNumber); !problem.isEmpty())
        return QStringLiteral("Invalid engine serial number: string %1").arg(problem);
    // A text cut to its field could name another aircraft's directory, or end inside a character.
    const AircraftInfo record{};
    const EngineInfo& engine = record.engines[0];
    return firstFieldTextProblem({
        {"registration", details.registration, sizeof record.registration},
        {"shop ID", details.shopId, sizeof record.shopId},
        {"comment", details.comment, sizeof record.comment},
        {"engine type", details.engineType, sizeof engine.type},
        {"engine serial number", details.engineSerialNumber, sizeof engine.serialNumber},
        {"install date", details.installDate, sizeof engine.installDate},
    });
}

QString storeDownloadDetails(AircraftInfo& record, int positionCode, const DownloadDetails& details)
{
    const QString notAdded = catalogue::addAircraft(details.registration, QString(), QString());
    if (!notAdded.isEmpty())
        prompts().critical(nullptr, QStringLiteral("Add Aircraft"), notAdded);

    EngineInfo& engine = record.engines[engineNumberOfPositionCode(positionCode) - 1];
    copyText(record.registration, details.registration);
    copyText(record.shopId, details.shopId);
    copyText(record.comment, details.comment);
    copyText(engine.type, details.engineType);
    copyText(engine.serialNumber, details.engineSerialNumber);
    copyText(engine.installDate, details.installDate);
    const QString notSaved = catalogue::saveAircraftDetails(
        record, positionCode, {details.engineType, details.engineSerialNumber, details.installDate});
    if (!notSaved.isEmpty())
        prompts().critical(nullptr, QStringLiteral("DownloadClearDialog::aircraftInfoSave"), notSaved);

    settings::setValue(settings::LastAircraft, details.registration);
    return notAdded.isEmpty() ? notSaved : notAdded;
}
