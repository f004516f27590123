#pragma once
// The largest peaks of a spectrum. Line k is a local maximum when
// A[k] > A[k-1] and A[k] >= A[k+1]; the largest are taken one by one, each at
// least kLinesBetween lines apart from those already taken, equal amplitudes
// going to the lower line. A flat top thus counts once, at its first line.

#include "plot/PlotData.h"

#include <QList>
#include <QString>
#include <vector>

struct LinePeak {
    int line = 0;
    double amplitude = 0.0;
};

constexpr int kPeaksPerSpectrum = 5;
constexpr int kLinesBetweenPeaks = 3;  // lines that lie between two chosen peaks, at least

// The `count` largest local maxima among lines first..last, largest first.
// Lines whose neighbours lie outside the spectrum, and values that cannot be drawn, are never peaks.
std::vector<LinePeak> findPeaks(const std::vector<double>& amplitudes, int first, int last,
                                int count = kPeaksPerSpectrum);

// One row of the peak table.
struct SpectrumPeak {
    int series = 0;
    QString seriesName;
    int rank = 0;  // 1: the largest of its series
    int line = 0;
    double hz = 0.0;
    double amplitude = 0.0;
};

// The peaks of every shown series of a spectrum plot within the X range
// shown; the lines below firstLine (forced to 0) are left out.
QList<SpectrumPeak> spectrumPeaks(const PlotData& data, XRange shown, int firstLine);
