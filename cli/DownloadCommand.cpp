// tolm-cli download: the download session of the window's Download / Clear,
// with the request dialog's checks and database updates. Details not given
// are those the request dialog would show for the registration.

#include "cli/CliCommand.h"
#include "cli/CliInterrupt.h"
#include "cli/CliProgress.h"
#include "cli/CliPrompts.h"
#include "cli/CliUnit.h"
#include "cli/Commands.h"
#include "core/AircraftCatalogue.h"
#include "core/Registration.h"
#include "download/DownloadRequest.h"
#include "download/DownloadSession.h"

namespace {

const QString kRegistration = QStringLiteral("registration");
const QString kEngineType = QStringLiteral("engine-type");
const QString kEngineSerial = QStringLiteral("engine-sn");
const QString kInstallDate = QStringLiteral("install-date");
const QString kShopId = QStringLiteral("shop-id");
const QString kComment = QStringLiteral("comment");
const QString kSkip = QStringLiteral("skip");
const QString kErase = QStringLiteral("erase");
const QString kEraseDeactivated = QStringLiteral("erase-deactivated");
const QString kAcceptIncompatible = QStringLiteral("accept-incompatible");

// What --skip names, each with the two steps it leaves out.
const QStringList kSkippable = {QStringLiteral("algorithm-status"), QStringLiteral("engine-data"),
                                QStringLiteral("flight-history")};
constexpr int kFirstStepOf[] = {DownloadAlgoStatus, DownloadEngineData, DownloadFlightHistory};

void addOptions(cli::CommandLine& line)
{
    line.add({kRegistration, QStringLiteral("Aircraft registration (required)."), QStringLiteral("R")});
    line.add({kEngineType, QStringLiteral("Engine type, one the database offers (default: the stored one)."),
              QStringLiteral("T")});
    line.add({kEngineSerial, QStringLiteral("Engine serial number (default: the one the unit reports)."),
              QStringLiteral("S")});
    line.add({kInstallDate, QStringLiteral("Engine installation date (default: the stored one)."),
              QStringLiteral("D")});
    line.add({kShopId, QStringLiteral("Shop ID (default: the stored one)."), QStringLiteral("ID")});
    line.add({kComment, QStringLiteral("Comment (default: the stored one)."), QStringLiteral("C")});
    line.add({kSkip, QStringLiteral("Steps to leave out, comma-separated: ") + kSkippable.join(QLatin1Char(',')) + '.',
              QStringLiteral("STEPS")});
    line.add({kErase, QStringLiteral("Erase the unit's data once everything requested is safely on disk.")});
    line.add({kEraseDeactivated,
              QStringLiteral("Erase even when an algorithm is deactivated (the window asks first).")});
    line.add({kAcceptIncompatible,
              QStringLiteral("Go on with unit software this station was not made for (the window asks first).")});
}

RequestSet requestedSteps(const cli::CommandLine& line)
{
    const QList<int> skipped = line.choiceList(kSkip, kSkippable);
    RequestSet requests;
    for (int i = 0; i < kSkippable.size(); ++i)
        if (!skipped.contains(i)) {
            requests.add(kFirstStepOf[i]);
            requests.add(kFirstStepOf[i] + 1);  // its post-processing
        }
    if (line.isSet(kErase))
        requests.add(EraseData);
    cli::require(!line.isSet(kEraseDeactivated) || line.isSet(kErase),
                 QStringLiteral("--erase-deactivated only answers the question before an --erase."));
    return requests;
}

// The window's Download box: the details are checked and stored only when data is downloaded.
bool downloads(const RequestSet& requests)
{
    return requests.contains(DownloadEngineData) || requests.contains(DownloadFlightHistory);
}

// The details given on the command line over those the request starts from.
DownloadDetails withGiven(DownloadDetails details, const cli::CommandLine& line)
{
    const std::pair<const QString*, QString*> fields[] = {
        {&kRegistration, &details.registration}, {&kShopId, &details.shopId},
        {&kComment, &details.comment},           {&kEngineType, &details.engineType},
        {&kEngineSerial, &details.engineSerialNumber}, {&kInstallDate, &details.installDate}};
    for (const auto& [option, field] : fields)
        if (line.isSet(*option))
            *field = line.value(*option);
    return details;
}

// The checks of the request dialog on what was typed, before anything is touched.
void checkGivenDetails(const cli::CommandLine& line)
{
    cli::require(line.isSet(kRegistration), QStringLiteral("--registration is required."));
    const DownloadDetails given = withGiven({}, line);
    if (const QString rule = registrationProblem(given.registration); !rule.isEmpty())
        throw cli::Exit{cli::BadInput, invalidRegistrationMessage(rule)};
    const QString problem = downloadDetailsProblem(given);
    cli::require(problem.isEmpty(), problem);
}

// The engine type comes from the database's list, as the dialog's combo box offers it.
void checkEngineType(const cli::CommandLine& line, const QStringList& offered)
{
    if (line.isSet(kEngineType))
        cli::require(offered.contains(line.value(kEngineType), Qt::CaseSensitive),
                     QStringLiteral("Unknown engine type \"%1\"; the database offers: %2.")
                         .arg(line.value(kEngineType), offered.join(QStringLiteral(", "))));
}

// The window's checks of the unit before a download: its software, and its engine position.
int checkUnit(CliUnit& unit, const cli::CommandLine& line)
{
    cliPrompts().answer(unexpectedSoftwareQuestion(unit.partNumbers()), line.isSet(kAcceptIncompatible),
                        QStringLiteral("--") + kAcceptIncompatible);
    if (!unit.link().checkDownloadAllowed()) {
        cli::endIfDeclined(QStringLiteral("Nothing was downloaded."));
        throw cli::Exit{cli::StepFailed, QStringLiteral("Nothing was downloaded.")};
    }
    const int positionCode = int(unit.partNumbers().enginePositionCode);
    if (const QString problem = enginePositionProblem(positionCode); !problem.isEmpty())
        throw cli::Exit{cli::StepFailed, problem};
    return positionCode;
}

struct SessionOutcome {
    bool succeeded = false;
    bool interrupted = false;
    QStringList files;
};

SessionOutcome runSession(CliUnit& unit, const AircraftInfo& record, RequestSet requests,
                          const QString& detailsFailure)
{
    SessionOutcome outcome;
    unit.lend([&](LinkContext& link, PartNumberRecord& partNumbers) {
        DownloadSession session(link, partNumbers, record,
                                engineNumberOfPositionCode(int(partNumbers.enginePositionCode)), requests, nullptr);
        CliProgress progress(session);
        session.setDetailsNotStored(detailsFailure);
        const cli::CancelOnInterrupt interrupt([&] { session.cancel(); });
        session.start();
        cli::waitUntil([&] { return session.isFinished(); });
        outcome = {session.succeeded(), interrupt.interrupted(), session.filesWritten()};
    });
    return outcome;
}

}  // namespace

int runDownload(const QStringList& arguments)
{
    cli::CommandLine line(QStringLiteral("download"),
                          QStringLiteral("Runs the download session of Download / Clear (F5): algorithm status, "
                                         "engine data and flight history into the data tree, then, with --erase, "
                                         "the erase of the unit's data. Prints the paths written."),
                          cli::CommandLine::ReachesUnit,
                          {QStringLiteral("tolm-cli download --registration F-GABC --engine-type CFM56-5"),
                           QStringLiteral("tolm-cli download --registration F-GABC --erase --erase-deactivated")});
    addOptions(line);
    line.parse(arguments);
    cli::require(line.positional().isEmpty(), QStringLiteral("download takes options only."));
    const RequestSet requests = requestedSteps(line);
    checkGivenDetails(line);

    cli::openStation();
    const QStringList offeredTypes = catalogue::engineTypes().value;
    checkEngineType(line, offeredTypes);

    CliUnit unit;
    unit.identify();
    const int positionCode = checkUnit(unit, line);
    AircraftInfo record = storedAircraftRecord(line.value(kRegistration));
    const DownloadDetails details = withGiven(
        initialDownloadDetails(record, engineNumberOfPositionCode(positionCode),
                               fieldText(unit.partNumbers().engineSerialNumber), offeredTypes),
        line);
    // The unit's own serial number is checked like a typed one.
    const QString problem = downloadDetailsProblem(details);
    cli::require(problem.isEmpty(), problem + QStringLiteral("\nGive the serial number with --engine-sn."));
    const QString detailsFailure = downloads(requests) ? storeDownloadDetails(record, positionCode, details) : QString();

    cliPrompts().answer(DownloadSession::kEraseWithoutDownloadQuestion, line.isSet(kErase), QStringLiteral("--erase"));
    cliPrompts().answer(DownloadSession::kDeactivatedAlgorithmQuestion, line.isSet(kEraseDeactivated),
                        QStringLiteral("--") + kEraseDeactivated);
    const SessionOutcome outcome = runSession(unit, record, requests, detailsFailure);
    for (const QString& path : outcome.files)
        cli::printLine(path);
    if (outcome.interrupted && !outcome.succeeded)
        return cli::Interrupted;
    return outcome.succeeded ? cli::Success : cli::StepFailed;
}
