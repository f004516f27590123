#include "plot/ui/ColorPopup.h"

#include "ui/WidgetPrompts.h"

#include <QColorDialog>
#include <QGridLayout>
#include <QPixmap>
#include <QToolButton>

namespace {

constexpr int kColumns = 6;
constexpr int kCellSize = 20;

// Colours taken from the colour dialog stay offered for the rest of the run.
QList<QColor>& customColors()
{
    static QList<QColor> colors;
    return colors;
}

}  // namespace

const QList<std::pair<QString, QColor>>& ColorPopup::standardColors()
{
    static const QList<std::pair<QString, QColor>> colors = {
        {QStringLiteral("Black"), Qt::black},          {QStringLiteral("White"), Qt::white},
        {QStringLiteral("Red"), Qt::red},              {QStringLiteral("Dark red"), Qt::darkRed},
        {QStringLiteral("Green"), Qt::green},          {QStringLiteral("Dark green"), Qt::darkGreen},
        {QStringLiteral("Blue"), Qt::blue},            {QStringLiteral("Dark blue"), Qt::darkBlue},
        {QStringLiteral("Cyan"), Qt::cyan},            {QStringLiteral("Dark cyan"), Qt::darkCyan},
        {QStringLiteral("Magenta"), Qt::magenta},      {QStringLiteral("Dark magenta"), Qt::darkMagenta},
        {QStringLiteral("Yellow"), Qt::yellow},        {QStringLiteral("Dark yellow"), Qt::darkYellow},
        {QStringLiteral("Gray"), Qt::gray},            {QStringLiteral("Dark gray"), Qt::darkGray},
        {QStringLiteral("Light gray"), Qt::lightGray}};
    return colors;
}

ColorPopup::ColorPopup(QWidget* parent) : QFrame(parent, Qt::Popup), grid_(new QGridLayout(this))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    grid_->setSpacing(2);
    grid_->setContentsMargins(3, 3, 3, 3);
    for (const auto& [name, color] : standardColors())
        addCell(name, color);
    for (const QColor& color : customColors())
        addCell(QStringLiteral("Custom"), color);
    auto* more = new QToolButton(this);
    more->setText(QStringLiteral("..."));
    more->setToolTip(QStringLiteral("More colors"));
    more->setFixedSize(24, 21);
    connect(more, &QToolButton::clicked, this, &ColorPopup::chooseCustomColor);
    grid_->addWidget(more, cells_ / kColumns + 1, 0, 1, 2, Qt::AlignLeft);
    more_ = more;
}

void ColorPopup::addCell(const QString& name, const QColor& color)
{
    QPixmap swatch(kCellSize - 6, kCellSize - 6);
    swatch.fill(color);
    auto* cell = new QToolButton(this);
    cell->setIcon(QIcon(swatch));
    cell->setToolTip(name);
    cell->setAutoRaise(true);
    cell->setFixedSize(kCellSize, kCellSize);
    connect(cell, &QToolButton::clicked, this, [this, color] {
        emit colorChosen(color);
        close();
    });
    grid_->addWidget(cell, cells_ / kColumns, cells_ % kColumns);
    ++cells_;
}

void ColorPopup::popup(QPoint globalPosition)
{
    move(globalPosition);
    show();
}

QAbstractButton* ColorPopup::cell(const QString& name) const
{
    for (QToolButton* button : findChildren<QToolButton*>()) {
        if (button != more_ && button->toolTip() == name)
            return button;
    }
    return nullptr;
}

// The popup makes way for the colour dialog, which would otherwise close it.
void ColorPopup::chooseCustomColor()
{
    hide();
    QColorDialog dialog(parentWidget());
    if (runDialog(dialog) == QDialog::Accepted && dialog.selectedColor().isValid()) {
        customColors().append(dialog.selectedColor());
        emit colorChosen(dialog.selectedColor());
    }
    close();
}
