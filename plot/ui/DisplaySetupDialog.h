#pragma once

#include <QColor>
#include <QDialog>
#include <QList>
#include <memory>

class PlotMainWindow;
class QAbstractButton;
class QButtonGroup;
namespace Ui { class DisplaySetupDialogClass; }

// The plot window's switches as the display setup opens with them.
struct DisplaySetup {
    struct Flight {
        qint32 number = 0;
        bool visible = true;
    };
    bool xGrid = false;
    bool yGrid = false;
    bool yLog = false;
    int fftWindow = 0;
    bool spectrumOptions = false;  // FFT window and Y axis apply to the spectrum only
    QList<Flight> flights;
};

// The chart background stored in BackgroundColor; white when it is not a colour.
QColor storedBackgroundColor();

// Grids, background colour, FFT window, Y axis and the flights shown. Every
// change acts on the plot window at once; the window keeps the values.
// Modeless; deleted when closed.
class DisplaySetupDialog : public QDialog {
    Q_OBJECT
public:
    DisplaySetupDialog(PlotMainWindow* window, const DisplaySetup& setup);
    ~DisplaySetupDialog() override;

    // One check box per flight; the button id and the property "id" are its list index.
    QButtonGroup* flightGroup() const { return flightGroup_; }

public slots:
    // A flight shown or hidden elsewhere (a legend click): its check box follows.
    void showFlightVisible(int index, bool visible);

private slots:
    void on_xGridCheckBox_toggled(bool checked);
    void on_yGridCheckBox_toggled(bool checked);
    void on_fftWindowNone_toggled(bool checked);
    void on_fftWindowHanning_toggled(bool checked);
    void on_fftWindowHamming_toggled(bool checked);
    void on_linYAxis_toggled(bool checked);
    void on_logYAxis_toggled(bool checked);
    void on_bgColorButton_clicked();
    void on_buttonBox_clicked(QAbstractButton* button);

private:
    void preset(const DisplaySetup& setup);
    void showButtonColor(const QColor& color);
    void applyBackground(const QColor& color);

    std::unique_ptr<Ui::DisplaySetupDialogClass> ui_;
    PlotMainWindow* window_;
    QButtonGroup* flightGroup_;
};
