// "Export (F8)": from the flight selection to the closing box, with the
// progress display and its Cancel.

#include "GuiTestEnvironment.h"
#include "SampleFlight.h"
#include "app/MainWindow.h"
#include "core/Database.h"
#include "core/Settings.h"
#include "export/ui/ExportCommand.h"
#include "flights/CorrectionTable.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDirIterator>
#include <QProgressDialog>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

namespace {

const QString kDirectory = "F-GABC-engine4-ESN123456-20110305-142500-POD-F42";

// The calls of the export command: the directory chooser and the "Export Data"
// boxes (the main window's link may add its own).
QList<PromptCall> exportCalls(const ScriptedPrompts& prompts)
{
    QList<PromptCall> calls;
    for (const PromptCall& call : prompts.calls)
        if (call.title == QLatin1String("Select Directory") || call.title == QLatin1String("Export Data"))
            calls << call;
    return calls;
}

QStringList boxes(const QList<PromptCall>& calls)
{
    QStringList texts;
    for (const PromptCall& call : calls)
        texts << QStringLiteral("%1|%2|%3").arg(int(call.kind)).arg(call.title, call.text);
    return texts;
}

QString box(Prompts::Kind kind, const QString& text)
{
    return QStringLiteral("%1|Export Data|%2").arg(int(kind)).arg(text);
}

const QString kChooser = QStringLiteral("%1|Select Directory|<directory>").arg(int(Prompts::Kind::Question));

// Every file below a directory, temporary ones included.
QStringList filesBelow(const QString& directory)
{
    QStringList files;
    QDirIterator it(directory, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next();
    return files;
}

}  // namespace

class ExportCommandTest : public QObject {
    Q_OBJECT
    GuiTestEnvironment env;
    std::shared_ptr<FlightRecord> sample;

    QString target() const { return env.path() + "/export"; }

    FlightRecordList flightsNumbered(int count) const
    {
        FlightRecordList flights;
        for (int i = 0; i < count; ++i) {
            auto flight = std::make_shared<FlightRecord>(*sample);
            flight->flightNumber = 100 + i;
            flights << flight;
        }
        return flights;
    }

private slots:
    void initTestCase()
    {
        qputenv("TZ", "UTC");
        connectDB();
        exportCorrectionTable();  // its absence beside the test is reported once, here
        sample = sampleflight::read(sampleflight::writeRawFile(env.dataRoot()));
    }

    void init()
    {
        env.resetSettings();
        env.clearPrompts();
        env.dialogs().clear();
        QDir(target()).removeRecursively();
    }

    void exportFromTheMainWindow()
    {
        settings::setValue(settings::LastAircraft, "F-GABC");
        settings::setValue(settings::LastSelectedEngine, sampleflight::kEngine);
        settings::setValue(settings::Plot2D_MemType, 1);
        settings::setValue(settings::ExportPath, env.path() + "/last");
        MainWindow window;
        QPushButton* exportButton = window.findChild<QPushButton*>("buttonExport");
        // Each run takes the flights listed (all, or none) and accepts.
        const auto selectFlights = [&](bool all) {
            env.clearPrompts();
            env.dialogs().onDialog = [all](QDialog& dialog) {
                waitForFlightList(dialog);
                if (all)
                    dialog.findChild<QTreeWidget*>("flightDataTreeWidget")->selectAll();
                dialog.findChild<QDialogButtonBox*>("buttonBox")->button(QDialogButtonBox::Ok)->click();
                return dialog.result();
            };
        };

        selectFlights(true);
        env.prompts().fileAnswers << target();
        exportButton->click();
        QCOMPARE(env.dialogs().dialogsRun, QStringList{"DataSelectionDialog"});
        const QList<PromptCall> calls = exportCalls(env.prompts());
        QCOMPARE(boxes(calls), (QStringList{kChooser, box(Prompts::Kind::Information, "Done!")}));
        QCOMPARE(calls[0].directory, env.path() + "/last");
        QCOMPARE(calls[1].parent, static_cast<QObject*>(&window));
        QCOMPARE(settings::text(settings::ExportPath), target());
        QCOMPARE(QDir(target() + '/' + kDirectory).entryList(QDir::Files).size(), 15);
        QCOMPARE(QApplication::overrideCursor(), nullptr);

        // A cancelled chooser ends the command and keeps the last directory.
        selectFlights(true);
        exportButton->click();
        QCOMPARE(boxes(exportCalls(env.prompts())), QStringList{kChooser});
        QCOMPARE(env.prompts().calls.last().directory, target());
        QCOMPARE(settings::text(settings::ExportPath), target());

        // An empty selection ends it before the chooser; so does a cancelled one.
        selectFlights(false);
        exportButton->click();
        QCOMPARE(env.dialogs().dialogsRun, QStringList{"DataSelectionDialog"});
        QCOMPARE(boxes(exportCalls(env.prompts())), QStringList());
        env.clearPrompts();
        exportButton->click();
        QCOMPARE(env.dialogs().dialogsRun, QStringList{"DataSelectionDialog"});
        QCOMPARE(boxes(exportCalls(env.prompts())), QStringList());
    }

    void failuresAreToldAtTheEnd()
    {
        // Tests run as root: a directory below a regular file cannot be created, whatever the permissions.
        QDir().mkpath(target());
        QFile blocker(target() + "/file");
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const QString chosen = target() + "/file/out";
        env.prompts().fileAnswers << chosen;
        exportData(nullptr, flightsNumbered(2));
        const QString first = "Failed to create directory \"" + chosen + "/F-GABC-engine4-ESN123456-20110305-142500-POD-F100\"";
        const QString second = "Failed to create directory \"" + chosen + "/F-GABC-engine4-ESN123456-20110305-142500-POD-F101\"";
        QCOMPARE(boxes(env.prompts().calls),
                 (QStringList{kChooser, box(Prompts::Kind::Warning, first), box(Prompts::Kind::Warning, second),
                              box(Prompts::Kind::Warning, "0 of 30 files were written.\n\nNot written:\n" + first + "\n" + second)}));
        QCOMPARE(filesBelow(target()), QStringList{target() + "/file"});
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    void cancelFromTheProgressDialog()
    {
        exportProgressDelayMs() = 0;  // however fast the export, its progress shows
        QString label;
        QTimer canceller;
        canceller.setInterval(1);
        connect(&canceller, &QTimer::timeout, [&] {
            for (QWidget* widget : QApplication::topLevelWidgets())
                if (auto* progress = qobject_cast<QProgressDialog*>(widget); progress && progress->isVisible()) {
                    label = progress->labelText();
                    progress->findChild<QPushButton*>()->click();
                    canceller.stop();
                }
        });
        canceller.start();
        env.prompts().fileAnswers << target();
        exportData(nullptr, flightsNumbered(20));

        QVERIFY2(!label.isEmpty(), "the progress dialog never showed");
        QVERIFY2(QRegularExpression("^Flight \\d+ of 20: \\w+\\.(txt|csv)$").match(label).hasMatch(), qPrintable(label));
        const QStringList calls = boxes(env.prompts().calls);
        QCOMPARE(calls.size(), 2);
        const QRegularExpressionMatch cancelled =
            QRegularExpression("^" + QRegularExpression::escape(box(Prompts::Kind::Information, "Export cancelled: "))
                               + "(\\d+) of 300 files were written\\.$")
                .match(calls[1]);
        QVERIFY2(cancelled.hasMatch(), qPrintable(calls[1]));
        const int written = cancelled.captured(1).toInt();
        QVERIFY(written < 300);
        // Nothing half written: the files there are exactly those counted, no temporary file stays.
        QCOMPARE(filesBelow(target()).size(), written);
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        exportProgressDelayMs() = 500;
    }
};

QTEST_MAIN(ExportCommandTest)
#include "test_export_command.moc"
