#include "controls/BitmapSlider.h"
#include "controls/NumEdit.h"
#include "controls/Skin.h"
#include "WidgetTestUtil.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
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

// ---- Through accessibility --------------------------------------------------------
// Screen readers and UI automation see the value the field beside the fader shows, not
// the inverted internal position, and setting it is a release of the thumb there.
class BitmapSliderAccessibility : public WidgetTest {
protected:
    static QAccessibleValueInterface* ValueOf(QWidget* w)
    {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
        return a ? a->valueInterface() : nullptr;
    }
};

TEST_F(BitmapSliderAccessibility, ReadsTheGainCodeNotThePosition)
{
    GainFader f;
    f.setAccessibleName(QStringLiteral("CH1 gain"));
    f.SetValue(50);
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(&f);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->role(), QAccessible::Slider);
    EXPECT_EQ(a->text(QAccessible::Name), QStringLiteral("CH1 gain"));
    QAccessibleValueInterface* v = a->valueInterface();
    ASSERT_NE(v, nullptr) << "a fader offers the value interface";
    EXPECT_EQ(v->currentValue().toInt(), 50) << "the value, not the internal position 10";
    EXPECT_EQ(v->minimumValue().toInt(), 0);
    EXPECT_EQ(v->maximumValue().toInt(), 60) << "60 is 0 dB";
    EXPECT_EQ(v->minimumStepSize().toInt(), 1);
    QTest::keyClick(&f, Qt::Key_Up);
    EXPECT_EQ(v->currentValue().toInt(), 51) << "the interface follows the fader";
}

TEST_F(BitmapSliderAccessibility, SettingTheValueIsAReleaseThere)
{
    GainFader f;
    f.SetValue(60);
    QSignalSpy moving(&f, &BitmapSlider::moving);
    QSignalSpy moved(&f, &BitmapSlider::moved);
    QAccessibleValueInterface* v = ValueOf(&f);
    ASSERT_NE(v, nullptr);
    v->setCurrentValue(45);
    EXPECT_EQ(f.Value(), 45);
    ASSERT_EQ(moved.count(), 1) << "the console hears of it as of a release";
    EXPECT_EQ(moved.at(0).at(0).toInt(), 15) << "the notice carries the internal position";
    EXPECT_EQ(moving.count(), 0);
    v->setCurrentValue(75);
    EXPECT_EQ(f.Value(), 60) << "limited to the range";
    EXPECT_EQ(moved.count(), 2);
}

TEST_F(BitmapSliderAccessibility, IncreaseAndDecreaseStepTheValue)
{
    GainFader f;
    f.SetValue(30);
    QSignalSpy moved(&f, &BitmapSlider::moved);
    QAccessibleActionInterface* actions = QAccessible::queryAccessibleInterface(&f)->actionInterface();
    ASSERT_NE(actions, nullptr);
    actions->doAction(QAccessibleActionInterface::increaseAction());
    EXPECT_EQ(f.Value(), 31);
    actions->doAction(QAccessibleActionInterface::decreaseAction());
    actions->doAction(QAccessibleActionInterface::decreaseAction());
    EXPECT_EQ(f.Value(), 29);
    EXPECT_EQ(moved.count(), 3);
}

TEST_F(BitmapSliderAccessibility, ValueTextIsTheLinkedFieldsText)
{
    GainFader f;
    NumEdit field;
    field.SetKind(kKindGainDb);
    field.SetScaleOffset(1.0, 60.0);
    field.SetRange(0, 60);
    f.SetLinkedField(&field);
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(&f);
    f.SetValue(50);
    EXPECT_EQ(a->text(QAccessible::Value), QStringLiteral("-10dB"));
    f.SetValue(0);
    EXPECT_EQ(a->text(QAccessible::Value), QStringLiteral("OFF"));
    test::UseChinese(true);
    EXPECT_EQ(a->text(QAccessible::Value), QStringLiteral("关闭"));
}

TEST_F(BitmapSliderAccessibility, DisabledFaderCannotBeSet)
{
    GainFader f;
    f.SetValue(30);
    f.Enable(false);
    QSignalSpy moved(&f, &BitmapSlider::moved);
    ValueOf(&f)->setCurrentValue(10);
    EXPECT_EQ(f.Value(), 30);
    EXPECT_EQ(moved.count(), 0);
}

TEST_F(BitmapSliderAccessibility, TabReachesTheFaderAndItsKeysMoveIt)
{
    QWidget w;
    auto* first = new QLineEdit(&w);
    auto* f = new GainFader;
    f->setParent(&w);
    f->move(0, 30);
    f->SetValue(30);
    ASSERT_TRUE(test::ShowActive(w));
    first->setFocus();
    QTest::keyClick(first, Qt::Key_Tab);
    ASSERT_TRUE(f->hasFocus()) << "a fader takes the focus from the keyboard";
    QTest::keyClick(f, Qt::Key_Up);
    EXPECT_EQ(f->Value(), 31) << "Up raises a vertical fader";
    QTest::keyClick(f, Qt::Key_PageDown);
    EXPECT_EQ(f->Value(), 11);
    QTest::keyClick(f, Qt::Key_Home);
    EXPECT_EQ(f->Value(), 60);
}

} // namespace
} // namespace ovix
