// ovixctl firmware: --check on every shape of firmware file, the messages of files that
// cannot be used, usage errors, and an update end to end against the process's simulated
// processor.

#include "backends/DeviceOption.h"
#include "cli/CliSession.h"
#include "cli/Ovixctl.h"
#include "link/Firmware.h"
#include "simulator/SimBus.h"

#include "CliRun.h"

#include "../link/FirmwareFiles.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>

#include <unistd.h>

using namespace ovix;
using namespace ovix::cli;
namespace fs = std::filesystem;

namespace {

using ovix::test::Append;
using ovix::test::Bytes;
constexpr auto Checksum = ovix::test::McuChecksum;
Bytes Pattern(std::size_t n, std::uint8_t seed) { return ovix::test::Pattern(n, seed, 29); }

using Out = ovix::test::CliOut;
using ovix::test::RunCli;


// An MCU image: the header DE AD BE EF, then `data` bytes.
Bytes McuImage(std::size_t data) { Bytes m{0xDE, 0xAD, 0xBE, 0xEF}; Append(m, Pattern(data, 3)); return m; }


class FirmwareCli : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "ovix-fwcli-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir = pattern;
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string Write(const Bytes& bytes, const std::string& name = "fw.bin") const
    {
        const std::string path = (dir / name).string();
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return path;
    }
    fs::path dir;
};

// ---- --check ----

struct ShapeCase {
    const char* name;
    Bytes file;
    const char* shape;
    std::size_t dspSize;  // 0: no DSP section
    Bytes mcu;            // empty: no MCU section
    std::size_t fill;     // 0xFF bytes after the MCU image in its last frame
    std::map<std::string, int> frames;
    int steps;
};

void PrintTo(const ShapeCase& c, std::ostream* os) { *os << c.name; }

ShapeCase McuOnly(const char* name, std::size_t data, std::size_t fill, int dataFrames)
{
    ShapeCase c{name, {}, "MCU only", 0, McuImage(data), fill, {}, 0};
    Append(c.file, "WMCU");
    Append(c.file, c.mcu);
    c.frames = {{"bootRequest", 1}, {"start", 1}, {"dspErase", 0}, {"dspData", 0},
                {"mcuHeader", 1},   {"mcuData", dataFrames}, {"finish", 1}};
    c.steps = 3 + dataFrames;
    return c;
}

// "WDSP", the DSP image, then an MCU section at 0x40004 when `mcu` is not empty.
Bytes LongFile(const Bytes& mcu)
{
    Bytes f;
    Append(f, "WDSP");
    Append(f, Pattern(kFirmwareDspSize, 9));
    f.resize(0x40004, 0);
    if (!mcu.empty()) {
        Append(f, "WMCU");
        Append(f, mcu);
    }
    return f;
}

std::vector<ShapeCase> ShapeCases()
{
    std::vector<ShapeCase> cases;
    // data a multiple of 48: full frames, no fill; one byte more: a frame of 1 + 47 fill
    cases.push_back(McuOnly("McuWholeFrames", 48 * 3, 0, 3));
    cases.push_back(McuOnly("McuOneByteMore", 48 * 3 + 1, 47, 4));
    cases.push_back(McuOnly("McuOneDataByte", 1, 47, 1));

    ShapeCase dsp{"DspOnly", LongFile({}), "DSP only", kFirmwareDspSize, {}, 0, {}, 0};
    // 65535 = 44 * 1489 + 19: 1489 full frames and one of 19 bytes
    dsp.frames = {{"bootRequest", 1}, {"start", 1}, {"dspErase", 1}, {"dspData", 1490},
                  {"mcuHeader", 0},   {"mcuData", 0}, {"finish", 1}};
    dsp.steps = 1493;
    cases.push_back(dsp);

    ShapeCase both{"DspAndMcu", LongFile(McuImage(100)), "DSP and MCU", kFirmwareDspSize, McuImage(100), 44,
                   {}, 0};
    // one start step for both sections
    both.frames = {{"bootRequest", 1}, {"start", 1}, {"dspErase", 1}, {"dspData", 1490},
                   {"mcuHeader", 1},   {"mcuData", 3}, {"finish", 1}};
    both.steps = 1497;
    cases.push_back(both);

    // a long file without "WDSP" is an MCU image tagged at offset 4
    ShapeCase longMcu{"LongMcuAtFour", {}, "MCU only", 0, McuImage(0x40000), 32, {}, 0};
    Append(longMcu.file, "NONE");
    Append(longMcu.file, "WMCU");
    Append(longMcu.file, longMcu.mcu);
    longMcu.frames = {{"bootRequest", 1}, {"start", 1}, {"dspErase", 0}, {"dspData", 0},
                      {"mcuHeader", 1},   {"mcuData", 5462}, {"finish", 1}};
    longMcu.steps = 5465;
    cases.push_back(longMcu);
    return cases;
}

class FirmwareCheck : public FirmwareCli, public ::testing::WithParamInterface<ShapeCase> {};

TEST_P(FirmwareCheck, JsonTellsSectionsChecksumAndFramesPerStep)
{
    const ShapeCase& c = GetParam();
    const Out r = RunCli({"firmware", "--check", Write(c.file), "--json"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const auto j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j["size"], c.file.size());
    EXPECT_EQ(j["shape"], c.shape);
    if (c.dspSize == 0) {
        EXPECT_TRUE(j["dsp"].is_null());
    } else {
        EXPECT_EQ(j["dsp"]["size"], c.dspSize);
        EXPECT_EQ(j["dsp"]["dataFrames"], c.frames.at("dspData"));
    }
    if (c.mcu.empty()) {
        EXPECT_TRUE(j["mcu"].is_null());
        EXPECT_EQ(j["checksum"], 0x12) << "a DSP-only update finishes with the seed";
    } else {
        EXPECT_EQ(j["mcu"]["size"], c.mcu.size());
        EXPECT_EQ(j["mcu"]["header"], "deadbeef");
        EXPECT_EQ(j["mcu"]["dataBytes"], c.mcu.size() - 4);
        EXPECT_EQ(j["mcu"]["dataFrames"], c.frames.at("mcuData"));
        EXPECT_EQ(j["mcu"]["fillBytes"], c.fill);
        EXPECT_EQ(j["checksum"], Checksum(c.mcu));
    }
    int total = 0;
    for (const auto& [key, n] : c.frames) {
        EXPECT_EQ(j["frames"][key], n) << key;
        total += n;
    }
    EXPECT_EQ(j["frames"].size(), c.frames.size());
    EXPECT_EQ(j["totalFrames"], total);
    EXPECT_EQ(j["steps"], c.steps) << "every frame but the boot request is acknowledged";
}

INSTANTIATE_TEST_SUITE_P(Shapes, FirmwareCheck, ::testing::ValuesIn(ShapeCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FirmwareCli, FirmwareCheckPrintsWhatTheFileHolds)
{
    Bytes file;
    Append(file, "WMCU");
    const Bytes mcu = McuImage(48 * 3 + 1);
    Append(file, mcu);
    char sum[8];
    std::snprintf(sum, sizeof sum, "0x%02x", Checksum(mcu));
    const Out r = RunCli({"firmware", "--check", Write(file)});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "file          153 bytes, MCU only\n"
                     "MCU section   149 bytes: header de ad be ef, 145 data bytes in 4 data frames "
                     "(47 fill bytes 0xff)\n"
                     "checksum      " + std::string(sum) + "\n"
                     "frames        8: boot request 1, start 1, MCU header 1, MCU data 4, finish 1\n"
                     "steps         7 acknowledged by the processor\n");

    const Out both = RunCli({"firmware", "--check", Write(LongFile(McuImage(48)), "both.bin")});
    ASSERT_EQ(both.code, 0) << both.err;
    EXPECT_NE(both.out.find("file          262204 bytes, DSP and MCU\n"
                            "DSP section   65535 bytes in 1490 data frames\n"
                            "MCU section   52 bytes: header de ad be ef, 48 data bytes in 1 data frames\n"),
              std::string::npos)
        << both.out;
    EXPECT_NE(both.out.find("frames        1496: boot request 1, start 1, DSP erase 1, DSP data 1490, "
                            "MCU header 1, MCU data 1, finish 1\n"),
              std::string::npos)
        << both.out;
}

// ---- files that cannot be used ----

struct BadFile {
    const char* name;
    Bytes bytes;
    enum { File, Missing, Folder } kind;
    const char* message;  // the whole of stderr
};

void PrintTo(const BadFile& c, std::ostream* os) { *os << c.name; }

std::vector<BadFile> BadFiles()
{
    Bytes headerOnly;
    Append(headerOnly, "WMCU");
    Append(headerOnly, Bytes{1, 2, 3, 4});
    Bytes noTag;
    Append(noTag, "WDSP");  // a short file must start with "WMCU"
    Append(noTag, Pattern(200, 1));
    Bytes longNoTags(0x40010, 0x55);
    return {
        {"Missing", {}, BadFile::Missing, "Bin File error!: No such file or directory\n"},
        {"Folder", {}, BadFile::Folder, "Bin File error!: Invalid argument\n"},
        {"Empty", {}, BadFile::File, "更新文件错误！\n"},
        {"ShortWithoutMcuTag", noTag, BadFile::File, "更新文件错误！\n"},
        {"McuHeaderOnly", headerOnly, BadFile::File, "更新文件错误！\n"},
        {"LongWithoutTags", longNoTags, BadFile::File, "更新文件错误！\n"},
    };
}

std::shared_ptr<sim::CSimProcessor> SimProcessor()
{
    auto bus = std::dynamic_pointer_cast<sim::CSimBus>(MakeBackend("sim"));
    return bus ? bus->Find("sim:1") : nullptr;
}

class FirmwareBadFile : public FirmwareCli, public ::testing::WithParamInterface<BadFile> {};

TEST_P(FirmwareBadFile, GivesItsMessageExitOneAndSendsNothing)
{
    const BadFile& c = GetParam();
    std::string path = (dir / "fw.bin").string();
    if (c.kind == BadFile::File)
        Write(c.bytes);
    else if (c.kind == BadFile::Folder)
        fs::create_directory(path);

    const Out check = RunCli({"firmware", "--check", path});
    EXPECT_EQ(check.code, 1);
    EXPECT_EQ(check.out, "");
    EXPECT_EQ(check.err, c.message);

    auto proc = SimProcessor();
    ASSERT_TRUE(proc);
    const sim::LoaderState before = proc->Loader();
    const Out update = RunCli({"firmware", path, "--device", "sim"});
    EXPECT_EQ(update.code, 1);
    EXPECT_EQ(update.out, "");
    EXPECT_EQ(update.err, c.message) << "the message alone, no progress";
    EXPECT_EQ(proc->Loader().bootRequests, before.bootRequests);
    EXPECT_EQ(proc->Loader().starts, before.starts);
}

INSTANTIATE_TEST_SUITE_P(Files, FirmwareBadFile, ::testing::ValuesIn(BadFiles()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(OvixctlFirmware, UsageErrorsExitTwo)
{
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"firmware"},
             {"firmware", "--check"},
             {"firmware", "a.bin", "b.bin"},
             {"firmware", "--json", "a.bin"},  // JSON only for --check
             {"firmware", "--check", "--check", "a.bin"},
             {"firmware", "a.bin", "--frob"},
             {"firmware", "a.bin", "--device", "bogus"},
         }) {
        const Out r = RunCli(args);
        EXPECT_EQ(r.code, 2) << ::testing::PrintToString(args);
        EXPECT_EQ(r.out, "") << ::testing::PrintToString(args);
        EXPECT_FALSE(r.err.empty()) << ::testing::PrintToString(args);
    }
    const Out help = RunCli({"--help"});
    EXPECT_NE(help.out.find("  firmware FILE "), std::string::npos);
    EXPECT_NE(help.out.find("  firmware --check FILE [--json]"), std::string::npos);
}

TEST(OvixctlFirmware, StatusLineKeepsItsTextOnTheStatusesOnlyTheChineseDialogShows)
{
    MessageQueue queue;
    CliUi ui(queue);
    ui.FirmwareStatus(kMsgFwConnectedUsb);
    ui.FirmwareStatus(kMsgFwStarted);
    EXPECT_EQ(ui.Firmware().status, kMsgFwConnectedUsb);
    ui.FirmwareStatus(kMsgFwErasing);
    ui.FirmwareStatus(kMsgFwTransferring);
    EXPECT_EQ(ui.Firmware().status, kMsgFwErasing);
    ui.FirmwareStatus(kMsgFwDspProgramming);
    EXPECT_EQ(ui.Firmware().status, kMsgFwDspProgramming);
    EXPECT_FALSE(ui.Firmware().ended.has_value());
}

// ---- an update end to end ----

// A small MCU-only file keeps the update to the fixed pauses of the procedure (boot request
// 1 s, 2 s, restart 3 s) and a few dozen data steps.
TEST_F(FirmwareCli, FirmwareUpdatesTheSimulatedProcessorAndADumpWorksAfterwards)
{
    const Bytes mcu = McuImage(48 * 40 + 5);
    Bytes file;
    Append(file, "WMCU");
    Append(file, mcu);
    const int steps = 1 + 1 + 41 + 1;  // start, header, data, finish

    auto proc = SimProcessor();
    ASSERT_TRUE(proc);
    const sim::LoaderState before = proc->Loader();
    const Out r = RunCli({"--device", "sim", "firmware", Write(file)});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "Update successfully!\n");

    const sim::LoaderState loader = proc->Loader();
    EXPECT_GT(loader.bootRequests, before.bootRequests);
    EXPECT_EQ(loader.starts, before.starts + 1);
    EXPECT_EQ(loader.finishes, before.finishes + 1);
    EXPECT_EQ(loader.erases, before.erases) << "no DSP section, no erase";
    EXPECT_FALSE(loader.inLoader);
    EXPECT_EQ(loader.mcuHeader, Bytes(mcu.begin(), mcu.begin() + 4));
    Bytes sent(mcu.begin() + 4, mcu.end());
    sent.resize(41 * 48, 0xFF);
    EXPECT_EQ(loader.mcu, sent);
    EXPECT_EQ(loader.checksum, Checksum(mcu));

    // stderr is no terminal here: one line per tenth, rising, ending full with the last status
    std::istringstream lines(r.err);
    std::string line;
    std::vector<std::string> all;
    const std::regex shape(R"( *(\d+)%  (\d+)/(\d+)(  .*)?)");
    int lastTenth = -1;
    while (std::getline(lines, line)) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(line, m, shape)) << line;
        const int percent = std::stoi(m[1].str());
        EXPECT_GT(percent / 10, lastTenth) << r.err;
        EXPECT_EQ(std::stoi(m[3].str()), steps);
        EXPECT_EQ(std::stoi(m[2].str()) * 100 / steps, percent);
        EXPECT_EQ(line.find("Firmware update started"), std::string::npos) << "a Chinese-only status";
        lastTenth = percent / 10;
        all.push_back(line);
    }
    ASSERT_FALSE(all.empty());
    EXPECT_LE(all.size(), 11u);
    EXPECT_EQ(all.front(), "  0%  0/44");
    EXPECT_EQ(all.back(), "100%  44/44  Update successfully!");
    EXPECT_TRUE(std::any_of(all.begin(), all.end(),
                            [](const std::string& l) { return l.find("  Programming......") != std::string::npos; }))
        << r.err;

    const Out dump = RunCli({"--device", "sim", "dump"});
    EXPECT_EQ(dump.code, 0) << dump.err;
    EXPECT_NE(dump.out.find("version       QX907-V1.00"), std::string::npos);
}

} // namespace
