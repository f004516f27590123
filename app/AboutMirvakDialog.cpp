#include "app/AboutMirvakDialog.h"

#include "core/AppIdentity.h"
#include "ui_AboutMirvakDialog.h"

AboutMirvakDialog::AboutMirvakDialog(QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::AboutMirvakDialog>())
{
    ui_->setupUi(this);
    QString text = ui_->aboutLabel->text();
    text.replace(QStringLiteral("version_string"),
                 QStringLiteral("Version: %1.%2.%3")
                     .arg(app::kVersionMajor)
                     .arg(app::kVersionMinor)
                     .arg(app::kVersionPatch));
    text.replace(QStringLiteral("pnr_string"),
                 QStringLiteral("517-109-20%1-%2%3")
                     .arg(app::kVersionMajor)
                     .arg(app::kVersionMinor)
                     .arg(app::kVersionPatch, 2, 10, QLatin1Char('0')));
    text.replace(QStringLiteral("build_date_time"),
                 QStringLiteral("Built on %1 %2").arg(QLatin1String(__DATE__), QLatin1String(__TIME__)));
    text.replace(QStringLiteral("qt_version_str"),
                 QStringLiteral("Based on Qt %1").arg(QLatin1String(qVersion())));
    ui_->aboutLabel->setText(text);
}

AboutMirvakDialog::~AboutMirvakDialog() = default;

QString AboutMirvakDialog::aboutText() const { return ui_->aboutLabel->text(); }
