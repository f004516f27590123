#pragma once
// How an engine's trend is drawn, alike in the trend window and the engine report.

#include <QColor>

namespace trend_style {

inline const QColor kPreColor(0x1f, 0x5f, 0xbf);
inline const QColor kPostColor(0xd9, 0x6c, 0x00);
inline const QColor kThresholdColor(0xc0, 0x10, 0x10);  // the line, and the values above it
inline const QColor kAlarmColor(0xb0, 0x00, 0x60);
// Alarm labels stagger over this many rows above the values; one that finds
// no room there keeps its line (the window's readout tells its change).
inline constexpr int kAlarmLabelRows = 2;

}  // namespace trend_style
