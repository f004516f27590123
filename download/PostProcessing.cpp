#include "download/PostProcessing.h"

#include "core/Clock.h"
#include "core/Database.h"
#include "core/Registration.h"
#include "download/EngineReports.h"
#include "download/FlightHistoryReport.h"
#include "download/RawFileWriter.h"
#include "link/LinkContext.h"
#include "trend/FlightIndex.h"

#include <QFile>
#include <QFileInfo>

namespace {

constexpr qint64 kAlgoStatusAnswerSize = 26;

QString sizeMismatch(const QString& what, qint64 found, qint64 expected)
{
    return QStringLiteral("The %1 answer holds %2 bytes; %3 bytes were expected. Nothing was written from it.")
        .arg(what)
        .arg(found)
        .arg(expected);
}

// The names that become directories and files must stay inside the data tree.
QString unsafeNameProblem(const ReportContext& context)
{
    const QString registration = textOf(context.aircraft.registration);
    if (const QString problem = fileNameProblem(registration); !problem.isEmpty())
        return QStringLiteral("Invalid aircraft registration \"%1\": string %2").arg(registration, problem);
    const QString serial = textOf(context.engine().serialNumber);
    if (const QString problem = fileNameProblem(serial); !problem.isEmpty())
        return QStringLiteral("Invalid engine serial number \"%1\": string %2").arg(serial, problem);
    return {};
}

// Checks the names, creates the engine directory and reserves the session's
// file names in it; returns the failure text.
QString prepareEngineDirectory(SessionRecord& session)
{
    if (const QString problem = unsafeNameProblem(session.context); !problem.isEmpty())
        return problem;
    return session.reserveFiles();
}

}  // namespace

QString SessionRecord::reserveFiles()
{
    if (files)
        return {};
    QString failure;
    context.sessionTime = Clock::now();
    files = SessionFiles::reserve(engineDirectoryPath(context.aircraft, context.engineNumber),
                                  textOf(context.engine().serialNumber), context.sessionTime, failure);
    return failure;
}

QString extractAlgoStatus(LinkContext& link, SessionRecord& session)
{
    if (link.responseFile.isEmpty())
        return QStringLiteral("Invalid algo status file name (empty)!");
    QFile file(link.responseFile);
    if (!file.open(QIODevice::ReadOnly)) {
        const QString text = QStringLiteral("Failed to open algo status file: %1: %2").arg(file.fileName(), file.errorString());
        link.responseFile.clear();
        return text;
    }
    const QByteArray answer = file.readAll();
    file.close();
    link.responseFile.clear();
    if (answer.size() != kAlgoStatusAnswerSize)
        return sizeMismatch(QStringLiteral("algorithm status"), answer.size(), kAlgoStatusAnswerSize);
    std::memcpy(session.context.algorithmStates.data(), answer.constData() + 20, 6);
    return {};
}

namespace {

// The raw file, its flights indexed at once so the trend shows them without
// a scan. The index only spares reading: when it cannot be written, its next
// use catches up, and the download stands.
QString writeIndexedRawFile(const QString& path, const ReportContext& context, const EngineDataImage& image)
{
    const QString failure = writeRawFile(path, context, image);
    if (failure.isEmpty())
        FlightIndex(databasePath()).updateFile(path);
    return failure;
}

}  // namespace

QString reformatData(LinkContext& link, SessionRecord& session)
{
    if (link.responseFile.isEmpty())
        return QStringLiteral("Invalid raw data file name!");
    QFile file(link.responseFile);
    QString failure;
    QByteArray image;
    if (!file.open(QIODevice::ReadOnly))
        failure = QStringLiteral("Failed to open flight data file: %1: %2").arg(file.fileName(), file.errorString());
    else if (file.size() != engine::kAnswerSize)
        failure = sizeMismatch(QStringLiteral("engine data"), file.size(), engine::kAnswerSize);
    else if (!file.seek(engine::kMessageHeaderSize))
        failure = QStringLiteral("seek() error!");
    else if (file.read(reinterpret_cast<char*>(&session.context.dataHeader), sizeof(DataHeader)) != sizeof(DataHeader))
        failure = QStringLiteral("Invalid data header.");
    else if ((image = file.readAll()).size() != EngineDataImage::kSize)
        failure = sizeMismatch(QStringLiteral("engine data"), file.size(), engine::kAnswerSize);
    file.close();
    link.responseFile.clear();
    if (failure.isEmpty())
        failure = prepareEngineDirectory(session);
    if (!failure.isEmpty())
        return failure;

    const EngineDataImage data(std::move(image));
    const SessionFiles& files = *session.files;
    const ReportContext& context = session.context;
    QStringList failures;
    for (const QString& problem :
         {writeIndexedRawFile(files.rawFile(), context, data),
          writeCampbellReport(files.report(QStringLiteral("cb")), context, data),
          writeSteadyStateReport(files.report(QStringLiteral("ss")), context, data, session.progress),
          writeTransientReport(files.report(QStringLiteral("tr")), context, data, session.progress)})
        if (!problem.isEmpty())
            failures << problem;
    return failures.join(QLatin1Char('\n'));
}

QString extractFlightHistoryData(LinkContext& link, SessionRecord& session)
{
    if (link.responseFile.isEmpty())
        return QStringLiteral("Invalid raw data file name!");
    QFile file(link.responseFile);
    if (!file.open(QIODevice::ReadOnly)) {
        const QString text = QStringLiteral("Cannot open flight history data file: ") + file.fileName();
        link.responseFile.clear();
        return text;
    }
    const QByteArray answer = file.readAll();
    file.close();
    link.responseFile.clear();
    if (answer.size() != kFlightHistoryAnswerSize)
        return sizeMismatch(QStringLiteral("flight history"), answer.size(), kFlightHistoryAnswerSize);
    if (const QString failure = prepareEngineDirectory(session); !failure.isEmpty())
        return failure;
    return writeFlightHistoryReport(session.files->report(QStringLiteral("fh")), session.context, answer);
}
