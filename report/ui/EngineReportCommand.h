#pragma once
// File › Engine Report… of the main, plot and trend windows: asks where to
// save (the export folder, the default name, never the engine directory),
// gathers the report off the GUI thread and draws its pages, with the busy
// cursor shown meanwhile, and tells a failure with its reason.

#include <QObject>
#include <QString>

class QWidget;

class EngineReportCommand : public QObject {
    Q_OBJECT
public:
    // Asks for the PDF's path and starts writing; the command deletes itself when done.
    static void run(QWidget* window, const QString& rawPath);
    ~EngineReportCommand() override;

signals:
    // The PDF written, or why not (the reason was shown).
    void finished(const QString& pdfPath, const QString& failure);

private:
    EngineReportCommand(QWidget* window, QString rawPath, QString pdfPath);
    void start();
    void finish(const QString& failure);

    QWidget* window_;
    QString rawPath_;
    QString pdfPath_;
    bool busy_ = false;  // the busy cursor is shown
};
