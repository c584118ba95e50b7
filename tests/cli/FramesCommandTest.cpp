#include "cli/Ovixctl.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

using namespace ovix::cli;

namespace {

struct Result {
    int code;
    std::vector<std::string> lines;
    std::string err;
};

Result RunCli(std::vector<std::string> args)
{
    std::ostringstream out, err;
    Result r;
    r.code = Run(args, out, err);
    std::istringstream in(out.str());
    for (std::string line; std::getline(in, line);)
        r.lines.push_back(line);
    r.err = err.str();
    return r;
}

} // namespace

TEST(OvixctlFrames, PrintsHexSeqAndFlags)
{
    auto r = RunCli({"frames", "read-version"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.lines, (std::vector<std::string>{
                           "7d7d7deea20100090400000008000000000000000000a6aa seq=0"}));

    r = RunCli({"frames", "read-live"});
    ASSERT_EQ(r.lines.size(), 7u);
    EXPECT_EQ(r.lines.back(), "7d7d7deea20100040577000008000000000000000000ddaa seq=6 notify");

    r = RunCli({"--device", "sim", "frames", "store", "0"});
    ASSERT_EQ(r.code, 0);
    ASSERT_EQ(r.lines.size(), 20u);
    EXPECT_NE(r.lines.back().find(" seq=19 last"), std::string::npos);

    r = RunCli({"frames", "download-all", "--device=usb"});
    ASSERT_EQ(r.lines.size(), 100u);
    EXPECT_NE(r.lines[13].find("7d7d7deea1010009400000003200"), std::string::npos)
        << "the unnumbered delay-memory write: " << r.lines[13];
    EXPECT_NE(r.lines[13].find(" seq=0"), std::string::npos);
}

TEST(OvixctlFrames, EverySequenceNameRuns)
{
    const std::vector<std::vector<std::string>> cases = {
        {"read-version"}, {"read-device-info"}, {"read-live"}, {"recall", "20"},
        {"read-all-programs"}, {"store", "20"}, {"download-all"}, {"status-poll"},
    };
    for (auto args : cases) {
        args.insert(args.begin(), "frames");
        auto r = RunCli(args);
        EXPECT_EQ(r.code, 0) << args[1] << ": " << r.err;
        EXPECT_FALSE(r.lines.empty()) << args[1];
    }
}

TEST(OvixctlFrames, BadSequenceOrArgumentIsAUsageError)
{
    const std::vector<std::vector<std::string>> cases = {
        {"frames"}, {"frames", "bogus"}, {"frames", "recall"}, {"frames", "recall", "0"},
        {"frames", "recall", "21"}, {"frames", "store", "-1"}, {"frames", "store", "3x"},
        {"frames", "store", "21"}, {"frames", "read-live", "1"}, {"frames", "--device"},
        {"frames", "read-live", "--device", "serial"}, {"nonsense"}, {},
    };
    for (const auto& args : cases) {
        auto r = RunCli(args);
        std::string joined;
        for (const auto& a : args)
            joined += a + " ";
        EXPECT_EQ(r.code, 2) << joined;
        EXPECT_TRUE(r.lines.empty()) << joined;
        EXPECT_FALSE(r.err.empty()) << joined << ": a message on stderr";
    }
}
