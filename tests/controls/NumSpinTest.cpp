#include "controls/ControlMessage.h"
#include "controls/NumEdit.h"
#include "controls/NumSpin.h"
#include "WidgetTestUtil.h"

#include <QSignalSpy>

#include <memory>

namespace ovix {
namespace {

using test::WidgetTest;
using test::WidgetTestP;

// The spinner with its timer handlers in reach, so a held arrow can be replayed tick by
// tick instead of waiting for a clock.
class SteppedSpin : public NumSpin {
public:
    using NumSpin::NumSpin;
    using NumSpin::OnNotifyTimer;
    using NumSpin::OnRepeatTimer;
};

struct SpinRig {
    QWidget window;
    NumEdit* field = new NumEdit(&window);
    SteppedSpin* spin = new SteppedSpin(&window);

    SpinRig(int kind, int min, int max)
    {
        window.resize(200, 60);
        field->setGeometry(0, 0, 120, 24);
        spin->setGeometry(130, 0, 16, 24);
        field->SetKind(kind);
        if (kind == kKindGainDb)
            field->SetScaleOffset(1.0, 60.0);
        spin->SetBuddy(field);
        spin->SetRange(min, max);
    }
    QPoint UpArrow() const { return {spin->width() / 2, 2}; }
    QPoint DownArrow() const { return {spin->width() / 2, spin->height() - 2}; }
};

// ---- One step -----------------------------------------------------------------------
struct StepCase {
    const char* name;
    int kind;
    int min;
    int max;
    int start;
    int delta;
    int expected;
};

class NumSpinStep : public WidgetTestP<StepCase> {};

TEST_P(NumSpinStep, MovesByOneOrAlongTheFrequencyGrid)
{
    const StepCase& c = GetParam();
    SpinRig rig(c.kind, c.min, c.max);
    rig.spin->SetPos(c.start);
    rig.spin->Step(c.delta);
    EXPECT_EQ(rig.spin->Pos(), c.expected);
    EXPECT_EQ(rig.field->Code(), c.expected) << "the buddy shows the new position";
}

INSTANTIATE_TEST_SUITE_P(Cases, NumSpinStep, ::testing::Values(
    StepCase{"FreqUpToNextGridPoint", kKindFrequency, 20, 20000, 1000, +1, 1030},
    StepCase{"FreqDownToGridPointBelow", kKindFrequency, 20, 20000, 1000, -1, 972},
    StepCase{"FreqNeverBelow20Hz", kKindFrequency, 20, 20000, 20, -1, 20},
    StepCase{"FreqOffGridDown", kKindFrequency, 20, 20000, 21, -1, 20},
    StepCase{"FreqTruncatedToWholeHz", kKindFrequency, 20, 20000, 20, +1, 21},
    StepCase{"FreqTop", kKindFrequency, 20, 20000, 19990, +1, 20000},
    StepCase{"FreqAtTopStays", kKindFrequency, 20, 20000, 20000, +1, 20000},
    StepCase{"FreqUpClampedToMax", kKindFrequency, 20, 1000, 990, +1, 1000},
    StepCase{"FreqDownClampedToMin", kKindFrequency, 505, 20000, 510, -1, 505},
    StepCase{"GainUp", kKindGainDb, 0, 60, 30, +1, 31},
    StepCase{"GainDown", kKindGainDb, 0, 60, 30, -1, 29},
    StepCase{"GainAtMax", kKindGainDb, 0, 60, 60, +1, 60},
    StepCase{"DelayAtMin", kKindDelayMs, 0, 960, 0, -1, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Spinner behaviour --------------------------------------------------------------
class NumSpinBehaviour : public WidgetTest {
protected:
    void SetUp() override
    {
        WidgetTest::SetUp();
        m_previous = SetControlMessageHook([this](QWidget*, const QString& t) { m_messages << t; });
    }
    void TearDown() override
    {
        SetControlMessageHook(m_previous);
        WidgetTest::TearDown();
    }
    QStringList m_messages;

private:
    ControlMessageHook m_previous;
};

TEST_F(NumSpinBehaviour, SetPosOutOfRangeComplainsAndKeepsThePosition)
{
    SpinRig rig(kKindGainDb, 0, 60);
    rig.field->SetId(1012);
    rig.spin->SetPos(40);
    rig.spin->SetPos(61);
    test::UseLanguage(UiLanguage::Chinese);
    rig.spin->SetPos(-1);
    EXPECT_EQ(m_messages, QStringList({QStringLiteral("1012ID:Set Pos Error!"),
                                       QStringLiteral("1012ID:设定Pos错误!")}));
    EXPECT_EQ(rig.spin->Pos(), 40);
    EXPECT_EQ(rig.field->text(), QStringLiteral("-20dB"));
}

TEST_F(NumSpinBehaviour, SetRangeSetsTheBuddysRange)
{
    SpinRig rig(kKindFrequency, 20, 20000);
    EXPECT_EQ(rig.field->Min(), 20);
    EXPECT_EQ(rig.field->Max(), 20000);
    EXPECT_EQ(rig.spin->Pos(), 20);
}

TEST_F(NumSpinBehaviour, BuddyArrowKeysStepAndNotifyAtOnce)
{
    SpinRig rig(kKindFrequency, 20, 20000);
    rig.spin->SetPos(1000);
    QSignalSpy changed(rig.spin, &NumSpin::changed);
    QTest::keyClick(rig.field, Qt::Key_Up);
    QTest::keyClick(rig.field, Qt::Key_Down);
    QTest::keyClick(rig.field, Qt::Key_Down);
    ASSERT_EQ(changed.count(), 3);
    EXPECT_EQ(changed.at(0).at(0).toInt(), 1030);
    EXPECT_EQ(changed.at(1).at(0).toInt(), 1000);
    EXPECT_EQ(changed.at(2).at(0).toInt(), 972);
    EXPECT_EQ(rig.field->text(), QStringLiteral("972Hz"));
}

TEST_F(NumSpinBehaviour, StepStartsFromTextTypedIntoTheBuddy)
{
    SpinRig rig(kKindGainDb, 0, 60);
    rig.spin->SetPos(10);
    rig.field->selectAll();
    QTest::keyClicks(rig.field, "-20");
    QTest::keyClick(rig.field, Qt::Key_Up);
    EXPECT_EQ(rig.spin->Pos(), 41);
    EXPECT_EQ(rig.field->text(), QStringLiteral("-19dB"));
}

TEST_F(NumSpinBehaviour, DisabledSpinnerDoesNotStep)
{
    SpinRig rig(kKindGainDb, 0, 60);
    rig.spin->SetPos(10);
    rig.spin->setEnabled(false);
    rig.spin->Step(+1);
    EXPECT_EQ(rig.spin->Pos(), 10);
}

// A held arrow, replayed on a made-up clock in 20 ms ticks: auto-repeat steps whenever
// the repeat timer would fire, the notify timer fires every notify period.
struct HeldArrow {
    SpinRig& rig;
    QSignalSpy changed{rig.spin, &NumSpin::changed};
    int notices() const { return int(changed.count()); }

    void Press(QPoint at) { QTest::mousePress(rig.spin, Qt::LeftButton, {}, at); }
    void Release(QPoint at) { QTest::mouseRelease(rig.spin, Qt::LeftButton, {}, at); }
    void Hold(int ms)
    {
        int nextRepeat = NumSpin::kRepeatDelayMs;
        for (int t = 20; t <= ms; t += 20) {
            if (t >= nextRepeat) {
                rig.spin->OnRepeatTimer();
                nextRepeat += NumSpin::kRepeatPeriodMs;
            }
            if (t % NumSpin::kNotifyPeriodMs == 0)
                rig.spin->OnNotifyTimer();
        }
    }
};

TEST_F(NumSpinBehaviour, HeldArrowNotifiesOncePerPeriodAndOnceMoreOnRelease)
{
    SpinRig rig(kKindDelayMs, 0, 960);
    HeldArrow held{rig};
    held.Press(rig.UpArrow());
    EXPECT_EQ(held.notices(), 0) << "a held arrow waits for the notify period";
    held.Hold(2000);
    EXPECT_EQ(held.notices(), 5) << "2 s held: one notice per 400 ms period";
    rig.spin->OnRepeatTimer();  // one more step after the last notice
    held.Release(rig.UpArrow());
    ASSERT_EQ(held.notices(), 6) << "release tells the position changed since the last notice";
    EXPECT_EQ(held.changed.last().at(0).toInt(), rig.spin->Pos());
    EXPECT_GT(rig.spin->Pos(), 20);
}

TEST_F(NumSpinBehaviour, ReleaseWithoutChangeSinceLastNoticeIsSilent)
{
    SpinRig rig(kKindDelayMs, 0, 960);
    HeldArrow held{rig};
    held.Press(rig.UpArrow());
    held.Hold(400);
    ASSERT_EQ(held.notices(), 1);
    held.Release(rig.UpArrow());
    EXPECT_EQ(held.notices(), 1);
}

TEST_F(NumSpinBehaviour, QuickClickNotifiesOnRelease)
{
    SpinRig rig(kKindGainDb, 0, 60);
    rig.spin->SetPos(30);
    HeldArrow held{rig};
    held.Press(rig.DownArrow());
    held.Release(rig.DownArrow());
    ASSERT_EQ(held.notices(), 1);
    EXPECT_EQ(held.changed.at(0).at(0).toInt(), 29);
}

TEST_F(NumSpinBehaviour, HeldAtTheLimitNeverNotifies)
{
    SpinRig rig(kKindGainDb, 0, 60);
    rig.spin->SetPos(60);
    HeldArrow held{rig};
    held.Press(rig.UpArrow());
    held.Hold(1200);
    held.Release(rig.UpArrow());
    EXPECT_EQ(held.notices(), 0);
}

} // namespace
} // namespace ovix
