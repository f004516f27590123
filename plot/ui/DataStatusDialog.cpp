#include "plot/ui/DataStatusDialog.h"

#include "ui_DataStatusDialog.h"

namespace {
QString verdict(bool suspect) { return suspect ? QStringLiteral("Suspect") : QStringLiteral("OK"); }
}

DataStatusDialog::DataStatusDialog(QWidget* parent, const QList<FlightStatus>& flights)
    : QDialog(parent), ui_(std::make_unique<Ui::DataStatusDialogClass>())
{
    ui_->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    connect(ui_->buttonBox, &QDialogButtonBox::clicked, this, &QDialog::accept);
    QList<QTreeWidgetItem*> rows;
    for (const FlightStatus& flight : flights) {
        rows << new QTreeWidgetItem(QStringList{flight.numberText, verdict(flight.steadySuspect),
                                                verdict(flight.transientSuspect)});
    }
    ui_->treeWidget->addTopLevelItems(rows);
}

DataStatusDialog::~DataStatusDialog() = default;
