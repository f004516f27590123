#pragma once

#include "plot/PlotModel.h"

#include <QDialog>
#include <memory>

namespace Ui { class DataStatusDialogClass; }

// Per selected flight: is its steady-state data and its transient data "OK" or "Suspect"?
// Modeless, one per plot window; deleted when closed.
class DataStatusDialog : public QDialog {
    Q_OBJECT
public:
    DataStatusDialog(QWidget* parent, const QList<FlightStatus>& flights);
    ~DataStatusDialog() override;

private:
    std::unique_ptr<Ui::DataStatusDialogClass> ui_;
};
