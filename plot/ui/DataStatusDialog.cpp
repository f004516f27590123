#include "plot/ui/DataStatusDialog.h"

#include "ui_DataStatusDialog.h"

namespace {
QString verdict(bool suspect) { return suspect ? QStringLiteral("Suspect") : QStringLiteral("OK"); }
}

DataStatusDialog::DataStatusDialog(QWidget* parent, const QList<FlightStatus>& flights)
    : QDialog(parent), ui_(std::make_unique<Ui::DataStatusDialogClass>())
{
    ui_->setupUi(this);
    connect(ui_->buttonBox, &QDialogButtonBox::clicked, this, &QDialog::accept);
    QList<QTreeWidgetItem*> rows;
    for (const FlightStatus& flight : flights) {
        rows << new QTreeWidgetItem(QStringList{QString::number(flight.flightNumber), verdict(flight.steadySuspect),
                                                verdict(flight.transientSuspect)});
    }
    ui_->treeWidget->addTopLevelItems(rows);
}

DataStatusDialog::~DataStatusDialog() = default;
