// --trace FILE: what a link writes into its protocol trace, through ovixctl and through a
// session whose processor misbehaves.

#include "cli/CliSession.h"
#include "cli/Ovixctl.h"
#include "simulator/SimBus.h"

#include "CliRun.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include <unistd.h>

using namespace ovix;
using namespace ovix::cli;
using namespace std::chrono_literals;

namespace {

using ovix::test::RunCli;

// Time in ms, direction, the whole 65-byte report in hex.
const std::regex kReportLine{R"((\d+\.\d{3}) (W|R) ([0-9a-f]{130}))"};

// The read-version frame in its report: report id 0, the 24 frame bytes, zero padding.
std::string ReadVersionReport()
{
    return "00" "7d7d7deea20100090400000008000000000000000000a6aa" + std::string(2 * (64 - 24), '0');
}

// The line without its time stamp.
std::string Body(const std::string& line)
{
    return line.substr(line.find(' ') + 1);
}

// Short limits, so a lost link ends within a fraction of a second.
constexpr LinkTimeouts kShortLimits{200ms, 400ms, 20ms};

// A trace file of its own for each test, gone afterwards.
class Trace : public ::testing::Test {
protected:
    Trace() { std::filesystem::remove(path); }
    ~Trace() override { std::filesystem::remove(path); }
    std::vector<std::string> Lines() const
    {
        std::ifstream in(path);
        std::vector<std::string> lines;
        for (std::string l; std::getline(in, l);)
            lines.push_back(l);
        return lines;
    }

    // one file per test and process: ctest runs tests side by side
    const std::string path =
        (std::filesystem::temp_directory_path() /
         ("ovixctl-trace-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" +
          std::to_string(::getpid()) + ".log"))
            .string();
};

TEST_F(Trace, DumpTracesTheConnectExchangeReportByReport)
{
    std::string out, err;
    ASSERT_EQ(RunCli({"--trace", path, "--device", "sim", "dump"}, out, err), 0) << err;
    const auto lines = Lines();
    ASSERT_GE(lines.size(), 4u);
    std::smatch m;
    ASSERT_TRUE(std::regex_match(lines[0], m, kReportLine)) << lines[0];
    EXPECT_EQ(m[2], "W");
    EXPECT_EQ(m[3], ReadVersionReport()) << "the first report out is the read-version frame";
    ASSERT_TRUE(std::regex_match(lines[1], m, kReportLine)) << lines[1];
    EXPECT_EQ(m[2], "R");
    EXPECT_EQ(m[3].str().substr(0, 20), "007d7d7dee5301000904") << "then its data reply comes in";
    int writes = 0, reads = 0;
    double last = 0;
    for (const std::string& l : lines) {
        ASSERT_TRUE(std::regex_match(l, m, kReportLine)) << "a clean connect traces reports only: " << l;
        (m[2] == "W" ? writes : reads) += 1;
        EXPECT_GE(std::stod(m[1]), last) << "milliseconds since the start";
        last = std::stod(m[1]);
    }
    EXPECT_GT(writes, 20) << "version, device information, live program, delay memory";
    EXPECT_GE(reads, writes) << "every frame written is answered";
}

TEST_F(Trace, FileThatCannotBeOpenedIsAUsageError)
{
    std::string out, err;
    EXPECT_EQ(RunCli({"--trace", "/nonexistent-dir/t.log", "--device", "sim", "dump"}, out, err), 2);
    EXPECT_EQ(err, "ovixctl: cannot open trace file '/nonexistent-dir/t.log'\n");
    EXPECT_TRUE(out.empty());
}

TEST_F(Trace, WithoutTheOptionNoFileIsWritten)
{
    std::string out, err;
    ASSERT_EQ(RunCli({"--device", "sim", "devices"}, out, err), 0) << err;
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(Trace, ReplyWithABadChecksumShowsAsDroppedWithItsReason)
{
    auto bus = std::dynamic_pointer_cast<sim::CSimBus>(MakeBackend("sim"));
    ASSERT_TRUE(bus);
    bus->Find("sim:1")->CorruptNextChecksum();
    LinkOptions link;
    link.device = "sim";
    link.trace = path;
    ASSERT_TRUE(OpenLinkTrace(link));
    {
        CliSession session(link);
        session.Link().Transport().SetTimeouts(kShortLimits);
        std::ostringstream err;
        EXPECT_FALSE(session.ConnectAndRead(err));
        EXPECT_EQ(err.str(), "Connection failure!\n");
    }
    link.traceFile.reset();
    const auto lines = Lines();
    ASSERT_EQ(lines.size(), 4u);
    std::smatch m;
    ASSERT_TRUE(std::regex_match(lines[0], m, kReportLine));
    EXPECT_EQ(m[3], ReadVersionReport());
    ASSERT_TRUE(std::regex_match(lines[1], m, kReportLine));
    EXPECT_EQ(m[2], "R");
    // the version reply's checksum is 07; the simulator sent it inverted
    EXPECT_EQ(Body(lines[2]), "DROP bad checksum (computed 0x07, received 0xf8)");
    EXPECT_EQ(Body(lines[3]), "LOST no report within the report limit");
}

// A bus whose devices lose the first report written: the write times out and the report
// never reaches the processor.
class LossyBus final : public IHidBackend {
public:
    LossyBus() { m_bus.Add(); }
    std::vector<HidDeviceInfo> Enumerate(std::uint16_t v, std::uint16_t p) override { return m_bus.Enumerate(v, p); }
    std::unique_ptr<IHidDevice> Open(const std::string& path, OpenError& error) override
    {
        auto inner = m_bus.Open(path, error);
        return inner ? std::make_unique<Device>(std::move(inner)) : nullptr;
    }
    std::unique_ptr<IWatchHandle> Watch(DeviceChangeFn) override { return nullptr; }

private:
    class Device final : public IHidDevice {
    public:
        explicit Device(std::unique_ptr<IHidDevice> inner) : m_inner(std::move(inner)) {}
        HidIo Write(const Report& report, int timeoutMs) override
        {
            if (m_lose) {
                m_lose = false;
                return HidIo::Timeout;
            }
            return m_inner->Write(report, timeoutMs);
        }
        HidIo Read(Report& report, int timeoutMs) override { return m_inner->Read(report, timeoutMs); }

    private:
        std::unique_ptr<IHidDevice> m_inner;
        bool m_lose = true;
    };
    sim::CSimBus m_bus;
};

TEST_F(Trace, FailedWriteIsTracedAndEndsAsLinkLost)
{
    auto trace = CProtocolTrace::Open(path);
    ASSERT_TRUE(trace);
    ParameterModel model;
    ResetImage(model.image);
    LinkFlags flags;
    std::recursive_mutex batchLock;
    MemoryDeviceRecords records;
    MessageQueue queue;
    CliUi ui(queue);
    {
        CConsoleLink link(model, flags, batchLock, WithTrace(std::make_shared<LossyBus>(), trace), records, queue, ui);
        link.SetDisconnectPause(0ms);
        link.Transport().SetTimeouts(kShortLimits);
        link.AutoConnect();
        ASSERT_TRUE(link.IsConnected());
        queue.PumpUntil([&](const LinkEventMsg& msg) { link.HandleEvent(msg); }, [&] { return !link.IsConnected(); },
                        10s);
        EXPECT_FALSE(link.IsConnected());
        // no error of its own: the frame got no answer, which is a lost link
        ASSERT_TRUE(ui.Message());
        EXPECT_EQ(*ui.Message(), "Connection failure!");
        queue.Shutdown();
    }
    trace.reset();
    const auto lines = Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(Body(lines[0]), "W-FAILED timeout " + ReadVersionReport());
    EXPECT_EQ(Body(lines[1]), "LOST no report within the report limit") << "the read phase still ran";
}

} // namespace
