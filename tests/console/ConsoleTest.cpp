// The console application: start-up, settings and language, and connecting through the
// real console view to simulated processors.

#include "app/MainFrm.h"
#include "app/QamrelApp.h"
#include "controls/UiLanguage.h"
#include "controls/XPButton.h"
#include "dialogs/DisplayDlg.h"
#include "dialogs/VersionDlg.h"
#include "simulator/SimBus.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>

#include <memory>

using namespace ovix;

namespace {

// Processes events until pred holds or the (generous) limit passes.
bool WaitFor(const std::function<bool()>& pred, int limitMs = 15000)
{
    QElapsedTimer t;
    t.start();
    while (!pred()) {
        if (t.elapsed() > limitMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

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
