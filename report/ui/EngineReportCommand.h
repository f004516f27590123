#pragma once
// File › Engine Report… of the main, plot and trend windows: asks where to
// save (the export folder, the default name, never the engine directory),
// gathers the report and draws its pages off the GUI thread (only the charts,
// which are widgets, are recorded on it), with the busy cursor shown
// meanwhile, and tells a failure with its reason.

#include "report/EngineReport.h"

#include <QObject>
#include <QString>
#include <optional>

class QWidget;

class EngineReportCommand : public QObject {
    Q_OBJECT
public:
    // Asks for the PDF's path and starts writing; the command deletes itself
    // when done. bite: the built-in test results read in the connection that
    // downloaded rawPath, when there are such.
    static void run(QWidget* window, const QString& rawPath, const std::optional<BiteResults>& bite = std::nullopt);
    ~EngineReportCommand() override;

signals:
    // The PDF written, or why not (the reason was shown).
    void finished(const QString& pdfPath, const QString& failure);

private:
    EngineReportCommand(QWidget* window, QString rawPath, QString pdfPath, const std::optional<BiteResults>& bite);
    void start();
    void write(EngineReport report);
    void finish(const QString& failure);

    QWidget* window_;
    QString rawPath_;
    QString pdfPath_;
    std::optional<BiteResults> bite_;
    bool busy_ = false;  // the busy cursor is shown
};
