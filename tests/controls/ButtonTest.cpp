#include "controls/ComBoxBtn.h"
#include "controls/DropBtn.h"
#include "controls/XPButton.h"
#include "WidgetTestUtil.h"

#include <QEnterEvent>
#include <QImage>
#include <QListWidget>
#include <QSignalSpy>
#include <QWheelEvent>

#include <map>

namespace ovix {
namespace {

using test::WidgetTest;

void Enter(QWidget* w)
{
    const QPointF at = QRectF(w->rect()).center();
    QEnterEvent e(at, at, w->mapToGlobal(at));
    QApplication::sendEvent(w, &e);
}

void Leave(QWidget* w)
{
    QEvent e(QEvent::Leave);
    QApplication::sendEvent(w, &e);
}

void Wheel(QWidget* w, int delta)
{
    const QPointF at = QRectF(w->rect()).center();
    QWheelEvent e(at, w->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &e);
}

// ---- XPButton -----------------------------------------------------------------------
class XPButtonTest : public WidgetTest {};

TEST_F(XPButtonTest, EveryStateLooksDifferent)
{
    XPButton b;
    b.resize(140, 34);
    b.SetCaption(QStringLiteral("Bypass All EQ"));
    std::map<QString, QImage> looks;
    for (bool lit : {false, true}) {
        b.SetLit(lit);
        const QString set = lit ? QStringLiteral("lit ") : QStringLiteral("unlit ");
        b.setEnabled(true);
        looks[set + "normal"] = b.grab().toImage();
        Enter(&b);
        ASSERT_TRUE(b.IsHover());
        looks[set + "hover"] = b.grab().toImage();
        QTest::mousePress(&b, Qt::LeftButton, {}, b.rect().center());
        looks[set + "pressed"] = b.grab().toImage();
        QTest::mouseRelease(&b, Qt::LeftButton, {}, b.rect().center());
        Leave(&b);
        ASSERT_FALSE(b.IsHover());
        b.setEnabled(false);
        looks[set + "disabled"] = b.grab().toImage();
    }
    ASSERT_EQ(looks.size(), 8u);
    for (auto a = looks.begin(); a != looks.end(); ++a)
        for (auto c = std::next(a); c != looks.end(); ++c)
            EXPECT_NE(a->second, c->second) << a->first.toStdString() << " looks like " << c->first.toStdString();
}

TEST_F(XPButtonTest, LitCaption)
{
    XPButton b;
    b.SetCaption(QStringLiteral("Bypass All EQ"));
    b.SetLitCaption(QStringLiteral("Restore All EQ"));
    EXPECT_EQ(b.text(), QStringLiteral("Bypass All EQ"));
    b.SetLit(true);
    EXPECT_TRUE(b.IsLit());
    EXPECT_EQ(b.text(), QStringLiteral("Restore All EQ"));
    // new captions (the owner's, after a language switch) show in the current state
    b.SetCaption(QStringLiteral("直通所有均衡"));
    b.SetLitCaption(QStringLiteral("恢复所有均衡"));
    EXPECT_EQ(b.text(), QStringLiteral("恢复所有均衡"));
    b.SetLit(false);
    EXPECT_EQ(b.text(), QStringLiteral("直通所有均衡"));
    b.SetLitCaption(QString());
    b.SetLit(true);
    EXPECT_EQ(b.text(), QStringLiteral("直通所有均衡")) << "no lit caption: the caption";
}

TEST_F(XPButtonTest, ClickIsAnOrdinaryClickAndLeavesTheLitFlagToTheOwner)
{
    XPButton b;
    b.resize(100, 30);
    QSignalSpy clicked(&b, &QAbstractButton::clicked);
    QTest::mouseClick(&b, Qt::LeftButton, {}, b.rect().center());
    EXPECT_EQ(clicked.count(), 1);
    EXPECT_FALSE(b.IsLit());
    EXPECT_EQ(b.cursor().shape(), Qt::PointingHandCursor);
}

// ---- ComBoxBtn ----------------------------------------------------------------------
class ComBoxBtnTest : public WidgetTest {
protected:
    ComBoxBtnTest()
    {
        m_box.resize(120, 28);
        for (const char* s : {"Ms", "Cm", "In"})
            m_box.AddItem(QString::fromLatin1(s));
        m_box.SetNotifyId(77);
    }
    ComBoxBtn m_box;
};

TEST_F(ComBoxBtnTest, WheelAtTheLastItemKeepsItThenTurningBackNeedsTwoNotches)
{
    m_box.SetSel(2);
    QSignalSpy selected(&m_box, &ComBoxBtn::selected);

    Wheel(&m_box, -120);  // towards the user at the last item
    EXPECT_EQ(m_box.GetSel(), 2);
    ASSERT_EQ(selected.count(), 1) << "the notice is sent even though nothing moved";
    EXPECT_EQ(selected.at(0).at(0).toInt(), 77);
    EXPECT_EQ(selected.at(0).at(1).toInt(), 2);

    Wheel(&m_box, 120);  // away: the sum only returns to zero
    EXPECT_EQ(m_box.GetSel(), 2);
    EXPECT_EQ(selected.count(), 1);

    Wheel(&m_box, 120);  // away again: the previous item
    EXPECT_EQ(m_box.GetSel(), 1);
    ASSERT_EQ(selected.count(), 2);
    EXPECT_EQ(selected.at(1).at(1).toInt(), 1);
}

TEST_F(ComBoxBtnTest, WheelKeepsSteppingWhileTheSumSitsAtALimit)
{
    m_box.SetSel(2);
    Wheel(&m_box, 120);
    Wheel(&m_box, 120);
    EXPECT_EQ(m_box.GetSel(), 0);
    Wheel(&m_box, 120);
    EXPECT_EQ(m_box.GetSel(), 0) << "clamped to the first item";
    Wheel(&m_box, -60);
    Wheel(&m_box, -60);
    EXPECT_EQ(m_box.GetSel(), 0) << "a full notch back only brings the sum to zero";
    Wheel(&m_box, -120);
    EXPECT_EQ(m_box.GetSel(), 1);
}

TEST_F(ComBoxBtnTest, ClickOpensTheListAndChoosingAnItemSelectsAndNotifies)
{
    QWidget w;
    m_box.setParent(&w);
    ASSERT_TRUE(test::ShowActive(w));
    m_box.SetSel(0);
    QSignalSpy selected(&m_box, &ComBoxBtn::selected);

    QTest::mouseClick(&m_box, Qt::LeftButton, {}, m_box.rect().center());
    ASSERT_TRUE(m_box.IsPopupOpen());
    QListWidget* list = m_box.Popup()->List();
    ASSERT_EQ(list->count(), 3);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());

    EXPECT_FALSE(m_box.IsPopupOpen());
    EXPECT_EQ(m_box.GetSel(), 1);
    EXPECT_EQ(m_box.text(), QStringLiteral("Cm"));
    ASSERT_EQ(selected.count(), 1);
    EXPECT_EQ(selected.at(0).at(0).toInt(), 77);
    EXPECT_EQ(selected.at(0).at(1).toInt(), 1);
    m_box.setParent(nullptr);
}

TEST_F(ComBoxBtnTest, SecondClickClosesTheListWithoutAChoice)
{
    QWidget w;
    m_box.setParent(&w);
    ASSERT_TRUE(test::ShowActive(w));
    QSignalSpy selected(&m_box, &ComBoxBtn::selected);
    QTest::mouseClick(&m_box, Qt::LeftButton, {}, m_box.rect().center());
    ASSERT_TRUE(m_box.IsPopupOpen());
    m_box.click();
    EXPECT_FALSE(m_box.IsPopupOpen());
    EXPECT_EQ(selected.count(), 0);
    m_box.setParent(nullptr);
}

TEST_F(ComBoxBtnTest, ResetAndSelectionBounds)
{
    m_box.SetSel(5);
    EXPECT_EQ(m_box.GetSel(), -1) << "an index outside the list is ignored";
    m_box.SetSel(1);
    m_box.Reset();
    EXPECT_EQ(m_box.Count(), 0);
    EXPECT_EQ(m_box.GetSel(), -1);
}

} // namespace
} // namespace ovix
