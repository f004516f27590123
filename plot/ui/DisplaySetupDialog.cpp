#include "plot/ui/DisplaySetupDialog.h"

#include "core/Settings.h"
#include "flights/Spectrum.h"
#include "plot/ui/ColorPopup.h"
#include "plot/ui/PlotMainWindow.h"
#include "ui_DisplaySetupDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCursor>

QColor storedBackgroundColor()
{
    const QVariant stored = settings::value(settings::BackgroundColor);
    const QColor color = stored.metaType() == QMetaType::fromType<QColor>() ? stored.value<QColor>()
                                                                            : QColor::fromString(stored.toString());
    return color.isValid() ? color : QColor(Qt::white);
}

DisplaySetupDialog::DisplaySetupDialog(PlotMainWindow* window, const DisplaySetup& setup)
    : QDialog(window), ui_(std::make_unique<Ui::DisplaySetupDialogClass>()), window_(window),
      flightGroup_(new QButtonGroup(this))
{
    ui_->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    flightGroup_->setExclusive(false);
    showButtonColor(storedBackgroundColor());
    preset(setup);
}

DisplaySetupDialog::~DisplaySetupDialog() = default;

// Shows the window's switches without sending them back to it.
void DisplaySetupDialog::preset(const DisplaySetup& setup)
{
    const QList<QWidget*> switches{ui_->xGridCheckBox, ui_->yGridCheckBox,   ui_->fftWindowNone, ui_->fftWindowHanning,
                                   ui_->fftWindowHamming, ui_->linYAxis, ui_->logYAxis};
    for (QWidget* widget : switches)
        widget->blockSignals(true);
    ui_->xGridCheckBox->setChecked(setup.xGrid);
    ui_->yGridCheckBox->setChecked(setup.yGrid);
    (setup.yLog ? ui_->logYAxis : ui_->linYAxis)->setChecked(true);
    switch (setup.fftWindow) {
    case FftWindowHanning: ui_->fftWindowHanning->setChecked(true); break;
    case FftWindowHamming: ui_->fftWindowHamming->setChecked(true); break;
    default: ui_->fftWindowNone->setChecked(true); break;
    }
    for (QWidget* widget : switches)
        widget->blockSignals(false);
    ui_->yAxisGroupBox->setEnabled(setup.spectrumOptions);
    ui_->fftWindowGroupBox->setEnabled(setup.spectrumOptions);
    for (int index = 0; index < setup.flights.size(); ++index) {
        auto* box = new QCheckBox(QString::number(setup.flights[index].number), ui_->selectedFlightsGroupBox);
        box->setChecked(setup.flights[index].visible);
        box->setProperty("id", index);
        flightGroup_->addButton(box, index);
        ui_->selectedFlightsGroupBox->layout()->addWidget(box);
    }
}

void DisplaySetupDialog::showFlightVisible(int index, bool visible)
{
    if (QAbstractButton* box = flightGroup_->button(index))
        box->setChecked(visible);
}

void DisplaySetupDialog::on_xGridCheckBox_toggled(bool checked) { window_->setXGrid(checked); }
void DisplaySetupDialog::on_yGridCheckBox_toggled(bool checked) { window_->setYGrid(checked); }

void DisplaySetupDialog::on_fftWindowNone_toggled(bool checked)
{
    if (checked)
        window_->setFftWindowType(FftWindowNone);
}

void DisplaySetupDialog::on_fftWindowHanning_toggled(bool checked)
{
    if (checked)
        window_->setFftWindowType(FftWindowHanning);
}

void DisplaySetupDialog::on_fftWindowHamming_toggled(bool checked)
{
    if (checked)
        window_->setFftWindowType(FftWindowHamming);
}

void DisplaySetupDialog::on_linYAxis_toggled(bool checked)
{
    if (checked)
        window_->setYAxisLog(false);
}

void DisplaySetupDialog::on_logYAxis_toggled(bool checked)
{
    if (checked)
        window_->setYAxisLog(true);
}

void DisplaySetupDialog::on_bgColorButton_clicked()
{
    auto* popup = new ColorPopup(this);
    connect(popup, &ColorPopup::colorChosen, this, &DisplaySetupDialog::applyBackground);
    popup->popup(QCursor::pos());
}

void DisplaySetupDialog::on_buttonBox_clicked(QAbstractButton*) { close(); }

void DisplaySetupDialog::showButtonColor(const QColor& color)
{
    QPalette palette = ui_->bgColorButton->palette();
    palette.setColor(QPalette::Button, color);
    ui_->bgColorButton->setPalette(palette);
}

// Black would hide the black curves and texts; it changes nothing.
void DisplaySetupDialog::applyBackground(const QColor& color)
{
    if (color == QColor(Qt::black))
        return;
    showButtonColor(color);
    window_->setChartBackground(color);
    settings::setValue(settings::BackgroundColor, color.name());
}
