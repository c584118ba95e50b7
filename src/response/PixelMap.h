#pragma once
// Pixels of the response graph: frequency on a three-decade logarithmic axis (20 Hz at
// x = 35, 20 kHz at x = 35 + 3 * floor(W / 3)), level on a linear axis from +10 dB at
// y = 10 to -10 dB at y = H + 10; W and H are the plot's width and height in pixels.
// Pure functions, shared by the curves and the graph's draggable handles.

#include "response/FilterResponse.h"

#include <array>

namespace ovix {

constexpr int kPlotLeft = 35;
constexpr int kPlotTop = 10;
constexpr int kFilterCurvePoints = kGridPoints + 2;  // two baseline anchors around the grid

struct Point {
    int x = 0, y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct PointF {
    double x = 0.0, y = 0.0;
    friend bool operator==(const PointF&, const PointF&) = default;
};

using FilterCurve = std::array<Point, kFilterCurvePoints>;
using ChannelCurve = std::array<Point, kGridPoints>;
using ChannelCurveF = std::array<PointF, kGridPoints>;

// Pixels per decade; 0 for a plot narrower than 3 pixels, which puts every frequency at
// the left edge.
int PixelsPerDecade(int W);

// x of a frequency. A frequency that is not positive is placed as 20 Hz.
int XFromFreq(double hz, int W);
double XFromFreqF(double hz, int W);

// y of a level. Levels outside +-10 dB lie outside the plot; a height of 0 puts every
// level on the top edge. Integer results are kept within +-1e9 so that even an infinite
// level converts.
int YFromDb(double dB, int H);
double YFromDbF(double dB, int H);

// Whole dB at a y offset p within the plot (halves away from zero): 10 - p * 20 / H.
// A plot height of 0 or less gives 0 dB.
int DbFromYOffset(double p, int H);

// Whole Hz at an x offset q within the plot: 20 * 10^(q / floor(W / 3)), limited to
// 20..20000 and truncated. A plot narrower than 3 pixels gives 20 Hz.
int FreqFromXOffset(double q, int W);

// A filter's own curve: point 0 is (35, y(0 dB)), point 242 is (W + 35, y(0 dB)), and point
// i in 1..241 is (x(grid[i - 1]), y(response[i - 1])).
void FilterCurvePoints(const Response& response, int W, int H, FilterCurve& out);

// A channel's (or an equaliser set's) curve from its summed response: point i is at
// grid[i], in integer and in float pixels.
void ChannelCurvePoints(const Response& sum, int W, int H, ChannelCurve& points,
                        ChannelCurveF& pointsF);

} // namespace ovix
