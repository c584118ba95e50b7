// The preset manager through the real dialog on the real console: name checks, selection,
// languages and keyboard, and, end to end against the simulated processor, storing,
// recalling and deleting programs and the console's file operations.

#include "app/ConsoleParts.h"
#include "app/MainFrm.h"
#include "controls/NumEdit.h"
#include "controls/NumSpin.h"
#include "controls/XPButton.h"
#include "controls/UiLanguage.h"
#include "dialogs/DisplayDlg.h"
#include "dialogs/ProgramDlg.h"
#include "document/PresetFile.h"
#include "simulator/SimBus.h"
#include "tables/TextField.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstring>
#include <memory>

#include "ConsoleTestUtil.h"

using namespace ovix;
using ovix::test::Type;
using ovix::test::WaitFor;

namespace {

void SetName(std::uint8_t (&field)[16], const char* text)
{
    std::memset(field, 0, sizeof field);
    std::memcpy(field, text, std::strlen(text));
}

std::string Name(const std::uint8_t (&field)[16]) { return DecodeTextField({field, 16}); }

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString& path, const std::vector<std::uint8_t>& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
}

class ProgramManager : public ::testing::Test {
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

    // A processor whose programs 1..10 are named "P1".."P10" except program 3, "Club".
    sim::CSimProcessor& AddSim()
    {
        sim::SimOptions o;
        o.reportDelay = std::chrono::microseconds(0);
        sim::CSimProcessor& s = bus->Add(o);
        s.Edit([](DeviceImage& img) {
            for (int p = 1; p <= 10; ++p)
                SetName(img.Program(p).name, ("P" + std::to_string(p)).c_str());
            SetName(img.Program(3).name, "Club");
        });
        return s;
    }

    CQamrelView& Start()
    {
        model = std::make_unique<ParameterModel>();
        ResetImage(model->image);
        CQamrelView::Options o;
        o.backend = bus;
        o.startDir = startDir.path();
        frame = std::make_unique<CMainFrame>(*model, flags, o);
        CQamrelView& view = frame->View();
        view.m_messageHook = [this](const QString& text, MessageStyle) { messages << text; };
        view.m_confirmHook = [this](const QString& q) {
            questions << q;
            return answer;
        };
        view.m_fileDialogHook = [this](bool save, const QString& folder, const QString& filter) {
            dialogs << QStringList{save ? "save" : "open", folder, filter};
            return chosenFile;
        };
        view.Link().SetDisconnectPause(std::chrono::milliseconds(0));
        view.InitialUpdate();
        frame->show();
        return view;
    }

    bool Idle(CQamrelView& v)
    {
        return v.Link().Synced() && v.Link().DelayMemoryReturned() && flags.busy == 0 && !v.DisplayDlg().Showing();
    }

    CQamrelView& StartSynced(sim::CSimProcessor*& sim)
    {
        sim = &AddSim();
        CQamrelView& view = Start();
        EXPECT_TRUE(WaitFor([&] { return Idle(view); }));
        return view;
    }

    // Opens the preset manager with the "Program" button and runs `fn` on it while it is open.
    void WithManager(CQamrelView& view, const std::function<void(CProgramDlg&)>& fn)
    {
        bool ran = false;
        view.m_programDlgHook = [&](CProgramDlg& dlg) {
            dlg.show();
            ran = true;
            fn(dlg);
        };
        QTest::mouseClick(&view.ProgramButton(), Qt::LeftButton);
        view.m_programDlgHook = nullptr;
        EXPECT_TRUE(ran) << "the Program button opens the manager";
    }

    static void StoreAs(CProgramDlg& dlg, int program, const QString& name)
    {
        dlg.Select(program);
        dlg.NameField().setText(name);
        QTest::mouseClick(&dlg.StoreButton(), Qt::LeftButton);
    }

    QString FilePath(const QString& name) const { return startDir.path() + "/DataFile/" + name; }

    static std::vector<std::vector<std::uint8_t>> WriteFrames(const sim::CSimProcessor& sim)
    {
        std::vector<std::vector<std::uint8_t>> w;
        for (const auto& f : sim.ReceivedFrames())
            if (f.size() > 9 && f[4] == CMD_WRITE)
                w.push_back(f);
        return w;
    }

    QTemporaryDir settingsDir, startDir;
    std::shared_ptr<sim::CSimBus> bus;
    std::unique_ptr<ParameterModel> model;
    LinkFlags flags;
    std::unique_ptr<CMainFrame> frame;
    QStringList messages;
    QStringList questions;
    bool answer = true;
    QList<QStringList> dialogs;
    QString chosenFile;
};

} // namespace

TEST_F(ProgramManager, NameChecksShowTheirMessagesAndClearTheField)
{
    sim::CSimProcessor* sim = nullptr;
    CQamrelView& view = StartSynced(sim);
    sim->ClearReceivedFrames();
    WithManager(view, [&](CProgramDlg& dlg) {
        EXPECT_EQ(dlg.RowName(3), "Club");
        StoreAs(dlg, 5, "  ");
        ASSERT_EQ(messages.size(), 1);
        EXPECT_EQ(messages.back(), "The name can not be all spaces!");
        EXPECT_EQ(dlg.NameField().text(), "");

        StoreAs(dlg, 5, "");
        EXPECT_EQ(messages.back(), "The name can not be empty!");

        StoreAs(dlg, 5, "Club");
        EXPECT_EQ(messages.back(), "Have been the same name!");
        EXPECT_EQ(dlg.NameField().text(), "");
        EXPECT_EQ(dlg.RowName(5), "P5") << "a refused name changes no row";
        EXPECT_TRUE(WriteFrames(*sim).empty()) << "a refused name sends nothing";

        StoreAs(dlg, 3, "Club");  // its own name
        EXPECT_EQ(messages.size(), 3);
        EXPECT_TRUE(WaitFor([&] { return Idle(view) && Name(sim->Memory().Program(3).name) == "Club"; }));
        EXPECT_FALSE(WriteFrames(*sim).empty());
    });
}

TEST_F(ProgramManager, ArrowKeysAndClicksSelectWithinTheTenRows)
{
    AddSim();
    CQamrelView& view = Start();
    ASSERT_TRUE(WaitFor([&] { return Idle(view); }));
    WithManager(view, [&](CProgramDlg& dlg) {
        QTableWidget& list = dlg.List();
        EXPECT_EQ(list.rowCount(), 10);
        EXPECT_EQ(list.columnWidth(0), 30);
        EXPECT_EQ(list.columnWidth(1), 176);
        EXPECT_EQ(dlg.Selected(), 1);
        EXPECT_EQ(dlg.NumberLabel().text(), "1");
        list.setFocus();
        QTest::keyClick(&list, Qt::Key_Up);
        EXPECT_EQ(dlg.Selected(), 1);
        QTest::keyClick(&list, Qt::Key_Down);
        EXPECT_EQ(dlg.Selected(), 2);
        EXPECT_EQ(dlg.NumberLabel().text(), "2");
        EXPECT_EQ(dlg.NameField().text(), "P2");

        const QRect row3 = list.visualItemRect(list.item(2, 1));
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, row3.center());
        EXPECT_EQ(dlg.Selected(), 3);
        EXPECT_EQ(dlg.NameField().text(), "Club");

        dlg.Select(10);
        QTest::keyClick(&list, Qt::Key_Down);
        EXPECT_EQ(dlg.Selected(), 10);
        EXPECT_EQ(dlg.NumberLabel().text(), "10");
        EXPECT_EQ(list.currentRow(), 9);
    });
}

TEST_F(ProgramManager, StoreWhileDisconnectedChangesNoName)
{
    CQamrelView& view = Start();
    SetName(model->image.Program(5).name, "Old");
    SetName(model->image.current.name, "Live");
    WithManager(view, [&](CProgramDlg& dlg) {
        StoreAs(dlg, 5, "Touring");
        EXPECT_EQ(messages, QStringList{"Connection failure!"});
        EXPECT_EQ(dlg.RowName(5), "Old");
    });
    EXPECT_EQ(Name(model->image.Program(5).name), "Old");
    EXPECT_EQ(Name(model->image.current.name), "Live");
}

TEST_F(ProgramManager, StoreRecallAndDeleteOnTheProcessor)
{
    sim::CSimProcessor* sim = nullptr;
    CQamrelView& view = StartSynced(sim);
    view.OnGain(2, 40);
    ASSERT_TRUE(WaitFor([&] { return sim->Memory().current.outputs[2].Gain() == 40; }));
    WithManager(view, [&](CProgramDlg& dlg) {
        StoreAs(dlg, 4, "Touring");
        EXPECT_EQ(dlg.RowName(4), "Touring");
        EXPECT_TRUE(view.DisplayDlg().Showing());
        EXPECT_FALSE(dlg.isEnabled()) << "the loading window disables the manager";
        EXPECT_TRUE(view.isEnabled()) << "and not the console";
        ASSERT_TRUE(WaitFor([&] { return Idle(view); }));
        EXPECT_TRUE(dlg.isEnabled());
        const DeviceImage mem = sim->Memory();
        EXPECT_EQ(Name(mem.Program(4).name), "Touring");
        EXPECT_EQ(mem.Program(4).outputs[2].Gain(), 40);
        EXPECT_EQ(std::memcmp(mem.Program(4).outputs[0].name, "40VS\x04", 5), 0);
        {
            ModelLock lock(model->lock);
            EXPECT_EQ(std::memcmp(&mem.Program(4).Music(), &model->image.current.Music(), sizeof(InputBlock)), 0);
            for (int ch = 0; ch < kOutputChannels; ++ch)
                EXPECT_EQ(std::memcmp(&mem.Program(4).outputs[ch], &model->image.current.outputs[ch],
                                      sizeof(OutputBlock)),
                          0)
                    << "program 4 holds the console's output " << ch;
        }
        EXPECT_EQ(Name(model->image.current.name), "Touring");

        // the console changes, then program 4 comes back
        view.OnGain(2, 10);
        ASSERT_TRUE(WaitFor([&] { return sim->Memory().current.outputs[2].Gain() == 10; }));
        dlg.Select(4);
        QTest::mouseClick(&dlg.RecallButton(), Qt::LeftButton);
        ASSERT_TRUE(WaitFor([&] { return Idle(view) && view.Doc().Records().Out(2).Gain() == 40; }));
        EXPECT_EQ(view.Strip(2).gainSpin->Pos(), 40);

        sim->ClearReceivedFrames();
        QTest::mouseClick(&dlg.DeleteButton(), Qt::LeftButton);
        EXPECT_EQ(questions, QStringList{"Are you delete this Data?"});
        EXPECT_EQ(dlg.RowName(4), "");
        EXPECT_EQ(dlg.NameField().text(), "");
        ASSERT_TRUE(WaitFor([&] { return Name(sim->Memory().Program(4).name).empty(); }));
        WaitFor([] { return false; }, 200);
        const auto writes = WriteFrames(*sim);
        ASSERT_EQ(writes.size(), 1u) << "a program is deleted by its empty name alone";
        EXPECT_EQ(writes[0][6], 4) << "program 4";
        EXPECT_EQ(writes[0][7], REC_SYSTEM);
        EXPECT_EQ(writes[0][8], SYS_PROGRAM_NAME);
        EXPECT_EQ(std::count(writes[0].begin() + kFrameHeaderSize, writes[0].begin() + kFrameHeaderSize + 16, 0), 16)
            << "an empty name";
        EXPECT_EQ(Name(sim->Memory().Program(3).name), "Club");
    });
}

TEST_F(ProgramManager, DeleteAnsweredWithCancelOrWhileNotSyncedKeepsTheName)
{
    CQamrelView& view = Start();
    SetName(model->image.Program(2).name, "Keep");
    WithManager(view, [&](CProgramDlg& dlg) {
        dlg.Select(2);
        answer = false;
        QTest::mouseClick(&dlg.DeleteButton(), Qt::LeftButton);
        answer = true;
        QTest::mouseClick(&dlg.DeleteButton(), Qt::LeftButton);  // not synced
        EXPECT_EQ(questions.size(), 2);
        EXPECT_EQ(dlg.RowName(2), "Keep");
        EXPECT_EQ(dlg.NameField().text(), "Keep");
    });
    EXPECT_EQ(Name(model->image.Program(2).name), "Keep");
}

TEST_F(ProgramManager, SaveAllThenLoadAllRoundTripsTheFileByteForByte)
{
    sim::CSimProcessor* sim = nullptr;
    CQamrelView& view = StartSynced(sim);
    WithManager(view, [&](CProgramDlg& dlg) {
        chosenFile = FilePath("all");
        dlg.PcStoreChoice(0).setChecked(true);
        QTest::mouseClick(&dlg.PcStoreButton(), Qt::LeftButton);
        ASSERT_EQ(dialogs.size(), 1);
        EXPECT_EQ(dialogs[0], (QStringList{"save", startDir.path() + "/DataFile", "*.qxaa"}));
        ASSERT_TRUE(WaitFor([&] { return Idle(view) && QFile::exists(FilePath("all.qxaa")); }));
        const QByteArray first = ReadAll(FilePath("all.qxaa"));
        ASSERT_EQ(first.size(), 45934);

        // the rows follow a loaded file
        auto file = std::make_unique<AllProgramsFile>();
        std::memcpy(file.get(), first.constData() + 20, sizeof(ProgramImage) * 21 + sizeof(DelayMemory));
        SetName(file->programs[1].name, "FromFile");
        WriteAll(FilePath("named.qxaa"),
                 SerializeAllPrograms(file->programs, file->current, file->delayMemory));
        chosenFile = FilePath("named.qxaa");
        dlg.PcRecallChoice(0).setChecked(true);
        QTest::mouseClick(&dlg.PcRecallButton(), Qt::LeftButton);
        EXPECT_EQ(dialogs.back(), (QStringList{"open", startDir.path() + "/DataFile", "*.qxaa"}));
        EXPECT_EQ(dlg.RowName(2), "FromFile");
        EXPECT_EQ(dlg.RowName(3), "Club");
        ASSERT_TRUE(WaitFor([&] { return Idle(view) && Name(sim->Memory().Program(2).name) == "FromFile"; }));

        // the first file back in, then out again: the same bytes
        chosenFile = FilePath("all.qxaa");
        QTest::mouseClick(&dlg.PcRecallButton(), Qt::LeftButton);
        ASSERT_TRUE(WaitFor([&] { return Idle(view); }));
        EXPECT_EQ(dlg.RowName(2), "P2");
        chosenFile = FilePath("again.qxaa");
        QTest::mouseClick(&dlg.PcStoreButton(), Qt::LeftButton);
        ASSERT_TRUE(WaitFor([&] { return Idle(view) && QFile::exists(FilePath("again.qxaa")); }));
        EXPECT_EQ(ReadAll(FilePath("again.qxaa")), first);
    });
}

TEST_F(ProgramManager, SaveAllWhileDisconnectedAsksForNoFile)
{
    CQamrelView& view = Start();
    WithManager(view, [&](CProgramDlg& dlg) {
        chosenFile = FilePath("all");
        QTest::mouseClick(&dlg.PcStoreButton(), Qt::LeftButton);
    });
    EXPECT_TRUE(dialogs.isEmpty());
    EXPECT_EQ(messages, QStringList{"Connection failure!"});
}

TEST_F(ProgramManager, SingleProgramSaveAndLoadWhileDisconnected)
{
    CQamrelView& view = Start();
    auto prog = std::make_unique<ProgramImage>(model->image.current);
    prog->outputs[2].SetGain(33);
    prog->outputs[4].SetDelay(96);
    WriteAll(FilePath("one.qxas"), SerializeSingleProgram(*prog));
    WithManager(view, [&](CProgramDlg& dlg) {
        chosenFile = FilePath("one.qxas");
        dlg.PcRecallChoice(1).setChecked(true);
        QTest::mouseClick(&dlg.PcRecallButton(), Qt::LeftButton);
        ASSERT_EQ(dialogs.size(), 1);
        EXPECT_EQ(dialogs[0], (QStringList{"open", startDir.path() + "/DataFile", "*.qxas"}));
        EXPECT_EQ(messages, QStringList{"Connection failure!"}) << "the load stands and the console says so";
        EXPECT_EQ(view.Doc().Records().Out(2).Gain(), 33);
        EXPECT_EQ(view.Strip(2).gainSpin->Pos(), 33);
        EXPECT_EQ(view.Strip(4).delaySpin->Pos(), 96) << "the delay fields follow the load";

        chosenFile = FilePath("copy");
        dlg.PcStoreChoice(1).setChecked(true);
        QTest::mouseClick(&dlg.PcStoreButton(), Qt::LeftButton);
        EXPECT_EQ(dialogs.back(), (QStringList{"save", startDir.path() + "/DataFile", "*.qxas"}));
        EXPECT_EQ(ReadAll(FilePath("copy.qxas")).size(), 2201);
    });
}

TEST_F(ProgramManager, RefusedFilesLeaveTheConsoleAndTheProcessorUntouched)
{
    sim::CSimProcessor* sim = nullptr;
    CQamrelView& view = StartSynced(sim);
    auto prog = std::make_unique<ProgramImage>(model->image.current);
    prog->outputs[2].SetGain(7);
    auto wrongMagic = SerializeSingleProgram(*prog);
    wrongMagic[1] = 'X';
    auto shortSingle = SerializeSingleProgram(*prog);
    shortSingle.pop_back();
    auto all = std::make_unique<AllProgramsFile>();
    auto longAll = SerializeAllPrograms(all->programs, *prog, all->delayMemory);
    longAll.push_back(0);
    WriteAll(FilePath("magic.qxas"), wrongMagic);
    WriteAll(FilePath("short.qxas"), shortSingle);
    WriteAll(FilePath("long.qxaa"), longAll);
    const int gain = view.Doc().Records().Out(2).Gain();
    const DeviceImage before = model->image;
    sim->ClearReceivedFrames();
    WithManager(view, [&](CProgramDlg& dlg) {
        const struct {
            const char* file;
            int choice;
            const char* message;
        } cases[] = {{"magic.qxas", 1, "Read MusicFile  Error"},
                     {"short.qxas", 1, "Read MusicFile  Error"},
                     {"long.qxaa", 0, "Read all MusicFile Error"}};
        for (const auto& c : cases) {
            chosenFile = FilePath(c.file);
            dlg.PcRecallChoice(c.choice).setChecked(true);
            QTest::mouseClick(&dlg.PcRecallButton(), Qt::LeftButton);
            EXPECT_EQ(messages.back(), c.message) << c.file;
        }
        EXPECT_EQ(dlg.RowName(3), "Club");
    });
    WaitFor([] { return false; }, 200);
    EXPECT_EQ(messages.size(), 3);
    EXPECT_EQ(view.Doc().Records().Out(2).Gain(), gain);
    EXPECT_EQ(std::memcmp(&model->image.programs, &before.programs, sizeof before.programs), 0);
    EXPECT_EQ(std::memcmp(&model->image.current, &before.current, sizeof before.current), 0);
    EXPECT_TRUE(WriteFrames(*sim).empty()) << "nothing reached the processor";
}

TEST_F(ProgramManager, TextsAndNamesInBothLanguagesAndKeysNeverClose)
{
    CQamrelView& view = Start();
    WithManager(view, [&](CProgramDlg& dlg) {
        EXPECT_EQ(dlg.size(), QSize(490, 370));
        EXPECT_EQ(dlg.windowTitle(), "File");
        const QStringList english{"Program list", "Name", "Store", "Recall", "Delete", "Recall all data from PC",
                                  "Recall data from PC", "Store all data to PC", "Store data to PC", "PC recall",
                                  "PC store"};
        auto names = [&] {
            return QStringList{dlg.List().accessibleName(),      dlg.NameField().accessibleName(),
                               dlg.StoreButton().accessibleName(), dlg.RecallButton().accessibleName(),
                               dlg.DeleteButton().accessibleName(), dlg.PcRecallChoice(0).accessibleName(),
                               dlg.PcRecallChoice(1).accessibleName(), dlg.PcStoreChoice(0).accessibleName(),
                               dlg.PcStoreChoice(1).accessibleName(), dlg.PcRecallButton().accessibleName(),
                               dlg.PcStoreButton().accessibleName()};
        };
        EXPECT_EQ(names(), english);

        SetUiLanguage(UiLanguage::Chinese);
        EXPECT_EQ(dlg.windowTitle(), "文件");
        EXPECT_EQ(dlg.StoreButton().text(), "存储");
        EXPECT_EQ(dlg.RecallButton().text(), "调用");
        EXPECT_EQ(dlg.DeleteButton().text(), "删除");
        EXPECT_EQ(dlg.PcRecallChoice(0).text(), "从电脑调用所有组数据");
        EXPECT_EQ(dlg.PcStoreChoice(1).text(), "存储单组数据到电脑");
        EXPECT_EQ(dlg.List().horizontalHeaderItem(1)->text(), "组名");
        EXPECT_EQ(dlg.List().columnWidth(1), 180);
        EXPECT_EQ(names(), (QStringList{"程序列表", "组名", "存储", "调用", "删除", "从电脑调用所有组数据",
                                        "从电脑调用单组数据", "存储所有组数据到电脑", "存储单组数据到电脑",
                                        "电脑调用", "电脑存储"}));
        SetUiLanguage(UiLanguage::English);

        dlg.NameField().setFocus();
        QTest::keyClick(&dlg.NameField(), Qt::Key_Return);
        QTest::keyClick(&dlg, Qt::Key_Escape);
        EXPECT_TRUE(dlg.isVisible()) << "Enter and Esc never close the manager";
        EXPECT_EQ(dlg.NameField().maxLength(), 13);
        for (QPushButton* b : dlg.findChildren<QPushButton*>())
            EXPECT_FALSE(b->autoDefault()) << b->text().toStdString();
    });
}

TEST_F(ProgramManager, TabWalksTheListTheNameAndEveryButton)
{
    CQamrelView& view = Start();
    WithManager(view, [&](CProgramDlg& dlg) {
        dlg.activateWindow();
        ASSERT_TRUE(WaitFor([&] { return QApplication::activeWindow() == &dlg; }, 2000));
        dlg.List().setFocus();
        QStringList order;
        for (int k = 0; k < 8; ++k) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            order << QApplication::focusWidget()->accessibleName();
        }
        EXPECT_EQ(order, (QStringList{"Name", "Store", "Recall", "Delete", "Recall all data from PC", "PC recall",
                                      "Store all data to PC", "PC store"}));
        // Space presses the focused button
        answer = false;
        dlg.DeleteButton().setFocus();
        QTest::keyClick(&dlg.DeleteButton(), Qt::Key_Space);
        EXPECT_EQ(questions, QStringList{"Are you delete this Data?"});
    });
}
