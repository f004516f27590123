#pragma once

#include "link/PartNumberRecord.h"

#include <QDialog>
#include <memory>

namespace Ui { class BiteResultDialog; }

class BiteResultDialog : public QDialog {
    Q_OBJECT
public:
    BiteResultDialog(const BiteResults& results, QWidget* parent);
    ~BiteResultDialog() override;

private:
    std::unique_ptr<Ui::BiteResultDialog> ui_;
};
