#include "plot/ui/TabulateDialog.h"

#include "core/DataDirectories.h"
#include "core/Prompts.h"
#include "plot/ui/XYPlot.h"
#include "ui_TabulateDialog.h"

TabulateDialog::TabulateDialog(QWidget* parent, const XYPlot* chart)
    : QDialog(parent), ui_(std::make_unique<Ui::TabulateDialogClass>()), chart_(chart)
{
    ui_->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    connect(ui_->pushButtonClose, &QPushButton::clicked, this, &QWidget::close);
}

TabulateDialog::~TabulateDialog() = default;

void TabulateDialog::update(int index)
{
    const bool known = index >= 0 && index < chart_->seriesCount();
    TabulationSource source{chart_->seriesName(index), chart_->headerLines(), chart_->footerLines(),
                            chart_->xAxisTitle(),      chart_->yAxisTitle(),  chart_->xValues(),
                            known ? chart_->yValues(index) : std::vector<double>{}, chart_->xRangeShown()};
    table_ = tabulate(source);
    ui_->tagLabel->setText(table_.tag);
    ui_->header1Label->setText(table_.header1);
    ui_->header2Label->setText(table_.header2);
    ui_->header3Label->setText(table_.header3);
    ui_->treeWidget->clear();
    ui_->treeWidget->setHeaderLabels(table_.columnTitles);
    QList<QTreeWidgetItem*> items;
    for (const Tabulation::Row& row : table_.rows)
        items << new QTreeWidgetItem(QStringList{row.index, row.x, row.y});
    ui_->treeWidget->addTopLevelItems(items);
    for (int i = 0; i < items.size(); ++i)
        items[i]->setHidden(table_.rows[i].hidden);
    for (int column = 0; column < ui_->treeWidget->columnCount(); ++column)
        ui_->treeWidget->resizeColumnToContents(column);
}

void TabulateDialog::highlight(int row)
{
    if (QTreeWidgetItem* item = ui_->treeWidget->topLevelItem(row))
        ui_->treeWidget->setCurrentItem(item);
}

void TabulateDialog::on_pushButtonSave_clicked()
{
    QString name = prompts().saveFileName(this, QStringLiteral("Save"), dataDirPath(), QStringLiteral("Text (*.txt)"));
    if (name.isEmpty())
        return;
    name = withSuffix(name, QStringLiteral(".txt"), Qt::CaseSensitive);
    if (!writeTabulation(name, table_))
        prompts().critical(this, QStringLiteral("Save"), QStringLiteral("Couldn't save tabulation data"));
}
