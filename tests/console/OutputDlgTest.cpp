// The equaliser editor in the real console: typing, the "BY" toggles, bypass all and
// restore all, the PEQ/GEQ conversion, linked channels, graph drags, keyboard and names,
// checked on the records behind it.

#include "app/MainFrm.h"
#include "app/QamrelView.h"
#include "controls/BitmapSlider.h"
#include "controls/NumEdit.h"
#include "controls/NumSpin.h"
#include "controls/UiLanguage.h"
#include "controls/XPButton.h"
#include "dialogs/OutputDlg.h"
#include "graph/FStatic.h"
#include "simulator/SimBus.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "ConsoleTestUtil.h"

using namespace ovix;
using ovix::test::Type;
using ovix::test::WaitFor;

namespace {

constexpr int kBand12 = 11;  // band 12, 250 Hz

class EqEditor : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(settingsDir.isValid());
        ASSERT_TRUE(startDir.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
        SetUiLanguage(UiLanguage::English);
        model = std::make_unique<ParameterModel>();
        ResetImage(model->image);
        CQamrelView::Options o;
        o.backend = std::make_shared<sim::CSimBus>();  // no processor: edits change the records only
        o.startDir = startDir.path();
        frame = std::make_unique<CMainFrame>(*model, flags, o);
        view = &frame->View();
        view->m_messageHook = [](const QString&, MessageStyle) {};
        view->m_linkChoiceHook = [](int) { return 0; };
        view->m_confirmHook = [](const QString&) { return true; };
        view->InitialUpdate();
        frame->show();
        // every channel flat, with its bands at the standard frequencies
        for (int ch = 0; ch < kOutputChannels; ++ch) {
            for (int b = 0; b < kOutputBands; ++b)
                Band(ch, b).ResetBand(IsoBandTable[std::size_t(b)]);
            view->Doc().Records().Out(ch).RefreshCurve();
        }
        view->RefreshSelectedChannel();
        editor = &view->OutputEditor();
        editor->m_askHook = [this](const QString& q) {
            asked << q;
            return answer;
        };
    }
    void TearDown() override
    {
        frame.reset();
        SetUiLanguage(UiLanguage::English);
    }


    COutputDlg::BandStrip& Strip(int band) { return editor->Strip(band); }
    // The widget the console's window gives the keys to.
    bool Focused(const QWidget* w) const { return view->window()->focusWidget() == w; }
    CFilter& Band(int ch, int band) { return view->Doc().Records().Out(ch).Band(band); }
    void LinkFront()
    {
        view->LinkToggleButton(0).click();
        ASSERT_TRUE(view->LinkToggleButton(0).IsLit());
    }
    template <class T = QWidget>
    T* Named(const QString& name)
    {
        for (QWidget* w : view->findChildren<QWidget*>())
            if (w->accessibleName() == name)
                return qobject_cast<T*>(w);
        return nullptr;
    }

    QTemporaryDir settingsDir, startDir;
    std::unique_ptr<ParameterModel> model;
    LinkFlags flags;
    std::unique_ptr<CMainFrame> frame;
    CQamrelView* view = nullptr;
    COutputDlg* editor = nullptr;
    QStringList asked;
    bool answer = true;
};

} // namespace

TEST_F(EqEditor, ZeroDecibelsLightsByAndByCannotSwitchSuchABandOn)
{
    COutputDlg::BandStrip& s = Strip(3);
    Type(s.gain, "-3.5");
    EXPECT_EQ(Band(0, 3).GainCode(), 165);
    EXPECT_FALSE(s.bypass->IsLit());
    EXPECT_EQ(s.slider->Value(), 165) << "the slider follows the field";
    EXPECT_EQ(editor->HighlightedBand(), 3);
    EXPECT_EQ(editor->HighlightedField(), s.gain);

    Type(s.gain, "0.0");
    EXPECT_TRUE(s.bypass->IsLit()) << "0.0 dB is bypassed";
    EXPECT_EQ(s.slider->Value(), 200) << "the slider at the centre";
    EXPECT_TRUE(Band(0, 3).EffectivelyBypassed());

    s.bypass->click();
    EXPECT_TRUE(s.bypass->IsLit()) << "a 0.0 dB band stays bypassed";
    EXPECT_TRUE(Band(0, 3).EffectivelyBypassed());

    // a band with a gain is bypassed and switched on again with its stored gain
    Type(s.gain, "4.5");
    EXPECT_FALSE(s.bypass->IsLit());
    s.bypass->click();
    EXPECT_TRUE(s.bypass->IsLit());
    EXPECT_EQ(s.gain->text(), "0.0");
    EXPECT_EQ(s.slider->Value(), 200);
    EXPECT_EQ(Band(0, 3).GainCode(), 245) << "the stored gain is kept";
    s.bypass->click();
    EXPECT_FALSE(s.bypass->IsLit());
    EXPECT_EQ(s.gain->text(), "4.5");
    EXPECT_EQ(s.slider->Value(), 245);
}

TEST_F(EqEditor, RestoreAllWithEveryBandAtZeroAsksNothing)
{
    ASSERT_TRUE(view->BypassButton().IsLit()) << "a flat channel is all bypassed";
    view->BypassButton().click();
    EXPECT_TRUE(asked.isEmpty());
    EXPECT_TRUE(view->BypassButton().IsLit());
    EXPECT_TRUE(view->Doc().Records().Out(0).Band(0).EffectivelyBypassed());
}

TEST_F(EqEditor, BypassAllThenRestoreAllBringsBackTheGainsAndKeepsOwnBypasses)
{
    Type(Strip(1).gain, "3.0");
    Type(Strip(4).gain, "-2.0");
    Strip(4).bypass->click();  // bypassed on its own
    ASSERT_TRUE(Strip(4).bypass->IsLit());
    ASSERT_FALSE(view->BypassButton().IsLit());

    view->BypassButton().click();
    EXPECT_EQ(asked, QStringList{"Whether ByPass All EQ?"});
    EXPECT_TRUE(view->BypassButton().IsLit());
    EXPECT_TRUE(Strip(1).bypass->IsLit());
    EXPECT_EQ(Strip(1).slider->Value(), 200);
    EXPECT_TRUE(Band(0, 1).EffectivelyBypassed());
    EXPECT_TRUE(view->Graph().BannerShown());

    view->BypassButton().click();
    EXPECT_EQ(asked.last(), "Whether Restore All EQ?");
    EXPECT_FALSE(view->BypassButton().IsLit());
    EXPECT_FALSE(Strip(1).bypass->IsLit());
    EXPECT_EQ(Strip(1).slider->Value(), 230) << "the stored gain comes back";
    EXPECT_EQ(Strip(1).gain->text(), "3.0");
    EXPECT_TRUE(Strip(4).bypass->IsLit()) << "bypassed before, bypassed after";
    EXPECT_TRUE(Band(0, 4).EffectivelyBypassed());
    EXPECT_EQ(Band(0, 4).GainCode(), 180);

    SetUiLanguage(UiLanguage::Chinese);
    view->BypassButton().click();
    EXPECT_EQ(asked.last(), QString::fromUtf8("是否直通所有均衡？"));
    view->BypassButton().click();
    EXPECT_EQ(asked.last(), QString::fromUtf8("是否恢复所有均衡？"));
    view->EqModeButton().click();
    EXPECT_EQ(asked.last(), QString::fromUtf8("是否把参量均衡模式转换为图示均衡模式?"));
    view->EqModeButton().click();
    EXPECT_EQ(asked.last(), QString::fromUtf8("是否把图示均衡模式转换为参量均衡模式?"));
}

TEST_F(EqEditor, CancelOnAnyQuestionChangesNothing)
{
    LinkFront();
    Type(Strip(1).gain, "3.0");
    Type(Strip(2).freq, "900");
    answer = false;

    view->BypassButton().click();
    EXPECT_EQ(asked.size(), 1);
    EXPECT_FALSE(view->BypassButton().IsLit());
    for (int ch : {0, 1}) {
        EXPECT_FALSE(Band(ch, 1).EffectivelyBypassed()) << "channel " << ch;
        EXPECT_EQ(Band(ch, 1).GainCode(), 230) << "channel " << ch;
    }
    EXPECT_FALSE(Strip(1).bypass->IsLit());
    EXPECT_EQ(Strip(1).slider->Value(), 230);

    view->EqModeButton().click();
    EXPECT_EQ(asked.size(), 2);
    EXPECT_FALSE(view->EqModeButton().IsLit());
    EXPECT_EQ(editor->ShownEqMode(), 0);
    for (int ch : {0, 1}) {
        EXPECT_EQ(view->Doc().Records().Out(ch).GeqMode(), 0);
        EXPECT_EQ(Band(ch, 2).Freq(), 900) << "channel " << ch;
    }
    EXPECT_EQ(Strip(2).freq->Code(), 900);
}

TEST_F(EqEditor, ModeConversionBothWaysResetsTheChannelAndItsLinkedChannel)
{
    LinkFront();
    Type(Strip(kBand12).freq, "300");
    Type(Strip(kBand12).q, "1.414");
    Type(Strip(kBand12).gain, "6.0");
    Band(2, kBand12).SetGainCode(260);

    for (int mode : {1, 0}) {
        view->EqModeButton().click();
        EXPECT_EQ(asked.last(), mode ? "Whether the PEQMode convert to GEQMode?" : "Whether the GEQMode convert to PEQMode?");
        EXPECT_EQ(view->EqModeButton().IsLit(), mode == 1);
        EXPECT_EQ(editor->ShownEqMode(), mode);
        for (int ch : {0, 1}) {
            EXPECT_EQ(view->Doc().Records().Out(ch).GeqMode(), mode) << "channel " << ch;
            for (int b = 0; b < kOutputBands; ++b) {
                ASSERT_EQ(Band(ch, b).Freq(), IsoBandTable[std::size_t(b)]) << "channel " << ch << " band " << b;
                ASSERT_EQ(Band(ch, b).BandwidthIndex(), 15);
                ASSERT_TRUE(Band(ch, b).EffectivelyBypassed());
            }
        }
        EXPECT_EQ(Strip(kBand12).freq->text(), "250Hz");
        EXPECT_EQ(Strip(kBand12).q->text(), "7.208");
        EXPECT_EQ(Strip(kBand12).gain->text(), "0.0");
        EXPECT_TRUE(Strip(kBand12).bypass->IsLit());
        EXPECT_EQ(Band(2, kBand12).GainCode(), 260) << "CH3 is not linked";
        Type(Strip(kBand12).gain, "6.0");  // something to reset the second time
    }
}

TEST_F(EqEditor, GraphicModeLocksFrequencyAndQAgainstTypingAndSpinners)
{
    view->EqModeButton().click();
    ASSERT_EQ(editor->ShownEqMode(), 1);
    COutputDlg::BandStrip& s = Strip(kBand12);
    Type(s.freq, "500");
    Type(s.q, "2");
    s.freqSpin->Step(+1);
    s.qSpin->Step(-1);
    QTest::keyClick(s.freq, Qt::Key_Up);
    EXPECT_EQ(Band(0, kBand12).Freq(), 250);
    EXPECT_EQ(Band(0, kBand12).BandwidthIndex(), 15);
    EXPECT_EQ(s.freq->text(), "250Hz") << "the values stay shown";
    EXPECT_EQ(s.q->text(), "7.208");
    EXPECT_EQ(s.freq->focusPolicy(), Qt::NoFocus);
    Type(s.gain, "2.0");
    EXPECT_EQ(Band(0, kBand12).GainCode(), 220) << "the gain stays editable";

    // selecting another channel in PEQ mode unlocks them
    view->SelectChannel(2);
    s.freqSpin->Step(+1);
    EXPECT_GT(Band(2, kBand12).Freq(), 250);
    EXPECT_FALSE(view->EqModeButton().IsLit());
}

TEST_F(EqEditor, AnEditOnBand12OfCh1ReachesCh2AndNotCh3)
{
    LinkFront();
    COutputDlg::BandStrip& s = Strip(kBand12);
    Type(s.freq, "400");
    Type(s.q, "1.414");
    Type(s.gain, "-4.0");
    for (int ch : {0, 1}) {
        EXPECT_EQ(Band(ch, kBand12).Freq(), 400) << "channel " << ch;
        EXPECT_EQ(Band(ch, kBand12).BandwidthIndex(), Band(0, kBand12).BandwidthIndex());
        EXPECT_EQ(Band(ch, kBand12).GainCode(), 160) << "channel " << ch;
    }
    EXPECT_NE(Band(0, kBand12).BandwidthIndex(), 15);
    EXPECT_EQ(Band(2, kBand12).Freq(), 250);
    EXPECT_EQ(Band(2, kBand12).GainCode(), 200);
    EXPECT_EQ(Band(2, kBand12).BandwidthIndex(), 15);
    s.slider->SetValueByUser(300);
    EXPECT_EQ(Band(1, kBand12).GainCode(), 300) << "the slider is mirrored too";
    EXPECT_EQ(s.gain->text(), "10.0");
}

TEST_F(EqEditor, DraggingBand12OnTheGraphUpdatesTheStripAndTheLinkedChannel)
{
    LinkFront();
    Type(Strip(kBand12).gain, "6.0");
    CFStatic& graph = view->Graph();
    QWidget* top = graph.window();
    const QPoint from = graph.HandleRect(kBand12).center();
    const QPoint to = from + QPoint(40, 35);
    auto at = [&](QPoint p) { return graph.mapTo(top, p); };
    QTest::mouseMove(top->windowHandle(), at(from));
    QTest::mousePress(top->windowHandle(), Qt::LeftButton, {}, at(from));
    QTest::mouseMove(top->windowHandle(), at(to));
    QTest::mouseRelease(top->windowHandle(), Qt::LeftButton, {}, at(to));
    ASSERT_NE(Band(0, kBand12).Freq(), 250) << "the drag moved the band";

    COutputDlg::BandStrip& s = Strip(kBand12);
    ASSERT_TRUE(WaitFor([&] { return s.freq->Code() == Band(0, kBand12).Freq(); }))
        << "the strip follows after the graph's notification";
    EXPECT_EQ(s.slider->Value(), Band(0, kBand12).GainCode());
    EXPECT_EQ(s.gain->Code(), Band(0, kBand12).GainCode());
    EXPECT_NE(Band(0, kBand12).GainCode(), 260);
    EXPECT_EQ(Band(1, kBand12).Freq(), Band(0, kBand12).Freq());
    EXPECT_EQ(Band(1, kBand12).GainCode(), Band(0, kBand12).GainCode());
    EXPECT_EQ(editor->HighlightedBand(), kBand12);
}

TEST_F(EqEditor, ArrowsMoveAlongTheFadersAndEnterGoesDownTheStrip)
{
    BitmapSlider* first = Strip(0).slider;
    first->setFocus();
    const int value = first->Value();
    QTest::keyClick(first, Qt::Key_Left);
    EXPECT_TRUE(Focused(Strip(30).slider)) << "Left from band 1 wraps to band 31";
    QTest::keyClick(Strip(30).slider, Qt::Key_Right);
    EXPECT_TRUE(Focused(first)) << "Right from band 31 wraps to band 1";
    QTest::keyClick(first, Qt::Key_Right);
    EXPECT_TRUE(Focused(Strip(1).slider));
    EXPECT_EQ(first->Value(), value) << "the arrows do not step the fader";
    EXPECT_EQ(Strip(1).slider->Value(), value);
    EXPECT_EQ(Band(0, 0).GainCode(), 200);

    COutputDlg::BandStrip& s = Strip(5);
    s.freq->setFocus();
    QTest::keyClick(s.freq, Qt::Key_Return);
    EXPECT_TRUE(Focused(s.q));
    QTest::keyClick(s.q, Qt::Key_Enter);
    EXPECT_TRUE(Focused(s.gain));
    QTest::keyClick(s.gain, Qt::Key_Return);
    EXPECT_TRUE(Focused(s.slider));
    QTest::keyClick(s.slider, Qt::Key_Return);
    EXPECT_TRUE(Focused(editor)) << "Enter elsewhere puts the focus on the panel";
    s.bypass->setFocus();
    QTest::keyClick(s.bypass, Qt::Key_Escape);
    EXPECT_TRUE(Focused(editor));
    EXPECT_TRUE(editor->isVisible()) << "Enter and Esc keep the panel open";
}

TEST_F(EqEditor, EveryStripIsNamedInBothLanguagesAndTheFaderTakesItsValue)
{
    for (bool chinese : {false, true}) {
        SetUiLanguage(chinese ? UiLanguage::Chinese : UiLanguage::English);
        for (int k : {1, 12, 31}) {
            const COutputDlg::BandStrip& s = Strip(k - 1);
            const QString n = QString::number(k);
            EXPECT_EQ(s.slider->accessibleName(), chinese ? QString::fromUtf8("频段%1 增益").arg(n) : "Band " + n + " gain");
            EXPECT_EQ(s.gain->accessibleName(),
                      chinese ? QString::fromUtf8("频段%1 增益数值").arg(n) : "Band " + n + " gain field");
            EXPECT_EQ(s.freq->accessibleName(), chinese ? QString::fromUtf8("频段%1 频率").arg(n) : "Band " + n + " frequency");
            EXPECT_EQ(s.q->accessibleName(), chinese ? QString::fromUtf8("频段%1 Q").arg(n) : "Band " + n + " Q");
            EXPECT_EQ(s.bypass->accessibleName(), chinese ? QString::fromUtf8("频段%1 直通").arg(n) : "Band " + n + " bypass");
        }
    }
    SetUiLanguage(UiLanguage::English);
    auto* fader = Named<BitmapSlider>("Band 12 gain");
    ASSERT_EQ(fader, Strip(kBand12).slider);
    QAccessibleValueInterface* value = QAccessible::queryAccessibleInterface(fader)->valueInterface();
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->currentValue().toInt(), 200);
    value->setCurrentValue(250);
    EXPECT_EQ(Band(0, kBand12).GainCode(), 250);
    EXPECT_EQ(Strip(kBand12).gain->text(), "5.0");
    EXPECT_FALSE(Strip(kBand12).bypass->IsLit());
}

TEST_F(EqEditor, ResetAllEqReloadsTheEditor)
{
    Type(Strip(6).gain, "5.0");
    Type(Strip(6).freq, "120");
    view->ResetEqButton().click();
    EXPECT_EQ(Strip(6).freq->text(), "80Hz");
    EXPECT_EQ(Strip(6).slider->Value(), 200);
    EXPECT_TRUE(Strip(6).bypass->IsLit());
    EXPECT_EQ(editor->HighlightedBand(), -1) << "no highlight after loading";
}

TEST_F(EqEditor, TheQuestionsOfferYesNoInChineseAndOkCancelOtherwise)
{
    editor->m_askHook = nullptr;  // the real message boxes
    Type(Strip(1).gain, "3.0");
    QMessageBox::StandardButtons offered;
    // answers the next question box with its negative button, noting the buttons it had
    auto refuseNext = [&] {
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            offered = box->standardButtons();
            box->button(offered & QMessageBox::No ? QMessageBox::No : QMessageBox::Cancel)->click();
        });
    };
    struct Case {
        bool chinese;
        bool bypass;  // else the mode conversion
        QMessageBox::StandardButtons buttons;
    };
    const Case cases[] = {
        {false, true, QMessageBox::Ok | QMessageBox::Cancel},
        {true, true, QMessageBox::Yes | QMessageBox::No},
        {false, false, QMessageBox::Ok | QMessageBox::Cancel},
        {true, false, QMessageBox::Ok | QMessageBox::Cancel},
    };
    for (const Case& c : cases) {
        SetUiLanguage(c.chinese ? UiLanguage::Chinese : UiLanguage::English);
        offered = {};
        refuseNext();
        (c.bypass ? view->BypassButton() : view->EqModeButton()).click();
        EXPECT_EQ(offered, c.buttons) << (c.chinese ? "Chinese " : "English ") << (c.bypass ? "bypass" : "mode");
        EXPECT_FALSE(view->BypassButton().IsLit()) << "refused: nothing changes";
        EXPECT_FALSE(view->EqModeButton().IsLit());
        EXPECT_EQ(Band(0, 1).GainCode(), 230);
        EXPECT_FALSE(Band(0, 1).EffectivelyBypassed());
    }
}
