#include "download/DownloadRequest.h"

#include "core/AircraftCatalogue.h"
#include "core/Prompts.h"
#include "core/Registration.h"
#include "core/Settings.h"

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QtConcurrent/QtConcurrentRun>

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

namespace {

// A failure of the store, and the title of the box it is shown in.
struct StoreFailure {
    QString title;
    QString text;
};

void fillRecord(AircraftInfo& record, int positionCode, const DownloadDetails& details)
{
    EngineInfo& engine = record.engines[engineNumberOfPositionCode(positionCode) - 1];
    copyText(record.registration, details.registration);
    copyText(record.shopId, details.shopId);
    copyText(record.comment, details.comment);
    copyText(engine.type, details.engineType);
    copyText(engine.serialNumber, details.engineSerialNumber);
    copyText(engine.installDate, details.installDate);
}

// The writes of the filled record; shows nothing, so it may run on any thread.
QList<StoreFailure> storeFilled(const AircraftInfo& record, int positionCode, const DownloadDetails& details)
{
    QList<StoreFailure> failures;
    if (const QString notAdded = catalogue::addAircraft(details.registration, QString(), QString());
        !notAdded.isEmpty())
        failures.append({QStringLiteral("Add Aircraft"), notAdded});
    if (const QString notSaved = catalogue::saveAircraftDetails(
            record, positionCode, {details.engineType, details.engineSerialNumber, details.installDate});
        !notSaved.isEmpty())
        failures.append({QStringLiteral("DownloadClearDialog::aircraftInfoSave"), notSaved});
    settings::setValue(settings::LastAircraft, details.registration);
    return failures;
}

QString showFailures(const QList<StoreFailure>& failures)
{
    for (const StoreFailure& failure : failures)
        prompts().critical(nullptr, failure.title, failure.text);
    return failures.isEmpty() ? QString() : failures.first().text;
}

}  // namespace

QString storeDownloadDetails(AircraftInfo& record, int positionCode, const DownloadDetails& details)
{
    fillRecord(record, positionCode, details);
    return showFailures(storeFilled(record, positionCode, details));
}

QFuture<QString> storeDownloadDetailsInBackground(AircraftInfo& record, int positionCode,
                                                  const DownloadDetails& details)
{
    fillRecord(record, positionCode, details);
    const QString databaseFile = QSqlDatabase::database().databaseName();
    return QtConcurrent::run([databaseFile, record, positionCode, details] {
               const catalogue::ThreadConnection connection(databaseFile);
               if (!connection.openFailure().isEmpty())
                   return QList<StoreFailure>{{QStringLiteral("Add Aircraft"), connection.openFailure()}};
               return storeFilled(record, positionCode, details);
           })
        .then(QCoreApplication::instance(), [](const QList<StoreFailure>& failures) { return showFailures(failures); });
}
