#include "backends/DeviceOption.h"
#include "cli/Ovixctl.h"
#include "simulator/SimBus.h"

#include "CliRun.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstring>
#include <sstream>

using namespace ovix;
using namespace ovix::cli;

namespace {

using ovix::test::RunCli;

} // namespace

TEST(OvixctlDevices, ListsTheSimulatedProcessorAsUsb1)
{
    std::string out, err;
    ASSERT_EQ(RunCli({"devices", "--device", "sim"}, out, err), 0) << err;
    EXPECT_EQ(out, "USB1 sim:1\n");
}

TEST(OvixctlDump, JsonHasTheWholeLiveState)
{
    std::string out, err;
    ASSERT_EQ(RunCli({"--device", "sim", "dump", "--json"}, out, err), 0) << err;
    const auto j = nlohmann::json::parse(out);
    EXPECT_EQ(j["version"], "QX907-V1.00");
    EXPECT_EQ(j["model"], 1);
    ASSERT_EQ(j["programNames"].size(), 10u);
    EXPECT_EQ(j["programNames"][0], "PROGRAM 01") << "names are trimmed";
    ASSERT_EQ(j["delayMemory"]["sets"].size(), 4u);
    EXPECT_EQ(j["delayMemory"]["sets"][0].size(), 6u);
    const auto& live = j["live"];
    ASSERT_EQ(live["outputs"].size(), 6u);
    const auto& ch5 = live["outputs"][4];
    ASSERT_EQ(ch5["bands"].size(), 31u);
    EXPECT_EQ(ch5["bands"][30]["freq"], 20000);
    EXPECT_EQ(ch5["bands"][30]["gain"], 200) << "gain code = word - 400";
    EXPECT_EQ(ch5["lowPass"]["freq"], 500);
    EXPECT_EQ(ch5["gain"], 60);
    for (const char* key : {"name", "soundOn", "polarity", "delay", "geqMode", "highPass", "limiter"})
        EXPECT_TRUE(ch5.contains(key)) << key;
    EXPECT_EQ(live["music"]["volume"], 60);
}

TEST(OvixctlDump, JsonCarriesNamesThatAreNotUtf8AsLatin1)
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
    proc->Edit([](DeviceImage& m) {
        std::memcpy(m.current.outputs[2].name, "Sub\xFF\xE9", 6);
        std::memcpy(m.current.outputs[4].name, "\xC3(", 3);  // a broken UTF-8 sequence
        std::memcpy(m.deviceInfo, "Caf\xE9 \x80", 7);
    });
    std::string out, err;
    ASSERT_EQ(RunCli({"--device", "sim", "dump", "--json"}, out, err), 0) << err;
    const auto j = nlohmann::json::parse(out);  // throws on invalid UTF-8
    EXPECT_EQ(j["live"]["outputs"][2]["name"], "Sub\u00ff\u00e9") << "each byte as the character it is in Latin-1";
    EXPECT_EQ(j["live"]["outputs"][4]["name"], "\u00c3(");
    EXPECT_EQ(j["deviceInfo"], "Caf\u00e9 \u0080");
}

TEST(OvixctlDump, ProcessorThatAsksForResendsForeverIsAConnectionFailure)
{
    auto bus = std::dynamic_pointer_cast<sim::CSimBus>(MakeBackend("sim"));
    ASSERT_TRUE(bus);
    auto proc = bus->Find("sim:1");
    struct Restore {
        std::shared_ptr<sim::CSimProcessor> proc;
        ~Restore() { proc->ResendNext(0); }
    } restore{proc};
    proc->ResendNext(1000000);
    std::string out, err;
    EXPECT_EQ(RunCli({"--device", "sim", "dump"}, out, err), 1);
    EXPECT_EQ(err, "Connection failure!\n");
    EXPECT_TRUE(out.empty());
}

TEST(OvixctlDump, FailuresGiveTheConsolesMessage)
{
    std::string out, err;
    EXPECT_EQ(RunCli({"dump", "--device", "unix:/nonexistent/ovix.sock"}, out, err), 1);
    EXPECT_EQ(err, "No connection can be opened\n");
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(RunCli({"dump", "extra"}, out, err), 2);
}

// An empty list is an answer, not a failure: nothing on stdout, a word on stderr, status 0.
TEST(OvixctlDevices, NoProcessorIsAnEmptyListNotAFailure)
{
    std::string out, err;
    EXPECT_EQ(RunCli({"devices", "--device", "unix:/nonexistent/ovix.sock"}, out, err), 0);
    EXPECT_TRUE(out.empty()) << out;
    EXPECT_EQ(err, "No processor found\n");
}

TEST(Ovixctl, UnknownOptionIsAUsageErrorNamedAsAnOption)
{
    for (const std::vector<std::string>& args : {std::vector<std::string>{"--frob"},
                                                 std::vector<std::string>{"--frob", "devices"},
                                                 std::vector<std::string>{"--device", "sim", "dump", "--frob"},
                                                 std::vector<std::string>{"preset", "pull", "--frob", "x.qxaa"}}) {
        std::string out, err;
        EXPECT_EQ(RunCli(args, out, err), 2) << args.back();
        EXPECT_EQ(err.substr(0, err.find('\n') + 1), "ovixctl: unknown option '--frob'\n") << args.back();
        EXPECT_TRUE(out.empty());
    }
}
