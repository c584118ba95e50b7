// ovixctl eq: filter text into the simulated processor and into preset files, and a
// channel of a preset file out as filter text.
#include "backends/DeviceOption.h"
#include "cli/Ovixctl.h"
#include "document/PresetFile.h"
#include "simulator/SimBus.h"

#include "CliRun.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <sstream>

using namespace ovix;
using namespace ovix::cli;

namespace {

using ovix::test::RunCli;

const std::string kRew = std::string(OVIX_FIXTURES) + "/rew-midbass.txt";

} // namespace

TEST(OvixctlEq, LiveImportChangesTheProcessorsCh3BandsAndNothingElse)
{
    auto bus = std::dynamic_pointer_cast<sim::CSimBus>(MakeBackend("sim"));
    ASSERT_TRUE(bus);
    auto proc = bus->Find("sim:1");
    const DeviceImage before = proc->Memory();
    struct Restore {
        std::shared_ptr<sim::CSimProcessor> proc;
        const DeviceImage& image;
        ~Restore() { proc->Edit([this](DeviceImage& m) { m = image; }); }
    } restore{proc, before};

    std::string out, err;
    ASSERT_EQ(RunCli({"--device", "sim", "eq", "import", "--channel", "3", kRew}, out, err), 0) << err;
    const DeviceImage after = proc->Memory();
    for (int ch = 0; ch < kOutputChannels; ++ch) {
        const bool same = std::memcmp(before.current.outputs[ch].Bytes(), after.current.outputs[ch].Bytes(),
                                      sizeof(OutputBlock)) == 0;
        EXPECT_EQ(same, ch != 2) << "CH" << ch + 1;
    }
    // only the band words of CH3 moved
    OutputBlock expected = after.current.outputs[2];
    std::memcpy(expected.bands, before.current.outputs[2].bands, sizeof expected.bands);
    EXPECT_EQ(std::memcmp(expected.Bytes(), before.current.outputs[2].Bytes(), sizeof(OutputBlock)), 0);
    ProgramImage rest = after.current;
    rest.outputs[2] = before.current.outputs[2];
    EXPECT_EQ(std::memcmp(&rest, &before.current, sizeof rest), 0) << "the rest of the live program";
}

TEST(OvixctlEq, FileImportWritesANewPresetAndExportReadsItBack)
{
    const auto dir = std::filesystem::temp_directory_path() / ("ovix-eq-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string in = (dir / "in.qxas").string(), outFile = (dir / "out.qxas").string();
    std::string out, err;
    ASSERT_EQ(RunCli({"--device", "sim", "preset", "pull", in}, out, err), 0) << err;
    const auto inBytes = std::filesystem::file_size(in);
    ProgramImage original;
    ASSERT_EQ(ReadSingleProgramFile(in, original), PresetStatus::Ok);

    ASSERT_EQ(RunCli({"eq", "import", in, "--channel", "2", kRew, "-o", outFile}, out, err), 0) << err;
    ProgramImage again, imported;
    ASSERT_EQ(ReadSingleProgramFile(in, again), PresetStatus::Ok);
    EXPECT_EQ(std::memcmp(&again, &original, sizeof again), 0) << "the input file is never changed";
    EXPECT_EQ(std::filesystem::file_size(in), inBytes);
    ASSERT_EQ(ReadSingleProgramFile(outFile, imported), PresetStatus::Ok);
    for (int ch = 0; ch < kOutputChannels; ++ch)
        EXPECT_EQ(std::memcmp(imported.outputs[ch].Bytes(), original.outputs[ch].Bytes(), sizeof(OutputBlock)) == 0,
                  ch != 1);

    ASSERT_EQ(RunCli({"eq", "export", outFile, "--channel", "2"}, out, err), 0) << err;
    EXPECT_NE(out.find("Filter 1: ON PK Fc 38.300 Hz Gain 5.5 dB"), std::string::npos) << out;
    EXPECT_NE(out.find("# Crossover: high-pass"), std::string::npos);

    EXPECT_EQ(RunCli({"eq", "import", in, "--channel", "2", kRew}, out, err), 2) << "a file import needs -o";
    std::filesystem::remove_all(dir);
}
