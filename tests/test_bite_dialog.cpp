// The built-in test results as the technician reads them.

#include "link/BiteResultDialog.h"

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
};

QTEST_MAIN(BiteDialogTest)
#include "test_bite_dialog.moc"
