#include "response/FilterResponse.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace ovix {

namespace {

// The processor runs at 96 kHz. The evaluation angles and the corner angles use two
// slightly different roundings of 2 pi / 96000; both are the processor's own figures and
// are kept exactly.
constexpr double kTwoPi = 6.2831852;
constexpr double kSampleRate = 96000.0;
constexpr double kCornerFactor = 6.544985e-05;  // 2 pi / 96000, for corner angles
constexpr double kLn2 = 0.69314718;
constexpr double kZeroA0Guard = 1e-10;

constexpr int kMinFreq = 20;
constexpr int kMaxFreq = 20000;
constexpr double kMinBandwidth = 0.05;
constexpr int kSlopeCount = 7;     // crossover slope indices 0..6 (12..48 dB/oct)
constexpr int kFamilyCount = 3;

// Damping of sections 0..3 for each slope index and family (high-pass, and the
// Linkwitz-Riley and Butterworth low-pass). A zero leaves the section at unity.
// Indexed [slope][family][section].
using Damping = std::array<double, kMaxSections>;
constexpr std::array<std::array<Damping, kFamilyCount>, kSlopeCount> kDamping = {{
    {{{1.0, 0, 0, 0},
      {0.70422535, 0, 0, 0},
      {0.70422535, 0, 0, 0}}},
    {{{1.0, 0.70422535211, 0, 0},
      {0.756, 0.72463768, 0, 0},
      {1.0, 0.5, 0, 0}}},
    {{{0.70422535211, 0.70422535211, 0, 0},
      {0.96153846, 0.61728395, 0, 0},
      {0.92592593, 0.38167939, 0, 0}}},
    {{{1.0, 0.62, 0.62, 0},
      {0.6656, 0.8928571428, 0.54347826, 0},
      {1.0, 0.8064616129, 0.3086417953, 0}}},
    {{{1.0, 0.5, 0.5, 0},
      {0.980392156, 0.819672131, 0.490196, 0},
      {0.96153846, 0.70422535211, 0.2590673575, 0}}},
    {{{1.0, 0.453134315, 0.92592592593, 0.453134315},
      {0.5937, 0.943396226415, 0.757575757576, 0.4424778761},
      {1.0, 0.90909090909, 0.625, 0.2222222222}}},
    {{{0.92592592593, 0.373134315, 0.92592592593, 0.373134315},
      {0.98039216, 0.89285714, 0.70422535, 0.40650406},
      {0.98039126, 0.83333333, 0.55555556, 0.1953125}}},
}};

// The 48 dB/oct Butterworth low-pass starts from a first damping value that differs from
// the high-pass one in the sixth digit; the processor uses both, so do we.
constexpr double kButterworth48LowPassD0 = 0.98039216;

// The Bessel high-pass divides its corner frequency by these, per slope index.
constexpr std::array<double, kSlopeCount> kBesselHighPassDivisor = {
    1.2683112435, 1.2854981442, 1.5006420029, 1.3854981442,
    1.5554981442, 1.5554981442, 1.679120141,
};

// The Bessel low-pass: its divisor and the (p, q) pair of each section of the analogue
// prototype 1 / (q s^2 + p s + 1); p = 0 leaves the section at unity.
struct BesselPair {
    double p, q;
};
struct BesselLowPass {
    double divisor;
    std::array<BesselPair, kMaxSections> sections;
};
constexpr std::array<BesselLowPass, kSlopeCount> kBesselLowPass = {{
    {1.3616541287, {{{1.0, 0.3333333333}, {0, 0}, {0, 0}, {0, 0}}}},
    {1.75567236868, {{{0.5693712514, 0.154812441}, {0.430628846, 0}, {0, 0}, {0, 0}}}},
    {2.1139176749, {{{0.369, 0.087858766}, {0.6278294896, 0.109408}, {0, 0}, {0, 0}}}},
    {1.0, {{{0.6656, 0}, {1.1402, 0.4128}, {0.6216, 0.3245}, {0, 0}}}},
    {1.0, {{{1.2217, 0.3887}, {0.9686, 0.3505}, {0.5131, 0.2756}, {0, 0}}}},
    {1.0, {{{0.5937, 0}, {1.0944, 0.3395}, {0.8304, 0.3011}, {0.4332, 0.2381}}}},
    {3.17961723751,
     {{{0.117235677, 0.02064747},
       {0.226516664, 0.0259273886},
       {0.3067559, 0.0294683265},
       {0.3494916166, 0.031272257}}}},
}};

struct GridAngles {
    std::array<double, kGridPoints> cos{}, sin{};
};

const GridAngles& Angles()
{
    static const GridAngles angles = [] {
        GridAngles a;
        for (int i = 0; i < kGridPoints; ++i) {
            const double omega = FreqGrid[i] * kTwoPi / kSampleRate;
            a.cos[i] = std::cos(omega);
            a.sin[i] = std::sin(omega);
        }
        return a;
    }();
    return angles;
}

double GuardA0(double a0) { return a0 == 0.0 ? kZeroA0Guard : a0; }

int LimitedFreq(int hz) { return std::clamp(hz, kMinFreq, kMaxFreq); }

Biquad PeakingSection(const FilterShape& f)
{
    const double f0 = FreqGrid[NearestGridIndex(LimitedFreq(f.freq))];
    const double a = std::pow(10.0, f.gainDb / 40.0);
    const double w0 = f0 * kCornerFactor;
    const double n = std::max(f.bandwidth, kMinBandwidth);
    const double sinW0 = std::sin(w0);
    // The processor's bandwidth term is ln 2 * N, twice the textbook ln 2 / 2 * N.
    const double alpha = sinW0 * std::sinh(kLn2 * n * w0 / sinW0);
    const double cos2 = -2.0 * std::cos(w0);
    return {1.0 + alpha * a, cos2, 1.0 - alpha * a, 1.0 + alpha / a, cos2, 1.0 - alpha / a};
}


Biquad ShelfSection(const FilterShape& f)
{
    if (f.gainDb == 0.0)
        return {};
    const bool low = f.kind == kLowShelf;
    const auto [w0, shelfSlope] = ShelfCornerOf(f);
    const double a = std::pow(10.0, f.gainDb / 40.0);
    // The steep shelf's root would turn negative only beyond about +-37 dB.
    const double root = std::max(0.0, (a + 1.0 / a) * (1.0 / shelfSlope - 1.0) + 2.0);
    return CookbookShelf(low, w0, f.gainDb, std::sin(w0) / 2.0 * std::sqrt(root));
}

// Slope index into the tables, or -1 for a filter that is off.
int EffectiveSlope(const FilterShape& f)
{
    if (f.slope == kCrossoverSlopeOff || f.slope < 0 || f.slope >= kSlopeCount)
        return -1;
    if (f.twoSlopeCrossover && f.slope == 1)
        return 2;
    return f.slope;
}

bool IsOddOrder(int s) { return s == 1 || s == 3 || s == 5; }

Sections HighPassSections(int s, int family, double fc)
{
    Sections out;
    if (family == kBessel)
        fc /= kBesselHighPassDivisor[s];
    const double w0 = fc * kCornerFactor;
    const double c0 = std::cos(w0), sinW0 = std::sin(w0);
    const double k = std::tan(w0 / 2.0);
    const Damping& d = kDamping[s][family];
    for (int i = 0; i < kMaxSections; ++i) {
        if (d[i] == 0.0)
            continue;
        out[i] = {(1.0 + c0) / 2.0, -(1.0 + c0), (1.0 + c0) / 2.0,
                  GuardA0(1.0 + sinW0 * d[i]), -2.0 * c0, 1.0 - sinW0 * d[i]};
    }
    if (IsOddOrder(s))
        out[0] = {1.0, -1.0, 0.0, GuardA0(d[0] * k + 1.0), d[0] * k - 1.0, 0.0};
    return out;
}

Sections LowPassSections(int s, int family, double fc)
{
    Sections out;
    if (family == kBessel) {
        const BesselLowPass& b = kBesselLowPass[s];
        const double w0 = fc / b.divisor * kCornerFactor;
        const double k = std::tan(w0 / 2.0), k2 = k * k;
        for (int i = 0; i < kMaxSections; ++i) {
            const auto [p, q] = b.sections[i];
            if (p == 0.0)
                continue;
            out[i] = {k2, 2.0 * k2, k2, p * k + k2 + q, 2.0 * k2 - 2.0 * q, k2 - p * k + q};
        }
        return out;
    }
    const double w0 = fc * kCornerFactor;
    const double c0 = std::cos(w0), sinW0 = std::sin(w0);
    const double k = std::tan(w0 / 2.0);
    Damping d = kDamping[s][family];
    if (s == 6 && family == kButterworth)
        d[0] = kButterworth48LowPassD0;
    for (int i = 0; i < kMaxSections; ++i) {
        if (d[i] == 0.0)
            continue;
        out[i] = {(1.0 - c0) / 2.0, 1.0 - c0, (1.0 - c0) / 2.0,
                  GuardA0(1.0 + sinW0 * d[i]), -2.0 * c0, 1.0 - sinW0 * d[i]};
    }
    if (IsOddOrder(s))
        out[0] = {k, k, 0.0, GuardA0(k + d[0]), k - d[0], 0.0};
    return out;
}

// Power ratio |H|^2 of a section normalised to a0 = 1, with the sums that do not depend
// on the angle taken out of the loop.
struct PowerTerms {
    double numCos, numConst, numSin, denCos, denConst, denSin;
};

PowerTerms TermsOf(const Biquad& s)
{
    const double inv = 1.0 / s.a0;
    const double b0 = s.b0 * inv, b1 = s.b1 * inv, b2 = s.b2 * inv;
    const double a1 = s.a1 * inv, a2 = s.a2 * inv;
    return {b0 + b2, b1, b0 - b2, 1.0 + a2, a1, 1.0 - a2};
}

double PowerRatio(const PowerTerms& t, double c, double s)
{
    const double numRe = t.numCos * c + t.numConst;
    const double numIm = t.numSin * s;
    const double denRe = t.denCos * c + t.denConst;
    const double denIm = t.denSin * s;
    return (numRe * numRe + numIm * numIm) / (denRe * denRe + denIm * denIm);
}

// Keeps a vanishing power ratio from becoming -inf dB.
double LevelDbFromPower(double power)
{
    return 10.0 * std::log10(std::max(power, std::numeric_limits<double>::min()));
}

} // namespace

Biquad CookbookShelf(bool low, double w0, double gainDb, double alpha)
{
    const double a = std::pow(10.0, gainDb / 40.0);
    const double c0 = std::cos(w0);
    const double r = 2.0 * std::sqrt(a) * alpha;
    const double ap = a + 1.0, am = a - 1.0;
    if (low)
        return {a * (ap - am * c0 + r), 2.0 * a * (am - ap * c0), a * (ap - am * c0 - r),
                ap + am * c0 + r,       -2.0 * (am + ap * c0),   ap + am * c0 - r};
    return {a * (ap + am * c0 + r), -2.0 * a * (am + ap * c0), a * (ap + am * c0 - r),
            ap - am * c0 + r,       2.0 * (am - ap * c0),      ap - am * c0 - r};
}

ShelfCorner ShelfCornerOf(const FilterShape& f)
{
    const bool low = f.kind == kLowShelf;
    const bool steep = f.slope >= 1;  // 0: 6 dB/oct, 1: 12 dB/oct
    const double cornerScale =
        low ? (steep ? 1.2727272727 : 2.0) : (steep ? 0.76923076923 : 0.4545454546);
    return {LimitedFreq(f.freq) * kCornerFactor * cornerScale, steep ? 1.3 : 0.5};
}

double SectionLevelDb(const Biquad& s, double omega)
{
    return LevelDbFromPower(PowerRatio(TermsOf(s), std::cos(omega), std::sin(omega)));
}

Sections FilterSections(const FilterShape& f)
{
    switch (f.kind) {
    case kPeaking:
    case kLowShelf:
    case kHighShelf: {
        Sections out;
        if (!f.bypassed)
            out[0] = f.kind == kPeaking ? PeakingSection(f) : ShelfSection(f);
        return out;
    }
    case kHighPass:
    case kLowPass: {
        const int s = EffectiveSlope(f);
        const int hz = LimitedFreq(f.freq);
        const bool atEdge = f.kind == kHighPass ? hz == kMinFreq : hz == kMaxFreq;
        if (s < 0 || atEdge || f.family < 0 || f.family >= kFamilyCount)
            return {};
        return f.kind == kHighPass ? HighPassSections(s, f.family, hz)
                                   : LowPassSections(s, f.family, hz);
    }
    default:
        return {};
    }
}

void ComputeResponse(const FilterShape& f, Response& out)
{
    const Sections sections = FilterSections(f);
    std::array<PowerTerms, kMaxSections> terms;
    int count = 0;
    for (const Biquad& s : sections)
        if (s != Biquad{})
            terms[count++] = TermsOf(s);
    if (count == 0) {
        out.fill(0.0);
        return;
    }
    // One logarithm per point: the product of the sections' power ratios is the sum of
    // their levels.
    const GridAngles& g = Angles();
    for (int i = 0; i < kGridPoints; ++i) {
        double power = 1.0;
        for (int k = 0; k < count; ++k)
            power *= PowerRatio(terms[k], g.cos[i], g.sin[i]);
        out[i] = LevelDbFromPower(power);
    }
}

void AddResponse(Response& sum, const Response& part)
{
    for (int i = 0; i < kGridPoints; ++i)
        sum[i] += part[i];
}

void SumResponses(std::span<const Response* const> parts, Response& out)
{
    out.fill(0.0);
    for (const Response* part : parts)
        AddResponse(out, *part);
}

} // namespace ovix
