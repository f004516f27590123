#include "app/EngineDialog.h"

#include "core/AircraftCatalogue.h"
#include "core/AircraftInfo.h"
#include "core/MessageText.h"
#include "core/Prompts.h"
#include "ui_EngineDialog.h"

EngineDialog::EngineDialog(QWidget* parent) : QDialog(parent), ui_(std::make_unique<Ui::EngineDialogBase>())
{
    ui_->setupUi(this);
    ui_->engineLW->addItems(catalogue::engineTypes().value);
    if (ui_->engineLW->count() == 0)
        ui_->buttonDel->setEnabled(false);
    else
        ui_->engineLW->setCurrentRow(0);
}

EngineDialog::~EngineDialog() = default;

void EngineDialog::on_engineLW_currentTextChanged(const QString& type) { ui_->engineType->setText(type); }

void EngineDialog::on_buttonAdd_clicked()
{
    const QString type = ui_->engineType->text();
    if (type.isEmpty()) {
        prompts().critical(this, windowTitle(), QStringLiteral("No engine type specified"));
        return;
    }
    // The download record holds the type in a fixed field: refuse what would be cut there.
    if (const QString problem = fieldTextProblem(QStringLiteral("engine type"), type, sizeof(EngineInfo::type));
        !problem.isEmpty()) {
        prompts().warning(this, windowTitle(), problem);
        return;
    }
    if (!ui_->engineLW->findItems(type, Qt::MatchExactly | Qt::MatchCaseSensitive).isEmpty()) {
        prompts().critical(nullptr, windowTitle(), QStringLiteral("Engine type \"%1\" already exists").arg(messageText(type)));
        return;
    }
    if (const QString failure = catalogue::addEngineType(type); !failure.isEmpty()) {
        prompts().critical(this, windowTitle(), failure);
        return;
    }
    ui_->engineLW->addItem(type);
    ui_->engineLW->setCurrentRow(ui_->engineLW->count() - 1);
    ui_->buttonDel->setEnabled(true);
}

void EngineDialog::on_buttonDel_clicked()
{
    QListWidgetItem* current = ui_->engineLW->currentItem();
    if (!current) {
        prompts().warning(this, windowTitle(), QStringLiteral("No engine selected!"));
        return;
    }
    const QString type = current->text();
    if (prompts().question(nullptr, windowTitle(),
                           QStringLiteral("Are you sure you want to delete the engine '%1' from the database?\n").arg(messageText(type)),
                           Prompts::Ok | Prompts::Cancel, Prompts::Cancel)
        != Prompts::Ok)
        return;
    delete ui_->engineLW->takeItem(ui_->engineLW->row(current));
    if (ui_->engineLW->count() == 0) {
        ui_->engineType->clear();
        ui_->buttonDel->setEnabled(false);
    }
    if (const QString failure = catalogue::removeEngineType(type); !failure.isEmpty())
        prompts().critical(this, windowTitle(), failure);
}
