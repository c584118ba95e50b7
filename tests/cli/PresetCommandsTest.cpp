// ovixctl's preset and response commands; push and pull run end to end against the
// process's simulated processor.

#include "document/PresetFile.h"
#include "tables/TextField.h"
#include "cli/Ovixctl.h"

#include "CliRun.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <future>
#include <fstream>
#include <memory>
#include <sstream>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace ovix;
using namespace ovix::cli;
namespace fs = std::filesystem;

namespace {

using Out = ovix::test::CliOut;
using ovix::test::RunCli;

class PresetCli : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("ovix-cli-" + std::to_string(::getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string Path(const std::string& n) const { return (dir / n).string(); }
    std::vector<std::uint8_t> Bytes(const std::string& n) const
    {
        std::ifstream in(Path(n), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    void Write(const std::string& n, const std::vector<std::uint8_t>& b) const
    {
        std::ofstream(Path(n), std::ios::binary).write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
    }

    fs::path dir;
};

} // namespace

TEST_F(PresetCli, PushThenDumpShowsTheFilesProgramInTheProcessor)
{
    // a program unlike the simulator's own
    auto prog = std::make_unique<ProgramImage>();
    ASSERT_EQ(RunCli({"preset", "pull", Path("live.qxas"), "--device", "sim"}).code, 0);
    ASSERT_EQ(ReadSingleProgramFile(Path("live.qxas"), *prog), PresetStatus::Ok);
    prog->outputs[3].SetGain(41);
    prog->outputs[3].SetDelay(300);
    prog->outputs[0].bands[12].SetGainWord(700);
    prog->outputs[5].crossover.SetHighPassFreq(63);
    Write("tune.qxas", SerializeSingleProgram(*prog));

    const Out push = RunCli({"preset", "push", Path("tune.qxas"), "--device", "sim"});
    ASSERT_EQ(push.code, 0) << push.err;
    const Out dump = RunCli({"dump", "--json", "--device", "sim"});
    ASSERT_EQ(dump.code, 0) << dump.err;
    const auto live = nlohmann::json::parse(dump.out)["live"];
    EXPECT_EQ(live["outputs"][3]["gain"], 41);
    EXPECT_EQ(live["outputs"][3]["delay"], 300);
    EXPECT_EQ(live["outputs"][0]["bands"][12]["gain"], 300);
    EXPECT_EQ(live["outputs"][5]["highPass"]["freq"], 63);
    const auto dm = nlohmann::json::parse(dump.out)["delayMemory"];
    EXPECT_EQ(dm["sets"][int(dm["current"])][3], 300) << "the delay memory follows the file";
}

TEST_F(PresetCli, PulledAllProgramsFileLoadsBackByteIdentical)
{
    const Out pull = RunCli({"preset", "pull", Path("all"), "--device", "sim"});
    EXPECT_EQ(pull.code, 2) << "pull needs to know which kind of file";
    ASSERT_EQ(RunCli({"preset", "pull", Path("all.qxaa"), "--device", "sim"}).code, 0);
    const auto bytes = Bytes("all.qxaa");
    ASSERT_EQ(bytes.size(), 45934u);
    auto file = std::make_unique<AllProgramsFile>();
    ASSERT_EQ(ParseAllPrograms(bytes, *file), PresetStatus::Ok);
    EXPECT_EQ(SerializeAllPrograms(file->programs, file->current, file->delayMemory), bytes);
    for (int p = 0; p < 10; ++p)
        EXPECT_EQ(file->programs[p].Bytes()[371], 1) << "program " << p + 1;
    EXPECT_EQ(DecodeTextField({file->programs[6].name, 16}), "PROGRAM 07") << "read back from the processor";

    // and the file goes back: push it, pull again, same bytes
    ASSERT_EQ(RunCli({"preset", "push", Path("all.qxaa"), "--device", "sim"}).code, 0);
    ASSERT_EQ(RunCli({"preset", "pull", Path("again.qxaa"), "--device", "sim"}).code, 0);
    EXPECT_EQ(Bytes("again.qxaa"), bytes);
}

TEST_F(PresetCli, ShowDecodesAsStored)
{
    ASSERT_EQ(RunCli({"preset", "pull", Path("one.qxas"), "--device", "sim"}).code, 0);
    const Out single = RunCli({"preset", "show", Path("one.qxas"), "--json"});
    ASSERT_EQ(single.code, 0) << single.err;
    const auto j = nlohmann::json::parse(single.out);
    EXPECT_EQ(j["outputs"].size(), 6u);
    EXPECT_EQ(j["outputs"][0]["bands"].size(), 31u);

    ASSERT_EQ(RunCli({"preset", "pull", Path("all.qxaa"), "--device", "sim"}).code, 0);
    const Out all = RunCli({"preset", "show", Path("all.qxaa"), "--json"});
    ASSERT_EQ(all.code, 0) << all.err;
    const auto k = nlohmann::json::parse(all.out);
    EXPECT_EQ(k["programs"].size(), 20u);
    EXPECT_TRUE(k.contains("current"));
    EXPECT_EQ(k["delayMemory"]["sets"].size(), 4u);
}

TEST_F(PresetCli, ShowJsonCarriesNamesThatAreNotUtf8AsLatin1)
{
    ASSERT_EQ(RunCli({"preset", "pull", Path("one.qxas"), "--device", "sim"}).code, 0);
    auto prog = std::make_unique<ProgramImage>();
    ASSERT_EQ(ReadSingleProgramFile(Path("one.qxas"), *prog), PresetStatus::Ok);
    std::memset(prog->name, 0, sizeof prog->name);
    std::memcpy(prog->name, "Tune\xFF\xE9", 6);
    std::memcpy(prog->outputs[1].name, "\xE4\xB8", 2);  // a cut UTF-8 sequence
    Write("odd.qxas", SerializeSingleProgram(*prog));

    const Out single = RunCli({"preset", "show", Path("odd.qxas"), "--json"});
    ASSERT_EQ(single.code, 0) << single.err;
    const auto j = nlohmann::json::parse(single.out);  // throws on invalid UTF-8
    EXPECT_EQ(j["name"], "Tune\u00ff\u00e9") << "each byte as the character it is in Latin-1";
    EXPECT_EQ(j["outputs"][1]["name"], "\u00e4\u00b8");
    EXPECT_EQ(RunCli({"preset", "show", Path("odd.qxas")}).code, 0) << "the plain text shows the bytes as they are";
}

TEST_F(PresetCli, ResponseOfAFilesProgram)
{
    auto prog = std::make_unique<ProgramImage>();
    ASSERT_EQ(RunCli({"preset", "pull", Path("live.qxas"), "--device", "sim"}).code, 0);
    ASSERT_EQ(ReadSingleProgramFile(Path("live.qxas"), *prog), PresetStatus::Ok);
    // channel 2: a +6 dB, one-octave peak at 1000 Hz and nothing else
    OutputBlock& o = prog->outputs[1];
    for (auto& band : o.bands)
        band.SetGainWord(600);
    o.bands[17].SetFreq(1000);
    o.bands[17].SetGainWord(660);
    o.bands[17].SetBandwidthIndex(95);
    o.bands[17].SetKind(0);
    o.crossover.SetHighPassFreq(20);
    o.crossover.SetLowPassFreq(20000);
    Write("peak.qxas", SerializeSingleProgram(*prog));

    const Out text = RunCli({"response", Path("peak.qxas"), "--channel", "2"});
    ASSERT_EQ(text.code, 0) << text.err;
    std::istringstream lines(text.out);
    std::vector<std::string> all;
    for (std::string l; std::getline(lines, l);)
        all.push_back(l);
    ASSERT_EQ(all.size(), 241u);
    EXPECT_EQ(all[0].substr(0, 5), "19.7 ");
    EXPECT_EQ(all[240].substr(0, 6), "20000 ");
    EXPECT_EQ(all[136], "1000 6.00");

    const Out json = RunCli({"response", Path("peak.qxas"), "--json"});
    ASSERT_EQ(json.code, 0);
    const auto j = nlohmann::json::parse(json.out);
    ASSERT_EQ(j["channels"].size(), 6u);
    EXPECT_EQ(j["channels"][1]["channel"], 2);
    EXPECT_DOUBLE_EQ(j["channels"][1]["db"][136].get<double>(), 6.0);
    EXPECT_LT(j["channels"][4]["db"][136].get<double>(), -20) << "channel 5's 500 Hz low-pass";
    EXPECT_EQ(RunCli({"response", Path("peak.qxas"), "--channel", "7"}).code, 2);
}

TEST_F(PresetCli, BadFilesAreRefusedAndNothingIsWritten)
{
    ASSERT_EQ(RunCli({"preset", "pull", Path("one.qxas"), "--device", "sim"}).code, 0);
    auto good = Bytes("one.qxas");
    auto truncated = good;
    truncated.resize(2000);
    Write("cut.qxas", truncated);
    Write("empty.qxaa", {});
    const std::size_t files = std::distance(fs::directory_iterator(dir), fs::directory_iterator{});
    const struct {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"preset", "show", Path("cut.qxas")}, "Read MusicFile  Error\n"},
        {{"preset", "show", Path("empty.qxaa")}, "Read all MusicFile Error\n"},
        {{"preset", "push", Path("cut.qxas"), "--device", "sim"}, "Read MusicFile  Error\n"},
        {{"preset", "push", Path("empty.qxaa"), "--device", "sim"}, "Read all MusicFile Error\n"},
        {{"response", Path("cut.qxas")}, "Read MusicFile  Error\n"},
        {{"preset", "show", Path("missing.qxas")}, "Read MusicFile  Error\n"},
    };
    for (const auto& c : cases) {
        const Out r = RunCli(c.args);
        EXPECT_EQ(r.code, 1) << c.args[1];
        EXPECT_EQ(r.err, c.message) << c.args[1];
        EXPECT_TRUE(r.out.empty());
    }
    EXPECT_EQ(std::size_t(std::distance(fs::directory_iterator(dir), fs::directory_iterator{})), files)
        << "nothing written";
}

// A FIFO named like a preset is refused at once, as any file that is not a regular one. Were
// it opened for reading, the command would wait for a writer forever: the command runs
// aside, and should it still wait after a few seconds the test opens the FIFO for writing
// and writes a byte, so the command ends and the failure shows.
TEST_F(PresetCli, SpecialFilesAreRefusedAtOnce)
{
    ASSERT_EQ(::mkfifo(Path("pipe.qxas").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo(Path("pipe.qxaa").c_str(), 0600), 0);
    const struct {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"preset", "show", Path("pipe.qxas")}, "Read MusicFile  Error\n"},
        {{"preset", "show", Path("pipe.qxaa"), "--json"}, "Read all MusicFile Error\n"},
        {{"preset", "push", Path("pipe.qxas"), "--device", "sim"}, "Read MusicFile  Error\n"},
        {{"preset", "push", Path("pipe.qxaa"), "--device", "sim"}, "Read all MusicFile Error\n"},
        {{"response", Path("pipe.qxas")}, "Read MusicFile  Error\n"},
        {{"preset", "show", "/dev/null"}, "Read MusicFile  Error\n"},
    };
    for (const auto& c : cases) {
        auto run = std::async(std::launch::async, [&] { return RunCli(c.args); });
        bool blocked = false;
        while (run.wait_for(std::chrono::seconds(3)) != std::future_status::ready) {
            blocked = true;
            const auto file = std::find_if(c.args.begin(), c.args.end(), [](const std::string& a) { return a[0] == '/'; });
            const int fd = ::open(file->c_str(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) {
                [[maybe_unused]] const auto n = ::write(fd, "x", 1);
                ::close(fd);
            }
        }
        const Out r = run.get();
        const std::string what = c.args[0] + ' ' + c.args[1];
        EXPECT_FALSE(blocked) << what << " waited on the FIFO";
        EXPECT_EQ(r.code, 1) << what;
        EXPECT_EQ(r.err, c.message) << what;
        EXPECT_TRUE(r.out.empty());
    }
}

// A destination that cannot be written is refused before the processor is even opened (the
// unreachable device shows it), with the save message and the system's reason after it.
TEST_F(PresetCli, PullToAFolderThatCannotHoldTheFileFailsBeforeConnecting)
{
    Write("plain", {1, 2, 3});
    const struct {
        std::string file;
        std::string message;
    } cases[] = {
        {Path("missing/all.qxaa"), std::string("save all MusicFile Error!: ") + std::strerror(ENOENT)},
        {Path("plain/all.qxaa"), std::string("save all MusicFile Error!: ") + std::strerror(ENOTDIR)},
        {Path("missing/one.qxas"), std::string("Save MusicFile Error!: ") + std::strerror(ENOENT)},
    };
    for (const auto& c : cases) {
        const Out r = RunCli({"preset", "pull", c.file, "--device", "unix:/nonexistent/ovix.sock"});
        EXPECT_EQ(r.code, 1) << c.file;
        EXPECT_EQ(r.err, c.message + "\n") << c.file;
        EXPECT_TRUE(r.out.empty());
    }
    EXPECT_FALSE(fs::exists(Path("missing")));
}

TEST_F(PresetCli, FailedSaveAfterReadingSaysWhy)
{
    fs::create_directory(Path("taken.qxaa"));  // the folder is writable, the name is a folder
    const Out r = RunCli({"preset", "pull", Path("taken.qxaa"), "--device", "sim"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, std::string("save all MusicFile Error!: ") + std::strerror(EISDIR) + "\n");
    EXPECT_TRUE(r.out.empty());
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator{}), 1)
        << "no temporary file is left behind";
}

// "--" ends the options: a file whose name starts with a dash comes after it and is taken as
// a file by every command that takes one, while before it the same word is an unknown option.
TEST_F(PresetCli, FileNamesStartingWithADashFollowTheEndOfOptions)
{
    ASSERT_EQ(RunCli({"preset", "pull", Path("-odd.qxas"), "--device", "sim"}).code, 0);
    fs::copy_file(Path("-odd.qxas"), Path("--odd.qxas"));
    const Out expected = RunCli({"preset", "show", Path("-odd.qxas")});
    ASSERT_EQ(expected.code, 0) << expected.err;

    // relative names, so that the first character is the dash
    const fs::path before = fs::current_path();
    fs::current_path(dir);
    const Out asOption = RunCli({"preset", "show", "-odd.qxas"});
    const Out shown = RunCli({"preset", "show", "--", "-odd.qxas"});
    const Out json = RunCli({"--json", "preset", "show", "--", "--odd.qxas"});
    const Out response = RunCli({"response", "--channel", "2", "--", "--odd.qxas"});
    const Out pushed = RunCli({"--device", "sim", "preset", "push", "--", "-odd.qxas"});
    const Out twoFiles = RunCli({"preset", "show", "--", "-odd.qxas", "--json"});
    fs::current_path(before);

    EXPECT_EQ(asOption.code, 2);
    EXPECT_EQ(asOption.err.substr(0, asOption.err.find('\n') + 1), "ovixctl: unknown option '-odd.qxas'\n");
    EXPECT_EQ(shown.code, 0) << shown.err;
    EXPECT_EQ(shown.out, expected.out);
    EXPECT_EQ(json.code, 0) << json.err;
    EXPECT_EQ(nlohmann::json::parse(json.out)["outputs"].size(), 6u) << "options before \"--\" still count";
    EXPECT_EQ(response.code, 0) << response.err;
    EXPECT_EQ(std::count(response.out.begin(), response.out.end(), '\n'), 241) << "channel 2 only";
    EXPECT_EQ(pushed.code, 0) << pushed.err;
    EXPECT_EQ(twoFiles.code, 2) << "after \"--\", --json is a second file name";
    EXPECT_EQ(twoFiles.err, "ovixctl preset show: needs one FILE\n");
}
