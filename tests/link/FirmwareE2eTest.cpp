// Firmware updates through the real link against the simulated processor's loader.

#include "SimLinkFixture.h"

#include "link/Firmware.h"

#include "FirmwareFiles.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

using namespace ovix;
using namespace std::chrono_literals;

namespace {

using ovix::test::Append;
using ovix::test::Bytes;
using ovix::test::Pattern;


enum class Shape { McuOnly, DspOnly, Both, LongMcuAtFour };

struct Firmware {
    Bytes file, dsp, mcu;
};

Firmware Make(Shape shape)
{
    Firmware fw;
    const Bytes dsp = Pattern(kFirmwareDspSize, 5, 13);
    const Bytes mcu = Pattern(4 + 48 * 20 + 17, 77, 13);
    switch (shape) {
    case Shape::McuOnly:
        Append(fw.file, "WMCU");
        Append(fw.file, mcu);
        fw.mcu = mcu;
        break;
    case Shape::DspOnly:
    case Shape::Both:
        Append(fw.file, "WDSP");
        Append(fw.file, dsp);
        fw.file.resize(kFirmwareMcuTagOffset, 0);
        fw.dsp = dsp;
        if (shape == Shape::Both) {
            Append(fw.file, "WMCU");
            Append(fw.file, mcu);
            fw.mcu = mcu;
        }
        break;
    case Shape::LongMcuAtFour:
        Append(fw.file, "NONE");
        Append(fw.file, "WMCU");
        fw.mcu = Pattern(kFirmwareLongFile, 31, 13);
        Append(fw.file, fw.mcu);
        break;
    }
    return fw;
}

class FirmwareUpdate : public test::SimLink {
protected:
    void SetUp() override
    {
        SimLink::SetUp();
        dir = std::filesystem::temp_directory_path() /
              ("ovix-fw-e2e-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
        FirmwareTimings t;
        t.bootRequest = 30ms;
        t.bootPause = 10ms;
        // long enough for the processor's removal notice to be handled while the start
        // step is still the current one
        t.restartPause = 200ms;
        t.stepWait = 1500ms;
        link->SetFirmwareTimings(t);
        link->SetFirmwareOpenLimits(300ms, 20ms);
        link->WatchDevices();
    }
    void TearDown() override
    {
        SimLink::TearDown();
        std::filesystem::remove_all(dir);
    }

    std::string Write(const Bytes& bytes, const char* name = "fw.bin")
    {
        const std::string path = (dir / name).string();
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return path;
    }
    bool UpdateEnded() { return PumpUntil([this] { return !ui->firmwareEnded.empty(); }, 60s); }
    // A processor slow enough for a DSP update to last a few seconds, so a test can step in
    // while the data goes out.
    sim::CSimProcessor& AddSlowSim() { return AddSim({.reportDelay = 1200us}); }

    std::filesystem::path dir;
};

class FirmwareShapes : public FirmwareUpdate, public ::testing::WithParamInterface<Shape> {};

TEST_P(FirmwareShapes, LoaderReceivesExactlyTheImagesAndTheConsoleCanConnectAfterwards)
{
    auto& proc = AddSim();
    ASSERT_TRUE(ConnectAndSync());
    const Firmware fw = Make(GetParam());
    const FirmwareImages images = *ParseFirmware(fw.file).images;

    ASSERT_TRUE(link->StartFirmwareUpdate(Write(fw.file)));
    EXPECT_TRUE(link->FirmwareRunning());
    ASSERT_TRUE(UpdateEnded());
    EXPECT_EQ(ui->firmwareEnded, std::vector<bool>{true});
    ASSERT_FALSE(ui->ids.empty());
    EXPECT_EQ(ui->ids.back(), kMsgFwUpdateDone);
    EXPECT_FALSE(link->IsConnected());
    EXPECT_FALSE(link->FirmwareRunning());
    EXPECT_EQ(flags.firmwareMode, 0);
    EXPECT_EQ(ui->progress, images.Steps()) << "the bar ends full, exactly with the finish step";
    EXPECT_EQ(ui->progressMax, images.Steps());
    EXPECT_EQ(ui->firmwareStatus.back(), kMsgFwStepsFinished);

    const sim::LoaderState loader = proc.Loader();
    EXPECT_GE(loader.bootRequests, 1);
    EXPECT_EQ(loader.starts, 1);
    EXPECT_EQ(loader.restarts, 1);
    EXPECT_EQ(loader.finishes, 1);
    EXPECT_EQ(loader.erases, fw.dsp.empty() ? 0 : 1);
    if (fw.dsp.empty()) {
        EXPECT_TRUE(loader.dsp.empty());
    } else {
        ASSERT_EQ(loader.dsp.size(), 1490u * 44);
        EXPECT_TRUE(std::equal(fw.dsp.begin(), fw.dsp.end(), loader.dsp.begin()));
    }
    if (fw.mcu.empty()) {
        EXPECT_TRUE(loader.mcuHeader.empty());
        EXPECT_EQ(loader.checksum, 0x12);
    } else {
        EXPECT_EQ(loader.mcuHeader, Bytes(fw.mcu.begin(), fw.mcu.begin() + 4));
        const Bytes data(fw.mcu.begin() + 4, fw.mcu.end());
        ASSERT_GE(loader.mcu.size(), data.size());
        EXPECT_TRUE(std::equal(data.begin(), data.end(), loader.mcu.begin()));
        EXPECT_TRUE(std::all_of(loader.mcu.begin() + std::ptrdiff_t(data.size()), loader.mcu.end(),
                                [](std::uint8_t b) { return b == 0xFF; }));
        std::uint8_t sum = 0x12;
        for (std::uint8_t b : data)
            sum ^= b;
        EXPECT_EQ(loader.checksum, sum);
    }

    ui->liveLoaded = 0;
    ASSERT_TRUE(ConnectAndSync()) << "a connect after the update reads the processor again";
    EXPECT_EQ(ui->liveLoaded, 1);
}

INSTANTIATE_TEST_SUITE_P(Files, FirmwareShapes,
                         ::testing::Values(Shape::McuOnly, Shape::DspOnly, Shape::Both, Shape::LongMcuAtFour),
                         [](const auto& info) {
                             switch (info.param) {
                             case Shape::McuOnly: return std::string("McuOnly");
                             case Shape::DspOnly: return std::string("DspOnly");
                             case Shape::Both: return std::string("Both");
                             default: return std::string("LongMcuAtFour");
                             }
                         });

struct BadFile {
    const char* name;
    Bytes bytes;
    bool write;  // false: the path does not exist
    MessageId message;
};

class FirmwareBadFiles : public FirmwareUpdate, public ::testing::WithParamInterface<BadFile> {};

TEST_P(FirmwareBadFiles, GiveTheirMessageAndSendNothing)
{
    auto& proc = AddSim();
    ASSERT_TRUE(ConnectAndSync());
    const BadFile& c = GetParam();
    const std::string path = c.write ? Write(c.bytes) : (dir / "missing.bin").string();
    EXPECT_FALSE(link->StartFirmwareUpdate(path));
    ASSERT_FALSE(ui->ids.empty());
    EXPECT_EQ(ui->ids.back(), c.message);
    EXPECT_FALSE(link->FirmwareRunning());
    PumpFor(100ms);
    EXPECT_EQ(proc.Loader().bootRequests, 0);
    EXPECT_EQ(proc.Loader().starts, 0);
    EXPECT_TRUE(link->IsConnected()) << "a refused file leaves the connection alone";
}

Bytes Tagged(std::string_view tag, std::size_t n)
{
    Bytes b;
    Append(b, tag);
    Append(b, Pattern(n, 1, 13));
    return b;
}

INSTANTIATE_TEST_SUITE_P(Files, FirmwareBadFiles,
                         ::testing::Values(BadFile{"Unreadable", {}, false, kMsgFwBinFileError},
                                           BadFile{"NoSection", Pattern(1000, 3, 13), true, kMsgFwUpdateFileError},
                                           BadFile{"McuHeaderOnly", Tagged("WMCU", 4), true, kMsgFwUpdateFileError},
                                           BadFile{"McuTooShort", Tagged("WMCU", 2), true, kMsgFwUpdateFileError}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FirmwareUpdate, QuitDuringTheDataPhaseFailsAndTheConsoleCanConnectAgain)
{
    auto& proc = AddSlowSim();
    const Firmware fw = Make(Shape::DspOnly);
    ASSERT_TRUE(link->StartFirmwareUpdate(Write(fw.file)));
    ASSERT_TRUE(PumpUntil([this] { return ui->progress > 50; }));
    EXPECT_FALSE(link->StartFirmwareUpdate(Write(fw.file, "again.bin"))) << "Update while running does nothing";
    EXPECT_TRUE(link->AbandonFirmwareUpdate());
    EXPECT_EQ(ui->ids.back(), kMsgFwUpdateFailed);
    EXPECT_EQ(ui->firmwareEnded, std::vector<bool>{false});
    EXPECT_FALSE(link->IsConnected());
    EXPECT_FALSE(link->FirmwareRunning());
    EXPECT_EQ(flags.updateClosing, 0);
    EXPECT_EQ(link->Command().Count(), 0);
    EXPECT_EQ(proc.Loader().finishes, 0);
    EXPECT_FALSE(link->AbandonFirmwareUpdate()) << "nothing left to abandon";
    ASSERT_TRUE(ConnectAndSync());
}

TEST_F(FirmwareUpdate, SilenceDuringAnUpdateEndsAsLinkLost)
{
    auto& proc = AddSlowSim();
    ASSERT_TRUE(link->StartFirmwareUpdate(Write(Make(Shape::Both).file)));
    ASSERT_TRUE(PumpUntil([this] { return ui->progress > 20; }));
    proc.SetSilent(true);
    ASSERT_TRUE(UpdateEnded());
    EXPECT_EQ(ui->firmwareEnded, std::vector<bool>{false});
    EXPECT_EQ(ui->ids.back(), kMsgConnectionFailure);
    EXPECT_FALSE(link->IsConnected());
    EXPECT_EQ(link->Command().Count(), 0);
    proc.SetSilent(false);
    ASSERT_TRUE(ConnectAndSync());
}

TEST_F(FirmwareUpdate, UnplugDuringTheDataPhaseEndsAsLinkLost)
{
    AddSlowSim();
    ASSERT_TRUE(link->StartFirmwareUpdate(Write(Make(Shape::DspOnly).file)));
    ASSERT_TRUE(PumpUntil([this] { return ui->progress > 20; }));
    bus->Unplug("sim:1");
    ASSERT_TRUE(UpdateEnded());
    EXPECT_EQ(ui->firmwareEnded, std::vector<bool>{false});
    EXPECT_EQ(ui->ids.back(), kMsgConnectionFailure);
    EXPECT_FALSE(link->FirmwareRunning());
}

// One refusal of a step is resent; a second refusal of the same frame ends the update.
TEST_F(FirmwareUpdate, AStepRefusedTwiceEndsAsLinkLostOnceIsResent)
{
    auto& proc = AddSlowSim();
    const Firmware fw = Make(Shape::DspOnly);
    ASSERT_TRUE(link->StartFirmwareUpdate(Write(fw.file)));
    ASSERT_TRUE(PumpUntil([this] { return ui->progress >= 3; }));
    proc.ResendNext(1);
    const int before = ui->progress;
    ASSERT_TRUE(PumpUntil([&] { return ui->progress >= before + 5; }));
    EXPECT_TRUE(ui->firmwareEnded.empty());
    proc.ResendNext(2);
    ASSERT_TRUE(UpdateEnded());
    EXPECT_EQ(ui->firmwareEnded, std::vector<bool>{false});
    EXPECT_EQ(ui->ids.back(), kMsgConnectionFailure);
    EXPECT_EQ(proc.Loader().finishes, 0);
}

TEST_F(FirmwareUpdate, NoProcessorWithinTheLimitGivesTheConnectionFailure)
{
    ASSERT_TRUE(link->StartFirmwareUpdate(Write(Make(Shape::McuOnly).file)));
    ASSERT_TRUE(UpdateEnded());
    EXPECT_EQ(ui->firmwareEnded, std::vector<bool>{false});
    EXPECT_EQ(ui->ids.back(), kMsgConnectionFailure);
    ASSERT_FALSE(ui->firmwareStatus.empty());
    EXPECT_EQ(ui->firmwareStatus.front(), kMsgFwConnectedUsb);
    EXPECT_FALSE(link->FirmwareRunning());
}

} // namespace
