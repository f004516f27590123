// The unit's built-in test results and part numbers as the technician reads them.

#include "core/AppIdentity.h"
#include "link/ui/BiteResultDialog.h"
#include "link/ui/PartNumbersDialog.h"

#include <QLabel>
#include <QtTest>

class BiteDialogTest : public QObject {
    Q_OBJECT

private slots:
    void largestValuesAreReadableWhole()
    {
        BiteResults results;
        results.fill(4294967295u);
        BiteResultDialog dialog(results, nullptr);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.minimumSize(), dialog.maximumSize());  // fixed, as the form asks

        const QList<QLabel*> labels = dialog.findChildren<QLabel*>();
        QCOMPARE(labels.size(), 18);
        int values = 0;
        for (const QLabel* label : labels) {
            QVERIFY2(label->width() >= label->sizeHint().width(), qPrintable(label->objectName()));
            QVERIFY2(label->geometry().right() < label->parentWidget()->width(), qPrintable(label->objectName()));
            values += label->text() == QStringLiteral("4294967295");
        }
        QCOMPARE(values, 9);
    }

    void resultsAreShownInOrder()
    {
        BiteResultDialog dialog(BiteResults{0, 1, 0, 1, 2, 0, 1, 2, 3}, nullptr);
        QStringList values;
        for (const char* name : {"mainArincItv", "mainCommDspItv", "dspRamItv", "dspFlashItv", "dspAnalogItv",
                                 "reserved1", "reserved2", "reserved3", "reserved4"})
            values << dialog.findChild<QLabel*>(QLatin1String(name))->text();
        QCOMPARE(values, (QStringList{"0", "1", "0", "1", "2", "0", "1", "2", "3"}));
        QCOMPARE(dialog.windowTitle(), app::kShortTitle);
    }

    void partNumbersDialogShowsTheRecord()
    {
        PartNumberRecord record{};
        std::memcpy(record.unitPartNumber, "ABCDEFGHIJKLMNO", 16);
        PartNumbersDialog dialog(record, nullptr);
        QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("korvelPN"))->text(), QStringLiteral("ABCDEFGHIJKLMNO"));
    }
};

QTEST_MAIN(BiteDialogTest)
#include "test_bite_dialog.moc"
