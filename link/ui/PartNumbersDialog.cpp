#include "link/ui/PartNumbersDialog.h"

#include "core/AppIdentity.h"
#include "link/PartNumberRecord.h"
#include "ui_PartNumbersDialog.h"

PartNumbersDialog::PartNumbersDialog(const PartNumberRecord& record, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::PartNumbersDialog>())
{
    ui_->setupUi(this);
    setWindowTitle(app::kLongTitle);
    // The fields carry the rows' names.
    for (const PartNumberRow& row : partNumberRows(record)) {
        findChild<QLabel*>(QLatin1String(row.key))->setText(row.value);
        if (row.crcKey)
            findChild<QLabel*>(QLatin1String(row.crcKey))->setText(row.crcText());
    }
}

PartNumbersDialog::~PartNumbersDialog() = default;
