#include "link/ui/PartNumbersDialog.h"

#include "core/AppIdentity.h"
#include "link/PartNumberRecord.h"
#include "ui_PartNumbersDialog.h"

static QString crcText(quint32 crc) { return QStringLiteral("(0x%1)").arg(crc, 0, 16); }

PartNumbersDialog::PartNumbersDialog(const PartNumberRecord& record, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::PartNumbersDialog>())
{
    ui_->setupUi(this);
    setWindowTitle(app::kLongTitle);
    ui_->korvelPN->setText(fieldText(record.unitPartNumber));
    ui_->korvelSN->setText(fieldText(record.unitSerialNumber));
    ui_->mainBootPn->setText(fieldText(record.mainBootPartNumber));
    ui_->mainProgPn->setText(fieldText(record.mainProgPartNumber));
    ui_->mainProgCrc->setText(crcText(record.mainProgCrc));
    ui_->dspBootPn->setText(fieldText(record.dspBootPartNumber));
    ui_->dspBootCrc->setText(crcText(record.dspBootCrc));
    ui_->dspProgPn->setText(fieldText(record.dspProgPartNumber));
    ui_->dspProgCrc->setText(crcText(record.dspProgCrc));
    ui_->dspConfigTablePn->setText(fieldText(record.dspConfigTablePartNumber));
    ui_->dspConfigTableCrc->setText(crcText(record.dspConfigTableCrc));
}

PartNumbersDialog::~PartNumbersDialog() = default;
