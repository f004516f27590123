#pragma once
// The views a chart has shown, to step back and forward through: the last
// 20, newest last. Recording a view after stepping back drops the views
// ahead of it, as a browser's history does.

#include "plot/PlotData.h"

#include <optional>
#include <vector>

struct ChartView {
    XRange x;
    XRange y;
    bool autoY = true;  // the values follow the X range
    bool operator==(const ChartView& other) const
    {
        return x.lower == other.x.lower && x.upper == other.x.upper && y.lower == other.y.lower
               && y.upper == other.y.upper && autoY == other.autoY;
    }
};

class ViewHistory {
public:
    static constexpr int kCapacity = 20;

    // Starts over with one view.
    void restart(const ChartView& view);
    // The view now shown; the same view twice in a row is kept once.
    void record(const ChartView& view);
    // Replaces the view now shown (the steps of one wheel turn make one view).
    void replaceCurrent(const ChartView& view);
    std::optional<ChartView> back();
    std::optional<ChartView> forward();
    bool canGoBack() const { return current_ > 0; }
    bool canGoForward() const { return current_ + 1 < int(views_.size()); }

private:
    std::vector<ChartView> views_;
    int current_ = -1;
};
