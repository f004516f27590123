#pragma once

#include <QDialog>
#include <memory>

struct PartNumberRecord;
namespace Ui { class PartNumbersDialog; }

// Shows the unit's part numbers and software CRCs.
class PartNumbersDialog : public QDialog {
    Q_OBJECT
public:
    PartNumbersDialog(const PartNumberRecord& record, QWidget* parent);
    ~PartNumbersDialog() override;

private:
    std::unique_ptr<Ui::PartNumbersDialog> ui_;
};
