// Cost of the response math on the window thread: recomputing one filter (every slider
// move) and laying out all six channels (every resize of the graph). Measured, not asserted.

#include "response/FilterResponse.h"
#include "response/PixelMap.h"

#include <benchmark/benchmark.h>

#include <array>
#include <vector>

namespace {

using namespace ovix;

constexpr int kChannels = 6;
constexpr int kFiltersPerChannel = 33;  // 31 bands, high-pass, low-pass
constexpr int kPlotW = 720;
constexpr int kPlotH = 300;

void RecomputeOne(benchmark::State& state, const FilterShape& shape)
{
    Response r;
    FilterCurve curve;
    for (auto _ : state) {
        ComputeResponse(shape, r);
        FilterCurvePoints(r, kPlotW, kPlotH, curve);
        benchmark::DoNotOptimize(curve);
    }
}

void BM_RecomputePeakingBand(benchmark::State& state)
{
    FilterShape f;
    f.kind = kPeaking;
    f.freq = 1000;
    f.gainDb = 6.0;
    f.bandwidth = 1.0;
    RecomputeOne(state, f);
}
BENCHMARK(BM_RecomputePeakingBand);

void BM_RecomputeBessel48LowPass(benchmark::State& state)
{
    FilterShape f;
    f.kind = kLowPass;
    f.freq = 2500;
    f.family = kBessel;
    f.slope = 6;
    RecomputeOne(state, f);
}
BENCHMARK(BM_RecomputeBessel48LowPass);

struct Channel {
    std::array<FilterShape, kFiltersPerChannel> shapes;
    std::array<Response, kFiltersPerChannel> responses;
    std::array<FilterCurve, kFiltersPerChannel> curves;
    ChannelCurve points;
    ChannelCurveF pointsF;
};

// Every band active (none bypassed), so that no filter takes the flat shortcut.
std::vector<Channel> BusyChannels()
{
    std::vector<Channel> channels(kChannels);
    for (Channel& ch : channels) {
        for (int b = 0; b < 31; ++b) {
            FilterShape& f = ch.shapes[b];
            f.kind = b == 0 ? kLowShelf : b == 30 ? kHighShelf : kPeaking;
            f.freq = IsoBandTable[b];
            f.gainDb = (b % 2 ? 3.0 : -3.0);
            f.bandwidth = 0.5;
            f.slope = 1;
        }
        ch.shapes[31] = {.kind = kHighPass, .freq = 60, .slope = 6, .family = kBessel};
        ch.shapes[32] = {.kind = kLowPass, .freq = 8000, .slope = 5, .family = kLinkwitzRiley};
    }
    return channels;
}

void BM_LayOutSixChannels(benchmark::State& state)
{
    std::vector<Channel> channels = BusyChannels();
    Response sum;
    for (auto _ : state) {
        for (Channel& ch : channels) {
            sum.fill(0.0);
            for (int i = 0; i < kFiltersPerChannel; ++i) {
                ComputeResponse(ch.shapes[i], ch.responses[i]);
                FilterCurvePoints(ch.responses[i], kPlotW, kPlotH, ch.curves[i]);
                AddResponse(sum, ch.responses[i]);
            }
            ChannelCurvePoints(sum, kPlotW, kPlotH, ch.points, ch.pointsF);
        }
        benchmark::DoNotOptimize(channels.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_LayOutSixChannels)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
