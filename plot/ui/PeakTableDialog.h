#pragma once

#include "plot/PeakFinder.h"

#include <QDialog>
#include <memory>

namespace Ui { class PeakTableDialogClass; }

// The peaks marked on a spectrum as a table (flight, rank, line, Hz, G pk)
// that can be copied as CSV text and saved as a CSV file. Modeless; it shows
// the peaks it is given and holds nothing else.
class PeakTableDialog : public QDialog {
    Q_OBJECT
public:
    explicit PeakTableDialog(QWidget* parent);
    ~PeakTableDialog() override;

    void setPeaks(const QList<SpectrumPeak>& peaks);
    const QList<SpectrumPeak>& peaks() const { return peaks_; }

public slots:
    void copy();
    void save();

private:
    std::unique_ptr<Ui::PeakTableDialogClass> ui_;
    QList<SpectrumPeak> peaks_;
};
