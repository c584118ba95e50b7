// The response graph driven with the mouse, on real records: band, bandwidth and crossover
// drags, the notification, the "All Bypass" banner and the language.

#include "graph/FStatic.h"

#include "controls/UiLanguage.h"
#include "model/KTV_Data.h"
#include "response/PixelMap.h"

#include <QImage>
#include <QSignalSpy>
#include <QWindow>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace ovix {
namespace {

// Client 645 x 230: a plot of 600 x 200 at (35, 10), 200 pixels per decade, 10 per dB.
constexpr int kW = 600;
constexpr int kH = 200;
constexpr int kPlotTop = 10;
constexpr int kBand1k = 17;  // band 18, 1000 Hz
constexpr int kHighPass = CFStatic::kHighPassHandle;
constexpr int kLowPass = CFStatic::kLowPassHandle;

QPoint Centre(const QRect& r) { return {r.x() + r.width() / 2, r.y() + r.height() / 2}; }

// Pixels of the banner's fill colour (155, 155, 155) in the graph as drawn. The banner
// fills a thousand or more; the antialiased edges of the white handle numbers give a few.
int BannerPixels(QWidget& w)
{
    const QImage image = w.grab().toImage();
    const QRgb fill = qRgb(155, 155, 155);
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixel(x, y) == fill;
    return n;
}
constexpr int kBannerDrawn = 500;
constexpr int kNoBanner = 50;

class Graph : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetUiLanguage(UiLanguage::English);
        model = std::make_unique<ParameterModel>();
        ResetImage(model->image);
        records = std::make_unique<CKTV_Data>(*model);
        graph = std::make_unique<CFStatic>();
        graph->resize(kW + 45, kH + 30);
        graph->Attach(records.get());
        graph->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(graph.get()));
        // the platform drops a move to where the pointer already is: start from a corner
        Move({1, 1});
        Select(0);
    }
    void TearDown() override
    {
        // a test that holds the button lets it go: the next one starts unpressed
        if (pressed)
            Release(last);
        SetUiLanguage(UiLanguage::English);
    }

    void Select(int channel)
    {
        channelIndex = channel;
        graph->SelectChannel(channel);
    }
    CKTV_OutData& Out() { return records->Out(channelIndex); }
    CFilter& Filter(int n) { return Out().Eq()[n]; }

    // Synced with a processor and nothing left to send.
    void SyncAndDrain()
    {
        model->flags.synced = 1;
        Drain();
    }
    int Drain()
    {
        int n = 0;
        while (records->NextDirtyGroup() && n < 1000)
            ++n;
        return n;
    }

    // Through the window, as the platform delivers them: a move without a button is a
    // hover (the widget overloads would only move the cursor).
    QWindow* Window() { return graph->windowHandle(); }
    void Move(QPoint p)
    {
        last = p;
        QTest::mouseMove(Window(), p);
    }
    void Press(QPoint p)
    {
        pressed = true;
        QTest::mousePress(Window(), Qt::LeftButton, {}, p);
    }
    void Release(QPoint p)
    {
        pressed = false;
        QTest::mouseRelease(Window(), Qt::LeftButton, {}, p);
    }

    // Hovers the handle of `filter`, grabs it at its centre and holds it (no release).
    QPoint Grab(int filter)
    {
        const QPoint c = Centre(graph->HandleRect(filter));
        Move(c);
        Press(c);
        return c;
    }
    void DragHandle(int filter, QPoint to)
    {
        Grab(filter);
        Move(to);
        Release(to);
    }
    // Hovers band `band`, then its bandwidth handle, and grabs that.
    QPoint GrabWidth(int band, bool right)
    {
        Move(Centre(graph->HandleRect(band)));
        const QPoint c = Centre(graph->BandwidthHandleRect(band, right));
        Move(c);
        Press(c);
        return c;
    }

    std::unique_ptr<ParameterModel> model;
    std::unique_ptr<CKTV_Data> records;
    std::unique_ptr<CFStatic> graph;
    int channelIndex = 0;
    bool pressed = false;
    QPoint last;
};

TEST_F(Graph, LaysTheRecordsOutForItsPlot)
{
    EXPECT_EQ(graph->PlotRect(), QRect(35, 10, kW, kH));
    EXPECT_EQ(Out().Eq().Width(), kW);
    EXPECT_EQ(Out().Eq().Height(), kH);
    graph->resize(720, 300);
    EXPECT_EQ(graph->PlotRect(), QRect(35, 10, 675, 270));
    EXPECT_EQ(records->Out(5).Eq().Width(), 675) << "every channel follows the size";
    EXPECT_EQ(records->Out(5).Eq().Height(), 270);
}

// ---- band drags ---------------------------------------------------------------------

struct GainCase {
    int below;  // pixels below the plot top
    double gainDb;
    bool bypassed;
};

void PrintTo(const GainCase& c, std::ostream* os) { *os << c.below << " px below the top"; }

class BandGain : public Graph, public ::testing::WithParamInterface<GainCase> {};

TEST_P(BandGain, HandleHeightGivesWholeDbAndZeroBypasses)
{
    const GainCase& c = GetParam();
    Filter(kBand1k).SetGainCode(230);  // +3 dB, not bypassed
    graph->Redraw(-1);
    const QPoint from = Centre(graph->HandleRect(kBand1k));
    DragHandle(kBand1k, {from.x(), kPlotTop + c.below});
    EXPECT_DOUBLE_EQ(Filter(kBand1k).GainDb(), c.gainDb);
    EXPECT_EQ(Filter(kBand1k).Bypass() != 0, c.bypassed);
}

INSTANTIATE_TEST_SUITE_P(Cases, BandGain,
                         ::testing::Values(GainCase{50, 5.0, false}, GainCase{100, 0.0, true},
                                           GainCase{97, 0.0, true}, GainCase{0, 10.0, false},
                                           GainCase{150, -5.0, false}));

TEST_F(Graph, BandDragMovesFrequencyAsFromTheEditor)
{
    SyncAndDrain();
    const QPoint from = Centre(graph->HandleRect(kBand1k));
    DragHandle(kBand1k, {XFromFreq(2000, kW), from.y()});
    EXPECT_EQ(Filter(kBand1k).Freq(), 2000);
    EXPECT_EQ(Filter(kBand1k).DevFreq(), 1000) << "a doubling glides: the device steps there";
    EXPECT_EQ(Filter(kBand1k).Dirty(), 1);
    EXPECT_TRUE(Filter(kBand1k).Bypass()) << "still at 0 dB";
    EXPECT_EQ(Centre(graph->HandleRect(kBand1k)).x(), XFromFreq(2000, kW)) << "the handle follows";
}

TEST_F(Graph, TheChannelCurveFollowsADrag)
{
    Filter(kBand1k).SetBandwidthIndex(95);  // 1 octave
    graph->Redraw(-1);
    const QPoint from = Centre(graph->HandleRect(kBand1k));
    DragHandle(kBand1k, {from.x(), kPlotTop + 50});
    ASSERT_DOUBLE_EQ(Filter(kBand1k).GainDb(), 5.0);

    // half an octave below the centre, clear of the handles and the label
    const int i = NearestGridIndex(707);
    const double y = YFromDbF(Out().Eq().Sum()[std::size_t(i)], kH);
    EXPECT_DOUBLE_EQ(Out().Eq().CurveF()[std::size_t(i)].y, y) << "the channel sum is refreshed";
    ASSERT_LT(y, kPlotTop + 80) << "well above the 0 dB line";
    const QImage image = graph->grab().toImage();
    const int x = int(XFromFreqF(FreqGrid[std::size_t(i)], kW));
    bool drawn = false;
    for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx)
            drawn = drawn || image.pixel(x + dx, int(y) + dy) == qRgb(128, 64, 0);
    EXPECT_TRUE(drawn) << "CH1's curve is drawn through the boosted band at (" << x << ", " << y
                       << ")";
}

TEST_F(Graph, NonZeroGainClearsBypassAndGroupBypass)
{
    Filter(kBand1k).SetGainCode(230);
    Out().SetGroupBypass(true);
    graph->Redraw(-1);
    ASSERT_TRUE(Filter(kBand1k).EffectivelyBypassed());
    const QPoint from = Centre(graph->HandleRect(kBand1k));
    DragHandle(kBand1k, {from.x(), kPlotTop + 50});
    EXPECT_DOUBLE_EQ(Filter(kBand1k).GainDb(), 5.0);
    EXPECT_FALSE(Filter(kBand1k).Bypass());
    EXPECT_FALSE(Filter(kBand1k).GroupBypassed());
}

TEST_F(Graph, GraphicEqBandDragChangesOnlyItsGain)
{
    Out().SetGeqMode(1);
    graph->Redraw(-1);
    const QPoint from = Centre(graph->HandleRect(kBand1k));
    DragHandle(kBand1k, {from.x() + 80, kPlotTop + 50});
    EXPECT_EQ(Filter(kBand1k).Freq(), 1000);
    EXPECT_DOUBLE_EQ(Filter(kBand1k).GainDb(), 5.0);
}

TEST_F(Graph, ShelvesStopAt2kHz)
{
    Filter(kBand1k).SetKind(kLowShelf);
    Filter(kBand1k + 5).SetKind(kHighShelf);  // 3150 Hz
    graph->Redraw(-1);
    DragHandle(kBand1k, {XFromFreq(8000, kW), kPlotTop + 50});
    EXPECT_EQ(Filter(kBand1k).Freq(), 2000) << "a low shelf goes no higher";
    DragHandle(kBand1k + 5, {XFromFreq(200, kW), kPlotTop + 50});
    EXPECT_EQ(Filter(kBand1k + 5).Freq(), 2000) << "a high shelf goes no lower";
}

// ---- bandwidth ----------------------------------------------------------------------

TEST_F(Graph, RightBandwidthHandleSetsOctavesWithinLimits)
{
    const QPoint at = GrabWidth(kBand1k, true);
    Move({XFromFreq(2000, kW), at.y()});
    EXPECT_DOUBLE_EQ(Filter(kBand1k).Bandwidth(), 1.00);
    Move({XFromFreq(12000, kW), at.y()});
    EXPECT_DOUBLE_EQ(Filter(kBand1k).Bandwidth(), 3.00) << "beyond 8 kHz";
    Move({XFromFreq(1000, kW), at.y()});
    EXPECT_DOUBLE_EQ(Filter(kBand1k).Bandwidth(), 0.05) << "onto the centre";
    Release({XFromFreq(1000, kW), at.y()});
    EXPECT_EQ(Filter(kBand1k).Freq(), 1000);
}

TEST_F(Graph, LeftBandwidthHandleWidensTowardsLowFrequencies)
{
    const QPoint at = GrabWidth(kBand1k, false);
    Move({XFromFreq(250, kW), at.y()});
    EXPECT_NEAR(Filter(kBand1k).Bandwidth(), 2.0, 0.015);
}

TEST_F(Graph, NoBandwidthHandlesInGraphicEqMode)
{
    Out().SetGeqMode(1);
    graph->Redraw(-1);
    const QPoint at = GrabWidth(kBand1k, true);
    Move({XFromFreq(4000, kW), at.y()});
    EXPECT_DOUBLE_EQ(Filter(kBand1k).Bandwidth(), 0.2);
}

// ---- crossover drags ----------------------------------------------------------------

struct CrossoverCase {
    int channel;
    int toX;
    int expected;
};

void PrintTo(const CrossoverCase& c, std::ostream* os)
{
    *os << "channel " << c.channel << " to x " << c.toX;
}

class HighPassDrag : public Graph, public ::testing::WithParamInterface<CrossoverCase> {};

TEST_P(HighPassDrag, StopsAtTheLowPassExceptAtTheRightEndOnChannels0And3)
{
    const CrossoverCase& c = GetParam();
    Select(c.channel);
    Filter(kLowPass).SetFrequency(5000, false);
    graph->Redraw(-1);
    const QPoint from = Centre(graph->HandleRect(kHighPass));
    DragHandle(kHighPass, {c.toX, from.y()});
    EXPECT_EQ(Filter(kHighPass).Freq(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HighPassDrag,
    ::testing::Values(CrossoverCase{1, XFromFreq(300, kW), 299},
                      CrossoverCase{1, XFromFreq(10000, kW), 5000},
                      CrossoverCase{1, kW + 40, 5000}, CrossoverCase{0, kW + 40, 20000},
                      CrossoverCase{3, kW + 40, 20000}, CrossoverCase{2, kW + 40, 5000},
                      CrossoverCase{0, XFromFreq(10000, kW), 5000}));

TEST_F(Graph, LowPassStopsAtTheHighPass)
{
    Filter(kHighPass).SetFrequency(1000, false);
    graph->Redraw(-1);
    const QPoint from = Centre(graph->HandleRect(kLowPass));
    DragHandle(kLowPass, {XFromFreq(100, kW), from.y()});
    EXPECT_EQ(Filter(kLowPass).Freq(), 1000);
}

// ---- notification and steps that change nothing ------------------------------------

TEST_F(Graph, ADragNotifiesOnceWithFilterAndSelectionCode)
{
    Select(2);
    SyncAndDrain();
    QSignalSpy spy(graph.get(), &CFStatic::FilterChanged);
    const QPoint from = Grab(kBand1k);
    Move({from.x(), kPlotTop + 50});
    Move({from.x(), kPlotTop + 40});
    EXPECT_TRUE(graph->NotifyPending());
    ASSERT_TRUE(spy.wait(1000));
    Release({from.x(), kPlotTop + 40});
    ASSERT_EQ(spy.count(), 1) << "two steps within 50 ms, one notification";
    EXPECT_EQ(spy.at(0).at(0).toInt(), kBand1k);
    EXPECT_EQ(spy.at(0).at(1).toInt(), 768 + 2);
    EXPECT_FALSE(graph->NotifyPending());
    EXPECT_GT(Drain(), 0) << "the band was marked for sending";
}

// Each drag makes one change, is notified and drained, then takes a step that changes no
// value: nothing may be marked, flagged or sent for it.
class UnchangedStep : public Graph, public ::testing::WithParamInterface<int> {};

TEST_P(UnchangedStep, MarksNothingAndSendsNothing)
{
    SyncAndDrain();
    Filter(kLowPass).SetFrequency(5000, false);
    graph->Redraw(-1);
    QSignalSpy spy(graph.get(), &CFStatic::FilterChanged);
    QPoint first, second;
    switch (GetParam()) {
    case 0: {  // band: the same pointer position again, then a pixel lower (same dB)
        const QPoint from = Grab(kBand1k);
        first = {from.x() + 30, kPlotTop + 50};
        second = {first.x(), first.y() + 1};
        break;
    }
    case 1: {  // bandwidth: the same pointer position again
        const QPoint from = GrabWidth(kBand1k, true);
        first = {XFromFreq(3000, kW), from.y()};
        second = {first.x(), first.y() + 3};
        break;
    }
    default: {  // high-pass pushed further past the low-pass
        const QPoint from = Grab(kHighPass);
        first = {XFromFreq(8000, kW), from.y()};
        second = {XFromFreq(12000, kW), from.y()};
        break;
    }
    }
    Move(first);
    ASSERT_TRUE(spy.wait(1000)) << "the first step changed something";
    ASSERT_GT(Drain(), 0);
    const Response before = Out().Eq().Sum();

    Move(first);
    Move(second);
    EXPECT_FALSE(graph->NotifyPending());
    EXPECT_FALSE(records->NextDirtyGroup().has_value()) << "nothing marked";
    QTest::qWait(120);
    EXPECT_EQ(spy.count(), 1) << "nothing notified";
    EXPECT_EQ(Out().Eq().Sum(), before);
    Release(second);
}

INSTANTIATE_TEST_SUITE_P(Drags, UnchangedStep, ::testing::Values(0, 1, 2));

// ---- hover ---------------------------------------------------------------------------

TEST_F(Graph, HoverPicksTheFilterAndTheMoveCursor)
{
    const QPoint c = Centre(graph->HandleRect(kBand1k));
    Move(c);
    EXPECT_EQ(graph->CurrentFilter(), kBand1k);
    EXPECT_EQ(graph->cursor().shape(), Qt::SizeAllCursor);
    Move({c.x(), kPlotTop + 20});
    EXPECT_EQ(graph->cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(graph->CurrentFilter(), kBand1k) << "a band stays current off its handle";

    Move(Centre(graph->HandleRect(kHighPass)));
    EXPECT_EQ(graph->CurrentFilter(), kHighPass);
    Move({c.x(), kPlotTop + 20});
    EXPECT_EQ(graph->CurrentFilter(), -1) << "a crossover filter is dropped off its handle";
}

TEST_F(Graph, ShowsTheLabelOfTheFilterUnderTheMouse)
{
    Filter(kBand1k).SetGainCode(260);
    Filter(kBand1k).SetBandwidthIndex(95);
    graph->Redraw(-1);
    Move(Centre(graph->HandleRect(kBand1k)));
    EXPECT_EQ(graph->FilterLabel(), QStringLiteral("PEQ 1000Hz 1.414Q 6.0dB"));
    graph->Redraw(kHighPass);
    EXPECT_EQ(graph->FilterLabel(), QStringLiteral("20Hz "));
}

// ---- banner and language -----------------------------------------------------------

TEST_F(Graph, BannerShowsWhileEveryFilterIsBypassed)
{
    ASSERT_TRUE(graph->BannerShown()) << "a new channel is all bypassed";
    EXPECT_GT(BannerPixels(*graph), kBannerDrawn);

    Filter(kBand1k).SetGainCode(230);
    graph->Redraw(-1);
    EXPECT_FALSE(graph->BannerShown());
    EXPECT_LT(BannerPixels(*graph), kNoBanner);

    // dragging the band back to 0 dB bypasses it again
    const QPoint from = Centre(graph->HandleRect(kBand1k));
    DragHandle(kBand1k, {from.x(), kPlotTop + 100});
    EXPECT_TRUE(graph->BannerShown());
    EXPECT_GT(BannerPixels(*graph), kBannerDrawn);
}

TEST_F(Graph, FollowsTheLanguage)
{
    EXPECT_EQ(graph->accessibleName(), QStringLiteral("Response graph"));
    const int english = BannerPixels(*graph);
    SetUiLanguage(UiLanguage::Chinese);
    EXPECT_EQ(graph->accessibleName(), QStringLiteral("响应曲线"));
    const int chinese = BannerPixels(*graph);
    EXPECT_GT(chinese, kBannerDrawn);
    EXPECT_NE(chinese, english) << "the banner reads \"直通\", not \"All Bypass\"";
    SetUiLanguage(UiLanguage::English);
    EXPECT_EQ(BannerPixels(*graph), english);
}

} // namespace
} // namespace ovix
