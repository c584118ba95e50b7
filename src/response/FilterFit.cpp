#include "response/FilterFit.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace ovix {

namespace {

constexpr double kSampleRate = 96000.0;
constexpr double kLn2 = 0.69314718;  // as the processor's bandwidth term has it
constexpr double kMinBandwidth = 0.05;
constexpr double kMaxBandwidth = 0.05 + 0.01 * kMaxBandwidthIndex;

double HzOfAngle(double omega) { return omega * kSampleRate / (2.0 * std::numbers::pi); }

// Peaking line of a processor peaking section (b = 1 + aA, -2c, 1 - aA; a = 1 + a/A, ...).
TextFilter PeakingAsText(const Biquad& s)
{
    TextFilter t;
    t.type = TextFilterType::kPeaking;
    const double c = -s.b1 / 2.0;
    const double w0 = std::acos(std::clamp(c, -1.0, 1.0));
    const double alphaA = (s.b0 - s.b2) / 2.0;
    const double alphaOverA = (s.a0 - s.a2) / 2.0;
    const double alpha = std::sqrt(alphaA * alphaOverA);
    t.fc = HzOfAngle(w0);
    t.gainDb = 20.0 * std::log10(alphaA / alphaOverA);
    t.q = std::sin(w0) / (2.0 * alpha);
    return t;
}

double SquaredError(const Response& a, const Response& b, double* worst = nullptr)
{
    double sum = 0.0, w = 0.0;
    for (int i = 0; i < kGridPoints; ++i) {
        const double d = a[std::size_t(i)] - b[std::size_t(i)];
        sum += d * d;
        w = std::max(w, std::abs(d));
    }
    if (worst)
        *worst = w;
    return sum;
}

// The integer frequency nearest `hz` that the peaking section centres on grid point g.
int FrequencyOnGrid(double hz, int g)
{
    const int wanted = std::clamp(int(std::lround(hz)), 20, 20000);
    if (NearestGridIndex(wanted) == g)
        return wanted;
    const int centre = std::clamp(int(std::lround(FreqGrid[std::size_t(g)])), 20, 20000);
    for (int d = 0; d < 50; ++d) {
        for (int f : {centre + d, centre - d})
            if (f >= 20 && f <= 20000 && NearestGridIndex(f) == g)
                return f;
    }
    return centre;
}

// Greedy descent over the codes: take the best neighbour until none is better.
template <typename Shape, typename Neighbours>
Shape Descend(Shape start, const Response& target, Neighbours neighbours)
{
    Response r;
    auto cost = [&](const Shape& s) {
        ComputeResponse(s.Filter(), r);
        return SquaredError(r, target);
    };
    Shape best = start;
    double bestCost = cost(best);
    for (int guard = 0; guard < 2000; ++guard) {
        bool moved = false;
        for (const Shape& n : neighbours(best)) {
            const double c = cost(n);
            if (c < bestCost - 1e-12) {
                bestCost = c;
                best = n;
                moved = true;
            }
        }
        if (!moved)
            break;
    }
    return best;
}

struct PeakCodes {
    int grid, width, gain;
    FilterShape Filter() const
    {
        FilterShape f;
        f.kind = kPeaking;
        f.freq = int(std::lround(FreqGrid[std::size_t(grid)]));
        f.freq = FrequencyOnGrid(f.freq, grid);
        f.bandwidth = BandwidthOctaves(width);
        f.gainDb = BandGainDb(gain);
        return f;
    }
};

struct ShelfCodes {
    int kind, slope, freq, gain;
    FilterShape Filter() const
    {
        FilterShape f;
        f.kind = kind;
        f.slope = slope;
        f.freq = freq;
        f.gainDb = BandGainDb(gain);
        return f;
    }
};

bool IsLowShelfLine(TextFilterType t)
{
    return t == TextFilterType::kLowShelf || t == TextFilterType::kLowShelfCorner;
}

} // namespace

double BandwidthForQ(double q, double omega0)
{
    return std::asinh(1.0 / (2.0 * q)) * std::sin(omega0) / (kLn2 * omega0);
}

std::optional<TextFilter> CrossoverSectionAsText(const Biquad& s)
{
    if (s == Biquad{})
        return std::nullopt;
    TextFilter t;
    if (s.a2 == 0.0 && s.b2 == 0.0) {
        // first order: HP1 (1, -1) / (K + 1, K - 1) or LP1 (K, K) / (K + 1, K - 1), any scale
        const double k = (s.a0 + s.a1) / (s.a0 - s.a1);
        if (s.b1 == -s.b0)
            t.type = TextFilterType::kHighPass1;
        else if (s.b1 == s.b0)
            t.type = TextFilterType::kLowPass1;
        else
            return std::nullopt;
        t.fc = HzOfAngle(2.0 * std::atan(k));
        return t;
    }
    const bool high = std::abs(s.b1 + 2.0 * s.b0) <= 1e-12 * std::abs(s.b0);
    const bool low = std::abs(s.b1 - 2.0 * s.b0) <= 1e-12 * std::abs(s.b0);
    if (!high && !low)
        return std::nullopt;
    const double sum = s.a0 + s.a2;
    const double c = -s.a1 / sum;
    if (low && std::abs(1.0 + c) < 1e-9) {
        // (K^2 (1 + z^-1)^2) / (K (1 + z^-1) ((K + p) + (K - p) z^-1)): first order in disguise
        t.type = TextFilterType::kLowPass1;
        const double k = 2.0 * s.b0 / (s.a0 - s.a2);
        t.fc = HzOfAngle(2.0 * std::atan(k));
        return t;
    }
    const double w0 = std::acos(std::clamp(c, -1.0, 1.0));
    const double alpha = (s.a0 - s.a2) / sum;
    t.type = high ? TextFilterType::kHighPass : TextFilterType::kLowPass;
    t.fc = HzOfAngle(w0);
    t.q = std::sin(w0) / (2.0 * alpha);
    return t;
}

std::vector<TextFilter> FilterAsText(const FilterShape& f)
{
    std::vector<TextFilter> out;
    if (f.kind == kPeaking || f.kind == kLowShelf || f.kind == kHighShelf) {
        FilterShape on = f;
        on.bypassed = false;
        TextFilter t;
        if (f.kind == kPeaking) {
            t = PeakingAsText(FilterSections(on)[0]);
        } else {
            const ShelfCorner corner = ShelfCornerOf(on);
            const double a = std::pow(10.0, f.gainDb / 40.0);
            const double root = std::max(1e-12, (a + 1.0 / a) * (1.0 / corner.slopeS - 1.0) + 2.0);
            t.type = f.kind == kLowShelf ? TextFilterType::kLowShelfCorner : TextFilterType::kHighShelfCorner;
            t.fc = HzOfAngle(corner.omega);
            t.q = 1.0 / std::sqrt(root);
        }
        t.gainDb = f.gainDb;
        t.on = !f.bypassed;
        out.push_back(t);
        return out;
    }
    for (const Biquad& s : FilterSections(f))
        if (auto t = CrossoverSectionAsText(s))
            out.push_back(*t);
    return out;
}

FilterShape ShapeOf(const BandFit& fit)
{
    FilterShape f;
    f.kind = fit.kind;
    f.freq = fit.freq;
    f.bandwidth = BandwidthOctaves(fit.bandwidthIndex);
    f.gainDb = BandGainDb(fit.gainCode);
    f.slope = fit.slope;
    return f;
}

BandFit FitBand(const TextFilter& line)
{
    TextFilter on = line;
    on.on = true;
    Response target;
    SectionResponse(TextFilterSection(on), target);

    BandFit fit;
    const int gainCode = BandGainCode(line.gainDb);
    fit.gainClamped = std::abs(line.gainDb) > 20.0 + 1e-9;

    if (line.type == TextFilterType::kPeaking) {
        fit.kind = kPeaking;
        fit.freqClamped = line.fc < 19.5 || line.fc > 20000.5;
        const int g0 = NearestGridIndex(std::clamp(line.fc, 20.0, 20000.0));
        const double w0 = 2.0 * std::numbers::pi * FreqGrid[std::size_t(g0)] / kSampleRate;
        const double n = BandwidthForQ(line.q, w0);
        fit.bandwidthClamped = n < kMinBandwidth - 0.005 || n > kMaxBandwidth + 0.005;
        const int width = BandwidthIndexFromOctaves(std::clamp(n, kMinBandwidth, kMaxBandwidth));
        auto neighbours = [](const PeakCodes& c) {
            std::vector<PeakCodes> out;
            for (int dg = -1; dg <= 1; ++dg)
                for (int dw = -1; dw <= 1; ++dw)
                    for (int dk = -1; dk <= 1; ++dk) {
                        const PeakCodes n{c.grid + dg, c.width + dw, c.gain + dk};
                        if ((dg || dw || dk) && n.grid >= 0 && n.grid < kGridPoints && n.width >= 0 &&
                            n.width <= kMaxBandwidthIndex && n.gain >= 0 && n.gain <= kMaxBandGainCode &&
                            FreqGrid[std::size_t(n.grid)] >= 19.5)
                            out.push_back(n);
                    }
            return out;
        };
        const PeakCodes best = Descend(PeakCodes{g0, width, gainCode}, target, neighbours);
        fit.freq = FrequencyOnGrid(std::clamp(line.fc, 20.0, 20000.0), best.grid);
        fit.bandwidthIndex = best.width;
        fit.gainCode = best.gain;
    } else {
        const bool low = IsLowShelfLine(line.type);
        fit.kind = low ? kLowShelf : kHighShelf;
        // the corner the line's section uses, read back from its own response: start each
        // slope where its corner lands on it, then descend
        double bestCost = 1e300;
        for (int slope = 0; slope <= 1; ++slope) {
            FilterShape probe;
            probe.kind = fit.kind;
            probe.slope = slope;
            probe.freq = 1000;
            const double scale = ShelfCornerOf(probe).omega / (1000.0 * 2.0 * std::numbers::pi / kSampleRate);
            double cornerHz = line.fc;
            if (line.type == TextFilterType::kLowShelf || line.type == TextFilterType::kHighShelf) {
                const double s = line.slopeDb > 0.0 ? line.slopeDb / 12.0 : 0.9;
                const double factor = std::pow(10.0, std::abs(line.gainDb) / (80.0 * s));
                cornerHz = low ? cornerHz * factor : cornerHz / factor;
            }
            const double wanted = cornerHz / scale;
            const int start = std::clamp(int(std::lround(wanted)), 20, 20000);
            auto neighbours = [](const ShelfCodes& c) {
                std::vector<ShelfCodes> out;
                const int steps[] = {1, std::max(1, c.freq / 50), std::max(1, c.freq / 10)};
                for (int st : steps)
                    for (int sign : {-1, 1}) {
                        const int f = c.freq + sign * st;
                        if (f >= 20 && f <= 20000)
                            out.push_back({c.kind, c.slope, f, c.gain});
                    }
                for (int dk : {-1, 1})
                    if (c.gain + dk >= 0 && c.gain + dk <= kMaxBandGainCode)
                        out.push_back({c.kind, c.slope, c.freq, c.gain + dk});
                return out;
            };
            const ShelfCodes best = Descend(ShelfCodes{fit.kind, slope, start, gainCode}, target, neighbours);
            Response r;
            ComputeResponse(best.Filter(), r);
            const double c = SquaredError(r, target);
            if (c < bestCost) {
                bestCost = c;
                fit.slope = slope;
                fit.freq = best.freq;
                fit.gainCode = best.gain;
                fit.freqClamped = wanted < 19.5 || wanted > 20000.5;
            }
        }
    }
    Response got;
    ComputeResponse(ShapeOf(fit), got);
    fit.rmsDb = std::sqrt(SquaredError(got, target, &fit.worstDb) / kGridPoints);
    return fit;
}

} // namespace ovix
