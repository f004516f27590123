#pragma once

#include "plot/PlotModel.h"

#include <QFont>
#include <QMainWindow>
#include <QPointer>
#include <memory>

class DataStatusDialog;
class DisplaySetupDialog;
class QAbstractButton;
class QButtonGroup;
class QPushButton;
class PlotTools;
class QRadioButton;
class TabulateDialog;
class XYPlot;
namespace Ui { class PlotMainWindowClass; }

// The viewer of up to ten selected flights of one engine: steady-state or
// transient parameter trends, time histories, spectra and stacked spectra.
// The choices and the data live in a PlotModel; this window shows them on an
// XYPlot and turns menus, buttons and cursor drags into model changes.
// Closing only hides it; the main window, its parent, destroys it.
class PlotMainWindow : public QMainWindow {
    Q_OBJECT
public:
    PlotMainWindow(QWidget* parent, const FlightRecordList& flights);
    ~PlotMainWindow() override;

    XYPlot* chart() const { return chart_; }
    const PlotModel& model() const { return model_; }
    const PlotData& plotData() const { return data_; }
    QPushButton* globalStatusButton() const { return globalStatusButton_; }

    // The display setup's switches, applied at once.
    void setXGrid(bool on);
    void setYGrid(bool on);
    void setYAxisLog(bool on);
    void setFftWindowType(int windowType);
    void setChartBackground(const QColor& color);
    // Shows or hides flight `index`, as its display setup check box does.
    void setFlightVisible(int index, bool visible);
    PlotTools* tools() const { return tools_; }

signals:
    // The point under the cursor readout; the tabulation highlights its row.
    void posX(int point);
    // Every series was computed and put on the chart again.
    void plotRebuilt();
    // A flight was shown or hidden; an open display setup follows.
    void flightVisibilityChanged(int index, bool visible);

public slots:
    void on_steadyStateRadioButton_toggled(bool checked);
    void on_transientRadioButton_toggled(bool checked);
    void on_actionPrint_triggered();
    void on_actionEngineReport_triggered();
    void binButtonClicked(int id);
    void on_menuParameter_triggered(QAction* action);
    void on_menuTransientBin_triggered(QAction* action);
    void on_actionDisplaySetup_triggered();
    void on_actionZoomReset_triggered();
    void on_actionUserInteractions_triggered();
    void displayTabulateInfo();
    void dataStatus();
    void showHideDataSet(QAbstractButton* button);
    void mouseMove(QPoint position);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void placeWindow(QWidget* parent);
    void placeChart();
    void connectCommands();
    void numberActions();
    void showGlobalStatus();
    void selectMode(int mode);
    void refreshMenus();
    void refreshBinButtons();
    void rebuildPlot();
    void saveStackedSpectra();
    int tabulatedSeries() const;
    struct DisplaySetup displaySetup() const;
    void followPlot();

    std::unique_ptr<Ui::PlotMainWindowClass> ui_;
    PlotModel model_;
    PlotData data_;
    XYPlot* chart_ = nullptr;
    QButtonGroup* binGroup_;
    QList<QRadioButton*> binButtons_;
    QPushButton* globalStatusButton_;
    QFont readoutFont_;
    QPointer<TabulateDialog> tabulation_;
    QPointer<DisplaySetupDialog> displaySetup_;
    QPointer<DataStatusDialog> dataStatus_;
    PlotTools* tools_ = nullptr;
};
