#include "plot/ViewHistory.h"

void ViewHistory::restart(const ChartView& view)
{
    views_.assign(1, view);
    current_ = 0;
}

void ViewHistory::record(const ChartView& view)
{
    if (current_ >= 0 && views_[current_] == view)
        return;
    views_.resize(current_ + 1);
    views_.push_back(view);
    if (int(views_.size()) > kCapacity)
        views_.erase(views_.begin());
    current_ = int(views_.size()) - 1;
}

void ViewHistory::replaceCurrent(const ChartView& view)
{
    if (current_ < 0) {
        record(view);
        return;
    }
    views_.resize(current_ + 1);
    views_[current_] = view;
}

std::optional<ChartView> ViewHistory::back()
{
    if (!canGoBack())
        return std::nullopt;
    return views_[--current_];
}

std::optional<ChartView> ViewHistory::forward()
{
    if (!canGoForward())
        return std::nullopt;
    return views_[++current_];
}
