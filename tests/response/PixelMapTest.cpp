#include "response/PixelMap.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace ovix;

namespace {

struct DbToY {
    double dB;
    int y;
    double yF;
};

void PrintTo(const DbToY& c, std::ostream* os) { *os << c.dB << " dB"; }

class YAt200 : public ::testing::TestWithParam<DbToY> {};
TEST_P(YAt200, Pixel)
{
    EXPECT_EQ(YFromDb(GetParam().dB, 200), GetParam().y) << GetParam().dB << " dB";
    EXPECT_DOUBLE_EQ(YFromDbF(GetParam().dB, 200), GetParam().yF) << GetParam().dB << " dB";
}
INSTANTIATE_TEST_SUITE_P(Cases, YAt200,
                         ::testing::Values(DbToY{10, 10, 10}, DbToY{0, 110, 110}, DbToY{-10, 210, 210},
                                           DbToY{-15, 260, 260},  // below the plot
                                           DbToY{5.94, 51, 50.6}, DbToY{5.96, 50, 50.4},
                                           // above the plot the rounding truncates toward zero
                                           DbToY{20, -89, -90}));

struct FreqToX {
    double hz;
    int x;
};

void PrintTo(const FreqToX& c, std::ostream* os) { *os << c.hz << " Hz"; }

class XAt600 : public ::testing::TestWithParam<FreqToX> {};
TEST_P(XAt600, Pixel) { EXPECT_EQ(XFromFreq(GetParam().hz, 600), GetParam().x) << GetParam().hz << " Hz"; }
INSTANTIATE_TEST_SUITE_P(Cases, XAt600,
                         ::testing::Values(FreqToX{20, 35}, FreqToX{1000, 374}, FreqToX{20000, 635},
                                           FreqToX{19.7, 34},  // left of the plot, truncated toward zero
                                           FreqToX{200, 235}));

TEST(PixelMap, FloatXIsNotTruncated)
{
    EXPECT_NEAR(XFromFreqF(1000, 600), 35 + 200 * std::log10(50.0), 1e-9);
    EXPECT_DOUBLE_EQ(XFromFreqF(20000, 600), 635);
    EXPECT_EQ(XFromFreq(20000, 602), 635) << "three decades span floor(W / 3) * 3 pixels";
}

struct OffsetToValue {
    double offset;
    int value;
};

void PrintTo(const OffsetToValue& c, std::ostream* os) { *os << "offset " << c.offset; }

class DbFromYOffsetAt200 : public ::testing::TestWithParam<OffsetToValue> {};
TEST_P(DbFromYOffsetAt200, WholeDb) { EXPECT_EQ(DbFromYOffset(GetParam().offset, 200), GetParam().value); }
INSTANTIATE_TEST_SUITE_P(Cases, DbFromYOffsetAt200,
                         ::testing::Values(OffsetToValue{0, 10}, OffsetToValue{100, 0}, OffsetToValue{200, -10},
                                           OffsetToValue{95, 1},    // +0.5 dB: away from zero
                                           OffsetToValue{105, -1},  // -0.5 dB: away from zero
                                           OffsetToValue{96, 0}, OffsetToValue{104, 0},
                                           OffsetToValue{-50, 15}, OffsetToValue{250, -15}));

class FreqFromXOffsetAt600 : public ::testing::TestWithParam<OffsetToValue> {};
TEST_P(FreqFromXOffsetAt600, WholeHz) { EXPECT_EQ(FreqFromXOffset(GetParam().offset, 600), GetParam().value); }
INSTANTIATE_TEST_SUITE_P(Cases, FreqFromXOffsetAt600,
                         ::testing::Values(OffsetToValue{0, 20}, OffsetToValue{200, 200},
                                           OffsetToValue{600, 20000},
                                           OffsetToValue{100, 63},  // 63.25 Hz, truncated
                                           OffsetToValue{-40, 20}, OffsetToValue{700, 20000}));

TEST(PixelMap, DegeneratePlotSizesStayDefined)
{
    for (int w : {-5, 0, 1, 2}) {
        EXPECT_EQ(PixelsPerDecade(w), 0);
        EXPECT_EQ(XFromFreq(1000, w), 35);
        EXPECT_EQ(FreqFromXOffset(10, w), 20);
    }
    EXPECT_EQ(PixelsPerDecade(3), 1);
    EXPECT_EQ(YFromDb(-7, 0), 10);
    EXPECT_EQ(DbFromYOffset(40, 0), 0);
    EXPECT_EQ(DbFromYOffset(40, -10), 0);
    EXPECT_EQ(XFromFreq(0, 600), 35) << "a frequency that is not positive is placed as 20 Hz";
    EXPECT_EQ(XFromFreq(-100, 600), 35);
    EXPECT_EQ(FreqFromXOffset(std::numeric_limits<double>::quiet_NaN(), 600), 20);

    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_GT(YFromDb(-inf, 200), YFromDb(-1000, 200));
    EXPECT_LT(YFromDb(inf, 200), YFromDb(1000, 200));
}

TEST(PixelMap, WholeDbSurvivesTheRoundTripThroughPixels)
{
    for (int h : {21, 100, 200, 301, 1000})
        for (int dB = -20; dB <= 20; ++dB) {
            EXPECT_EQ(DbFromYOffset(YFromDbF(dB, h) - kPlotTop, h), dB) << "H " << h;
            // Above the plot the integer y truncates toward zero and may lose a pixel.
            if (dB <= 10) {
                EXPECT_EQ(DbFromYOffset(YFromDb(dB, h) - kPlotTop, h), dB) << "H " << h;
            }
        }
}

TEST(PixelMap, WholeHzSurvivesTheRoundTripThroughFloatPixels)
{
    for (int w : {9, 600, 721})
        for (int hz = 20; hz <= 20000; ++hz) {
            const int back = FreqFromXOffset(XFromFreqF(hz, w) - kPlotLeft, w);
            ASSERT_TRUE(back == hz || back == hz - 1) << hz << " Hz came back as " << back << " at W " << w;
        }
}

TEST(PixelMap, BothAxesAreMonotonic)
{
    for (int hz = 21; hz <= 20000; ++hz)
        ASSERT_GE(XFromFreq(hz, 720), XFromFreq(hz - 1, 720)) << hz;
    for (int q = 1; q <= 720; ++q)
        ASSERT_GE(FreqFromXOffset(q, 720), FreqFromXOffset(q - 1, 720)) << q;
    for (double dB = -12; dB <= 12; dB += 0.1)
        ASSERT_GE(YFromDb(dB, 300), YFromDb(dB + 0.1, 300)) << dB;
}

Response SampleResponse()
{
    FilterShape f;
    f.kind = kPeaking;
    f.freq = 1000;
    f.gainDb = 6.0;
    f.bandwidth = 1.0;
    Response r;
    ComputeResponse(f, r);
    return r;
}

TEST(CurveLayout, FilterCurveIsAnchoredOnTheZeroLine)
{
    const Response r = SampleResponse();
    FilterCurve curve;
    FilterCurvePoints(r, 600, 200, curve);
    EXPECT_EQ(curve.front(), (Point{35, 110}));
    EXPECT_EQ(curve.back(), (Point{635, 110}));
    EXPECT_EQ(curve[1 + 136], (Point{374, 50})) << "+6 dB at 1 kHz";
    for (int i = 1; i <= kGridPoints; ++i)
        ASSERT_EQ(curve[i], (Point{XFromFreq(FreqGrid[i - 1], 600), YFromDb(r[i - 1], 200)})) << i;
}

TEST(CurveLayout, ChannelCurveFollowsTheSumInBothForms)
{
    Response sum = SampleResponse();
    sum[0] = -15.0;
    ChannelCurve points;
    ChannelCurveF pointsF;
    ChannelCurvePoints(sum, 600, 200, points, pointsF);
    EXPECT_EQ(points[0], (Point{34, 260})) << "-15 dB lies below the plot";
    EXPECT_EQ(points[136], (Point{374, 50}));
    for (int i = 0; i < kGridPoints; ++i) {
        ASSERT_EQ(points[i], (Point{XFromFreq(FreqGrid[i], 600), YFromDb(sum[i], 200)})) << i;
        ASSERT_DOUBLE_EQ(pointsF[i].x, XFromFreqF(FreqGrid[i], 600)) << i;
        ASSERT_DOUBLE_EQ(pointsF[i].y, YFromDbF(sum[i], 200)) << i;
    }
}

} // namespace
