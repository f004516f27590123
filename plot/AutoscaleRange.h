#pragma once
// The ranges a view is scaled to: the X range that holds every point, and
// the span of the values shown within an X range, with room above and below.

#include "plot/PlotData.h"

#include <vector>

// Every X value; point plots of a few points get half a step of room at each end.
XRange dataXRange(const std::vector<double>& x);

// The drawable values of the shown series whose X lies in xRange, 5 % wider
// on either side; on a log axis only positive values count and the room is a
// twentieth of the decades spanned. Without such values: 0..1 (0.1..10 on a log axis).
XRange valueSpan(const std::vector<double>& x, const std::vector<std::vector<double>>& y,
                 const std::vector<bool>& shown, XRange xRange, bool log);
