#include "response/FilterResponse.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <ostream>
#include <sstream>
#include <vector>

using namespace ovix;

namespace ovix {
void PrintTo(const FilterShape& f, std::ostream* os)
{
    *os << "kind " << f.kind << " freq " << f.freq << " gain " << f.gainDb << " bw " << f.bandwidth
        << " slope " << f.slope << " family " << f.family << (f.bypassed ? " bypassed" : "")
        << (f.twoSlopeCrossover ? " two-slope" : "");
}
} // namespace ovix

namespace {

constexpr int k1000Hz = 136;
constexpr double kTolDb = 0.01;

std::string Describe(const FilterShape& f)
{
    std::ostringstream os;
    PrintTo(f, &os);
    return os.str();
}

Response ResponseOf(const FilterShape& f)
{
    Response r;
    r.fill(12345.0);  // anything left unwritten shows up
    ComputeResponse(f, r);
    return r;
}

FilterShape Band(int kind, int freq, double gainDb, double bandwidth = 0.2, int slope = 0)
{
    FilterShape f;
    f.kind = kind;
    f.freq = freq;
    f.gainDb = gainDb;
    f.bandwidth = bandwidth;
    f.slope = slope;
    return f;
}

FilterShape Crossover(int kind, int freq, int family, int slope, bool twoSlope = false)
{
    FilterShape f;
    f.kind = kind;
    f.freq = freq;
    f.family = family;
    f.slope = slope;
    f.twoSlopeCrossover = twoSlope;
    return f;
}

// Independent evaluation: H(z) of every section at z = e^{j omega}, multiplied as complex
// numbers.
std::complex<double> SectionH(const Biquad& s, double omega)
{
    const std::complex<double> zInv = std::polar(1.0, -omega);
    return (s.b0 + s.b1 * zInv + s.b2 * zInv * zInv) / (s.a0 + s.a1 * zInv + s.a2 * zInv * zInv);
}

double OmegaAt(double hz) { return 2.0 * std::numbers::pi * hz / 96000.0; }

double ComplexLevelDb(const Sections& sections, double omega)
{
    std::complex<double> h = 1.0;
    for (const Biquad& s : sections)
        h *= SectionH(s, omega);
    return 20.0 * std::log10(std::abs(h));
}

// Every kind, family and slope over the whole frequency range, at both gain extremes.
std::vector<FilterShape> AllShapes()
{
    std::vector<FilterShape> shapes;
    const int freqs[] = {20, 21, 100, 1000, 1010, 5000, 19999, 20000};
    for (int freq : freqs) {
        for (double gain : {-20.0, -0.1, 0.0, 6.0, 20.0}) {
            for (double bw : {0.05, 1.0, 3.0})
                shapes.push_back(Band(kPeaking, freq, gain, bw));
            for (int kind : {kLowShelf, kHighShelf})
                for (int slope : {0, 1})
                    shapes.push_back(Band(kind, freq, gain, 0.2, slope));
        }
        for (int kind : {kHighPass, kLowPass})
            for (int family : {kLinkwitzRiley, kBessel, kButterworth})
                for (int slope = 0; slope <= kCrossoverSlopeOff; ++slope)
                    for (bool twoSlope : {false, true})
                        shapes.push_back(Crossover(kind, freq, family, slope, twoSlope));
    }
    return shapes;
}

TEST(FilterResponse, AgreesWithComplexEvaluationOfItsSections)
{
    for (const FilterShape& f : AllShapes()) {
        const Sections sections = FilterSections(f);
        const Response r = ResponseOf(f);
        for (int i = 0; i < kGridPoints; ++i) {
            const double omega = OmegaAt(FreqGrid[i]);
            ASSERT_NEAR(r[i], ComplexLevelDb(sections, omega), kTolDb)
                << Describe(f) << " at grid index " << i;
        }
        for (const Biquad& s : sections)
            for (int i : {0, k1000Hz, kGridPoints - 1}) {
                const double omega = OmegaAt(FreqGrid[i]);
                ASSERT_NEAR(SectionLevelDb(s, omega), 20.0 * std::log10(std::abs(SectionH(s, omega))),
                            kTolDb)
                    << Describe(f) << " single section at grid index " << i;
            }
    }
}

TEST(FilterResponse, FiniteForEveryShapeAndForValuesOutsideTheirRanges)
{
    std::vector<FilterShape> shapes = AllShapes();
    for (int freq : {-5, 0, 10, 30000, 65535}) {
        shapes.push_back(Band(kPeaking, freq, 20.0));
        shapes.push_back(Band(kLowShelf, freq, -20.0, 0.2, 1));
        shapes.push_back(Band(kHighShelf, freq, 20.0, 0.2, 0));
        shapes.push_back(Crossover(kHighPass, freq, kBessel, 6));
        shapes.push_back(Crossover(kLowPass, freq, kLinkwitzRiley, 5));
    }
    for (double bw : {-1.0, 0.0, 10.0})
        shapes.push_back(Band(kPeaking, 1000, 12.0, bw));
    for (double gain : {-60.0, 60.0})
        for (int kind : {kPeaking, kLowShelf, kHighShelf})
            shapes.push_back(Band(kind, 1000, gain, 0.2, 1));
    for (int slope : {-1, 8, 99})
        shapes.push_back(Crossover(kHighPass, 1000, kButterworth, slope));
    for (int family : {-1, 3})
        shapes.push_back(Crossover(kLowPass, 1000, family, 2));
    for (int kind : {-1, 5})
        shapes.push_back(Band(kind, 1000, 6.0));

    for (const FilterShape& f : shapes) {
        const Response r = ResponseOf(f);
        for (int i = 0; i < kGridPoints; ++i)
            ASSERT_TRUE(std::isfinite(r[i])) << Describe(f) << " at grid index " << i;
    }
}

TEST(FilterResponse, PeakingBandPeaksAtItsGainOnTheGridFrequency)
{
    const Response r = ResponseOf(Band(kPeaking, 1000, 6.0, 1.0));
    EXPECT_NEAR(r[k1000Hz], 6.0, kTolDb);
    EXPECT_EQ(std::max_element(r.begin(), r.end()) - r.begin(), k1000Hz);
    EXPECT_EQ(ResponseOf(Band(kPeaking, 1010, 6.0, 1.0)), r)
        << "the centre snaps to the nearest grid frequency";
}

TEST(FilterResponse, PeakingBellWidthUsesLnTwoTimesTheBandwidth)
{
    // The section written out from its definition: f0 on the grid, w0 = f0 * 2 pi / 96000 as
    // the processor rounds it, alpha = sin w0 * sinh(ln 2 * N * w0 / sin w0).
    const double f0 = FreqGrid[k1000Hz];
    const double a = std::pow(10.0, 6.0 / 40.0);
    const double w0 = f0 * 6.544985e-05;
    const double alpha = std::sin(w0) * std::sinh(0.69314718 * 1.0 * w0 / std::sin(w0));
    const double c = -2.0 * std::cos(w0);
    const Sections expected{Biquad{1.0 + alpha * a, c, 1.0 - alpha * a, 1.0 + alpha / a, c, 1.0 - alpha / a}};
    const Response r = ResponseOf(Band(kPeaking, 1000, 6.0, 1.0));
    for (int i : {k1000Hz - 12, k1000Hz + 12, k1000Hz + 24}) {
        const double omega = FreqGrid[i] * 6.2831852 / 96000.0;
        EXPECT_NEAR(r[i], ComplexLevelDb(expected, omega), kTolDb) << FreqGrid[i] << " Hz";
    }
}

TEST(FilterResponse, BoostAndCutOfTheSameBandCancel)
{
    for (int kind : {kPeaking, kLowShelf, kHighShelf})
        for (int slope : {0, 1}) {
            const Response boost = ResponseOf(Band(kind, 700, 9.5, 0.6, slope));
            const Response cut = ResponseOf(Band(kind, 700, -9.5, 0.6, slope));
            Response sum;
            const Response* parts[] = {&boost, &cut};
            SumResponses(parts, sum);
            for (int i = 0; i < kGridPoints; ++i)
                ASSERT_NEAR(sum[i], 0.0, 1e-9) << "kind " << kind << " slope " << slope << " at " << i;
        }
}

// A shelf is at half its gain at its corner, m_freq scaled per kind and slope.
struct ShelfCorner {
    int kind, slope, freq, cornerIndex;
};

void PrintTo(const ShelfCorner& c, std::ostream* os) { *os << "kind " << c.kind << " slope " << c.slope; }

class ShelfHalfGain : public ::testing::TestWithParam<ShelfCorner> {};
TEST_P(ShelfHalfGain, AtTheCorner)
{
    const auto [kind, slope, freq, corner] = GetParam();
    EXPECT_NEAR(ResponseOf(Band(kind, freq, 10.0, 0.2, slope))[corner], 5.0, kTolDb)
        << "kind " << kind << " slope " << slope << " corner at " << FreqGrid[corner] << " Hz";
}
INSTANTIATE_TEST_SUITE_P(Cases, ShelfHalfGain,
                         ::testing::Values(ShelfCorner{kLowShelf, 0, 500, k1000Hz},    // x 2
                                           ShelfCorner{kLowShelf, 1, 990, 144},        // x 14/11 -> 1260
                                           ShelfCorner{kHighShelf, 0, 2200, k1000Hz},  // x 5/11
                                           ShelfCorner{kHighShelf, 1, 1300, k1000Hz}));// x 10/13

TEST(FilterResponse, ShelvesReachTheirGainAtTheFarEndAndStayFlatAtTheOther)
{
    for (int slope : {0, 1})
        for (double gain : {-12.0, 12.0}) {
            const Response low = ResponseOf(Band(kLowShelf, 1000, gain, 0.2, slope));
            const Response high = ResponseOf(Band(kHighShelf, 1000, gain, 0.2, slope));
            EXPECT_NEAR(low.front(), gain, 0.1) << "low shelf slope " << slope;
            EXPECT_NEAR(low.back(), 0.0, 0.15) << "low shelf slope " << slope;
            EXPECT_NEAR(high.back(), gain, 0.1) << "high shelf slope " << slope;
            EXPECT_NEAR(high.front(), 0.0, 0.15) << "high shelf slope " << slope;
        }
}

TEST(FilterResponse, ShelfSlopesBeyondOneAreTheSteepShelf)
{
    EXPECT_EQ(ResponseOf(Band(kLowShelf, 300, 8.0, 0.2, 2)), ResponseOf(Band(kLowShelf, 300, 8.0, 0.2, 1)));
    EXPECT_NE(ResponseOf(Band(kLowShelf, 300, 8.0, 0.2, 0)), ResponseOf(Band(kLowShelf, 300, 8.0, 0.2, 1)));
}

FilterShape Bypassed(FilterShape f)
{
    f.bypassed = true;
    return f;
}

class DrawsFlat : public ::testing::TestWithParam<FilterShape> {};
TEST_P(DrawsFlat, ZeroDbEverywhere)
{
    const Response r = ResponseOf(GetParam());
    for (int i = 0; i < kGridPoints; ++i)
        ASSERT_EQ(r[i], 0.0) << "at grid index " << i;
}
INSTANTIATE_TEST_SUITE_P(
    Cases, DrawsFlat,
    ::testing::Values(Bypassed(Band(kPeaking, 1000, 12.0)), Bypassed(Band(kLowShelf, 100, -12.0)),
                      Bypassed(Band(kHighShelf, 8000, 6.0, 0.2, 1)), Band(kPeaking, 1000, 0.0),
                      Band(kLowShelf, 200, 0.0), Band(kHighShelf, 200, 0.0, 0.2, 1),
                      Crossover(kHighPass, 20, kLinkwitzRiley, 2), Crossover(kHighPass, 1000, kBessel, 7),
                      Crossover(kLowPass, 20000, kButterworth, 6), Crossover(kLowPass, 1000, kBessel, 7),
                      Crossover(kHighPass, 1000, kButterworth, 7, true),
                      // outside the ranges the records hold
                      Crossover(kHighPass, 10, kButterworth, 2), Crossover(kLowPass, 30000, kButterworth, 2),
                      Crossover(kHighPass, 1000, kButterworth, 8), Crossover(kLowPass, 1000, 3, 2),
                      Band(5, 1000, 6.0)));

TEST(FilterResponse, BypassLeavesTheCrossoverFiltersAlone)
{
    for (int kind : {kHighPass, kLowPass}) {
        const FilterShape f = Crossover(kind, 1000, kButterworth, 2);
        EXPECT_EQ(ResponseOf(Bypassed(f)), ResponseOf(f));
        EXPECT_NEAR(ResponseOf(Bypassed(f))[k1000Hz], -3.01, kTolDb);
    }
}

TEST(FilterResponse, TwentyFourDbHighPassAtItsCorner)
{
    EXPECT_NEAR(ResponseOf(Crossover(kHighPass, 1000, kLinkwitzRiley, 2))[k1000Hz], -5.95, kTolDb);
    EXPECT_NEAR(ResponseOf(Crossover(kHighPass, 1000, kButterworth, 2))[k1000Hz], -3.01, kTolDb);
}

TEST(FilterResponse, TwoSlopeCrossoverSecondSlopeIsTwentyFourDb)
{
    for (int kind : {kHighPass, kLowPass})
        for (int family : {kLinkwitzRiley, kBessel, kButterworth}) {
            EXPECT_EQ(ResponseOf(Crossover(kind, 800, family, 1, true)),
                      ResponseOf(Crossover(kind, 800, family, 2)));
            EXPECT_EQ(ResponseOf(Crossover(kind, 800, family, 0, true)),
                      ResponseOf(Crossover(kind, 800, family, 0)));
        }
}

int At(double hz) { return NearestGridIndex(hz); }

class CrossoverShape : public ::testing::TestWithParam<std::tuple<int, int, int>> {};

TEST_P(CrossoverShape, PassesFlatAndFallsAtItsSlope)
{
    const auto [kind, family, slope] = GetParam();
    const int dbPerOct = 12 + 6 * slope;
    const bool high = kind == kHighPass;

    // Well inside the pass band the level is flat, and nowhere does the filter boost.
    const Response far = ResponseOf(Crossover(kind, high ? 100 : 5000, family, slope));
    EXPECT_NEAR(high ? far.back() : far.front(), 0.0, 0.05);
    EXPECT_LT(*std::max_element(far.begin(), far.end()), 0.1);
    EXPECT_LT(high ? far[At(25)] : far[At(20000)], -15.0) << "two octaves into the stop band";

    // Three octaves into the stop band the slope is the nominal one.
    const Response r = ResponseOf(Crossover(kind, high ? 1000 : 125, family, slope));
    const double perOctave = high ? r[At(125)] - r[At(62.5)] : r[At(1000)] - r[At(2000)];
    EXPECT_NEAR(perOctave, dbPerOct, 0.5);

    // At the corner: Butterworth and the Bessel low-pass 3 dB down, Linkwitz-Riley about 6.
    const double corner = ResponseOf(Crossover(kind, 1000, family, slope))[k1000Hz];
    if (family == kButterworth || (family == kBessel && !high)) {
        EXPECT_NEAR(corner, -3.0, 0.15);
    } else if (family == kLinkwitzRiley) {
        EXPECT_NEAR(corner, -6.0, 0.8);
    }
}

INSTANTIATE_TEST_SUITE_P(AllSlopes, CrossoverShape,
                         ::testing::Combine(::testing::Values(kHighPass, kLowPass),
                                            ::testing::Values(kLinkwitzRiley, kBessel, kButterworth),
                                            ::testing::Range(0, kCrossoverSlopeOff)));

TEST(FilterResponse, SectionLevelIsIndependentOfTheScaleOfItsCoefficients)
{
    const Biquad s = FilterSections(Band(kPeaking, 1000, 6.0, 1.0))[0];
    const Biquad scaled{3 * s.b0, 3 * s.b1, 3 * s.b2, 3 * s.a0, 3 * s.a1, 3 * s.a2};
    const double omega = OmegaAt(1000);
    EXPECT_NEAR(SectionLevelDb(scaled, omega), SectionLevelDb(s, omega), 1e-12);
    EXPECT_EQ(SectionLevelDb(Biquad{}, omega), 0.0);
}

TEST(FilterResponse, ChannelSumAddsPointByPoint)
{
    const Response a = ResponseOf(Band(kPeaking, 1000, 6.0, 1.0));
    const Response b = ResponseOf(Crossover(kHighPass, 1000, kButterworth, 2));
    Response sum;
    const Response* parts[] = {&a, &b, &a};
    SumResponses(parts, sum);
    EXPECT_NEAR(sum[k1000Hz], 6.0 - 3.01 + 6.0, kTolDb);
    SumResponses({}, sum);
    EXPECT_EQ(sum, Response{});
}

} // namespace
