#include "app/AboutMirvakDialog.h"

#include "core/AppIdentity.h"
#include "ui_AboutMirvakDialog.h"

#include "SourceEpoch.h"

#include <QDateTime>
#include <QLocale>

namespace {

// The date of the sources rather than of the compiler's run, so that every
// build of the same sources shows, and contains, the same text.
QString buildDateText()
{
    if (app::kSourceEpoch < 0)
        return QStringLiteral("Built on unknown");
    const QDateTime changed = QDateTime::fromSecsSinceEpoch(app::kSourceEpoch, Qt::UTC);
    return QStringLiteral("Built on ") + QLocale::c().toString(changed, QStringLiteral("MMM dd yyyy hh:mm:ss"));
}

}  // namespace

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
    text.replace(QStringLiteral("build_date_time"), buildDateText());
    text.replace(QStringLiteral("qt_version_str"),
                 QStringLiteral("Based on Qt %1").arg(QLatin1String(qVersion())));
    ui_->aboutLabel->setText(text);
}

AboutMirvakDialog::~AboutMirvakDialog() = default;

QString AboutMirvakDialog::aboutText() const { return ui_->aboutLabel->text(); }
