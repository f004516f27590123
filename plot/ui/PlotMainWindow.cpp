#include "plot/ui/PlotMainWindow.h"

#include "core/DataDirectories.h"
#include "core/MessageText.h"
#include "core/Prompts.h"
#include "core/Settings.h"
#include "plot/FlightNames.h"
#include "plot/PlotFiles.h"
#include "plot/ui/DataStatusDialog.h"
#include "plot/ui/DisplaySetupDialog.h"
#include "plot/ui/PlotPresentation.h"
#include "plot/ui/PlotTools.h"
#include "plot/ui/TabulateDialog.h"
#include "plot/ui/XYPlot.h"
#include "report/ReportSet.h"
#include "report/ui/EngineReportCommand.h"
#include "ui/MenuBarKey.h"
#include "ui_PlotMainWindow.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {

const QString kUserInteractions = QStringLiteral(
    "<P><B>Translation:</B><BR>- Press Shift and hold down both mouse buttons.<br>- Move mouse to shift chart.</P>"
    "<P><B>Scaling:</B><BR>- Press Ctrl and hold down both mouse buttons.<br>- Move mouse down to zoom in.<br>- Move "
    "mouse up to zoom out.</P><P><B>Graphics Zoom:</B><BR>- Press Ctrl and hold down left mouse button.<BR>- Move "
    "mouse to select the area to zoom into.</P><P><B>Axis Zooming:</B><BR>- Press Shift and hold down left mouse "
    "button.<BR>- Move mouse to select the area to zoom into.</P><P><B>Return to Default:</B><BR>- Press "
    "\"r\".<BR>- All scaling, translation, and zooming will be reset.</P>");

const QColor kReadoutNegative(255, 255, 0);   // yellow
const QColor kReadoutPositive(204, 204, 255);  // light blue
const QPoint kCascadeOffset(30, 30);           // a further plot window opens beside the last one

// A dialog closed but not yet deleted (deleted on close, later) counts as gone.
bool isOpen(const QWidget* dialog) { return dialog && dialog->isVisible(); }

void bringToFront(QWidget* dialog)
{
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

}  // namespace

PlotMainWindow::PlotMainWindow(QWidget* parent, const FlightRecordList& flights)
    : QMainWindow(parent),
      ui_(std::make_unique<Ui::PlotMainWindowClass>()),
      model_(flights, CorrectionTable(CorrectionTable::defaultPath())),
      binGroup_(new QButtonGroup(this)),
      globalStatusButton_(new QPushButton(QStringLiteral("Global Status")))
{
    ui_->setupUi(this);
    placeWindow(parent);
    readoutFont_ = QFont(QStringLiteral("Courier New"));
    readoutFont_.setPixelSize(12);
    model_.loadSettings();
    placeChart();
    RedrawSuspension once(*chart_);
    statusBar()->addPermanentWidget(globalStatusButton_);
    connectCommands();
    tools_ = new PlotTools(this);
    numberActions();
    showGlobalStatus();
    chart_->setXGrid(model_.xGrid());
    chart_->setYGrid(model_.yGrid());
    // Checking the mode's button selects the mode and draws the first plot.
    (model_.mode() == plot::SteadyState ? ui_->steadyStateRadioButton : ui_->transientRadioButton)->setChecked(true);
}

PlotMainWindow::~PlotMainWindow() = default;

// The first plot window takes the stored geometry; a further one opens 30 px
// below and right of the last one still shown, so none hides another.
void PlotMainWindow::placeWindow(QWidget* parent)
{
    restoreGeometry(settings::value(settings::PlotWindowGeometry).toByteArray());
    if (!parent)
        return;
    const QList<PlotMainWindow*> siblings = parent->findChildren<PlotMainWindow*>(Qt::FindDirectChildrenOnly);
    for (auto it = siblings.rbegin(); it != siblings.rend(); ++it) {
        if (*it != this && (*it)->isVisible()) {
            setGeometry((*it)->geometry().translated(kCascadeOffset));
            return;
        }
    }
}

void PlotMainWindow::placeChart()
{
    chart_ = new XYPlot(ui_->chartWidget);
    auto* layout = new QVBoxLayout(ui_->chartWidget);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(chart_);
    chart_->setBackground(storedBackgroundColor());
    chart_->setReadoutFont(readoutFont_);
    connect(chart_, &XYPlot::mouseMove, this, &PlotMainWindow::mouseMove);
}

void PlotMainWindow::connectCommands()
{
    connect(ui_->actionExit, &QAction::triggered, this, &QWidget::close);
    connect(ui_->actionAboutQt, &QAction::triggered, this, [this] { QMessageBox::aboutQt(this); });
    connect(ui_->actionTabulate, &QAction::triggered, this, &PlotMainWindow::displayTabulateInfo);
    connect(globalStatusButton_, &QPushButton::clicked, this, &PlotMainWindow::dataStatus);
    connect(binGroup_, &QButtonGroup::idClicked, this, &PlotMainWindow::binButtonClicked);
    // R resets the view wherever the focus is in this window, not only on the chart.
    ui_->actionZoomReset->setShortcut(Qt::Key_R);
    ui_->actionZoomReset->setShortcutContext(Qt::WindowShortcut);
    bindMenuBarKey(this);
}

// The bin buttons carry ids 0..25, the Parameter actions their parameter ids,
// the Transient Bin actions their transient types.
void PlotMainWindow::numberActions()
{
    for (int i = 0; i < plot::kBinButtons; ++i) {
        auto* button = findChild<QRadioButton*>(QStringLiteral("binRadioButton%1").arg(i + 1));
        button->setText(QString::number(i + 1));
        binGroup_->addButton(button, i);
        binButtons_ << button;
    }
    const QList<QAction*> parameters = ui_->menuParameter->actions();
    for (int id = 0; id < parameters.size(); ++id)
        parameters[id]->setData(id);
    const QList<QAction*> types = ui_->menuTransientBin->actions();
    for (int type = 0; type < types.size(); ++type)
        types[type]->setData(type);
}

void PlotMainWindow::showGlobalStatus()
{
    if (model_.anySuspect())
        globalStatusButton_->setStyleSheet(QStringLiteral("background-color: yellow;"));
}

void PlotMainWindow::on_steadyStateRadioButton_toggled(bool checked)
{
    if (checked)
        selectMode(plot::SteadyState);
}

void PlotMainWindow::on_transientRadioButton_toggled(bool checked)
{
    if (checked)
        selectMode(plot::Transient);
}

void PlotMainWindow::selectMode(int mode)
{
    model_.setMode(mode);
    refreshMenus();
    refreshBinButtons();
    rebuildPlot();
}

void PlotMainWindow::refreshMenus()
{
    for (QAction* action : ui_->menuParameter->actions()) {
        const int id = action->data().toInt();
        action->setEnabled(model_.parameterEnabled(id));
        action->setChecked(id == model_.parameterId());
    }
    const bool typesEnabled = model_.transientBinMenuEnabled();
    ui_->menuTransientBin->setEnabled(typesEnabled);
    ui_->menuTransientBin->menuAction()->setEnabled(typesEnabled);
    for (QAction* action : ui_->menuTransientBin->actions())
        action->setChecked(action->data().toInt() == model_.transientType());
    ui_->transientRadioButton->setEnabled(model_.transientModeEnabled());
}

void PlotMainWindow::refreshBinButtons()
{
    const BinButtons state = model_.updateBinButtons();
    ui_->binGroupBox->setTitle(state.title);
    for (int i = 0; i < plot::kBinButtons; ++i) {
        binButtons_[i]->setText(state.buttons[i].text);
        binButtons_[i]->setToolTip(state.buttons[i].text);  // a flight's long name may not fit the grid
        binButtons_[i]->setEnabled(state.buttons[i].enabled);
        binGroup_->setId(binButtons_[i], state.buttons[i].id);
    }
    binButtons_[state.checked]->setChecked(true);
    ui_->binGroupBox->setEnabled(state.groupEnabled);
}

void PlotMainWindow::rebuildPlot()
{
    RedrawSuspension once(*chart_);
    setWindowTitle(model_.windowTitle());
    data_ = model_.build();
    showPlot(*chart_, data_);
    chart_->hideMarkers();
    chart_->hideReadout();
    if (model_.isStacked() && tabulation_)
        tabulation_->close();
    followPlot();
    emit plotRebuilt();
}

// The open display setup and tabulation show what the chart shows now.
void PlotMainWindow::followPlot()
{
    if (isOpen(displaySetup_))
        displaySetup_->preset(displaySetup());
    if (isOpen(tabulation_))
        tabulation_->update(tabulatedSeries());
}

void PlotMainWindow::on_actionPrint_triggered() { chart_->print(); }

// The download the first visible flight came from.
void PlotMainWindow::on_actionEngineReport_triggered()
{
    const FlightRecordList& flights = model_.flights();
    for (int i = 0; i < flights.size(); ++i) {
        if (!model_.flightVisible(i))
            continue;
        const QString raw = report::rawFileOf(*flights[i], dataRootPath());
        if (raw.isEmpty())
            prompts().warning(this, QStringLiteral("Engine Report"),
                              QStringLiteral("The raw file of this flight is no longer in the data directory."));
        else
            EngineReportCommand::run(this, raw);
        return;
    }
}

void PlotMainWindow::binButtonClicked(int id)
{
    model_.chooseBin(id);
    rebuildPlot();
}

void PlotMainWindow::on_menuParameter_triggered(QAction* action)
{
    model_.setParameter(action->data().toInt());
    refreshMenus();
    refreshBinButtons();
    rebuildPlot();
}

void PlotMainWindow::on_menuTransientBin_triggered(QAction* action)
{
    model_.setTransientType(action->data().toInt());
    refreshMenus();
    rebuildPlot();
}

DisplaySetup PlotMainWindow::displaySetup() const
{
    DisplaySetup setup{model_.xGrid(), model_.yGrid(), model_.yAxisLog(), model_.fftWindow(),
                       model_.parameterId() == plot::kSpectrum, {}};
    for (int f = 0; f < model_.flights().size(); ++f)
        setup.flights.append({flightNumberText(model_.flights(), f), model_.flightVisible(f)});
    return setup;
}

void PlotMainWindow::on_actionDisplaySetup_triggered()
{
    if (!isOpen(displaySetup_)) {
        displaySetup_ = new DisplaySetupDialog(this, displaySetup());
        connect(displaySetup_->flightGroup(), &QButtonGroup::buttonClicked, this, &PlotMainWindow::showHideDataSet);
    }
    bringToFront(displaySetup_);
}

void PlotMainWindow::on_actionZoomReset_triggered() { chart_->reset(); }

void PlotMainWindow::on_actionUserInteractions_triggered()
{
    prompts().information(this, QStringLiteral("User Interactions"), kUserInteractions);
}

void PlotMainWindow::displayTabulateInfo()
{
    if (model_.isStacked()) {
        saveStackedSpectra();
        return;
    }
    if (!isOpen(tabulation_)) {
        tabulation_ = new TabulateDialog(this, chart_);
        connect(this, &PlotMainWindow::posX, tabulation_, &TabulateDialog::highlight);
    }
    tabulation_->update(tabulatedSeries());
    bringToFront(tabulation_);
}

void PlotMainWindow::saveStackedSpectra()
{
    QString name = prompts().saveFileName(this, QStringLiteral("Save Tabulated Data"), dataDirPath(),
                                          QStringLiteral("Text Files (*.csv)"));
    if (name.isEmpty())
        return;
    name = withSuffix(name, QStringLiteral(".csv"), Qt::CaseSensitive);
    if (!writeStackedCsv(name, model_.stackedFlightText(), data_, chart_->xRangeShown()))
        prompts().information(this, QStringLiteral("Error"), QStringLiteral("Cannot open %1").arg(messageText(name)));
}

// The first flight shown; the first flight when all are hidden.
int PlotMainWindow::tabulatedSeries() const
{
    const auto shown = std::find(data_.visible.begin(), data_.visible.end(), true);
    return shown == data_.visible.end() ? 0 : int(shown - data_.visible.begin());
}

void PlotMainWindow::dataStatus()
{
    if (!isOpen(dataStatus_))
        dataStatus_ = new DataStatusDialog(this, model_.dataStatus());
    bringToFront(dataStatus_);
}

void PlotMainWindow::showHideDataSet(QAbstractButton* button)
{
    setFlightVisible(button->property("id").toInt(), button->isChecked());
}

void PlotMainWindow::setFlightVisible(int index, bool visible)
{
    model_.setFlightVisible(index, visible);
    // A stacked spectrum's series are the bins of one flight, not the flights.
    if (!model_.isStacked() && index >= 0 && index < data_.seriesCount()) {
        data_.visible[index] = visible;
        chart_->setSeriesVisible(index, visible);
    }
    followPlot();
    emit flightVisibilityChanged(index, visible);
}

void PlotMainWindow::mouseMove(QPoint position)
{
    const XYPlot::Pick pick = chart_->pick(position);
    if (!pick.inPlotArea) {
        RedrawSuspension once(*chart_);
        chart_->hideMarkers();
        chart_->hideReadout();
        return;
    }
    if (pick.series < 0 || !pick.pointInPlotArea)
        return;
    const Readout readout = model_.readout(data_, pick.series, pick.point);
    RedrawSuspension once(*chart_);
    chart_->showReadout(readout.text, readout.negative ? kReadoutNegative : kReadoutPositive);
    chart_->showMarkers(pick.series, pick.point);
    emit posX(pick.point);
}

void PlotMainWindow::setXGrid(bool on)
{
    model_.setXGrid(on);
    chart_->setXGrid(on);
}

void PlotMainWindow::setYGrid(bool on)
{
    model_.setYGrid(on);
    chart_->setYGrid(on);
}

void PlotMainWindow::setYAxisLog(bool on)
{
    model_.setYAxisLog(on);
    data_.yLog = model_.yAxisLog();
    RedrawSuspension once(*chart_);
    chart_->setYLog(model_.yAxisLog());
    chart_->resetView();
}

void PlotMainWindow::setFftWindowType(int windowType)
{
    model_.setFftWindow(windowType);
    rebuildPlot();
}

void PlotMainWindow::setChartBackground(const QColor& color) { chart_->setBackground(color); }

void PlotMainWindow::closeEvent(QCloseEvent* event)
{
    settings::setValue(settings::PlotWindowGeometry, saveGeometry());
    model_.saveSettings();
    // Its dialogs belong to this plot: they go when it goes.
    for (QDialog* dialog : std::initializer_list<QDialog*>{tabulation_, displaySetup_, dataStatus_}) {
        if (dialog)
            dialog->close();
    }
    QMainWindow::closeEvent(event);
}
