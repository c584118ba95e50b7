// Filter text: literal texts through the reader, the writer and back, and the standard
// sections of exported filters against the processor's own.
#include "response/FilterFit.h"
#include "response/FilterText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace ovix;

namespace {

double WorstDifference(const Response& a, const Response& b)
{
    double w = 0.0;
    for (int i = 0; i < kGridPoints; ++i)
        w = std::max(w, std::abs(a[std::size_t(i)] - b[std::size_t(i)]));
    return w;
}

Response TextResponse(const std::vector<TextFilter>& filters)
{
    Response sum{}, part;
    for (const TextFilter& f : filters) {
        SectionResponse(TextFilterSection(f), part);
        AddResponse(sum, part);
    }
    return sum;
}

} // namespace

TEST(FilterTextRead, RewFileWithHeaderPaddingAndCrlf)
{
    const FilterTextRead r = ReadFilterText(
        "Filter Settings file\r\n\r\nRoom EQ V5.20\r\nDated: 14-Mar-2024 18:42:07\r\n\r\n"
        "Notes:\r\n\r\nEqualiser: Generic\r\nLeft Mar 14\r\n"
        "Filter  1: ON  PK       Fc   63.0 Hz  Gain  -4.5 dB  Q  2.50\r\n"
        "Filter  2: OFF PK       Fc   21 Hz  Gain   6.7 dB  Q  1.100\r\n"
        "Filter  3: ON  None\r\n"
        "Filter: ON PK Fc 85 Hz Gain 6.9 dB Q 3.000\r\n");
    ASSERT_TRUE(r.ok()) << EnglishText(r.errors.front().message);
    ASSERT_EQ(r.text.filters.size(), 3u);
    EXPECT_EQ(r.text.filters[0].line, 10);
    EXPECT_DOUBLE_EQ(r.text.filters[0].fc, 63.0);
    EXPECT_DOUBLE_EQ(r.text.filters[0].gainDb, -4.5);
    EXPECT_DOUBLE_EQ(r.text.filters[0].q, 2.5);
    EXPECT_FALSE(r.text.filters[1].on);
    EXPECT_EQ(r.text.filters[2].line, 13);
    EXPECT_DOUBLE_EQ(r.text.filters[2].q, 3.0);
    EXPECT_FALSE(r.text.preampDb);
}

TEST(FilterTextRead, AutoEqFileWithPreampAndShelves)
{
    const FilterTextRead r = ReadFilterText("Preamp: -6.8 dB\n"
                                            "Filter 1: ON LSC Fc 105 Hz Gain 4.0 dB Q 0.70\n"
                                            "Filter 2: ON PK Fc 21 Hz Gain 6.7 dB Q 1.100\n"
                                            "Filter 3: ON HS 6dB Fc 8000 Hz Gain -3.0 dB\n"
                                            "Filter 4: ON LS 12 dB Fc 80 Hz Gain 2.0 dB\n");
    ASSERT_TRUE(r.ok()) << EnglishText(r.errors.front().message);
    ASSERT_TRUE(r.text.preampDb);
    EXPECT_DOUBLE_EQ(*r.text.preampDb, -6.8);
    ASSERT_EQ(r.text.filters.size(), 4u);
    EXPECT_EQ(r.text.filters[0].type, TextFilterType::kLowShelfCorner);
    EXPECT_EQ(r.text.filters[2].type, TextFilterType::kHighShelf);
    EXPECT_DOUBLE_EQ(r.text.filters[2].slopeDb, 6.0);
    EXPECT_DOUBLE_EQ(r.text.filters[3].slopeDb, 12.0);
}

struct BadLine {
    const char* text;
    int line;
    const char* message;
};

class FilterTextBadLine : public ::testing::TestWithParam<BadLine> {};

TEST_P(FilterTextBadLine, IsReportedWithItsLineAndNothingIsKept)
{
    const FilterTextRead r = ReadFilterText(GetParam().text);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.errors.front().line, GetParam().line);
    EXPECT_EQ(EnglishText(r.errors.front().message), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, FilterTextBadLine,
    ::testing::Values(
        BadLine{"Filter 1: ON PK Fc 63 Hz Gain -4.5 dB Q 2.5\nChannel: L\n", 2, "Line 2: not a filter line"},
        BadLine{"Preamp: -3 dB\nFilter 1: ON PK Fc 63,5 Hz Gain -4.5 dB Q 2.5\n", 2,
                "Line 2: 63,5 has a decimal comma; write a decimal point"},
        BadLine{"Filter 1: ON PK Fc 63 Hz Gain -4.5 dB Q 2.5\n\nFilter 2: ON BP Fc 100 Hz\n", 3,
                "Line 3: the filter type BP cannot be imported"},
        BadLine{"Filter 1: ON PK Fc 63 Hz Gain -4.5 dB\n", 1, "Line 1: Q is missing"},
        BadLine{"Filter 1: ON PK Gain -4.5 dB Q 1\n", 1, "Line 1: Fc is missing"},
        BadLine{"Filter 1: ON PK Fc 63 Hz Gain x dB Q 1\n", 1, "Line 1: Gain x is not a usable value"},
        BadLine{"Filter 1: ON PK Fc 63 Hz Gain 1 dB Q 0\n", 1, "Line 1: Q 0 is not a usable value"},
        BadLine{"Filter 1 ON PK Fc 63 Hz Gain 1 dB Q 1\n", 1, "Line 1: not a filter line"},
        BadLine{"Room EQ V5.20\nnothing else\n", 0, "The text holds no filters"}));

TEST(FilterTextRead, EveryUnusableLineIsReported)
{
    const FilterTextRead r = ReadFilterText("Filter 1: ON PK Fc 1,5 Hz Gain 1 dB Q 1\nFilter 2: ON XX Fc 1 Hz\n");
    ASSERT_EQ(r.errors.size(), 2u);
    EXPECT_EQ(r.errors[1].line, 2);
}

TEST(FilterTextWrite, WrittenTextReadsBackToTheSameFilters)
{
    FilterText t;
    t.preampDb = -4.0;
    t.filters.push_back({0, true, TextFilterType::kPeaking, 1000.0, -3.5, 1.41421, 0.0});
    t.filters.push_back({0, false, TextFilterType::kHighShelfCorner, 6000.0, 2.0, 0.8, 0.0});
    t.filters.push_back({0, true, TextFilterType::kHighPass1, 55.5, 0.0, 0.0, 0.0});
    t.notes.push_back({0, false, kBessel, 3, 2500, 3});
    t.filters.push_back({0, true, TextFilterType::kLowPass, 2600.25, 0.0, 0.6, 0.0});
    const std::string s = WriteFilterText(t);
    EXPECT_NE(s.find("Filter 1: ON PK Fc 1000.000 Hz Gain -3.5 dB Q 1.41421\n"), std::string::npos) << s;
    EXPECT_NE(s.find("# Crossover: low-pass Bessel 30 dB/oct 2500 Hz\nFilter 4: ON LPQ"), std::string::npos) << s;
    const FilterTextRead r = ReadFilterText(s);
    ASSERT_TRUE(r.ok());
    ASSERT_EQ(r.text.filters.size(), 4u);
    EXPECT_FALSE(r.text.filters[1].on);
    EXPECT_EQ(r.text.filters[1].type, TextFilterType::kHighShelfCorner);
    EXPECT_EQ(r.text.filters[2].type, TextFilterType::kHighPass1);
    EXPECT_DOUBLE_EQ(r.text.filters[3].fc, 2600.25);
    ASSERT_EQ(r.text.notes.size(), 1u);
    EXPECT_EQ(r.text.notes[0].family, kBessel);
    EXPECT_EQ(r.text.notes[0].slope, 3);
    EXPECT_EQ(r.text.notes[0].freq, 2500);
    EXPECT_EQ(r.text.notes[0].beforeFilter, 3u);
}

// The sections export writes reproduce the processor's response: every crossover family,
// slope and side, peaking bands and both shelf slopes.
TEST(FilterAsText, SectionsReproduceTheProcessorsResponse)
{
    std::vector<FilterShape> shapes;
    for (int kind : {kHighPass, kLowPass})
        for (int family : {kLinkwitzRiley, kBessel, kButterworth})
            for (int slope = 0; slope <= 6; ++slope)
                for (int hz : {40, 800, 12000}) {
                    FilterShape f;
                    f.kind = kind;
                    f.family = family;
                    f.slope = slope;
                    f.freq = hz;
                    shapes.push_back(f);
                }
    std::mt19937 rng(7);
    for (int k = 0; k < 200; ++k) {
        FilterShape f;
        f.kind = int(rng() % 3);
        f.freq = 20 + int(rng() % 19981);
        f.gainDb = BandGainDb(int(rng() % 401));
        f.bandwidth = BandwidthOctaves(int(rng() % 296));
        f.slope = int(rng() % 2);
        shapes.push_back(f);
    }
    for (const FilterShape& f : shapes) {
        Response console;
        ComputeResponse(f, console);
        // the written text, read back: what another program gets
        FilterText t;
        t.filters = FilterAsText(f);
        const FilterTextRead r = ReadFilterText(WriteFilterText(t) + "Preamp: 0 dB\n");
        ASSERT_TRUE(r.ok());
        EXPECT_LT(WorstDifference(TextResponse(r.text.filters), console), 0.02)
            << "kind " << f.kind << " family " << f.family << " slope " << f.slope << " freq " << f.freq
            << " gain " << f.gainDb << "\n" << WriteFilterText(t);
    }
}

TEST(FilterAsText, BesselLowPassSectionWithoutQuadraticTermIsFirstOrder)
{
    FilterShape f;
    f.kind = kLowPass;
    f.family = kBessel;
    f.slope = 3;  // its first pair is (0.6656, 0)
    f.freq = 1000;
    const std::vector<TextFilter> t = FilterAsText(f);
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[0].type, TextFilterType::kLowPass1);
    EXPECT_EQ(t[1].type, TextFilterType::kLowPass);
}

// Peaking bandwidth N of the processor is the standard bell of 2N octaves.
TEST(FilterFit, PeakingBandOfOneOctaveIsTheStandardBellOfTwoOctaves)
{
    FilterShape f;
    f.freq = 1000;
    f.gainDb = 6.0;
    f.bandwidth = 1.0;
    const TextFilter t = FilterAsText(f).front();
    const double p = std::pow(2.0, 2.0);
    const double qTwoOctaves = std::sqrt(p) / (p - 1.0);  // analogue; the digital one is close
    EXPECT_NEAR(t.q, qTwoOctaves, 0.01);
    EXPECT_NEAR(t.fc, 1000.0, 0.01);
}

TEST(FilterFit, TextFilterComesBackAsTheCodesItWasWrittenFrom)
{
    std::mt19937 rng(11);
    for (int k = 0; k < 100; ++k) {
        FilterShape f;
        f.kind = kPeaking;
        const int g = 10 + int(rng() % 220);
        f.freq = int(std::lround(FreqGrid[std::size_t(g)]));
        f.gainDb = BandGainDb(int(rng() % 401));
        if (f.gainDb == 0.0)
            continue;
        f.bandwidth = BandwidthOctaves(int(rng() % 296));
        const BandFit fit = FitBand(FilterAsText(f).front());
        EXPECT_EQ(NearestGridIndex(fit.freq), NearestGridIndex(f.freq));
        EXPECT_EQ(fit.bandwidthIndex, BandwidthIndexFromOctaves(f.bandwidth));
        EXPECT_EQ(fit.gainCode, BandGainCode(f.gainDb));
        EXPECT_LT(fit.worstDb, 0.001);
    }
}

TEST(FilterFit, ValuesBeyondTheDeviceAreClampedAndSaid)
{
    const BandFit low = FitBand({1, true, TextFilterType::kPeaking, 12.0, -6.0, 0.7, 0.0});
    EXPECT_TRUE(low.freqClamped);
    EXPECT_FALSE(low.gainClamped);
    EXPECT_EQ(low.freq, 20);
    const BandFit loud = FitBand({2, true, TextFilterType::kPeaking, 1000.0, 26.0, 1.0, 0.0});
    EXPECT_TRUE(loud.gainClamped);
    EXPECT_FALSE(loud.freqClamped);
    EXPECT_EQ(loud.gainCode, kMaxBandGainCode);
    const BandFit narrow = FitBand({3, true, TextFilterType::kPeaking, 1000.0, 6.0, 60.0, 0.0});
    EXPECT_TRUE(narrow.bandwidthClamped);
    EXPECT_FALSE(narrow.gainClamped);
    EXPECT_EQ(narrow.bandwidthIndex, 0);
}

TEST(FilterFit, ShelfTakesTheNearerOfTheTwoSlopes)
{
    for (int slope : {0, 1}) {
        FilterShape f;
        f.kind = kLowShelf;
        f.slope = slope;
        f.freq = 150;
        f.gainDb = 6.0;
        const BandFit fit = FitBand(FilterAsText(f).front());
        EXPECT_EQ(fit.kind, kLowShelf);
        EXPECT_EQ(fit.slope, slope);
        EXPECT_EQ(fit.freq, 150);
        EXPECT_LT(fit.worstDb, 0.001);
    }
}
