#include "link/ui/BiteResultDialog.h"

#include "core/AppIdentity.h"
#include "ui_BiteResultDialog.h"

BiteResultDialog::BiteResultDialog(const BiteResults& results, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::BiteResultDialog>())
{
    ui_->setupUi(this);
    setWindowTitle(app::kShortTitle);
    QLabel* const values[] = {ui_->mainArincItv, ui_->mainCommDspItv, ui_->dspRamItv,
                              ui_->dspFlashItv,  ui_->dspAnalogItv,   ui_->reserved1,
                              ui_->reserved2,    ui_->reserved3,      ui_->reserved4};
    for (std::size_t i = 0; i < results.size(); ++i)
        values[i]->setText(QString::number(results[i]));
    // Ten-digit values need more room than the form's initial size.
    setFixedSize(sizeHint().expandedTo(size()));
}

BiteResultDialog::~BiteResultDialog() = default;
