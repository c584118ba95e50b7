#include "response/PixelMap.h"

#include <algorithm>
#include <cmath>

namespace ovix {

namespace {

constexpr double kLowHz = 20.0;
constexpr double kHighHz = 20000.0;
constexpr double kDbRange = 20.0;  // +10 .. -10 dB over the plot height
constexpr double kTopDb = 10.0;
constexpr double kIntLimit = 1e9;

// Truncation toward zero that stays defined for any double.
int TruncToInt(double v)
{
    if (std::isnan(v))
        return 0;
    return static_cast<int>(std::clamp(v, -kIntLimit, kIntLimit));
}

double Decades(double hz) { return hz > 0.0 ? std::log10(hz / kLowHz) : 0.0; }

// Decades above 20 Hz of every grid frequency, so that laying out a curve needs no
// logarithms.
const std::array<double, kGridPoints>& GridDecades()
{
    static const std::array<double, kGridPoints> decades = [] {
        std::array<double, kGridPoints> d{};
        for (int i = 0; i < kGridPoints; ++i)
            d[i] = Decades(FreqGrid[i]);
        return d;
    }();
    return decades;
}

double PixelsPerDb(int H) { return H / kDbRange; }

} // namespace

int PixelsPerDecade(int W) { return W < 3 ? 0 : W / 3; }

int XFromFreq(double hz, int W) { return TruncToInt(Decades(hz) * PixelsPerDecade(W)) + kPlotLeft; }

double XFromFreqF(double hz, int W) { return Decades(hz) * PixelsPerDecade(W) + kPlotLeft; }

int YFromDb(double dB, int H) { return TruncToInt(PixelsPerDb(H) * (kTopDb - dB) + 0.5) + kPlotTop; }

double YFromDbF(double dB, int H) { return PixelsPerDb(H) * (kTopDb - dB) + kPlotTop; }

int DbFromYOffset(double p, int H)
{
    if (H <= 0)
        return 0;
    return TruncToInt(std::round(kTopDb - p * kDbRange / H));
}

int FreqFromXOffset(double q, int W)
{
    const int perDecade = PixelsPerDecade(W);
    if (perDecade == 0)
        return static_cast<int>(kLowHz);
    const double hz = kLowHz * std::pow(10.0, q / perDecade);
    if (!(hz >= kLowHz))  // also an offset that is not a number
        return static_cast<int>(kLowHz);
    return static_cast<int>(std::min(hz, kHighHz));
}

void FilterCurvePoints(const Response& response, int W, int H, FilterCurve& out)
{
    const int baseline = YFromDb(0.0, H);
    const int perDecade = PixelsPerDecade(W);
    const auto& decades = GridDecades();
    out.front() = {kPlotLeft, baseline};
    for (int i = 0; i < kGridPoints; ++i)
        out[i + 1] = {TruncToInt(decades[i] * perDecade) + kPlotLeft, YFromDb(response[i], H)};
    out.back() = {W + kPlotLeft, baseline};
}

void ChannelCurvePoints(const Response& sum, int W, int H, ChannelCurve& points,
                        ChannelCurveF& pointsF)
{
    const int perDecade = PixelsPerDecade(W);
    const auto& decades = GridDecades();
    for (int i = 0; i < kGridPoints; ++i) {
        points[i] = {TruncToInt(decades[i] * perDecade) + kPlotLeft, YFromDb(sum[i], H)};
        pointsF[i] = {decades[i] * perDecade + kPlotLeft, YFromDbF(sum[i], H)};
    }
}

} // namespace ovix
