#include "plot/ui/ChartRenderer.h"

#include "core/CheckedSaveFile.h"
#include "plot/ui/XYPlot.h"

#include <QPainter>
#include <QPdfWriter>
#include <QPicture>
#include <QPrinter>
#include <QSvgGenerator>
#include <functional>
#include <qcustomplot.h>
#include <vector>

namespace {

constexpr double kPointsPerInch = 72.0;
constexpr double kMetersPerInch = 0.0254;

// For the life of a render every font of the chart is sized in the screen's
// pixels, the render's layout unit: sized in pixels, a font no longer follows
// the resolution of the device, so the painter's scale alone takes it there.
class FontsInPixels {
public:
    explicit FontsInPixels(QCustomPlot& plot) : screenDpi_(plot.logicalDpiY())
    {
        for (QCPLayoutElement* element : plot.plotLayout()->elements(true))
            convert(element);
        for (int i = 0; i < plot.itemCount(); ++i) {
            if (auto* text = qobject_cast<QCPItemText*>(plot.item(i)))
                swap(text, &QCPItemText::font, &QCPItemText::setFont);
        }
    }
    ~FontsInPixels()
    {
        for (auto restore = restores_.rbegin(); restore != restores_.rend(); ++restore)
            (*restore)();
    }
    FontsInPixels(const FontsInPixels&) = delete;
    FontsInPixels& operator=(const FontsInPixels&) = delete;

private:
    void convert(QCPLayoutElement* element)
    {
        if (auto* text = qobject_cast<QCPTextElement*>(element))
            swap(text, &QCPTextElement::font, &QCPTextElement::setFont);
        else if (auto* legend = qobject_cast<QCPLegend*>(element))
            swap(legend, &QCPLegend::font, &QCPLegend::setFont);  // and so its entries' fonts
        else if (auto* area = qobject_cast<QCPAxisRect*>(element)) {
            for (QCPAxis* axis : area->axes()) {
                swap(axis, &QCPAxis::labelFont, &QCPAxis::setLabelFont);
                swap(axis, &QCPAxis::tickLabelFont, &QCPAxis::setTickLabelFont);
            }
        }
    }

    template <class Owner>
    void swap(Owner* owner, QFont (Owner::*get)() const, void (Owner::*set)(const QFont&))
    {
        const QFont original = (owner->*get)();
        if (original.pointSizeF() <= 0)
            return;  // sized in pixels already
        QFont inPixels = original;
        inPixels.setPixelSize(std::max(1, qRound(original.pointSizeF() * screenDpi_ / kPointsPerInch)));
        (owner->*set)(inPixels);
        restores_.push_back([owner, set, original] { (owner->*set)(original); });
    }

    double screenDpi_;
    std::vector<std::function<void()>> restores_;
};

QSize screenSizeInPoints(const QWidget& canvas)
{
    return {qRound(canvas.width() * kPointsPerInch / canvas.logicalDpiX()),
            qRound(canvas.height() * kPointsPerInch / canvas.logicalDpiY())};
}

const char* bitmapFormat(ImageFormat format)
{
    switch (format) {
    case ImageFormat::Png: return "PNG";
    case ImageFormat::Jpg: return "JPG";
    default: return "BMP";
    }
}

}  // namespace

void ChartRenderer::render(QPainter& painter, const QRectF& target) const
{
    const QPaintDevice& device = *painter.device();
    const QRectF onDevice = painter.combinedTransform().mapRect(target);
    play(painter, target, record(onDevice.size(), QPointF(device.logicalDpiX(), device.logicalDpiY())));
}

RecordedChart ChartRenderer::record(const QSizeF& sizeOnDevice, const QPointF& deviceDpi) const
{
    QCustomPlot& plot = *chart_.canvas_;
    // The layout unit is a pixel of the screen, so tick lengths, paddings and
    // legend symbols keep their proportions to the text.
    RecordedChart recorded;
    recorded.layout = QSize(std::max(1, qRound(sizeOnDevice.width() * plot.logicalDpiX() / deviceDpi.x())),
                            std::max(1, qRound(sizeOnDevice.height() * plot.logicalDpiY() / deviceDpi.y())));
    {
        FontsInPixels fonts(plot);
        chart_.arrangeLegend(recorded.layout);
        QCPPainter recorder(&recorded.picture);
        recorder.setMode(QCPPainter::pmVectorized);
        recorder.setMode(QCPPainter::pmNoCaching);
        recorder.setMode(QCPPainter::pmNonCosmetic);
        plot.toPainter(&recorder, recorded.layout.width(), recorded.layout.height());
    }
    chart_.arrangeLegend(plot.size());
    plot.replot(QCustomPlot::rpQueuedRefresh);  // the screen's layout back for picking
    return recorded;
}

void ChartRenderer::play(QPainter& painter, const QRectF& target, const RecordedChart& chart)
{
    // A picture plays itself scaled from the screen's resolution to the device's; that is undone here.
    const QPaintDevice& device = *painter.device();
    const QPicture& picture = chart.picture;
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(target.width() / chart.layout.width() * picture.logicalDpiX() / device.logicalDpiX(),
                  target.height() / chart.layout.height() * picture.logicalDpiY() / device.logicalDpiY());
    painter.drawPicture(0, 0, picture);
    painter.restore();
}

bool ChartRenderer::print(QPrinter& printer) const
{
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    render(painter, QRectF(0, 0, printer.width(), printer.height()));
    return painter.end();
}

QImage ChartRenderer::image() const
{
    const QWidget& canvas = *chart_.canvas();
    QImage image(canvas.size(), QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(canvas.logicalDpiX() / kMetersPerInch));
    image.setDotsPerMeterY(qRound(canvas.logicalDpiY() / kMetersPerInch));
    image.fill(chart_.background());
    QPainter painter(&image);
    render(painter, QRectF(image.rect()));
    return image;
}

QString ChartRenderer::save(const QString& path, ImageFormat format) const
{
    bool written = false;
    if (format == ImageFormat::Svg || format == ImageFormat::Pdf) {
        written = writeVector(path, format);
    } else {
        CheckedSaveFile file(path);
        written = file.open(QIODevice::WriteOnly) && image().save(&file, bitmapFormat(format), 100) &&
                  file.commitWhole().isEmpty();
    }
    if (written)
        return {};
    switch (format) {
    case ImageFormat::Png: return QStringLiteral("Error saving as PNG!");
    case ImageFormat::Jpg: return QStringLiteral("Error saving as JPG!");
    default: return QStringLiteral("Failed to save to file!");
    }
}

// SVG and PDF at the chart's size on screen, in points.
bool ChartRenderer::writeVector(const QString& path, ImageFormat format) const
{
    CheckedSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QWidget& canvas = *chart_.canvas();
    QPainter painter;
    if (format == ImageFormat::Svg) {
        QSvgGenerator svg;
        svg.setOutputDevice(&file);
        svg.setResolution(canvas.logicalDpiX());
        svg.setSize(canvas.size());
        svg.setViewBox(QRect(QPoint(), canvas.size()));
        if (!painter.begin(&svg))
            return false;
        render(painter, QRectF(QPointF(), canvas.size()));
        if (!painter.end())
            return false;
    } else {
        QPdfWriter pdf(&file);
        pdf.setPageLayout(QPageLayout(QPageSize(screenSizeInPoints(canvas), QPageSize::Point, QString(),
                                                QPageSize::ExactMatch),
                                      QPageLayout::Portrait, QMarginsF()));
        if (!painter.begin(&pdf))
            return false;
        render(painter, QRectF(0, 0, pdf.width(), pdf.height()));
        if (!painter.end())
            return false;
    }
    return file.commitWhole().isEmpty();
}
