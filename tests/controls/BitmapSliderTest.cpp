#include "controls/BitmapSlider.h"
#include "controls/Skin.h"
#include "WidgetTestUtil.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QWheelEvent>

namespace ovix {
namespace {

using test::WidgetTest;
using test::WidgetTestP;

class TickedSlider : public BitmapSlider {
public:
    using BitmapSlider::BitmapSlider;
    using BitmapSlider::OnMovingTimer;
};

// A vertical gain fader as the console has it: 0..60, 200 px tall, 4 px margins.
struct GainFader : TickedSlider {
    GainFader()
        : TickedSlider(Qt::Vertical)
    {
        resize(36, 200);
        SetRange(0, 60);
        SetMargins(4, 4, 4, 4);
    }
};

void Wheel(QWidget* w, int delta)
{
    const QPointF at = QRectF(w->rect()).center();
    QWheelEvent e(at, w->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &e);
}

class BitmapSliderTest : public WidgetTest {};

TEST_F(BitmapSliderTest, ValueIsMaxMinusPositionAndTheTopIsTheMaximum)
{
    GainFader f;
    f.SetValue(60);
    EXPECT_EQ(f.Pos(), 0);
    EXPECT_EQ(f.Value(), 60);
    EXPECT_EQ(f.ThumbRect().top(), 4) << "value 60 draws the thumb at the top";
    f.SetValue(0);
    EXPECT_EQ(f.Pos(), 60);
    EXPECT_EQ(f.ThumbRect().bottom(), 200 - 4 - 1);
    f.SetValue(75);
    EXPECT_EQ(f.Value(), 60) << "positions are limited to the range";
    f.SetValue(-5);
    EXPECT_EQ(f.Value(), 0);
}

TEST_F(BitmapSliderTest, EndMovesTheGainFaderToValueZero)
{
    GainFader f;
    f.SetValue(60);
    QSignalSpy moved(&f, &BitmapSlider::moved);
    QTest::keyClick(&f, Qt::Key_End);
    EXPECT_EQ(f.Value(), 0);
    ASSERT_EQ(moved.count(), 1);
    EXPECT_EQ(moved.at(0).at(0).toInt(), 60) << "notices carry the internal position";
}

struct KeyCase {
    const char* name;
    Qt::Key key;
    int from;
    int to;
};

class BitmapSliderKeys : public WidgetTestP<KeyCase> {};

TEST_P(BitmapSliderKeys, KeysMoveTheInternalPosition)
{
    const KeyCase& c = GetParam();
    GainFader f;
    f.SetPos(c.from);
    QSignalSpy moved(&f, &BitmapSlider::moved);
    QTest::keyClick(&f, c.key);
    EXPECT_EQ(f.Pos(), c.to);
    EXPECT_EQ(moved.count(), 1);
}

INSTANTIATE_TEST_SUITE_P(Keys, BitmapSliderKeys, ::testing::Values(
    KeyCase{"Right", Qt::Key_Right, 30, 31},
    KeyCase{"Down", Qt::Key_Down, 30, 31},
    KeyCase{"Left", Qt::Key_Left, 30, 29},
    KeyCase{"Up", Qt::Key_Up, 30, 29},
    KeyCase{"PageDown", Qt::Key_PageDown, 30, 50},
    KeyCase{"PageUp", Qt::Key_PageUp, 30, 10},
    KeyCase{"PageDownLimited", Qt::Key_PageDown, 50, 60},
    KeyCase{"UpLimited", Qt::Key_Up, 0, 0},
    KeyCase{"Home", Qt::Key_Home, 30, 0},
    KeyCase{"End", Qt::Key_End, 30, 60}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(BitmapSliderTest, OneStepPerWheelNotchTowardsTheUserIsPlusOne)
{
    GainFader f;
    f.SetPos(30);
    QSignalSpy moved(&f, &BitmapSlider::moved);
    Wheel(&f, -120);
    EXPECT_EQ(f.Pos(), 31);
    Wheel(&f, 120);
    Wheel(&f, 120);
    EXPECT_EQ(f.Pos(), 29);
    Wheel(&f, -60);
    EXPECT_EQ(f.Pos(), 29) << "half a notch is not a step";
    Wheel(&f, -60);
    EXPECT_EQ(f.Pos(), 30);
    EXPECT_EQ(moved.count(), 4);
}

TEST_F(BitmapSliderTest, DraggingNotifiesMovingOnTimerTicksAndMovedOnRelease)
{
    GainFader f;
    f.SetValue(60);
    QSignalSpy moving(&f, &BitmapSlider::moving);
    QSignalSpy moved(&f, &BitmapSlider::moved);

    // Grabbing the thumb off its centre: the thumb keeps that offset under the pointer.
    const QPoint grab = f.ThumbRect().center() + QPoint(0, 3);
    QTest::mousePress(&f, Qt::LeftButton, {}, grab);
    EXPECT_TRUE(f.IsDragging());
    EXPECT_EQ(f.Pos(), 0) << "grabbing the thumb does not move it";
    const int movingAfterPress = int(moving.count());  // the focus it took may have told

    QTest::mouseMove(&f, grab + QPoint(0, 89));
    EXPECT_EQ(f.Pos(), 30) << "half of the 178 px travel";
    EXPECT_EQ(moving.count(), movingAfterPress) << "moving is told on the timer's tick";
    f.OnMovingTimer();
    ASSERT_EQ(moving.count(), movingAfterPress + 1);
    EXPECT_EQ(moving.last().at(0).toInt(), 30);
    f.OnMovingTimer();
    EXPECT_EQ(moving.count(), movingAfterPress + 1) << "no move, no notice";

    QTest::mouseRelease(&f, Qt::LeftButton, {}, grab + QPoint(0, 89));
    EXPECT_FALSE(f.IsDragging());
    ASSERT_EQ(moved.count(), 1);
    EXPECT_EQ(moved.at(0).at(0).toInt(), 30);
}

TEST_F(BitmapSliderTest, PressAwayFromTheThumbJumpsItUnderThePointer)
{
    GainFader f;
    f.SetValue(60);
    QTest::mousePress(&f, Qt::LeftButton, {}, QPoint(18, 200 - 4 - Skin::kThumbLength / 2));
    EXPECT_EQ(f.Pos(), 60);
    QTest::mouseRelease(&f, Qt::LeftButton, {}, QPoint(18, 190));
}

TEST_F(BitmapSliderTest, GettingTheFocusTellsThePosition)
{
    QWidget w;
    auto* first = new QLineEdit(&w);  // takes the focus when the window opens
    auto* f = new GainFader;
    f->setParent(&w);
    f->move(0, 30);
    ASSERT_TRUE(test::ShowActive(w));
    first->setFocus();
    f->SetPos(12);
    QSignalSpy moving(f, &BitmapSlider::moving);
    f->setFocus();
    ASSERT_EQ(moving.count(), 1);
    EXPECT_EQ(moving.at(0).at(0).toInt(), 12);
}

TEST_F(BitmapSliderTest, DisabledFaderIgnoresInput)
{
    GainFader f;
    f.SetPos(30);
    f.Enable(false);
    QTest::keyClick(&f, Qt::Key_End);
    Wheel(&f, -120);
    QTest::mousePress(&f, Qt::LeftButton, {}, QPoint(18, 190));
    EXPECT_EQ(f.Pos(), 30);
    EXPECT_FALSE(f.IsDragging());
}

} // namespace
} // namespace ovix
