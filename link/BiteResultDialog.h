#pragma once

#include <QDialog>
#include <array>
#include <memory>

namespace Ui { class BiteResultDialog; }

// The nine built-in test results of the unit, in the order Main ARINC, Main
// COMM DSP, DSP SDRAM, DSP Flash, DSP Analog, Reserved 1 to 4.
using BiteResults = std::array<quint32, 9>;

class BiteResultDialog : public QDialog {
    Q_OBJECT
public:
    BiteResultDialog(const BiteResults& results, QWidget* parent);
    ~BiteResultDialog() override;

private:
    std::unique_ptr<Ui::BiteResultDialog> ui_;
};
