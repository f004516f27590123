// The main window offscreen, connected to the real simulator.

#include "SimulatorProcess.h"
#include "GuiTestEnvironment.h"
#include "MenuTexts.h"
#include "app/AboutMirvakDialog.h"
#include "core/AppIdentity.h"
#include "core/DataDirectories.h"
#include "core/Database.h"
#include "app/MainWindow.h"
#include "core/Settings.h"
#include "core/LatestValueRelay.h"
#include "download/ui/DownloadProgressDialog.h"
#include "repository/ui/SyncDialog.h"
#include "link/LinkClient.h"
#include "link/PartNumberRecord.h"
#include "plot/ui/PlotMainWindow.h"
#include "plot/ui/XYPlot.h"
#include "trend/ui/EngineTrendWindow.h"
#include "trend/ui/FleetOverviewWindow.h"
#include "SampleFlights.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QShortcut>
#include <QSqlQuery>
#include <QSpinBox>
#include <QStatusBar>
#include <QTreeWidget>
#include <QProgressBar>
#include <QtTest>

namespace {

QPushButton* button(MainWindow& window, const char* name)
{
    return window.findChild<QPushButton*>(QLatin1String(name));
}

QStringList statusTexts(MainWindow& window)
{
    QStringList texts;
    for (QLabel* label : window.statusBar()->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly))
        texts << label->text();
    return texts;
}

QStringList menuEntries(QMenu* menu)
{
    QStringList entries;
    for (QAction* action : menu->actions())
        entries << (action->isSeparator() ? QStringLiteral("-") : action->objectName() + "=" + shownText(action));
    return entries;
}

// The character "&" marks in a menu text; a null character when there is none.
QChar accessKey(const QAction* action)
{
    const QString text = action->text();
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == QLatin1Char('&'))
            return text[i + 1] == QLatin1Char('&') ? (++i, QChar()) : text[i + 1].toLower();
    }
    return {};
}

// Every entry has an access key; a key repeats only on an entry none of whose characters is left free.
void checkAccessKeys(const QList<QAction*>& entries, QStringList& faults)
{
    QMap<QChar, int> uses;
    for (const QAction* entry : entries)
        uses[accessKey(entry)] += entry->isSeparator() ? 0 : 1;
    for (const QAction* entry : entries) {
        const QChar key = accessKey(entry);
        if (entry->isSeparator())
            continue;
        if (key.isNull()) {
            faults << entry->text() + ": no access key";
            continue;
        }
        const QString shown = shownText(entry).toLower();
        const bool freeLeft = std::any_of(shown.begin(), shown.end(),
                                          [&](QChar c) { return c.isLetterOrNumber() && !uses.contains(c); });
        if (uses[key] > 1 && freeLeft)
            faults << entry->text() + ": repeats a key although another is free";
    }
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
    GuiTestEnvironment env;
    std::unique_ptr<SimulatorProcess> sim;

    std::unique_ptr<MainWindow> connectedWindow()
    {
        auto window = std::make_unique<MainWindow>();
        [&] { QTRY_VERIFY(button(*window, "buttonFwUpload")->isEnabled()); }();
        env.clearPrompts();  // the simulator's part numbers raise the compatibility warning
        return window;
    }

private slots:
    void initTestCase()
    {
        connectDB();
        sim = std::make_unique<SimulatorProcess>(QStringList{"--erase-delay-ms", "0"});
        QVERIFY(sim->port());
    }

    void init()
    {
        env.resetSettings();
        settings::setValue(settings::Port, sim->port());
        env.clearPrompts();
    }

    // Both windows' menus are reachable from the keyboard: access keys everywhere, F10 opens the menu bar.
    void menusHaveAccessKeys_data()
    {
        QTest::addColumn<bool>("plotWindow");
        QTest::newRow("main window") << false;
        QTest::newRow("plot window") << true;
    }
    void menusHaveAccessKeys()
    {
        QFETCH(bool, plotWindow);
        std::unique_ptr<QMainWindow> window;
        if (plotWindow)
            window = std::make_unique<PlotMainWindow>(
                nullptr, readFlights(writeSampleRawFile(env.dataRoot(), "F-GABC", 2, "keys.raw", {{3, 0}})));
        else
            window = std::make_unique<MainWindow>();
        QStringList faults;
        const QList<QAction*> menus = window->menuBar()->actions();
        checkAccessKeys(menus, faults);
        for (const QAction* menu : menus)
            checkAccessKeys(menu->menu()->actions(), faults);
        QCOMPARE(faults, QStringList());

        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QTest::keyClick(window.get(), Qt::Key_F10);
        QCOMPARE(window->menuBar()->activeAction(), menus.first());
    }

    void windowLayout()
    {
        MainWindow window;
        QCOMPARE(window.windowTitle(), QStringLiteral(" Tolmarin (Tolm) for Advanced Korvel  2.2.0"));
        const QList<std::pair<const char*, QString>> buttons = {
            {"buttonDownloadClear", "F5"}, {"buttonPlot", "F6"}, {"buttonFwUpload", "F7"}, {"buttonExport", "F8"}};
        for (const auto& [name, key] : buttons) {
            QPushButton* b = button(window, name);
            const QShortcut* shortcut = b->findChild<QShortcut*>();
            QVERIFY(shortcut);
            QCOMPARE(shortcut->key(), QKeySequence(key));
            QCOMPARE(b->font().family(), QStringLiteral("MS Shell Dlg 2"));
            QCOMPARE(b->font().pointSize(), 20);
            QVERIFY(!b->toolTip().isEmpty());
        }
        QCOMPARE(button(window, "buttonPlot")->toolTip(), QStringLiteral("This function is used to analyze captured data."));
        QVERIFY(!button(window, "buttonDownloadClear")->isEnabled());
        QVERIFY(!button(window, "buttonFwUpload")->isEnabled());
        QVERIFY(button(window, "buttonPlot")->isEnabled());
        QVERIFY(button(window, "buttonExport")->isEnabled());

        QStringList menus;
        for (QAction* action : window.menuBar()->actions())
            menus << shownText(action);
        QCOMPARE(menus, (QStringList{"File", "Aircraft", "Tools", "Help"}));
        QCOMPARE(menuEntries(window.findChild<QMenu*>("menuFile")),
                 (QStringList{"actionOpen=Open", "actionEngineReport=Engine Report...", "-", "actionArchiveData=Archive Data",
                              "actionSyncToFleetRepository=Sync to Fleet Repository", "-", "actionExit=Exit"}));
        QCOMPARE(window.findChild<QAction*>("actionExit")->shortcut(), QKeySequence("Ctrl+Q"));
        QCOMPARE(menuEntries(window.findChild<QMenu*>("menuAircraft")),
                 (QStringList{"actionAddRemoveAircraft=Add / Remove Aircraft", "-",
                              "actionAddRemoveEngineType=Add / Remove Engine Type"}));
        QCOMPARE(menuEntries(window.findChild<QMenu*>("menuTools")),
                 (QStringList{"actionCheckComm=Check COMM (F4)", "actionSettings=Settings",
                              "actionChangePassword=Change Password",
                              "actionDelete_Temp_Files=Empty Temp Directory...", "-",
                              "actionEngineTrend=Engine Trend",
                              "actionFleetOverview=Fleet Overview"}));
        QCOMPARE(window.findChild<QAction*>("actionEngineTrend")->shortcut(), QKeySequence(Qt::Key_F9));
        QCOMPARE(menuEntries(window.findChild<QMenu*>("menuHelp")),
                 (QStringList{"actionUserGuide=User Guide", "actionReleaseNotes=Release Notes", "-",
                              "actionPartNumbers=Part Numbers", "actionBiteResults=BITE Results", "-",
                              "actionAbout=About Tolm"}));
        QVERIFY(window.findChild<QAction*>("actionCheckComm")->shortcut().isEmpty());

        const QStringList status = statusTexts(window);
        QCOMPARE(status.size(), 5);
        QCOMPARE(status[0], QStringLiteral("PNR: ???"));
        QCOMPARE(status[1], QStringLiteral("SER: ???"));
        QCOMPARE(status[2], QStringLiteral("Connecting to server..."));
        QVERIFY(QDateTime::fromString(status[3], "dd.MM.yyyy hh:mm:ss").isValid());
        QCOMPARE(status[4], QStringLiteral("Unit: 127.0.0.1:%1").arg(sim->port()));
        QTRY_VERIFY_WITH_TIMEOUT(statusTexts(window)[3] != status[3], 3000);

        QTRY_VERIFY(button(window, "buttonDownloadClear")->isEnabled());
        QVERIFY(button(window, "buttonFwUpload")->isEnabled());
        QCOMPARE(statusTexts(window).mid(0, 3),
                 (QStringList{"PNR: ABCDEFGHIJKLMNO", "SER: QRSTUVW", "Communication OK!"}));
    }

    void helpMenuShowsTheUnitsAnswersInDialogs()
    {
        auto window = connectedWindow();
        env.clearPrompts();
        window->findChild<QAction*>("actionPartNumbers")->trigger();
        QTRY_COMPARE(env.dialogs().dialogsRun, QStringList{"PartNumbersDialog"});
        window->findChild<QAction*>("actionBiteResults")->trigger();
        QTRY_COMPARE(env.dialogs().dialogsRun, (QStringList{"PartNumbersDialog", "BiteResultDialog"}));
    }

    void geometrySurvivesANewWindow()
    {
        QRect placed;
        {
            MainWindow window;
            window.show();
            window.setGeometry(120, 130, 520, 210);
            placed = window.geometry();
            window.close();
        }
        MainWindow again;
        QCOMPARE(again.geometry().size(), placed.size());
        QCOMPARE(again.geometry().topLeft(), placed.topLeft());
    }

    void passwordGate_data()
    {
        QTest::addColumn<std::optional<QString>>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("default password") << std::optional<QString>("tulip") << "";
        QTest::newRow("wrong") << std::optional<QString>("Tulip") << "MainWindow::on_buttonFwUpload_clicked|Invalid password.";
        QTest::newRow("empty") << std::optional<QString>("") << "MainWindow::on_buttonFwUpload_clicked|Invalid password.";
        QTest::newRow("cancelled") << std::optional<QString>() << "";
    }
    void passwordGate()
    {
        QFETCH(std::optional<QString>, typed);
        QFETCH(QString, shown);
        auto window = connectedWindow();
        env.prompts().textAnswers << typed;
        button(*window, "buttonFwUpload")->click();
        QCOMPARE(env.prompts().calls[0].text, QStringLiteral("Enter Password:"));
        QCOMPARE(env.prompts().calls[0].title, QString());
        env.prompts().calls.removeFirst();
        QCOMPARE(env.prompts().onlyMessage(), shown);
    }

    void changePassword()
    {
        MainWindow window;
        auto change = [&](const QString& current, const QString& password, const QString& verify) {
            env.clearPrompts();
            env.prompts().textAnswers << current;
            env.dialogs().onDialog = [=](QDialog& dialog) {
                dialog.findChild<QLineEdit*>("passwdLineEdit")->setText(password);
                dialog.findChild<QLineEdit*>("verifyLineEdit")->setText(verify);
                return int(QDialog::Accepted);
            };
            window.findChild<QAction*>("actionChangePassword")->trigger();
            const PromptCall asked = env.prompts().calls.takeFirst();
            if (asked.title != QStringLiteral("Change Password") || asked.text != QStringLiteral("Enter current password:"))
                return QStringLiteral("unexpected question: ") + asked.title + "|" + asked.text;
            return env.prompts().onlyMessage();
        };
        QCOMPARE(change("wrong", "new", "new"), QStringLiteral("Change Password|Incorrect password."));
        QCOMPARE(change("", "new", "new"), QStringLiteral("Change Password|Incorrect password."));
        QCOMPARE(change("tulip", "", ""), QStringLiteral("Change Password|Invalid password."));
        QCOMPARE(change("tulip", "Rose", "rose"), QStringLiteral("Change Password|Passwords don't match."));
        QCOMPARE(settings::text(settings::Password), QStringLiteral("tulip"));
        QCOMPARE(change("tulip", "Rose", "Rose"), QStringLiteral("Change Password|The password has been changed."));
        QCOMPARE(env.prompts().calls[0].kind, Prompts::Kind::Information);
        QCOMPARE(change("tulip", "x", "x"), QStringLiteral("Change Password|Incorrect password."));
        QCOMPARE(change("Rose", "tulip", "tulip"), QStringLiteral("Change Password|The password has been changed."));
        QCOMPARE(settings::text(settings::Password), QStringLiteral("tulip"));
    }

    void aircraftDirectoriesBecomeAircraft()
    {
        const auto known = [](const char* registration) {
            QSqlQuery query;
            query.prepare("SELECT COUNT(*) FROM aircraft WHERE tail_number = ?");
            query.addBindValue(QString::fromLatin1(registration));
            return query.exec() && query.next() && query.value(0).toInt() == 1;
        };
        QDir().mkpath(dataRootPath() + "/N-START_data");
        MainWindow window;
        QVERIFY(known("N-START"));

        // Again after the settings; a registration the database refuses is shown once.
        QDir().mkpath(dataRootPath() + "/N-LATER_data");
        QDir().mkpath(dataRootPath() + "/N-REFUSED_data");
        QVERIFY(QSqlQuery().exec("CREATE TRIGGER refuse BEFORE INSERT ON aircraft WHEN NEW.tail_number = "
                                 "'N-REFUSED' BEGIN SELECT RAISE(ABORT, 'refused by the test'); END"));
        env.dialogs().onDialog = [](QDialog&) { return int(QDialog::Accepted); };
        window.findChild<QAction*>("actionSettings")->trigger();
        QSqlQuery().exec("DROP TRIGGER refuse");
        QVERIFY(known("N-LATER"));
        QVERIFY(!known("N-REFUSED"));
        QList<PromptCall> refusals;
        for (const PromptCall& call : env.prompts().calls)
            if (call.text.startsWith("refused by the test"))
                refusals << call;
        QCOMPARE(refusals.size(), 1);
        QCOMPARE(refusals[0].title, QStringLiteral("Error"));
        QCOMPARE(refusals[0].kind, Prompts::Kind::Warning);
        QVERIFY(refusals[0].parent == &window);
    }

    void settingsReconnectOnlyForANewAddressOrPort()
    {
        auto window = connectedWindow();
        const int connections = sim->connectionCount();
        env.dialogs().onDialog = [](QDialog&) { return int(QDialog::Accepted); };
        window->findChild<QAction*>("actionSettings")->trigger();
        QTest::qWait(300);
        QCOMPARE(sim->connectionCount(), connections);
        QVERIFY(button(*window, "buttonFwUpload")->isEnabled());

        SimulatorProcess other;
        env.dialogs().onDialog = [&](QDialog& dialog) {
            dialog.findChild<QSpinBox*>("portNum")->setValue(other.port());
            QMetaObject::invokeMethod(&dialog, "on_buttonOk_clicked");
            return int(QDialog::Accepted);
        };
        window->findChild<QAction*>("actionSettings")->trigger();
        QTRY_COMPARE(other.connectionCount(), 1);
        QTRY_VERIFY(button(*window, "buttonFwUpload")->isEnabled());
        QCOMPARE(window->link().currentPort(), int(other.port()));
        QCOMPARE(window->link().currentAddress(), QStringLiteral("127.0.0.1"));
    }

    void downloadFromTheMainWindow_data()
    {
        QTest::addColumn<bool>("sync");
        QTest::newRow("alone") << false;
        // Nothing listens on loopback port 1: the push after the download fails at once, with the reason.
        QTest::newRow("then synced") << true;
    }

    void downloadFromTheMainWindow()
    {
        QFETCH(bool, sync);
        settings::setValue(settings::RepositorySyncAfterDownload, sync);
        settings::setValue(settings::RepositoryConnection, QStringLiteral("host=127.0.0.1 port=1 dbname=fleet"));
        QDir(env.dataRoot() + "/YZABCDE_data").removeRecursively();
        auto window = connectedWindow();
        env.prompts().buttonAnswers << Prompts::Yes;  // continue with the simulator's software
        QList<int> barChanges;  // after the burst, after the wait, the figure shown
        env.dialogs().onDialog = [&barChanges](QDialog& dialog) {
            if (qobject_cast<SyncDialog*>(&dialog)) {
                (void)QTest::qWaitFor([&] { return dialog.result() == QDialog::Accepted; }, 30000);
                return dialog.result();
            }
            if (auto* progress = qobject_cast<DownloadProgressDialog*>(&dialog)) {
                QElapsedTimer timer;
                timer.start();
                while (!progress->session().isFinished() && timer.elapsed() < 30000)
                    QTest::qWait(10);
                // A burst of updates changes the bar once at first, and once more to the last figure.
                auto* bar = progress->findChild<QProgressBar*>("progressBar");
                QTest::qWait(2 * LatestValueRelay::kIntervalMs);
                QSignalSpy changes(bar, &QProgressBar::valueChanged);
                for (int value = 0; value < 300; ++value)
                    emit progress->session().progressChanged(value % 100);
                emit progress->session().progressChanged(42);
                barChanges << changes.size();
                (void)QTest::qWaitFor([&] { return bar->value() == 42; });
                barChanges << changes.size() << bar->value();
                return int(progress->session().succeeded() ? QDialog::Accepted : QDialog::Rejected);
            }
            dialog.findChild<QCheckBox*>("eraseCheckBox")->setChecked(true);
            dialog.findChild<QDialogButtonBox*>("buttonBox")->button(QDialogButtonBox::Ok)->click();
            return dialog.result();
        };
        button(*window, "buttonDownloadClear")->click();
        QCOMPARE(env.dialogs().dialogsRun, (QStringList{"DownloadClearDialog", "DownloadProgressDialog"})
                                               + (sync ? QStringList{"SyncDialog"} : QStringList()));
        if (sync) {
            const PromptCall told = env.prompts().calls.takeLast();
            QCOMPARE(told.title, QStringLiteral("Sync to Fleet Repository"));
            QVERIFY2(told.text.startsWith("Cannot connect to the fleet repository: "), qPrintable(told.text));
        }
        QCOMPARE(barChanges, (QList<int>{1, 2, 42}));
        QCOMPARE(env.prompts().calls.last().text,
                 QStringLiteral("Processing complete!\n\nThe files were written to:\n%1")
                     .arg(QDir::toNativeSeparators(env.dataRoot() + "/YZABCDE_data/engine_4")));
        const QStringList files = QDir(env.dataRoot() + "/YZABCDE_data/engine_4").entryList(QDir::Files);
        QCOMPARE(files.size(), 5);
        QCOMPARE(files.filter(QRegularExpression("^ESNGHIJKLM-fd-\\d{8}-\\d{4}\\.raw$")).size(), 1);
        // The connection is the main window's again.
        window->findChild<QAction*>("actionCheckComm")->trigger();
        QTRY_COMPARE(statusTexts(*window)[2], QStringLiteral("Communication OK!"));
    }

    // File › Engine Report… of a download: the built-in test results are the
    // ones read in the connection that made it, as the dialog showed them.
    void engineReportHoldsTheConnectionsBiteResults_data()
    {
        QTest::addColumn<bool>("readBite");
        QTest::addColumn<bool>("linkDropped");  // after the download, before the report
        QTest::newRow("read in this connection") << true << false;
        QTest::newRow("not read") << false << false;
        QTest::newRow("read, then the link dropped") << true << true;
    }
    void engineReportHoldsTheConnectionsBiteResults()
    {
        QFETCH(bool, readBite);
        QFETCH(bool, linkDropped);
        const QString engineDir = env.dataRoot() + "/YZABCDE_data/engine_4";
        QDir(env.dataRoot() + "/YZABCDE_data").removeRecursively();
        settings::setValue(settings::ExportPath, env.path());
        auto window = connectedWindow();
        QStringList shown;  // "label value" as the built-in test dialog showed them
        env.dialogs().onDialog = [&](QDialog& dialog) {
            if (dialog.inherits("BiteResultDialog")) {
                for (std::size_t i = 0; i < kBiteResultKeys.size(); ++i)
                    shown << QLatin1String(kBiteResultLabels[i]) + ' '
                                 + dialog.findChild<QLabel*>(kBiteResultKeys[i])->text();
                return int(QDialog::Accepted);
            }
            if (auto* progress = qobject_cast<DownloadProgressDialog*>(&dialog)) {
                (void)QTest::qWaitFor([&] { return progress->session().isFinished(); }, 30000);
                return int(QDialog::Accepted);
            }
            dialog.findChild<QDialogButtonBox*>("buttonBox")->button(QDialogButtonBox::Ok)->click();
            return dialog.result();
        };
        if (readBite) {
            window->findChild<QAction*>("actionBiteResults")->trigger();
            QTRY_COMPARE(shown.size(), 9);
        }
        env.prompts().buttonAnswers << Prompts::Yes;  // continue with the simulator's software
        button(*window, "buttonDownloadClear")->click();
        const QStringList raws = QDir(engineDir).entryList({"*.raw"}, QDir::Files);
        QCOMPARE(raws.size(), 1);
        if (linkDropped) {
            window->link().reconnectTo("127.0.0.1", sim->port());
            QTRY_VERIFY(button(*window, "buttonFwUpload")->isEnabled());
        }

        env.clearPrompts();
        env.prompts().chooserDelayMs = 200;
        const QString pdf = env.path() + "/connection.pdf";
        QFile::remove(pdf);
        env.prompts().fileAnswers << engineDir + "/" + raws[0] << pdf;
        window->findChild<QAction*>("actionEngineReport")->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(pdf) && QApplication::overrideCursor() == nullptr, 60000);
        QCOMPARE(env.prompts().chooserDirs.value(0), engineDir + "/" + raws[0]);  // the latest download offered

        QProcess text;
        text.start("pdftotext", {"-layout", pdf, "-"});
        QVERIFY(text.waitForFinished(60000));
        const QString report = QString::fromUtf8(text.readAllStandardOutput()).simplified();
        const bool recorded = readBite && !linkDropped;
        QCOMPARE(report.contains("Built-in test results: not recorded"), !recorded);
        for (const QString& result : shown)
            QVERIFY2(report.contains(result) == recorded, qPrintable(result));
    }

    // F5 to F8 start their command at once, not after the button's 100 ms click
    // animation; F5 and F7 only while their buttons are enabled.
    void commandKeysActAtOnce_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("connected");
        QTest::addColumn<QString>("started");  // the dialog run or the prompt asked; empty: nothing
        QTest::newRow("F5") << int(Qt::Key_F5) << true << "This version of Tolm is not compatible";
        QTest::newRow("F5 without the unit") << int(Qt::Key_F5) << false << "";
        QTest::newRow("F6") << int(Qt::Key_F6) << false << "DataSelectionDialog";
        QTest::newRow("F7") << int(Qt::Key_F7) << true << "Enter Password:";
        QTest::newRow("F8") << int(Qt::Key_F8) << false << "DataSelectionDialog";
    }
    void commandKeysActAtOnce()
    {
        QFETCH(int, key);
        QFETCH(bool, connected);
        QFETCH(QString, started);
        auto window = connected ? connectedWindow() : std::make_unique<MainWindow>();
        env.dialogs().clear();
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QTest::keyClick(window.get(), Qt::Key(key));
        QStringList seen;
        for (const PromptCall& call : env.prompts().calls)
            seen << call.text;
        seen << env.dialogs().dialogsRun;
        QCOMPARE(seen.value(0).left(started.size()), started);
    }

    void plotWithNothingSelected()
    {
        MainWindow window;
        env.dialogs().onDialog = [](QDialog& dialog) {
            dialog.findChild<QDialogButtonBox*>("buttonBox")->button(QDialogButtonBox::Ok)->click();
            return dialog.result();
        };
        button(window, "buttonPlot")->click();
        QCOMPARE(env.dialogs().dialogsRun, QStringList{"DataSelectionDialog"});
        QCOMPARE(env.prompts().onlyMessage(), QStringLiteral("Error|No data exists for plotting!"));
    }

    // Each F6 opens another plot window on the flights chosen; the main window owns them.
    void plotOpensAWindowPerSelection()
    {
        writeSampleRawFile(env.dataRoot(), "F-GPLT", 3, "plot.raw", {{21, 0}, {22, 0}});
        settings::setValue(settings::LastAircraft, "F-GPLT");
        settings::setValue(settings::LastSelectedEngine, 3);
        // Connected first: the unit's answers come while the dialog lists.
        const auto window = connectedWindow();
        env.dialogs().onDialog = [](QDialog& dialog) {
            waitForFlightList(dialog);
            dialog.findChild<QTreeWidget*>("flightDataTreeWidget")->selectAll();
            dialog.findChild<QDialogButtonBox*>("buttonBox")->button(QDialogButtonBox::Ok)->click();
            return dialog.result();
        };
        button(*window, "buttonPlot")->click();
        button(*window, "buttonPlot")->click();
        const QList<PlotMainWindow*> plots = window->findChildren<PlotMainWindow*>();
        QCOMPARE(plots.size(), 2);
        QVERIFY(plots[0]->isVisible() && plots[1]->isVisible());
        QCOMPARE(plots[1]->parentWidget(), window.get());
        QStringList names{plots[1]->chart()->seriesName(0), plots[1]->chart()->seriesName(1)};
        names.sort();
        QCOMPARE(names, (QStringList{"Flight 21", "Flight 22"}));
        QVERIFY(env.prompts().calls.isEmpty());
        QDir(env.dataRoot() + "/F-GPLT_data").removeRecursively();
    }

    // The About box dates a build by its sources: the last commit, in UTC.
    static QString lastCommitDate()
    {
        QProcess git;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("TZ", "UTC");
        environment.insert("LC_ALL", "C");
        git.setProcessEnvironment(environment);
        git.start("git", {"-C", TOLM_SOURCE_DIR, "log", "-1", "--date=format-local:%b %d %Y %H:%M:%S", "--format=%cd"});
        git.waitForFinished();
        const QString date = QString::fromUtf8(git.readAllStandardOutput()).trimmed();
        return date.isEmpty() ? QStringLiteral("unknown") : date;
    }

    // A fleet row's trend request opens the engine trend on that engine.
    void fleetRowOpensItsEngineTrend()
    {
        writeSampleRawFile(env.dataRoot(), "F-GTRD", 1, "ESN4711-fd-20260101-1200.raw", {{5, 0}});
        writeSampleRawFile(env.dataRoot(), "F-GTRD", 2, "ESN815-fd-20260101-1200.raw", {{6, 0}});
        MainWindow window;
        window.findChild<QAction*>("actionFleetOverview")->trigger();
        auto* fleet = window.findChild<FleetOverviewWindow*>();
        QVERIFY(fleet);
        emit fleet->engineChosen(QStringLiteral("815"), TrendSource::Station);
        auto* trend = window.findChild<EngineTrendWindow*>();
        QVERIFY(trend && trend->isVisible());
        QCOMPARE(trend->series().points.size(), 1);
        QCOMPARE(trend->series().points[0].flightNumber, 6);
        QDir(env.dataRoot() + "/F-GTRD_data").removeRecursively();
    }

    void aboutAndDocuments()
    {
        MainWindow window;
        QString about;
        QString title;
        env.dialogs().onDialog = [&](QDialog& dialog) {
            about = static_cast<AboutMirvakDialog&>(dialog).aboutText();
            title = dialog.windowTitle();
            return int(QDialog::Accepted);
        };
        window.findChild<QAction*>("actionAbout")->trigger();
        QCOMPARE(title, QStringLiteral("About Tolm"));
        QVERIFY(about.contains("Version: 2.2.0"));
        QVERIFY(about.contains("517-109-202-200"));
        QVERIFY2(about.contains(QStringLiteral("Built on ") + lastCommitDate()), qPrintable(about));
        QVERIFY(about.contains("Licensed under the GNU General Public License, version 3 or later."));
        QVERIFY(about.contains(QStringLiteral("Based on Qt ")));
        QVERIFY(!about.contains("_string"));

        env.clearPrompts();
        const QString chosen = env.path() + "/reports/missing.txt";
        env.prompts().fileAnswers << chosen;
        window.findChild<QAction*>("actionOpen")->trigger();
        QCOMPARE(settings::text(settings::LastDirectory), env.path() + "/reports");
        QCOMPARE(env.prompts().calls.last().text, chosen + ": The system cannot find the file specified.");
        QVERIFY(env.openedFiles().isEmpty());
    }

    // The build lays the documents out as the install does: doc/ beside the
    // programs' folder (this test runs one level below the build tree, too).
    void helpOpensTheDocuments_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("document");
        QTest::addColumn<int>("minimumPages");
        QTest::newRow("User Guide") << "actionUserGuide" << "KDM-310-Rev3.pdf" << 2;
        QTest::newRow("Release Notes") << "actionReleaseNotes" << "releasenotes.pdf" << 1;
    }

    void helpOpensTheDocuments()
    {
        QFETCH(QString, action);
        QFETCH(QString, document);
        QFETCH(int, minimumPages);
        const auto window = connectedWindow();  // no link warning comes later
        window->findChild<QAction*>(action)->trigger();
        const QString path = QCoreApplication::applicationDirPath() + "/../doc/" + document;
        QTRY_COMPARE(env.openedFiles(), QList<QUrl>{QUrl::fromLocalFile(path)});
        QCOMPARE(env.prompts().calls.size(), 0);

        QFile pdf(path);
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        const QString bytes = QString::fromLatin1(pdf.readAll());
        QVERIFY(bytes.startsWith("%PDF-1."));
        QVERIFY(bytes.trimmed().endsWith("%%EOF"));
        const qsizetype pages = bytes.count(QRegularExpression(QStringLiteral("/Type\\s*/Page\\b(?!s)")));
        QVERIFY2(pages >= minimumPages, qPrintable(QString::number(pages)));
    }

    // The opener's exit status tells what the desktop's service cannot see.
    void openerFailuresAreTold_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("reason");
        QTest::newRow("no viewer") << 3 << "no application is associated with this file type";
        QTest::newRow("action failed") << 4 << "the action failed";
        QTest::newRow("no opener") << -1 << "xdg-open could not be started: ";
    }

    void openerFailuresAreTold()
    {
        QFETCH(int, status);
        QFETCH(QString, reason);
        const auto window = connectedWindow();  // no link warning comes later
        const QByteArray path = qgetenv("PATH");
        if (status < 0) {  // the stand-in's folder alone, without it
            QFile::remove(env.path() + "/bin/xdg-open");
            qputenv("PATH", QFile::encodeName(env.path() + "/bin"));
        } else {
            env.setOpenerExitStatus(status);
        }
        const QString chosen = env.path() + "/notes.txt";
        QFile(chosen).open(QIODevice::WriteOnly);
        env.prompts().fileAnswers << chosen;
        window->findChild<QAction*>("actionOpen")->trigger();
        QTRY_COMPARE(env.prompts().calls.size(), 2);
        qputenv("PATH", path);
        env.setOpenerExitStatus(0);
        const QString text = env.prompts().calls.last().text;
        QVERIFY2(text.startsWith(chosen + ": " + reason) && text.endsWith('.'), qPrintable(text));
        QCOMPARE(env.prompts().calls.last().title, app::kShortTitle);
        QCOMPARE(env.openedFiles(), status < 0 ? QList<QUrl>{} : QList<QUrl>{QUrl::fromLocalFile(chosen)});
    }
};

QTEST_MAIN(MainWindowTest)
#include "test_main_window.moc"
