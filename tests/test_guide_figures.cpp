// The user guide's figures as the reader gets them: every image the guide's
// Markdown names was made by the build, decodes, has a sensible size and
// shows something (not one colour); and no figure is made that the guide
// does not show.

#include <QDir>
#include <QFile>
#include <QHash>
#include <QImage>
#include <QRegularExpression>
#include <QtTest>

namespace {

const QString kGuide = QStringLiteral(GUIDE_MARKDOWN);

// The figures named by image lines, "![Caption](figures/name.png)", in order.
QStringList namedFigures()
{
    QFile guide(kGuide);
    if (!guide.open(QIODevice::ReadOnly))
        return {};
    static const QRegularExpression imageLine(QStringLiteral(R"(^!\[[^\]]+\]\((figures/[^)]+\.png)\)$)"),
                                              QRegularExpression::MultilineOption);
    QStringList figures;
    for (const auto& match : imageLine.globalMatch(QString::fromUtf8(guide.readAll())))
        figures << match.captured(1);
    return figures;
}

// The share of the image's pixels that have its most common colour.
double commonestColourShare(const QImage& image)
{
    QHash<QRgb, int> counts;
    int most = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            most = qMax(most, ++counts[image.pixel(x, y)]);
    return double(most) / (image.width() * image.height());
}

}  // namespace

class GuideFiguresTest : public QObject {
    Q_OBJECT
private slots:
    void figuresAreShown_data()
    {
        QTest::addColumn<QString>("figure");
        const QStringList figures = namedFigures();
        QVERIFY2(!figures.isEmpty(), qPrintable(kGuide + " shows no figure"));
        for (const QString& figure : figures)
            QTest::newRow(qPrintable(figure)) << figure;
    }
    void figuresAreShown()
    {
        QFETCH(QString, figure);
        const QString path = QFileInfo(kGuide).dir().filePath(figure);
        const QImage image(path);
        QVERIFY2(!image.isNull(), qPrintable(path + " is missing or not an image"));
        QVERIFY2(image.width() >= 100 && image.height() >= 60 && image.width() <= 1600 && image.height() <= 1200,
                 qPrintable(QStringLiteral("%1 x %2").arg(image.width()).arg(image.height())));
        QVERIFY2(commonestColourShare(image) < 0.95, "nearly one colour");
    }

    void everyFigureMadeIsShown()
    {
        const QStringList named = namedFigures();
        const QDir folder(QFileInfo(kGuide).dir().filePath(QStringLiteral("figures")));
        for (const QString& made : folder.entryList({QStringLiteral("*.png")}, QDir::Files))
            QVERIFY2(named.contains(QStringLiteral("figures/") + made), qPrintable(made + " is not in the guide"));
    }
};

QTEST_GUILESS_MAIN(GuideFiguresTest)
#include "test_guide_figures.moc"
