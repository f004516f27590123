#pragma once

#include <QDialog>
#include <memory>

namespace Ui { class AboutMirvakDialog; }

// Version, cable part number, build time and toolkit version.
class AboutMirvakDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutMirvakDialog(QWidget* parent);
    ~AboutMirvakDialog() override;

    QString aboutText() const;

private:
    std::unique_ptr<Ui::AboutMirvakDialog> ui_;
};
