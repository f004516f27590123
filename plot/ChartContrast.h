#pragma once
// Which colours stay readable on a chart's background. A background whose
// relative luminance is below one half is dark: text, axes, ticks and grid
// are drawn light on it, dark otherwise. A series colour whose contrast with
// the background is below 3:1 is moved towards the ink (lighter on a dark
// background, darker on a light one) until it reaches 3:1. Luminance and
// contrast ratio are those of WCAG 2 for sRGB colours.

struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;
    bool operator==(const Rgb&) const = default;
};

// 0 for black to 1 for white.
double relativeLuminance(Rgb color);
// From 1 (the same luminance) to 21 (black on white).
double contrastRatio(Rgb a, Rgb b);

bool isDarkBackground(Rgb background);

// The colours of everything drawn on a background that is not data.
struct ChartInk {
    Rgb ink;     // titles, header, footer, tick labels, legend names, axes, ticks, the legend's frame
    Rgb grid;    // faint: three tenths of the way from the background to the ink
    Rgb cursor;  // the readout's marker lines: half way
};
ChartInk inkFor(Rgb background);

constexpr double kMinSeriesContrast = 3.0;

// `color` itself when it stands out from the background by 3:1, else the
// first of its mixes with the ink, in tenths, that does (the ink itself at most).
Rgb seriesColorOn(Rgb color, Rgb background);
