#include "plot/ui/PeakTableDialog.h"

#include "core/DataDirectories.h"
#include "core/MessageText.h"
#include "core/Prompts.h"
#include "plot/PeakTable.h"
#include "plot/PlotFiles.h"
#include "ui_PeakTableDialog.h"

#include <QClipboard>
#include <QGuiApplication>

PeakTableDialog::PeakTableDialog(QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::PeakTableDialogClass>())
{
    ui_->setupUi(this);
    ui_->peakTable->setColumnCount(int(peakTableTitles().size()));
    ui_->peakTable->setHorizontalHeaderLabels(peakTableTitles());
    connect(ui_->copyButton, &QPushButton::clicked, this, &PeakTableDialog::copy);
    connect(ui_->saveButton, &QPushButton::clicked, this, &PeakTableDialog::save);
    connect(ui_->closeButton, &QPushButton::clicked, this, &QDialog::close);
}

PeakTableDialog::~PeakTableDialog() = default;

void PeakTableDialog::setPeaks(const QList<SpectrumPeak>& peaks)
{
    peaks_ = peaks;
    ui_->peakTable->setRowCount(int(peaks.size()));
    for (int row = 0; row < peaks.size(); ++row) {
        const QStringList texts = peakTableRow(peaks[row]);
        for (int column = 0; column < texts.size(); ++column) {
            auto* item = new QTableWidgetItem(texts[column]);
            if (column > 0)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            ui_->peakTable->setItem(row, column, item);
        }
    }
    ui_->peakTable->resizeColumnsToContents();
    ui_->peakTable->resizeRowsToContents();
}

void PeakTableDialog::copy() { QGuiApplication::clipboard()->setText(peakTableCsv(peaks_)); }

void PeakTableDialog::save()
{
    const QString chosen =
        prompts().saveFileName(this, QStringLiteral("Save Peaks"), dataDirPath(), QStringLiteral("CSV (*.csv)"));
    if (chosen.isEmpty())
        return;
    const QString path = withSuffix(chosen, QStringLiteral(".csv"), Qt::CaseInsensitive);
    const QString failure = writePeakTable(path, peaks_);
    if (!failure.isEmpty())
        prompts().warning(this, QStringLiteral("Save Peaks"), messageText(path) + QStringLiteral(": ") + failure);
}
