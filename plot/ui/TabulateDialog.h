#pragma once

#include "plot/PlotFiles.h"

#include <QDialog>
#include <memory>

class XYPlot;
namespace Ui { class TabulateDialogClass; }

// The points of one curve of the plot window's chart as a table: index, X
// (2 decimals) and Y (4 decimals); points outside the X range shown are
// hidden. Follows the cursor readout's point and saves the table as text.
// One per plot window; deleted when closed.
class TabulateDialog : public QDialog {
    Q_OBJECT
public:
    TabulateDialog(QWidget* parent, const XYPlot* chart);
    ~TabulateDialog() override;

    using QWidget::update;
    const Tabulation& table() const { return table_; }

public slots:
    // Fills the table from curve `index` of the chart.
    void update(int index);
    // Makes the row of that point the current one.
    void highlight(int row);

private slots:
    void on_pushButtonSave_clicked();

private:
    std::unique_ptr<Ui::TabulateDialogClass> ui_;
    const XYPlot* chart_;
    Tabulation table_;
};
