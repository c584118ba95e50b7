// The console application: start-up, settings and language, connecting through the real
// console view to simulated processors, and the console's working surface: strips, master,
// crossover panels, link toggles, names and keyboard.

#include "app/ConsoleParts.h"
#include "app/MainFrm.h"
#include "app/QamrelApp.h"
#include "controls/BitmapSlider.h"
#include "controls/ComBoxBtn.h"
#include "controls/NumEdit.h"
#include "controls/NumSpin.h"
#include "controls/UiGlobals.h"
#include "controls/UiLanguage.h"
#include "controls/XPButton.h"
#include "dialogs/DisplayDlg.h"
#include "dialogs/UpgradeDlg.h"
#include "dialogs/VersionDlg.h"
#include "graph/FStatic.h"
#include "simulator/SimBus.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QElapsedTimer>
#include <QProcess>
#include <QProgressBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>
#include <set>

#include "ConsoleTestUtil.h"

using namespace ovix;
using ovix::test::Type;
using ovix::test::WaitFor;

namespace {

class Console : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(settingsDir.isValid());
        ASSERT_TRUE(startDir.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
        SetUiLanguage(UiLanguage::English);
        bus = std::make_shared<sim::CSimBus>();
    }
    void TearDown() override
    {
        frame.reset();
        SetUiLanguage(UiLanguage::English);
    }

    sim::CSimProcessor& AddSim(const std::string& version = "QX907-V1.00")
    {
        sim::SimOptions o;
        o.version = version;
        o.reportDelay = std::chrono::microseconds(0);
        return bus->Add(o);
    }

    CQamrelView& Start(bool systemChinese = false)
    {
        model = std::make_unique<ParameterModel>();
        ResetImage(model->image);
        CQamrelView::Options o;
        o.backend = bus;
        o.startDir = startDir.path();
        o.systemChinese = systemChinese;
        frame = std::make_unique<CMainFrame>(*model, flags, o);
        CQamrelView& view = frame->View();
        view.m_messageHook = [this](const QString& text, MessageStyle style) {
            messages << text;
            styles.push_back(style);
        };
        view.m_chooseDeviceHook = [this](const std::vector<std::string>& entries) {
            menus.push_back(entries);
            return menuChoice;
        };
        view.Link().SetDisconnectPause(std::chrono::milliseconds(0));
        view.InitialUpdate();
        frame->show();
        return view;
    }

    bool Synced(CQamrelView& v) { return v.Link().Synced() && v.Link().DelayMemoryReturned(); }

    // Connected to a simulated processor, its state read and the loading window gone.
    CQamrelView& StartSynced(sim::CSimProcessor*& sim)
    {
        sim = &AddSim();
        CQamrelView& view = Start();
        EXPECT_TRUE(WaitFor([&] { return Synced(view) && flags.busy == 0 && !view.DisplayDlg().Showing(); }));
        return view;
    }

    // The console's control with this accessible name.
    template <class T = QWidget>
    static T* Named(CQamrelView& view, const QString& name)
    {
        for (QWidget* w : view.findChildren<QWidget*>())
            if (w->accessibleName() == name)
                return qobject_cast<T*>(w);
        return nullptr;
    }

    // Write frames the processor received: (record type, index, block) of each.
    static std::vector<std::array<int, 3>> Writes(const sim::CSimProcessor& sim)
    {
        std::vector<std::array<int, 3>> writes;
        for (const auto& f : sim.ReceivedFrames())
            if (f.size() > 9 && f[4] == CMD_WRITE)
                writes.push_back({f[7], f[8], f[9]});
        return writes;
    }

    CKTV_Data& Records(CQamrelView& v) { return v.Doc().Records(); }

    QSettings MainKey() const
    {
        return QSettings(QSettings::NativeFormat, QSettings::UserScope, kSettingsOrganisation, kMainKey);
    }

    QTemporaryDir settingsDir, startDir;
    std::shared_ptr<sim::CSimBus> bus;
    std::unique_ptr<ParameterModel> model;
    LinkFlags flags;
    std::unique_ptr<CMainFrame> frame;
    QStringList messages;
    std::vector<MessageStyle> styles;
    std::vector<std::vector<std::string>> menus;
    int menuChoice = -1;
};

} // namespace

TEST(Startup, RegistrationSwitchesEndTheLine)
{
    const struct {
        const char* line;
        bool match;
    } cases[] = {
        {"-RegServer", true}, {"/unregserver", true}, {"--device sim -REGSERVER", true},
        {"-RegServer extra", false}, {"RegServer", false}, {"--device unix:/tmp/x", false}, {"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CQamrelApp::HasRegistrationSwitch(QString::fromLatin1(c.line)), c.match) << c.line;
}

TEST(Startup, ChineseOnlyForTheChinaLocale)
{
    EXPECT_TRUE(CQamrelApp::IsChineseLocale(QLocale(QLocale::Chinese, QLocale::China)));
    EXPECT_FALSE(CQamrelApp::IsChineseLocale(QLocale(QLocale::Chinese, QLocale::Taiwan)));
    EXPECT_FALSE(CQamrelApp::IsChineseLocale(QLocale(QLocale::English, QLocale::UnitedStates)));
}

TEST(Startup, RegistrationSwitchesOpenNoWindow)
{
    for (const char* sw : {"-RegServer", "/UnregServer"}) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        env.insert("QT_QPA_PLATFORM", "xcb");  // any window would fail without a display
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(OVIX_BINARY), {QString::fromLatin1(sw)});
        ASSERT_TRUE(p.waitForFinished(20000)) << sw;
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit) << sw;
        EXPECT_EQ(p.exitCode(), 0) << sw << ": " << p.readAllStandardError().toStdString();
    }
}

TEST_F(Console, FirstStartTakesTheLanguageFromTheLocaleAndCreatesTheSettings)
{
    for (bool chinese : {true, false}) {
        frame.reset();
        MainKey().clear();
        QDir(startDir.path() + "/DataFile").removeRecursively();
        CQamrelView& view = Start(chinese);
        EXPECT_EQ(CurrentUiLanguage(), chinese ? UiLanguage::Chinese : UiLanguage::English);
        EXPECT_EQ(view.ConnectText(), chinese ? "未连接" : "Not connect");
        QSettings key = MainKey();
        EXPECT_EQ(key.value("Language").toString(), chinese ? "Chinese" : "English");
        EXPECT_EQ(key.value("Name").toString(), "");
        EXPECT_EQ(key.value("Path").toString(), QDir::toNativeSeparators(startDir.path() + "/DataFile/*.bin"));
        EXPECT_TRUE(QDir(startDir.path() + "/DataFile").exists()) << "the data folder is created";
    }
}

TEST_F(Console, StoredLanguageWinsAndAnyOtherWordMeansEnglish)
{
    const struct {
        const char* stored;
        bool chinese;
    } cases[] = {{"Chinese", true}, {"English", false}, {"Klingon", false}};
    for (const auto& c : cases) {
        frame.reset();
        {
            QSettings key = MainKey();
            key.setValue("Language", c.stored);
            key.setValue("Name", "");
            key.setValue("Path", "x");
        }
        Start(!c.chinese);  // the locale says the opposite
        EXPECT_EQ(CurrentUiLanguage(), c.chinese ? UiLanguage::Chinese : UiLanguage::English) << c.stored;
    }
}

TEST_F(Console, ToggleLanguageIsSavedAtOnce)
{
    CQamrelView& view = Start(false);
    view.ToggleLanguage();
    EXPECT_EQ(MainKey().value("Language").toString(), "Chinese");
    EXPECT_EQ(view.ConnectText(), "未连接");
    view.ToggleLanguage();
    EXPECT_EQ(MainKey().value("Language").toString(), "English");
    EXPECT_EQ(view.ConnectText(), "Not connect");
}

TEST_F(Console, AutoConnectReachesTheSyncedStateAndTheLoadingWindowCloses)
{
    AddSim();
    CQamrelView& view = Start();
    ASSERT_TRUE(WaitFor([&] { return Synced(view); }));
    EXPECT_EQ(view.ConnectText(), "Connected");
    ASSERT_TRUE(WaitFor([&] { return !view.DisplayDlg().Showing(); })) << "the loading window closes itself";
    EXPECT_TRUE(view.isEnabled()) << "and gives the console back";
    EXPECT_TRUE(messages.isEmpty());

    view.OnConnect();  // the Connect button disconnects
    EXPECT_FALSE(view.Link().IsConnected());
    EXPECT_EQ(view.ConnectText(), "Not connect");
}

TEST_F(Console, TwoProcessorsGiveAMenuOneRecordedElsewhereConnectsDirectly)
{
    AddSim();
    AddSim();
    bus->Unplug("sim:1");  // keep start-up from connecting to the first one
    bus->Unplug("sim:2");
    CQamrelView& view = Start();
    WaitFor([] { return false; }, 100);
    bus->Replug("sim:1");
    bus->Replug("sim:2");
    WaitFor([] { return false; }, 100);
    ASSERT_FALSE(view.Link().IsConnected());

    menuChoice = 1;
    view.OnConnect();
    ASSERT_EQ(menus.size(), 1u);
    EXPECT_EQ(menus[0], (std::vector<std::string>{"USB1", "USB2"}));
    ASSERT_TRUE(WaitFor([&] { return Synced(view); }));
    EXPECT_EQ(view.Link().Transport().DevicePath(), "sim:2");
    view.OnConnect();
    ASSERT_FALSE(view.Link().IsConnected());

    SettingsStore().RecordOpenDevice("sim:1");  // another console holds it
    menus.clear();
    view.OnConnect();
    EXPECT_TRUE(menus.empty());
    EXPECT_TRUE(view.Link().IsConnected());
    EXPECT_EQ(view.Link().Transport().DevicePath(), "sim:2");
}

TEST_F(Console, IncompatibleVersionShowsItsMessage)
{
    AddSim("QX907-V2.00");
    CQamrelView& view = Start();
    ASSERT_TRUE(WaitFor([&] { return !messages.isEmpty(); }));
    EXPECT_EQ(messages.front(), " If software version is lower than the device version, only the software at "
                                "version, PHN338-V2.01 to PHN338-V2.99, can be connected with this device.");
    EXPECT_FALSE(view.Link().IsConnected());
}

TEST_F(Console, UnplugShowsTheConnectionFailureAndDisconnects)
{
    AddSim();
    CQamrelView& view = Start(true);
    ASSERT_TRUE(WaitFor([&] { return Synced(view); }));
    bus->Unplug("sim:1");
    ASSERT_TRUE(WaitFor([&] { return !messages.isEmpty() && !view.Link().IsConnected(); }));
    EXPECT_EQ(messages.front(), "连接失败  请检查USB线缆是否插好或重启计算机和设备后再尝试连接!");
    EXPECT_EQ(styles.front(), MessageStyle::SelfClosing);
    EXPECT_EQ(view.ConnectText(), "未连接");
    EXPECT_FALSE(view.DisplayDlg().Showing());

    bus->Replug("sim:1");
    EXPECT_TRUE(WaitFor([&] { return Synced(view); })) << "the processor comes back by itself";
}

TEST_F(Console, NoProcessorAtAll)
{
    CQamrelView& view = Start();
    WaitFor([] { return false; }, 100);
    EXPECT_TRUE(messages.isEmpty()) << "silent at start-up";
    view.OnConnect();
    EXPECT_EQ(messages, QStringList{"No connection can be opened"});
}

TEST_F(Console, LoadingWindowBlinksWhileBusyAndClosesWithinATick)
{
    CQamrelView& view = Start();
    CDisplayDlg& dlg = view.DisplayDlg();
    flags.busy = 1;
    dlg.Show();
    EXPECT_FALSE(view.isEnabled());
    EXPECT_EQ(dlg.Text(), "Load Data");
    const QColor first = (dlg.Tick(), dlg.TextColour());
    dlg.Tick();
    EXPECT_NE(dlg.TextColour(), first) << "it blinks";
    flags.busy = 0;
    dlg.Tick();
    EXPECT_FALSE(dlg.Showing());
    EXPECT_TRUE(view.isEnabled());
}

TEST_F(Console, AboutDialogShowsVersionsAndSwitchesTheLanguage)
{
    AddSim();
    CQamrelView& view = Start(false);
    ASSERT_TRUE(WaitFor([&] { return Synced(view); }));
    CVersionDlg dlg(&view, model->image, false, [&] { view.ApplyLanguage(); });
    EXPECT_EQ(dlg.DeviceVersionText(), "QX907-V1.00");
    EXPECT_EQ(dlg.SerialText(), "S/N:SIM-907 SN 000001 HW 2.0");
    EXPECT_EQ(dlg.LanguageButtonText(), "Chinese");
    EXPECT_EQ(dlg.FirmwareButtonText(), "Firmware Update");
    dlg.ToggleLanguage();
    EXPECT_EQ(CurrentUiLanguage(), UiLanguage::Chinese);
    EXPECT_EQ(dlg.LanguageButtonText(), "English");
    EXPECT_EQ(dlg.QuitButtonText(), "退出");
    EXPECT_EQ(view.ConnectText(), "已连接") << "the console follows";
    EXPECT_EQ(MainKey().value("Language").toString(), "Chinese");

    CVersionDlg onChineseSystem(&view, model->image, true, {});
    EXPECT_EQ(onChineseSystem.LanguageButtonText(), "English");
    SetUiLanguage(UiLanguage::English);
    EXPECT_EQ(onChineseSystem.LanguageButtonText(), "中文") << "a dialog already open follows the switch";
    CVersionDlg english(&view, model->image, true, {});
    EXPECT_EQ(english.LanguageButtonText(), "中文");
}

TEST_F(Console, LiveSwitchRetextsTheOpenWindowsWithoutRecreatingThem)
{
    CQamrelView& view = Start(false);
    QImage english, switched;
    {
        CVersionDlg dlg(&view, model->image, false, {});
        XPButton* about = view.findChild<XPButton*>();
        ASSERT_NE(about, nullptr);
        english = view.grab().toImage();

        view.ToggleLanguage();  // not through the dialog: the dialog hears of it as a LanguageChange
        EXPECT_EQ(dlg.windowTitle(), "关于");
        EXPECT_EQ(dlg.LanguageButtonText(), "English");
        EXPECT_EQ(dlg.QuitButtonText(), "退出");
        EXPECT_EQ(dlg.FirmwareButtonText(), "设备固件更新");
        EXPECT_EQ(view.ConnectText(), "未连接");
        EXPECT_EQ(view.findChild<XPButton*>(), about) << "the same buttons, re-texted";
        switched = view.grab().toImage();
        EXPECT_NE(switched, english);
    }

    // painted captions and buttons alike: the switched console looks like one started in Chinese
    frame.reset();
    CQamrelView& fresh = Start(true);
    ASSERT_EQ(CurrentUiLanguage(), UiLanguage::Chinese);
    EXPECT_EQ(fresh.grab().toImage(), switched);

    fresh.ToggleLanguage();
    EXPECT_EQ(fresh.grab().toImage(), english) << "and back";
}

TEST_F(Console, LoadingWindowLabelFollowsTheLanguageWhileShown)
{
    CQamrelView& view = Start(false);
    CDisplayDlg& dlg = view.DisplayDlg();
    flags.busy = 1;
    dlg.Show();
    EXPECT_EQ(dlg.Text(), "Load Data");
    view.ToggleLanguage();
    EXPECT_EQ(dlg.Text(), "加载数据");
    flags.busy = 0;
    dlg.Tick();
    EXPECT_EQ(dlg.Text(), "加载结束");
    view.ToggleLanguage();
    EXPECT_EQ(dlg.Text(), "End of ");
}

TEST_F(Console, MessagesShowInTheLanguageOfTheMoment)
{
    CQamrelView& view = Start(true);
    view.ShowMessage(kMsgCannotOpen, MessageStyle::Modal);
    view.ShowMessage(CompatibilityMessage('0', '1'), MessageStyle::Modal);
    view.ToggleLanguage();
    view.ShowMessage(kMsgCannotOpen, MessageStyle::Modal);
    EXPECT_EQ(messages, (QStringList{"连接失败  请检查USB线缆是否插好或\n该设备已经连接上了另一软件!",
                                     "设备版本比PC软件版本号低，只有版本号为“HN338-V1.01到HN338-V1.99”之间的设备才能和"
                                     "该版本的PC软件连接。",
                                     "Connection failure!"}));
}

// ---- the working surface ---------------------------------------------------------------

namespace {

// Every control of the console by its accessible name, in Tab order: along the strips,
// then the master, the toggles, the speaker map and the graph, the panels and the buttons.
QStringList TabOrderNames(bool chinese)
{
    QStringList names;
    const char* const strip[] = {"CH%1 select", "CH%1 on", "CH%1 polarity", "CH%1 gain", "CH%1 gain field",
                                 "CH%1 delay"};
    const char* const stripZh[] = {"CH%1 选择", "CH%1 开关", "CH%1 相位", "CH%1 增益", "CH%1 增益数值", "CH%1 延时"};
    for (int c = 1; c <= 6; ++c)
        for (int k = 0; k < 6; ++k)
            names << QString::fromUtf8(chinese ? stripZh[k] : strip[k]).arg(c);
    if (chinese)
        names << "音量" << "音量数值" << "全频" << "二分频" << "组合&前置" << "组合&后置" << "组合&低音";
    else
        names << "Volume" << "Volume field" << "1-Way" << "2-Way" << "Group&Front" << "Group&Rear" << "Group&Sub";
    for (int c = 1; c <= 6; ++c)
        names << QString::fromUtf8(chinese ? "CH%1 喇叭" : "CH%1 speaker").arg(c);
    if (chinese)
        names << "单位" << "响应曲线" << "高通类型" << "高通频率" << "高通斜率" << "低通类型" << "低通频率" << "低通斜率"
              << "直通所有均衡" << "参量均衡器" << "重置所有均衡" << "连接" << "程序" << "关于" << "最小化" << "关闭";
    else
        names << "Unit" << "Response graph" << "High-pass type" << "High-pass frequency" << "High-pass slope" << "Low-pass type"
              << "Low-pass frequency" << "Low-pass slope" << "Bypass All EQ" << "PEQ Mode" << "Reset All EQ"
              << "Connect" << "Program" << "About" << "Minimise" << "Close";
    // the equaliser editor's strips follow "Reset All EQ": fader, "BY", frequency, Q, gain
    const char* const band[] = {"Band %1 gain", "Band %1 bypass", "Band %1 frequency", "Band %1 Q",
                                "Band %1 gain field"};
    const char* const bandZh[] = {"频段%1 增益", "频段%1 直通", "频段%1 频率", "频段%1 Q", "频段%1 增益数值"};
    QStringList bands;
    for (int k = 1; k <= 31; ++k)
        for (int i = 0; i < 5; ++i)
            bands << QString::fromUtf8(chinese ? bandZh[i] : band[i]).arg(k);
    const int at = int(names.indexOf(QString::fromUtf8(chinese ? "重置所有均衡" : "Reset All EQ"))) + 1;
    for (int i = 0; i < bands.size(); ++i)
        names.insert(at + i, bands[i]);
    return names;
}

bool Interactive(QWidget* w)
{
    return w->isVisible() && ((w->focusPolicy() & Qt::TabFocus) || qobject_cast<CFStatic*>(w));
}

// Walks the console as assistive technology sees it; every visible control the user can
// reach is named.
void CollectNames(QAccessibleInterface* iface, QStringList& names, QStringList& unnamed)
{
    if (!iface)
        return;
    if (auto* w = qobject_cast<QWidget*>(iface->object()); w && Interactive(w)) {
        const QString name = iface->text(QAccessible::Name);
        if (name.isEmpty())
            unnamed << QString::fromLatin1(w->metaObject()->className());
        else
            names << name;
    }
    for (int i = 0; i < iface->childCount(); ++i)
        CollectNames(iface->child(i), names, unnamed);
}

} // namespace

TEST_F(Console, LinkedGainFollowsAtOnceButPolarityStaysWithItsChannel)
{
    CQamrelView& view = Start();
    view.m_linkChoiceHook = [](int) { return 0; };
    view.LinkToggleButton(0).click();
    ASSERT_TRUE(view.LinkToggleButton(0).IsLit());

    CChannelStrip& ch1 = view.Strip(0);
    CChannelStrip& ch2 = view.Strip(1);
    Type(ch1.gain, "-20");
    EXPECT_EQ(Records(view).Out(1).Gain(), 40);
    EXPECT_EQ(ch2.gain->text(), "-20dB") << "the linked channel's field follows at once";
    EXPECT_EQ(ch2.fader->Value(), 40) << "and its fader";
    EXPECT_EQ(ch1.fader->Value(), 40) << "the fader follows its field";

    QTest::keyClick(ch1.fader, Qt::Key_Up);  // one step up: -19dB
    EXPECT_EQ(Records(view).Out(0).Gain(), 41);
    EXPECT_EQ(ch1.gain->text(), "-19dB") << "the field follows its fader";
    EXPECT_EQ(ch2.gain->text(), "-19dB");
    EXPECT_EQ(ch2.fader->Value(), 41);
    EXPECT_EQ(view.window()->focusWidget(), ch1.gain) << "a key on the fader moves the focus to the field";

    ch1.polarity->click();
    EXPECT_TRUE(ch1.polarity->IsLit());
    EXPECT_EQ(Records(view).Out(0).Polarity(), 1);
    EXPECT_FALSE(ch2.polarity->IsLit()) << "polarity is not linked";
    EXPECT_EQ(Records(view).Out(1).Polarity(), 0);
}

TEST_F(Console, CrossoverFieldsShowTheFrequencySetAndStepOnTheGrid)
{
    CQamrelView& view = Start();
    CCrossoverPanel& hp = view.CrossoverPanel(true);
    CCrossoverPanel& lp = view.CrossoverPanel(false);
    Type(lp.freq, "2000");
    ASSERT_EQ(Records(view).Out(0).LowPass().Freq(), 2000);
    Type(hp.freq, "5000");
    EXPECT_EQ(Records(view).Out(0).HighPass().Freq(), 2000) << "a high-pass never above the low-pass";
    EXPECT_EQ(hp.freq->text(), "2000Hz");

    Type(lp.freq, "20000");
    Type(hp.freq, "1000");
    QTest::keyClick(hp.freq, Qt::Key_Up);
    EXPECT_EQ(hp.freq->text(), "1030Hz") << "the Up arrow steps along the frequency grid";
    EXPECT_EQ(Records(view).Out(0).HighPass().Freq(), 1030);
    QTest::keyClick(lp.freq, Qt::Key_Down);
    EXPECT_LT(Records(view).Out(0).LowPass().Freq(), 20000);
    EXPECT_EQ(lp.freq->text(), QString("%1Hz").arg(Records(view).Out(0).LowPass().Freq()));
}

TEST_F(Console, LinkingTakesTheSourcesSettingsButKeepsDelayPolarityAndSoundOn)
{
    CQamrelView& view = Start();
    CKTV_Data& rec = Records(view);
    // CH4: gain, crossover and one band of its own
    view.SelectChannel(3);
    Type(view.Strip(3).gain, "-12");
    Type(view.CrossoverPanel(false).freq, "20000");
    Type(view.CrossoverPanel(true).freq, "300");
    rec.Out(3).Band(5).SetGainCode(250);
    rec.Out(3).Band(5).SetBypass(0);
    // CH3: delay, polarity and sound-on of its own
    view.SelectChannel(2);
    Type(view.Strip(2).delay, "2");
    view.Strip(2).polarity->click();
    const int soundOn = rec.Out(2).SoundOn();
    view.Strip(2).on->click();
    ASSERT_NE(rec.Out(2).SoundOn(), soundOn);

    std::vector<int> asked;
    view.m_linkChoiceHook = [&](int pair) {
        asked.push_back(pair);
        return 1;  // CH4 is the source
    };
    view.LinkToggleButton(1).click();
    EXPECT_EQ(asked, std::vector<int>{1});
    EXPECT_TRUE(view.LinkToggleButton(1).IsLit());
    EXPECT_EQ(rec.Out(2).Gain(), 48);
    EXPECT_EQ(rec.Out(2).HighPass().Freq(), 300);
    EXPECT_EQ(rec.Out(2).Band(5).GainCode(), 250);
    EXPECT_EQ(rec.Out(2).Delay(), 96) << "delay stays";
    EXPECT_EQ(rec.Out(2).Polarity(), 1) << "polarity stays";
    EXPECT_EQ(rec.Out(2).SoundOn(), 1 - soundOn) << "sound-on stays";
    // the console shows it
    EXPECT_EQ(view.Strip(2).gain->text(), "-12dB");
    EXPECT_EQ(view.Strip(2).fader->Value(), 48);
    EXPECT_TRUE(view.Strip(2).polarity->IsLit());
    EXPECT_EQ(view.Strip(2).delay->text(), "2.000");
    EXPECT_EQ(view.CrossoverPanel(true).freq->text(), "300Hz") << "the selected destination's panels";
    EXPECT_TRUE(view.Strip(2).select->IsLit());
    EXPECT_TRUE(view.Strip(3).select->IsLit()) << "both select buttons of the selected pair";

    // unlinking: the partner's select button goes out, nothing else changes
    view.LinkToggleButton(1).click();
    EXPECT_FALSE(view.LinkToggleButton(1).IsLit());
    EXPECT_TRUE(view.Strip(2).select->IsLit());
    EXPECT_FALSE(view.Strip(3).select->IsLit());
    EXPECT_EQ(asked.size(), 1u) << "no question for unlinking";

    // a Cancel leaves the pair unlinked
    view.m_linkChoiceHook = [](int) { return -1; };
    view.LinkToggleButton(2).click();
    EXPECT_FALSE(view.LinkToggleButton(2).IsLit());
    EXPECT_FALSE(view.Edits().IsPairLinked(2));
}

TEST_F(Console, SelectingAChannelLightsItsButtonsAndShowsItsPanels)
{
    CQamrelView& view = Start();
    Records(view).Out(4).LowPass().SetFrequency(150, true);
    view.SpeakerButton(4).click();
    EXPECT_EQ(view.SelectedChannel(), 4);
    EXPECT_EQ(g_nCurChannel, 4);
    for (int c = 0; c < 6; ++c) {
        EXPECT_EQ(view.Strip(c).select->IsLit(), c == 4) << c;
        EXPECT_EQ(view.SpeakerButton(c).IsLit(), c == 4) << c;
    }
    EXPECT_EQ(view.Graph().SelectedChannel(), 4);
    EXPECT_EQ(view.CrossoverPanel(false).freq->text(), "150Hz");

    // selecting the selected channel changes nothing, even where the panels are stale
    Records(view).Out(4).LowPass().SetFrequency(250, true);
    view.Strip(4).select->click();
    EXPECT_EQ(view.CrossoverPanel(false).freq->text(), "150Hz");
}

TEST_F(Console, AnUnchangedDelayAndTheLitSelectorSendNothing)
{
    sim::CSimProcessor* sim = nullptr;
    CQamrelView& view = StartSynced(sim);
    ASSERT_TRUE(sim);
    NumEdit* delay = view.Strip(0).delay;
    XPButton& lit = view.SelectorButton(Records(view).Music().Selector());
    ASSERT_TRUE(lit.IsLit());
    sim->ClearReceivedFrames();

    Type(delay, delay->text());  // the same value typed again
    lit.click();
    EXPECT_EQ(model->flags.delayMemory.load(), 0) << "no delay memory due";
    EXPECT_EQ(Records(view).Out(0).m_levelDirty.load(), 0);
    EXPECT_EQ(Records(view).Music().m_levelDirty.load(), 0);
    EXPECT_TRUE(lit.IsLit());
    WaitFor([] { return false; }, 300);
    EXPECT_TRUE(Writes(*sim).empty()) << "an unchanged delay and the lit selector send nothing";

    // a changed delay and the other button do send
    QTest::keyClick(delay, Qt::Key_Up);
    EXPECT_TRUE(WaitFor([&] {
        const auto w = Writes(*sim);
        return std::any_of(w.begin(), w.end(), [](const auto& x) { return x[0] == REC_SYSTEM; });
    })) << "the delay memory";
    view.SelectorButton(1 - Records(view).Music().Selector()).click();
    EXPECT_TRUE(WaitFor([&] {
        const auto w = Writes(*sim);
        return std::any_of(w.begin(), w.end(), [](const auto& x) { return x[0] == REC_MUSIC; });
    })) << "the music input's level group";
    EXPECT_FALSE(lit.IsLit());
}

TEST_F(Console, RefreshFromImageTurnsEveryLinkOff)
{
    CQamrelView& view = Start();
    view.m_linkChoiceHook = [](int) { return 0; };
    view.LinkToggleButton(0).click();
    view.LinkToggleButton(2).click();
    ASSERT_TRUE(view.Strip(1).select->IsLit()) << "CH1 selected and linked with CH2";

    view.LiveLoaded(0);
    for (int p = 0; p < 3; ++p) {
        EXPECT_FALSE(view.LinkToggleButton(p).IsLit()) << p;
        EXPECT_FALSE(view.Edits().IsPairLinked(p)) << p;
    }
    for (int c = 0; c < 6; ++c) {
        EXPECT_EQ(model->image.linkTable.group[std::size_t(c)], c);
        EXPECT_EQ(view.Strip(c).select->IsLit(), c == 0) << c;
    }
}

TEST_F(Console, SwitchingLanguageKeepsEveryListSelection)
{
    CQamrelView& view = Start();
    CCrossoverPanel& hp = view.CrossoverPanel(true);
    CCrossoverPanel& lp = view.CrossoverPanel(false);
    hp.type->SetSel(0);
    lp.slope->SetSel(0);
    view.UnitList().SetSel(0);
    // the arrow keys step the lists
    QTest::keyClick(hp.type, Qt::Key_Down);
    for (int k = 0; k < 9; ++k)
        QTest::keyClick(lp.slope, Qt::Key_Down);
    QTest::keyClick(&view.UnitList(), Qt::Key_Down);
    QTest::keyClick(&view.UnitList(), Qt::Key_Right);
    ASSERT_EQ(hp.type->GetSel(), 1);
    ASSERT_EQ(lp.slope->GetSel(), 7) << "the last entry, OFF";
    ASSERT_EQ(view.UnitList().GetSel(), 2);
    EXPECT_EQ(Records(view).Out(0).HighPass().Family(), 1);
    EXPECT_EQ(Records(view).Out(0).LowPass().Slope(), 7);
    EXPECT_EQ(view.DelayUnit(), 2);
    EXPECT_EQ(view.Strip(0).delay->Kind(), 2) << "delays in inches";
    const int hpSlope = hp.slope->GetSel();
    const int lpType = lp.type->GetSel();

    view.ToggleLanguage();
    EXPECT_EQ(hp.type->GetSel(), 1);
    EXPECT_EQ(hp.type->ItemText(1), "贝塞尔");
    EXPECT_EQ(lp.slope->GetSel(), 7);
    EXPECT_EQ(lp.slope->ItemText(7), "关闭");
    EXPECT_EQ(hp.slope->GetSel(), hpSlope);
    EXPECT_EQ(lp.type->GetSel(), lpType);
    EXPECT_EQ(view.UnitList().GetSel(), 2);
    EXPECT_EQ(view.UnitList().ItemText(2), "英寸");
    EXPECT_EQ(view.DelayUnit(), 2);

    view.ToggleLanguage();
    EXPECT_EQ(hp.type->ItemText(1), "Bessel");
    EXPECT_EQ(lp.slope->GetSel(), 7);
    EXPECT_EQ(view.UnitList().ItemText(2), "In");
}

TEST_F(Console, EveryControlIsNamedInBothLanguagesAndTabGoesAlongTheStrips)
{
    CQamrelView& view = Start();
    for (bool chinese : {false, true}) {
        SetUiLanguage(chinese ? UiLanguage::Chinese : UiLanguage::English);
        QStringList names, unnamed;
        CollectNames(QAccessible::queryAccessibleInterface(&view), names, unnamed);
        EXPECT_TRUE(unnamed.isEmpty()) << unnamed.join(", ").toStdString();
        const QStringList expected = TabOrderNames(chinese);
        EXPECT_EQ(std::set<QString>(names.begin(), names.end()),
                  std::set<QString>(expected.begin(), expected.end()))
            << (chinese ? "Chinese" : "English") << ": " << names.join(" | ").toStdString();
        EXPECT_EQ(names.size(), expected.size()) << "one name per control";
    }
    EXPECT_NE(view.Graph().accessibleName(), "Response graph") << "the graph is named in Chinese too";

    // the Tab chain from CH1's select button visits every control once, in order
    SetUiLanguage(UiLanguage::English);
    QStringList order;
    QWidget* first = view.Strip(0).select;
    QWidget* w = first;
    do {
        if (w->isVisible() && (w->focusPolicy() & Qt::TabFocus) && view.isAncestorOf(w))
            order << w->accessibleName();
        w = w->nextInFocusChain();
    } while (w != first && order.size() < 400);
    EXPECT_EQ(order, TabOrderNames(false));
}

TEST_F(Console, KeyboardOperatesButtonsFadersAndFields)
{
    CQamrelView& view = Start();
    CChannelStrip& ch3 = view.Strip(2);
    const int on = Records(view).Out(2).SoundOn();
    QTest::keyClick(ch3.on, Qt::Key_Space);
    EXPECT_EQ(Records(view).Out(2).SoundOn(), 1 - on) << "Space presses a button";
    QTest::keyClick(ch3.select, Qt::Key_Space);
    EXPECT_EQ(view.SelectedChannel(), 2);

    ch3.fader->SetValue(60);
    QTest::keyClick(ch3.fader, Qt::Key_End);
    EXPECT_EQ(Records(view).Out(2).Gain(), 0);
    EXPECT_EQ(ch3.gain->text(), "OFF");
    QTest::keyClick(ch3.gain, Qt::Key_Up);
    EXPECT_EQ(Records(view).Out(2).Gain(), 1) << "the gain field's Up arrow steps the gain";
    EXPECT_EQ(ch3.fader->Value(), 1);

    QTest::keyClick(&view.VolumeFader(), Qt::Key_Down);
    EXPECT_EQ(Records(view).Music().Volume(), view.VolumeFader().Value());
    EXPECT_EQ(view.VolumeField().Code(), view.VolumeFader().Value());
}

TEST_F(Console, ResetAllEqAsksFirst)
{
    CQamrelView& view = Start();
    CKTV_Data& rec = Records(view);
    rec.Out(0).Band(3).SetGainCode(300);
    rec.Out(0).Band(3).SetBypass(0);
    QStringList asked;
    bool answer = false;
    view.m_confirmHook = [&](const QString& q) {
        asked << q;
        return answer;
    };
    view.ResetEqButton().click();
    EXPECT_EQ(asked, QStringList{"Whether the reset all EQ?"});
    EXPECT_EQ(rec.Out(0).Band(3).GainCode(), 300) << "Cancel changes nothing";

    SetUiLanguage(UiLanguage::Chinese);
    answer = true;
    view.ResetEqButton().click();
    EXPECT_EQ(asked.last(), "是否重置所有均衡?");
    EXPECT_EQ(rec.Out(0).Band(3).GainCode(), 200);
    EXPECT_TRUE(view.BypassButton().IsLit());
    EXPECT_EQ(view.BypassButton().CurrentText(), "恢复所有均衡");
}

TEST_F(Console, SettingAFaderThroughAccessibilitySendsItsLevelGroup)
{
    sim::CSimProcessor* sim = nullptr;
    CQamrelView& view = StartSynced(sim);
    ASSERT_TRUE(sim);
    sim->ClearReceivedFrames();
    auto* fader = Named<BitmapSlider>(view, "CH1 gain");
    ASSERT_NE(fader, nullptr);
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(fader);
    ASSERT_NE(iface, nullptr);
    QAccessibleValueInterface* value = iface->valueInterface();
    ASSERT_NE(value, nullptr) << "faders expose their value";
    value->setCurrentValue(40);
    EXPECT_EQ(Records(view).Out(0).Gain(), 40);
    EXPECT_EQ(view.Strip(0).gain->text(), "-20dB");
    EXPECT_TRUE(WaitFor([&] {
        const auto w = Writes(*sim);
        return std::find(w.begin(), w.end(), std::array<int, 3>{REC_OUTPUT, 0, OutputBlock::kLevelItem}) != w.end();
    })) << "CH1's level group reaches the processor";
    EXPECT_EQ(model->image.current.outputs[0].gain[0], 40);
}

// ---- the firmware update ----

namespace {

// An MCU-only firmware file of `dataBytes` bytes after the header.
QString WriteMcuFirmware(const QString& path, int dataBytes)
{
    QByteArray bytes("WMCU");
    for (int i = 0; i < 4 + dataBytes; ++i)
        bytes.append(char(i * 7 + 3));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        return {};
    return path;
}

FirmwareTimings FastFirmwareTimings()
{
    using namespace std::chrono_literals;
    FirmwareTimings t;
    t.bootRequest = 30ms;
    t.bootPause = 10ms;
    t.restartPause = 200ms;
    t.stepWait = 2000ms;
    return t;
}

} // namespace

TEST_F(Console, FirmwareUpdateFromTheAboutDialogEndsWithSuccessAndDisconnected)
{
    sim::CSimProcessor* sim = nullptr;
    CQamrelView& view = StartSynced(sim);
    view.Link().SetFirmwareTimings(FastFirmwareTimings());
    const QString file = WriteMcuFirmware(startDir.path() + "/DataFile/new.bin", 48 * 40 + 5);
    ASSERT_FALSE(file.isEmpty());

    view.m_aboutDlgHook = [](CVersionDlg& about) { about.accept(); };  // "Firmware Update"
    bool ran = false;
    view.m_upgradeDlgHook = [&](CUpgradeDlg& dlg) {
        ran = true;
        EXPECT_EQ(dlg.size(), QSize(385, 220));
        EXPECT_EQ(dlg.windowTitle(), "Device Firmware Update");
        EXPECT_EQ(dlg.GroupCaption(), "Update File");
        EXPECT_EQ(dlg.BrowseButtonText(), "Browse");
        EXPECT_EQ(dlg.UpdateButtonText(), "Update");
        EXPECT_EQ(dlg.QuitButtonText(), "Quit");
        EXPECT_EQ(dlg.StatusText(), "");
        dlg.SetPathText(file);
        dlg.OnUpdate();
        dlg.OnUpdate();  // a second Update while it runs does nothing
        EXPECT_TRUE(WaitFor([&] { return messages.contains("Update successfully!"); }, 30000));
        EXPECT_EQ(dlg.ProgressValue(), dlg.ProgressMaximum());
        EXPECT_EQ(dlg.ProgressMaximum(), 1 + 1 + 41 + 1);
        EXPECT_EQ(dlg.StatusText(), "Update successfully!");
        dlg.OnQuit();
    };
    view.OnAbout();
    ASSERT_TRUE(ran);
    EXPECT_FALSE(view.Link().IsConnected());
    EXPECT_EQ(view.ConnectText(), "Not connect");
    EXPECT_EQ(sim->Loader().finishes, 1);
    EXPECT_EQ(sim->Loader().starts, 1);
    EXPECT_FALSE(messages.contains("The firmware update failed")) << "quitting after the end fails nothing";
    EXPECT_EQ(flags.firmwareMode, 0);
}

TEST_F(Console, QuittingAnUpdateFailsItAndTheConsoleConnectsAgain)
{
    SetUiLanguage(UiLanguage::Chinese);
    sim::SimOptions o;
    o.reportDelay = std::chrono::microseconds(1500);  // slow enough to quit half-way
    sim::CSimProcessor& sim = bus->Add(o);
    CQamrelView& view = Start(true);
    ASSERT_TRUE(WaitFor([&] { return Synced(view); }));
    view.Link().SetFirmwareTimings(FastFirmwareTimings());
    const QString file = WriteMcuFirmware(startDir.path() + "/DataFile/big.bin", 48 * 400);

    QString statusHalfway;
    view.m_upgradeDlgHook = [&](CUpgradeDlg& dlg) {
        // what a screen reader hears of each control, in the language of the moment
        QStringList names;
        for (QWidget* w : dlg.findChildren<QWidget*>()) {
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
            ASSERT_NE(a, nullptr);
            if (w->focusPolicy() != Qt::NoFocus || qobject_cast<QProgressBar*>(w))
                names << a->text(QAccessible::Name);
        }
        EXPECT_FALSE(names.contains(QString())) << names.join('|').toStdString();
        EXPECT_TRUE(names.contains("更新") && names.contains("浏览") && names.contains("退出"))
            << names.join('|').toStdString();
        EXPECT_EQ(dlg.windowTitle(), "设备固件更新");
        EXPECT_EQ(dlg.GroupCaption(), "Bin文件");
        EXPECT_EQ(dlg.UpdateButtonText(), "更新");
        dlg.SetPathText(file);
        dlg.OnUpdate();
        EXPECT_TRUE(WaitFor([&] { return dlg.ProgressValue() > dlg.ProgressMaximum() / 2; }, 30000));
        statusHalfway = dlg.StatusText();
        dlg.close();  // the close box quits like "Quit"
    };
    view.OnFirmwareUpdate();
    EXPECT_EQ(statusHalfway, "数据传输");
    EXPECT_TRUE(messages.contains("更新固件失败！"));
    EXPECT_FALSE(view.Link().FirmwareRunning());
    EXPECT_FALSE(view.Link().IsConnected());
    EXPECT_EQ(sim.Loader().finishes, 0);

    view.OnConnect();
    EXPECT_TRUE(WaitFor([&] { return Synced(view); })) << "the console connects again";
}

TEST_F(Console, BrowseRemembersTheFileAndItsFolderAndBadFilesSendNothing)
{
    sim::CSimProcessor* sim = nullptr;
    CQamrelView& view = StartSynced(sim);
    const QString folder = startDir.path() + "/firmware";
    QDir().mkpath(folder);
    const QString bad = folder + "/bad.bin";
    {
        QFile f(bad);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("not a firmware file");
    }
    QString shownFolder;
    view.m_fileDialogHook = [&](bool save, const QString& dir, const QString& filter) {
        EXPECT_FALSE(save);
        EXPECT_EQ(filter, "*.bin");
        shownFolder = dir;
        return bad;
    };
    view.m_upgradeDlgHook = [&](CUpgradeDlg& dlg) {
        dlg.OnBrowse();
        EXPECT_EQ(QDir::fromNativeSeparators(dlg.PathText()), bad);
        dlg.OnUpdate();
        EXPECT_EQ(QDir::fromNativeSeparators(dlg.PathText()), bad) << "the path stays for another try";
        dlg.OnQuit();
    };
    view.OnFirmwareUpdate();
    EXPECT_EQ(QDir::fromNativeSeparators(shownFolder), startDir.path() + "/DataFile");
    EXPECT_TRUE(messages.contains(QString::fromUtf8("更新文件错误！")));
    EXPECT_FALSE(messages.contains("The firmware update failed")) << "nothing ran, nothing failed";
    EXPECT_TRUE(view.Link().IsConnected()) << "a refused file leaves the connection alone";
    EXPECT_EQ(sim->Loader().bootRequests, 0);
    EXPECT_EQ(QDir::fromNativeSeparators(MainKey().value("Name").toString()), bad);
    EXPECT_EQ(QDir::fromNativeSeparators(MainKey().value("Path").toString()), folder + "/*.bin");

    view.m_upgradeDlgHook = [&](CUpgradeDlg& dlg) {
        EXPECT_EQ(QDir::fromNativeSeparators(dlg.PathText()), bad) << "the dialog opens on the last file";
    };
    view.OnFirmwareUpdate();
}
