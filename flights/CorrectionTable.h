#pragma once
// Per-bin amplitude correction factors, read from a ";"-separated file whose
// first line holds column headings: bin index; a second value (not used);
// factor. A bin that the file does not name has the factor 1.0.

#include "flights/Spectrum.h"

#include <QMap>
#include <QString>
#include <vector>

class CorrectionTable {
public:
    struct Entry {
        int bin = 0;
        double value = 0.0;
        double factor = 1.0;
    };

    // The table beside the program: its directory followed by "/correction_table.csv".
    static QString defaultPath();

    CorrectionTable() = default;
    // Loads the file; one that cannot be opened is reported and leaves every factor 1.0.
    explicit CorrectionTable(const QString& path);

    double factor(int bin) const
    {
        return bin >= 0 && bin < int(spectrumFactors_.size()) ? spectrumFactors_[bin] : entries_.value(bin, Entry{}).factor;
    }
    // The factors of the spectrum's bins 0..sampling::kBins-1, in order.
    const double* spectrumFactors() const { return spectrumFactors_.data(); }
    int size() const { return int(entries_.size()); }

private:
    QMap<int, Entry> entries_;
    std::vector<double> spectrumFactors_ = std::vector<double>(sampling::kBins, 1.0);
};

// The table the ASCII export uses: loaded on first use and kept until the program ends.
const CorrectionTable& exportCorrectionTable();
