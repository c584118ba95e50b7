#include "response/GraphGeometry.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace ovix {

namespace {

constexpr int kHalfHandle = kHandleSize / 2;
constexpr int kShelfLimitHz = 2000;
constexpr double kMinOctaves = 0.05;
constexpr double kMaxOctaves = 3.00;

// x and y within the plot (no plot offset).
int PlotX(double hz, int W) { return XFromFreq(hz, W) - kPlotLeft; }
int PlotY(double dB, int H) { return YFromDb(dB, H) - kPlotTop; }

PixelRect Square(int left, int top, int size) { return {left, top, left + size, top + size}; }

PixelRect ToClient(int left, int top)
{
    return Square(left + kPlotLeft, top + kPlotTop, kHandleSize);
}

PixelRect CentredSquare(int cx, int cy, int size)
{
    return Square(cx - size / 2, cy - size / 2, size);
}

} // namespace

const std::array<int, kGridLines> GridLineFrequencies = {
    20,   30,   40,   50,   60,   70,   80,   90,   100,  200,  300,  400,  500,  600,
    700,  800,  900,  1000, 2000, 3000, 4000, 5000, 6000, 7000, 8000, 9000, 10000,
};

std::array<int, kGridLines> GridLineX(int W)
{
    std::array<int, kGridLines> x{};
    for (int i = 0; i < kGridLines; ++i)
        x[std::size_t(i)] = XFromFreq(GridLineFrequencies[std::size_t(i)], W);
    return x;
}

PixelRect BandHandleRect(int freq, double gainDb, bool bypassed, int index, int W, int H)
{
    const double g = bypassed ? 0.0 : gainDb;
    int left = std::max(PlotX(freq, W) - kHalfHandle, -kHalfHandle);
    int top = std::max(PlotY(g, H) - kHalfHandle, -kHalfHandle);
    if (top < 1)
        top = 0;
    // the lowest bands may hang over the left edge so that each keeps its own place
    if (left < 1 && index > 8)
        left = 0;
    if (left + kHandleSize > W)
        left = W - kHandleSize;
    if (top + kHandleSize > H)
        top = H - kHandleSize;
    return ToClient(left, top);
}

PixelRect CrossoverHandleRect(bool highPass, int freq, int W, int H)
{
    int left = std::max(PlotX(freq, W) - kHalfHandle, -kHalfHandle);
    const int top = highPass ? PlotY(-12.0, H) + 10 - 55 : PlotY(-15.0, H) - 55;
    // the centre reaches the right edge at most, as it reaches the left edge at least
    if (left + kHandleSize > W + kHalfHandle)
        left = W - kHalfHandle;
    return ToClient(left, top);
}

BandwidthHandles BandwidthHandleRects(const PixelRect& handle, int freq, double bandwidth,
                                      double gainDb, int W)
{
    const int cy = handle.CentreY() + (gainDb < 0.0 ? -10 : 10);
    const double spread = std::pow(2.0, bandwidth);
    BandwidthHandles h;
    h.right = CentredSquare(PlotX(freq * spread, W) + 45, cy, kBandwidthHandleSize);
    h.left = CentredSquare(PlotX(freq / spread, W) + 25, cy, kBandwidthHandleSize);
    return h;
}

PixelRect BandLabelRect(const PixelRect& handle, bool peaking, int W, int H)
{
    PixelRect r = handle;
    // below the handle, or above it when there is no room below
    const int shift = handle.bottom >= H - 15 ? -25 : 25;
    r.top += shift;
    r.bottom += shift;
    const int reach = peaking ? 200 : 110;
    const int plotRight = W + kPlotLeft;
    if (handle.right + reach > plotRight) {
        r.right = plotRight;
        r.left = plotRight - (peaking ? 200 : 116);
    } else {
        r.right = handle.right + (peaking ? 210 : 90);
    }
    return r;
}

PixelRect CrossoverLabelRect(const PixelRect& handle, bool highPass, int W)
{
    PixelRect r = handle;
    if (highPass) {
        r.top = handle.top + 15;
        r.bottom = handle.bottom + 25;
    } else {
        r.top = handle.top - 15;
        r.bottom = handle.bottom + 20;
    }
    const int plotRight = W + kPlotLeft;
    if (handle.right + 50 > plotRight) {
        r.right = plotRight;
        r.left = plotRight - 66;
    } else {
        r.right = handle.right + 50;
    }
    return r;
}

HandleTextAlign HandleLabelAlign(const PixelRect& handle, int freq, int W)
{
    if (handle.right >= W + kPlotLeft)
        return HandleTextAlign::Left;
    if (freq <= 20)
        return HandleTextAlign::Right;
    if (freq < 20000)
        return HandleTextAlign::Centre;
    return HandleTextAlign::Left;
}

BandDragValues BandDrag(int centreX, int centreY, int freq, bool graphicEq, int W, int H)
{
    const int px = std::clamp(centreX - kPlotLeft, 0, std::max(W, 0));
    const int py = std::clamp(centreY - kPlotTop, 0, std::max(H, 0));
    BandDragValues v;
    v.freq = graphicEq ? freq : FreqFromXOffset(px, W);
    v.gainDb = std::clamp(DbFromYOffset(py, H), -20, 20);
    return v;
}

int LimitShelfFrequency(int kind, int freq)
{
    if (kind == kLowShelf)
        return std::min(freq, kShelfLimitHz);
    if (kind == kHighShelf)
        return std::max(freq, kShelfLimitHz);
    return freq;
}

int BandwidthIndexFromDrag(int pointerX, int freq, bool rightHandle, int W)
{
    const int f = FreqFromXOffset(pointerX - kPlotLeft, W);
    const double ratio = rightHandle ? double(f) / freq : double(freq) / f;
    const double octaves = freq > 0 ? std::clamp(std::log2(ratio), kMinOctaves, kMaxOctaves)
                                    : kMinOctaves;
    return BandwidthIndexFromOctaves(octaves);
}

int CrossoverDragFrequency(int centreX, bool highPass, int channel, int highPassFreq,
                           int lowPassFreq, int W)
{
    const int px = std::min(centreX - kPlotLeft, W);
    int f = FreqFromXOffset(px, W);
    if (highPass) {
        const bool rightEnd = (channel == 0 || channel == 3) && f == 20000;
        if (!rightEnd && f > lowPassFreq)
            f = lowPassFreq;
    } else if (f < highPassFreq) {
        f = highPassFreq;
    }
    return std::clamp(f, 20, 20000);
}

std::string FilterLabelText(const FilterLabelInput& f)
{
    char gain[32];
    if (f.bypassed)
        std::snprintf(gain, sizeof gain, "0.0");
    else
        std::snprintf(gain, sizeof gain, "%.1f", f.gainDb);
    char text[96];
    switch (f.kind) {
    case kPeaking: {
        const double q =
            BandwidthQTable()[std::size_t(std::clamp(f.bandwidthIndex, 0, kMaxBandwidthIndex))];
        std::snprintf(text, sizeof text, q > 10.0 ? "%s%dHz %.2fQ %sdB" : "%s%dHz %.3fQ %sdB",
                      f.graphicEq ? "GEQ " : "PEQ ", f.freq, q, gain);
        break;
    }
    case kLowShelf:
    case kHighShelf:
        std::snprintf(text, sizeof text, "%s%dHz %s %sdB", f.kind == kLowShelf ? "Lo " : "Hi ",
                      f.freq, std::string(ShelfSlopeText(f.slope)).c_str(), gain);
        break;
    default:
        std::snprintf(text, sizeof text, "%dHz ", f.freq);
        break;
    }
    return text;
}

} // namespace ovix
