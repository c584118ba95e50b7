#include "tables/Scales.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace ovix;

TEST(FreqGrid, ListedValuesIncludingTheIrregularOnes)
{
    EXPECT_DOUBLE_EQ(FreqGrid[0], 19.7);
    EXPECT_DOUBLE_EQ(FreqGrid[1], 20.3);
    EXPECT_DOUBLE_EQ(FreqGrid[76], 179);
    EXPECT_DOUBLE_EQ(FreqGrid[136], 1000);
    EXPECT_DOUBLE_EQ(FreqGrid[160], 2000);
    EXPECT_DOUBLE_EQ(FreqGrid[192], 5000);
    EXPECT_DOUBLE_EQ(FreqGrid[240], 20000);
    for (int i = 1; i < kGridPoints; ++i)
        EXPECT_LT(FreqGrid[i - 1], FreqGrid[i]) << "the grid rises at " << i;
}

TEST(IsoBandTable, ThirtyOneStandardBands)
{
    EXPECT_EQ(IsoBandTable.front(), 20);
    EXPECT_EQ(IsoBandTable[17], 1000);
    EXPECT_EQ(IsoBandTable.back(), 20000);
}

TEST(BandwidthQTable, MatchesTheListedEntriesAndFalls)
{
    const auto& q = BandwidthQTable();
    EXPECT_DOUBLE_EQ(q[0], 28.852);
    EXPECT_DOUBLE_EQ(q[15], 7.208);
    EXPECT_DOUBLE_EQ(q[95], 1.414);
    EXPECT_DOUBLE_EQ(q[96], 1.4);
    EXPECT_DOUBLE_EQ(q[295], 0.404);
    for (int i = 1; i < kBandwidthIndices; ++i)
        EXPECT_LT(q[i], q[i - 1]) << "strictly decreasing at " << i;
}

struct DoubleToInt {
    double in;
    int out;
};

void PrintTo(const DoubleToInt& c, std::ostream* os) { *os << c.in << " -> " << c.out; }

class NearestGrid : public ::testing::TestWithParam<DoubleToInt> {};
TEST_P(NearestGrid, Index) { EXPECT_EQ(NearestGridIndex(GetParam().in), GetParam().out) << GetParam().in; }
INSTANTIATE_TEST_SUITE_P(Cases, NearestGrid,
                         ::testing::Values(DoubleToInt{20, 1},  // a tie goes to the upper point
                                           DoubleToInt{999, 136}, DoubleToInt{25000, 240},
                                           DoubleToInt{10, 0}, DoubleToInt{1000, 136},
                                           DoubleToInt{19.7, 0}, DoubleToInt{20000, 240},
                                           DoubleToInt{1014, 136}, DoubleToInt{1016, 137}));

TEST(NearestGrid, EveryGridValueMapsToItself)
{
    for (int i = 0; i < kGridPoints; ++i)
        EXPECT_EQ(NearestGridIndex(FreqGrid[i]), i);
}

class QEntry : public ::testing::TestWithParam<DoubleToInt> {};
TEST_P(QEntry, BandwidthIndex) { EXPECT_EQ(BandwidthIndexFromQ(GetParam().in), GetParam().out) << GetParam().in; }
INSTANTIATE_TEST_SUITE_P(Cases, QEntry,
                         ::testing::Values(DoubleToInt{50, 0}, DoubleToInt{28.852, 0},
                                           DoubleToInt{7.208, 15}, DoubleToInt{7.2, 16},
                                           DoubleToInt{1.414, 95}, DoubleToInt{1.4, 96},
                                           DoubleToInt{0.1, 295}));

class OctavesToIndex : public ::testing::TestWithParam<DoubleToInt> {};
TEST_P(OctavesToIndex, BandwidthIndex)
{
    EXPECT_EQ(BandwidthIndexFromOctaves(GetParam().in), GetParam().out) << GetParam().in;
}
INSTANTIATE_TEST_SUITE_P(Cases, OctavesToIndex,
                         ::testing::Values(DoubleToInt{0.05, 0}, DoubleToInt{0.2, 15},
                                           DoubleToInt{1.0, 95}, DoubleToInt{3.0, 295},
                                           DoubleToInt{0.01, 0}, DoubleToInt{5.0, 295}));

TEST(Scales, EveryBandwidthIndexRoundTripsThroughOctaves)
{
    for (int i = 0; i < kBandwidthIndices; ++i)
        EXPECT_EQ(BandwidthIndexFromOctaves(BandwidthOctaves(i)), i);
}

TEST(Scales, BandGain)
{
    EXPECT_DOUBLE_EQ(BandGainDb(0), -20.0);
    EXPECT_NEAR(BandGainDb(200), 0.0, 1e-12);
    EXPECT_DOUBLE_EQ(BandGainDb(400), 20.0);
    const struct { double db; int code; } cases[] = {
        {-20.0, 0}, {0.0, 200}, {20.0, 400}, {-0.1, 199}, {0.05, 201}, {-0.04, 200},
        {-25.0, 0}, {25.0, 400},
    };
    for (auto c : cases)
        EXPECT_EQ(BandGainCode(c.db), c.code) << c.db << " dB";
    for (int code = 0; code <= kMaxBandGainCode; ++code)
        EXPECT_EQ(BandGainCode(BandGainDb(code)), code);
}

TEST(Scales, LimiterDelayGainAndSlopes)
{
    EXPECT_NEAR(LimiterAttackMs(0), 0.3, 1e-12);
    EXPECT_NEAR(LimiterAttackMs(6), 0.9, 1e-12);
    EXPECT_DOUBLE_EQ(LimiterAttackMs(7), 1);
    EXPECT_DOUBLE_EQ(LimiterAttackMs(106), 100);
    EXPECT_DOUBLE_EQ(LimiterThresholdDbu(0), -30.0);
    EXPECT_NEAR(LimiterThresholdDbu(300), 0.0, 1e-12);
    EXPECT_NEAR(LimiterThresholdDbu(360), 6.0, 1e-12);
    EXPECT_EQ(LimiterReleaseFactor(0), 2);
    EXPECT_EQ(LimiterReleaseFactor(5), 32);
    EXPECT_DOUBLE_EQ(LimiterReleaseMs(5, 106), 3200);

    EXPECT_DOUBLE_EQ(DelayMs(960), 20.0);
    EXPECT_DOUBLE_EQ(DelayMs(48), 1.0);
    EXPECT_EQ(OutputGainDb(60), 0);
    EXPECT_EQ(OutputGainDb(0), -60);
    EXPECT_EQ(CrossoverSlopeDbPerOct(0), 12);
    EXPECT_EQ(CrossoverSlopeDbPerOct(6), 48);
    EXPECT_EQ(CrossoverSlopeDbPerOct(7), 0) << "index 7 is off";

    EXPECT_EQ(ShelfSlopeText(0), "6dB/Oct");
    EXPECT_EQ(ShelfSlopeText(1), "12dB/Oct");
    EXPECT_EQ(ShelfSlopeText(2), "");
    EXPECT_EQ(ShelfSlopeText(-1), "");
}
