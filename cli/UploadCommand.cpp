// tolm-cli upload: the firmware upload of Firmware Upload (F7), behind the
// same access password, with the same questions before anything is sent.

#include "cli/CliCommand.h"
#include "cli/CliInterrupt.h"
#include "cli/CliProgress.h"
#include "cli/CliPrompts.h"
#include "cli/CliUnit.h"
#include "cli/Commands.h"
#include "core/DataDirectories.h"
#include "core/MessageText.h"
#include "firmware/UpdateFile.h"
#include "firmware/UploadQuestions.h"

#include <QFile>
#include <QFileInfo>

namespace {

const QString kKind = QStringLiteral("kind");
const QString kPasswordStdin = QStringLiteral("password-stdin");
const QString kAcceptIncompatible = QStringLiteral("accept-incompatible");
const QString kErase = QStringLiteral("erase");
// In the order of FirmwareUpload::Kind.
const QStringList kKinds = {QStringLiteral("main"), QStringLiteral("dsp"), QStringLiteral("config")};

// The upload's questions, answered by the flags. A configuration table
// always erases the unit's data afterwards, so it takes --erase like a download.
void answerQuestions(const QList<UploadQuestion>& questions, const cli::CommandLine& line)
{
    for (const UploadQuestion& question : questions) {
        const QString& flag = question.text == kTableEraseQuestion ? kErase : kAcceptIncompatible;
        cliPrompts().answer(question.text, line.isSet(flag), QStringLiteral("--") + flag);
    }
}

// The station's checks of the update file, before the password is asked and
// the unit is reached: a file it refuses ends the command with BadInput.
void checkUpdateFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw cli::Exit{cli::BadInput, QStringLiteral("Failed to open %1: %2")
                                           .arg(messageText(path), messageText(file.errorString()))};
    QString failure;
    if (!UpdateFile::read(file, failure))
        throw cli::Exit{cli::BadInput, messageText(path) + QStringLiteral(": ") + failure};
}

struct UploadOutcome {
    bool started = false;
    bool succeeded = false;
    bool interrupted = false;
};

UploadOutcome upload(CliUnit& unit, FirmwareUpload::Kind kind, const QString& path)
{
    UploadOutcome outcome;
    unit.lend([&](LinkContext& link, PartNumberRecord& partNumbers) {
        if (!askUploadQuestions(nullptr, uploadQuestions(kind, QFileInfo(path).fileName(), partNumbers)))
            return;
        outcome.started = true;
        FirmwareUpload job(link, partNumbers, nullptr);
        CliProgress progress(job);
        const cli::CancelOnInterrupt interrupt([&] { job.cancel(); });
        bool finished = false;
        QObject::connect(&job, &FirmwareUpload::finished, [&](bool success) {
            finished = true;
            outcome.succeeded = success && !job.eraseFailed();
        });
        job.start(kind, path);
        cli::waitUntil([&] { return finished; });
        outcome.interrupted = interrupt.interrupted();
    });
    return outcome;
}

}  // namespace

int runUpload(const QStringList& arguments)
{
    cli::CommandLine line(QStringLiteral("upload"),
                          QStringLiteral("Uploads main processor software, DSP software or a DSP configuration "
                                         "table into the unit, packet by packet, as Firmware Upload (F7) does. "
                                         "Asks for the access password on the terminal, without echo."),
                          cli::CommandLine::ReachesUnit,
                          {QStringLiteral("tolm-cli upload --kind dsp ~/tolm-data/Mirvak/SW_uploads/614_207-000-2.dat"),
                           QStringLiteral("tolm-cli upload --kind config --erase 614_208-000-2.dat")});
    line.add({kKind, QStringLiteral("What FILE holds: main, dsp or config."), QStringLiteral("KIND")});
    line.add({kPasswordStdin, QStringLiteral("Read the access password as one line of standard input.")});
    line.add({kAcceptIncompatible, QStringLiteral("Upload a file whose name does not fit the kind or the unit's "
                                                  "other part number (the window asks first).")});
    line.add({kErase, QStringLiteral("Consent to the erase of the unit's data that follows a configuration table.")});
    line.parser().addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The update file."));
    line.parse(arguments);
    cli::require(line.isSet(kKind), QStringLiteral("--kind is required: main, dsp or config."));
    const auto kind = FirmwareUpload::Kind(line.choice(kKind, kKinds));
    cli::require(line.positional().size() == 1, QStringLiteral("upload takes one FILE."));
    const QString path = line.positional().first();
    cli::require(QFileInfo(path).isFile(), messageText(path) + QStringLiteral(" is no file."));
    checkUpdateFile(path);

    cliPrompts().readPasswordFromInput(line.isSet(kPasswordStdin));
    if (!confirmAccessPassword(nullptr))
        throw cli::Exit{cli::BadInput, {}};

    cli::openDataTree();
    CliUnit unit;
    unit.identify();
    const QString refusal = uploadModeRefusal(kind, unit.partNumbers());
    if (!refusal.isEmpty())
        throw cli::Exit{cli::BadInput, refusal};
    answerQuestions(uploadQuestions(kind, QFileInfo(path).fileName(), unit.partNumbers()), line);
    const UploadOutcome outcome = upload(unit, kind, path);
    if (!outcome.started) {
        cli::endIfDeclined(QStringLiteral("Nothing was sent to the unit."));
        throw cli::Exit{cli::StepFailed, QStringLiteral("Nothing was sent to the unit.")};
    }
    if (outcome.interrupted && !outcome.succeeded)
        return cli::Interrupted;
    return outcome.succeeded ? cli::Success : cli::StepFailed;
}
