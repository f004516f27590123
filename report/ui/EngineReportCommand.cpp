#include "report/ui/EngineReportCommand.h"

#include "core/DataDirectories.h"
#include "core/MessageText.h"
#include "core/Prompts.h"
#include "core/Settings.h"
#include "report/EngineReport.h"
#include "report/ui/EngineReportWriter.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QWidget>
#include <QtConcurrent>

namespace {

const QString kTitle = QStringLiteral("Engine Report");

struct Gathered {
    std::optional<EngineReport> report;
    QString failure;
};

bool sameDirectory(const QString& a, const QString& b)
{
    return QFileInfo(a).absoluteDir().canonicalPath() == QFileInfo(b).absoluteDir().canonicalPath();
}

}  // namespace

void EngineReportCommand::run(QWidget* window, const QString& rawPath, const std::optional<BiteResults>& bite)
{
    const QString suggested = QDir(settings::text(settings::ExportPath)).filePath(defaultReportName(rawPath));
    QString pdfPath = prompts().saveFileName(window, kTitle, suggested, QStringLiteral("PDF (*.pdf)"));
    if (pdfPath.isEmpty())
        return;
    if (!pdfPath.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        pdfPath += QStringLiteral(".pdf");
    // The engine directory holds what the unit delivered; a report there would pass for part of the download.
    if (sameDirectory(pdfPath, rawPath)) {
        prompts().warning(window, kTitle,
                          QStringLiteral("Reports are not saved in the engine directory. Choose another folder."));
        return;
    }
    (new EngineReportCommand(window, rawPath, pdfPath, bite))->start();
}

EngineReportCommand::EngineReportCommand(QWidget* window, QString rawPath, QString pdfPath,
                                         const std::optional<BiteResults>& bite)
    : QObject(window), window_(window), rawPath_(std::move(rawPath)), pdfPath_(std::move(pdfPath)), bite_(bite)
{
}

// Closing the window ends the command before its worker is done.
EngineReportCommand::~EngineReportCommand()
{
    if (busy_)
        QApplication::restoreOverrideCursor();
}

// Reading the flights, hashing the files and updating the index run on a
// worker; then the charts, which are widgets, are recorded on the GUI thread,
// and the pages drawn with them and the file written on a worker again.
void EngineReportCommand::start()
{
    QApplication::setOverrideCursor(Qt::BusyCursor);
    busy_ = true;
    auto* watcher = new QFutureWatcher<std::shared_ptr<Gathered>>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher] {
        const std::shared_ptr<Gathered> gathered = watcher->result();
        if (gathered->report)
            write(*gathered->report);
        else
            finish(gathered->failure);
    });
    const QString rawPath = rawPath_;
    const QString dataRoot = dataRootPath();
    watcher->setFuture(QtConcurrent::run([rawPath, dataRoot] {
        auto gathered = std::make_shared<Gathered>();
        gathered->report = gatherEngineReport(rawPath, dataRoot, gathered->failure);
        return gathered;
    }));
}

void EngineReportCommand::write(EngineReport report)
{
    readShopDetails(report);
    report.bite = bite_;
    QList<RecordedChart> charts = recordEngineReportCharts(report);
    auto* watcher = new QFutureWatcher<QString>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher] { finish(watcher->result()); });
    watcher->setFuture(QtConcurrent::run([report = std::move(report), charts = std::move(charts), pdfPath = pdfPath_] {
        return writeEngineReport(report, charts, pdfPath);
    }));
}

void EngineReportCommand::finish(const QString& failure)
{
    QApplication::restoreOverrideCursor();
    busy_ = false;
    if (!failure.isEmpty())
        prompts().critical(window_, kTitle, QStringLiteral("The report was not written: ") + failure);
    emit finished(failure.isEmpty() ? pdfPath_ : QString(), failure);
    deleteLater();
}
