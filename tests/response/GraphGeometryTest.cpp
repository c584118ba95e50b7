#include "response/GraphGeometry.h"

#include <gtest/gtest.h>

#include <ostream>

using namespace ovix;

namespace {

// A plot 600 x 200: 200 pixels per decade, 10 pixels per dB.
constexpr int kW = 600;
constexpr int kH = 200;

std::ostream& Print(std::ostream& os, const PixelRect& r)
{
    return os << "{" << r.left << "," << r.top << "," << r.right << "," << r.bottom << "}";
}

} // namespace

namespace ovix {
void PrintTo(const PixelRect& r, std::ostream* os) { Print(*os, r); }
} // namespace ovix

namespace {

struct BandHandleCase {
    const char* rule;
    int freq;
    double gainDb;
    bool bypassed;
    int index;
    PixelRect expected;
};

class BandHandle : public ::testing::TestWithParam<BandHandleCase> {};

TEST_P(BandHandle, SitsOnFrequencyAndGainWithinThePlot)
{
    const BandHandleCase& c = GetParam();
    EXPECT_EQ(BandHandleRect(c.freq, c.gainDb, c.bypassed, c.index, kW, kH), c.expected) << c.rule;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BandHandle,
    ::testing::Values(
        // x(1000) = 339, y(0 dB) = 100; moved by (35, 10) into client pixels
        BandHandleCase{"flat band centred on its frequency at 0 dB", 1000, 0.0, true, 17,
                       {366, 102, 382, 118}},
        BandHandleCase{"a bypassed band sits at 0 dB whatever its gain", 1000, 6.0, true, 17,
                       {366, 102, 382, 118}},
        BandHandleCase{"a boost sits higher", 1000, 6.0, false, 17, {366, 42, 382, 58}},
        BandHandleCase{"the lowest bands may hang over the left edge", 20, 3.0, false, 8,
                       {27, 72, 43, 88}},
        BandHandleCase{"bands above index 8 stop at the left edge", 20, 3.0, false, 9,
                       {35, 72, 51, 88}},
        BandHandleCase{"a top above the plot becomes the plot top", 1000, 9.6, false, 17,
                       {366, 10, 382, 26}},
        BandHandleCase{"pushed back above the bottom", 1000, -10.0, false, 17,
                       {366, 194, 382, 210}},
        BandHandleCase{"pushed back left of the right edge", 20000, 0.0, true, 30,
                       {619, 102, 635, 118}}));

TEST(CrossoverHandle, HighPassRowAboveLowPassRow)
{
    // y(-12) = 220 and y(-15) = 250 within the plot
    EXPECT_EQ(CrossoverHandleRect(true, 20, kW, kH), (PixelRect{27, 185, 43, 201}));
    EXPECT_EQ(CrossoverHandleRect(false, 20000, kW, kH), (PixelRect{627, 205, 643, 221}));
    EXPECT_EQ(CrossoverHandleRect(false, 1000, kW, kH), (PixelRect{366, 205, 382, 221}));
}

TEST(BandwidthHandles, BesideTheBandEdgesBelowABoostAboveACut)
{
    const PixelRect boost = BandHandleRect(1000, 6.0, false, 17, kW, kH);  // centre y 50
    // 1 octave: edges at 500 Hz (x 279) and 2000 Hz (x 400), handles 10 px outside them
    BandwidthHandles h = BandwidthHandleRects(boost, 1000, 1.0, 6.0, kW);
    EXPECT_EQ(h.right, (PixelRect{441, 56, 449, 64}));
    EXPECT_EQ(h.left, (PixelRect{300, 56, 308, 64}));
    const PixelRect cut = BandHandleRect(1000, -6.0, false, 17, kW, kH);  // centre y 170
    h = BandwidthHandleRects(cut, 1000, 1.0, -6.0, kW);
    EXPECT_EQ(h.right.CentreY(), 160);
    EXPECT_EQ(h.left.CentreY(), 160);
}

TEST(LabelRect, BandLabelBelowOrAboveAndInsideTheRightEdge)
{
    const PixelRect mid{366, 102, 382, 118};
    EXPECT_EQ(BandLabelRect(mid, true, kW, kH), (PixelRect{366, 127, 592, 143}));
    EXPECT_EQ(BandLabelRect(mid, false, kW, kH), (PixelRect{366, 127, 472, 143}));
    const PixelRect low{366, 194, 382, 210};
    EXPECT_EQ(BandLabelRect(low, true, kW, kH), (PixelRect{366, 169, 592, 185}))
        << "no room below: the label goes above";
    const PixelRect right{619, 102, 635, 118};
    EXPECT_EQ(BandLabelRect(right, true, kW, kH), (PixelRect{435, 127, 635, 143}));
    EXPECT_EQ(BandLabelRect(right, false, kW, kH), (PixelRect{519, 127, 635, 143}));
}

TEST(LabelRect, CrossoverLabels)
{
    const PixelRect hp{366, 185, 382, 201};
    EXPECT_EQ(CrossoverLabelRect(hp, true, kW), (PixelRect{366, 200, 432, 226}));
    const PixelRect lp{366, 205, 382, 221};
    EXPECT_EQ(CrossoverLabelRect(lp, false, kW), (PixelRect{366, 190, 432, 241}));
    const PixelRect end{627, 205, 643, 221};
    EXPECT_EQ(CrossoverLabelRect(end, false, kW), (PixelRect{569, 190, 635, 241}));
}

TEST(HandleLabel, Alignment)
{
    EXPECT_EQ(HandleLabelAlign({27, 102, 43, 118}, 20, kW), HandleTextAlign::Right);
    EXPECT_EQ(HandleLabelAlign({366, 102, 382, 118}, 1000, kW), HandleTextAlign::Centre);
    EXPECT_EQ(HandleLabelAlign({619, 102, 635, 118}, 16000, kW), HandleTextAlign::Left)
        << "touching the right edge";
    EXPECT_EQ(HandleLabelAlign({600, 102, 616, 118}, 20000, kW), HandleTextAlign::Left);
}

struct BandDragCase {
    const char* rule;
    int centreX, centreY;
    bool graphicEq;
    int freq, gainDb;
};

class BandDragMap : public ::testing::TestWithParam<BandDragCase> {};

TEST_P(BandDragMap, CentreGivesFrequencyAndWholeDb)
{
    const BandDragCase& c = GetParam();
    const BandDragValues v = BandDrag(c.centreX, c.centreY, 1000, c.graphicEq, kW, kH);
    EXPECT_EQ(v.freq, c.freq) << c.rule;
    EXPECT_EQ(v.gainDb, c.gainDb) << c.rule;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BandDragMap,
    ::testing::Values(BandDragCase{"50 px below the top is +5 dB", 435, 60, false, 2000, 5},
                      BandDragCase{"100 px below the top is 0 dB", 435, 110, false, 2000, 0},
                      BandDragCase{"97 px is +0.3 dB, rounded to 0", 435, 107, false, 2000, 0},
                      BandDragCase{"a half rounds away from zero (up)", 435, 105, false, 2000, 1},
                      BandDragCase{"a half rounds away from zero (down)", 435, 115, false, 2000, -1},
                      BandDragCase{"above the plot is +10 dB", 435, -50, false, 2000, 10},
                      BandDragCase{"below the plot is -10 dB", 435, 400, false, 2000, -10},
                      BandDragCase{"left of the plot is 20 Hz", 0, 110, false, 20, 0},
                      BandDragCase{"right of the plot is 20 kHz", 900, 110, false, 20000, 0},
                      BandDragCase{"graphic EQ keeps the frequency", 435, 60, true, 1000, 5}));

TEST(ShelfLimit, ShelvesStopAt2kHz)
{
    EXPECT_EQ(LimitShelfFrequency(kLowShelf, 5000), 2000);
    EXPECT_EQ(LimitShelfFrequency(kLowShelf, 500), 500);
    EXPECT_EQ(LimitShelfFrequency(kHighShelf, 500), 2000);
    EXPECT_EQ(LimitShelfFrequency(kHighShelf, 5000), 5000);
    EXPECT_EQ(LimitShelfFrequency(kPeaking, 5000), 5000);
}

TEST(BandwidthDrag, OctavesFromThePointerWithinLimits)
{
    const int x2k = XFromFreq(2000, kW);
    const int x500 = XFromFreq(500, kW);
    EXPECT_EQ(BandwidthIndexFromDrag(x2k, 1000, true, kW), 95) << "1.00 octave";
    EXPECT_EQ(BandwidthIndexFromDrag(x500, 1000, false, kW), 96)
        << "left handle: the pixel of 500 Hz maps back to 496 Hz, 1.01 octave below";
    EXPECT_EQ(BandwidthIndexFromDrag(XFromFreq(16000, kW), 1000, true, kW), 295) << "3.00 max";
    EXPECT_EQ(BandwidthIndexFromDrag(XFromFreq(1000, kW), 1000, true, kW), 0) << "0.05 min";
    EXPECT_EQ(BandwidthIndexFromDrag(x2k, 1000, false, kW), 0) << "left handle right of centre";
}

struct CrossoverCase {
    const char* rule;
    int centreX;
    bool highPass;
    int channel;
    int expected;
};

class CrossoverDrag : public ::testing::TestWithParam<CrossoverCase> {};

TEST_P(CrossoverDrag, FiltersDoNotPassEachOther)
{
    const CrossoverCase& c = GetParam();
    // high-pass at 100 Hz, low-pass at 5 kHz
    EXPECT_EQ(CrossoverDragFrequency(c.centreX, c.highPass, c.channel, 100, 5000, kW), c.expected)
        << c.rule;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CrossoverDrag,
    ::testing::Values(
        CrossoverCase{"high-pass follows the pointer", XFromFreq(1000, kW), true, 1, 990},
        CrossoverCase{"high-pass stops at the low-pass", XFromFreq(10000, kW), true, 1, 5000},
        CrossoverCase{"channel 0: high-pass at the right end goes to 20 kHz", 700, true, 0, 20000},
        CrossoverCase{"channel 3: high-pass at the right end goes to 20 kHz", 700, true, 3, 20000},
        CrossoverCase{"channel 1: no right-end exception", 700, true, 1, 5000},
        CrossoverCase{"channel 0: short of the right end the rule holds", 630, true, 0, 5000},
        CrossoverCase{"low-pass stops at the high-pass", XFromFreq(50, kW), false, 1, 100},
        CrossoverCase{"low-pass left of the plot", -100, false, 1, 100},
        CrossoverCase{"low-pass at the right end", 700, false, 1, 20000}));

TEST(FilterLabel, Formats)
{
    FilterLabelInput peq;
    peq.freq = 1000;
    peq.gainDb = 6.0;
    peq.bandwidthIndex = 95;  // 1 octave
    EXPECT_EQ(FilterLabelText(peq), "PEQ 1000Hz 1.414Q 6.0dB");
    peq.graphicEq = true;
    peq.gainDb = -3.5;
    EXPECT_EQ(FilterLabelText(peq), "GEQ 1000Hz 1.414Q -3.5dB");
    peq.graphicEq = false;
    peq.bypassed = true;
    peq.gainDb = 4.0;
    peq.bandwidthIndex = 0;  // 0.05 octave: Q above 10 has two decimals
    EXPECT_EQ(FilterLabelText(peq), "PEQ 1000Hz 28.85Q 0.0dB");

    FilterLabelInput shelf;
    shelf.kind = kLowShelf;
    shelf.freq = 100;
    shelf.gainDb = 3.0;
    shelf.slope = 1;
    EXPECT_EQ(FilterLabelText(shelf), "Lo 100Hz 12dB/Oct 3.0dB");
    shelf.kind = kHighShelf;
    shelf.slope = 0;
    shelf.freq = 8000;
    EXPECT_EQ(FilterLabelText(shelf), "Hi 8000Hz 6dB/Oct 3.0dB");

    FilterLabelInput hp;
    hp.kind = kHighPass;
    hp.freq = 80;
    EXPECT_EQ(FilterLabelText(hp), "80Hz ");
}

TEST(GridLines, TwentySevenFrom20HzTo10kHz)
{
    const auto x = GridLineX(kW);
    EXPECT_EQ(x.front(), 35);
    EXPECT_EQ(x[8], 174) << "100 Hz";
    EXPECT_EQ(x.back(), 574) << "10 kHz";
}

} // namespace
