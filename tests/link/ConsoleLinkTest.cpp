// The real link — worker, transport, reply parser, connection logic — against the simulated
// processor. A failing test prints the frames the processor saw, in hex.

#include "backends/DeviceOption.h"
#include "link/ConsoleLink.h"
#include "link/NullConsoleUi.h"
#include "model/KTV_Data.h"
#include "simulator/SimBus.h"

#include "SimLinkFixture.h"

#include <gtest/gtest.h>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

using namespace ovix;
using namespace std::chrono_literals;

namespace {

using ovix::test::Hex;
using ovix::test::RecordingUi;
using ovix::test::SimLink;

} // namespace

TEST_F(SimLink, FullStateReadMatchesTheProcessorsMemory)
{
    auto& proc = AddSim({.version = "QX907-V1.37", .model = 2});
    proc.Edit([](DeviceImage& m) {
        m.current.outputs[3].SetDelay(480);
        m.current.outputs[2].bands[7].SetGainWord(655);
        std::memcpy(m.current.outputs[1].name, "Tweeter", 7);
        m.delayMemory.SetDelay(2, 5, 96);
        m.system.sys[12] = 80;
        std::memcpy(m.Program(4).name, "My tune 4    ", 13);
    });
    ASSERT_TRUE(ConnectAndSync());
    const DeviceImage mem = proc.Memory();
    const DeviceImage& img = model->image;

    EXPECT_EQ(0, std::memcmp(img.current.outputs, mem.current.outputs, sizeof mem.current.outputs));
    EXPECT_EQ(0, std::memcmp(&img.current.Music(), &mem.current.Music(), sizeof(InputBlock)));
    for (int p = 1; p <= 10; ++p)
        EXPECT_EQ(0, std::memcmp(img.Program(p).name, mem.Program(p).name, 13)) << "name of program " << p;
    EXPECT_EQ(0, std::memcmp(img.current.secondText, mem.current.secondText, 13));
    EXPECT_EQ(0, std::memcmp(img.version, "QX907-V1.37", 11));
    EXPECT_EQ(0, std::memcmp(img.deviceInfo, mem.deviceInfo, sizeof mem.deviceInfo));
    EXPECT_EQ(0, std::memcmp(img.system.sys, mem.system.sys, 4)) << "sys 0..3";
    EXPECT_EQ(0, std::memcmp(img.system.sys + 8, mem.system.sys + 8, 6)) << "the level limits";
    EXPECT_EQ(link->LayoutVariant(), 2);
    EXPECT_EQ(img.delayMemory.Delay(2, 5), 96);
    EXPECT_EQ(img.delayMemory.Delay(img.delayMemory.CurrentSet(), 3), 480)
        << "the live delays are copied into the current set";
    EXPECT_EQ(proc.Memory().delayMemory.Delay(mem.delayMemory.CurrentSet(), 3), 480)
        << "and the delay memory goes back to the processor";
    EXPECT_EQ(ui->look, ConnectLook::Connected);
    EXPECT_TRUE(ui->messages.empty());
    PumpUntil([this] { return flags.busy == 0; }, 5s);
    EXPECT_EQ(flags.busy, 0) << "the busy flag drops a second after the batch";
}

TEST_F(SimLink, ConnectSendsTheExactFrameOrder)
{
    auto& proc = AddSim();
    ASSERT_TRUE(ConnectAndSync());
    auto frames = proc.ReceivedFrames();
    std::vector<std::string> got;
    for (const auto& f : frames)
        got.push_back(std::to_string(f[4] == CMD_WRITE ? 'W' : 'R') + ":" + std::to_string(f[6]) + "." +
                      std::to_string(f[7]) + "." + std::to_string(f[8]) + "." + std::to_string(f[9]));
    std::vector<std::string> expected;
    auto R = [](int p, int t, int i, int b) {
        return std::to_string('R') + ":" + std::to_string(p) + "." + std::to_string(t) + "." + std::to_string(i) +
               "." + std::to_string(b);
    };
    expected.push_back(R(0, 9, 4, 0));
    expected.push_back(R(0, 9, 52, 0));
    for (int p = 1; p <= 10; ++p)
        expected.push_back(R(p, 9, 0, 0));
    for (int item : {1, 0, 2, 3, 17, 18, 18, 20, 34, 35, 36, 37, 38, 39, 64})
        expected.push_back(R(0, 9, item, 0));
    expected.push_back(R(0, 3, 2, 0x77));
    for (int ch = 0; ch < 6; ++ch)
        expected.push_back(R(0, 4, ch, 0x77));
    expected.push_back(std::to_string('W') + ":0.9.64.0");
    ASSERT_GE(got.size(), expected.size());
    got.resize(expected.size());
    EXPECT_EQ(got, expected);
}

TEST_F(SimLink, AnEditWhileSyncedGoesOutAsOneWriteBlockAndTheProcessorFollows)
{
    auto& proc = AddSim();
    ASSERT_TRUE(ConnectAndSync());
    EXPECT_EQ(data->Out(2).Gain(), 60) << "the records were rebuilt from the processor";
    proc.ClearReceivedFrames();
    data->Out(2).SetGain(45);
    ASSERT_TRUE(PumpUntil([&] { return proc.Memory().current.outputs[2].Gain() == 45; }));
    PumpFor(50ms);
    std::vector<std::vector<std::uint8_t>> writes;
    for (const auto& f : proc.ReceivedFrames())
        if (f[4] == CMD_WRITE)
            writes.push_back(f);
    ASSERT_EQ(writes.size(), 1u) << "exactly one write";
    auto expected = WriteBlock(model->image, REC_OUTPUT, 2, 31);
    EXPECT_EQ(Hex(writes[0]), Hex({expected->Bytes().begin(), expected->Bytes().end()}));
    EXPECT_EQ(0, std::memcmp(proc.Memory().current.outputs[2].Bytes(), model->image.current.outputs[2].Bytes(),
                             sizeof(OutputBlock)));

    // a glide from 100 Hz to 1000 Hz reaches the processor in octave steps
    proc.ClearReceivedFrames();
    data->Out(4).Band(7).SetGainCode(260);
    data->Out(4).Band(7).SetFrequency(1000, true);
    ASSERT_TRUE(PumpUntil([&] { return proc.Memory().current.outputs[4].bands[7].Freq() == 1000; }));
    PumpFor(50ms);
    std::vector<int> freqs;
    for (const auto& f : proc.ReceivedFrames())
        if (f[4] == CMD_WRITE && f[8] == 4 && f[9] == 7)
            freqs.push_back(f[14] | (f[15] << 8));
    EXPECT_EQ(freqs, (std::vector<int>{200, 400, 800, 1000, 1000}));
    EXPECT_EQ(proc.Memory().current.outputs[4].bands[7].GainWord(), 660);
}

TEST_F(SimLink, IdleLinkPollsStatus)
{
    auto& proc = AddSim();
    ASSERT_TRUE(ConnectAndSync());
    proc.ClearReceivedFrames();
    PumpFor(200ms);
    auto frames = proc.ReceivedFrames();
    ASSERT_GE(frames.size(), 3u);
    for (const auto& f : frames)
        EXPECT_EQ(Hex(f), "7d7d7deea20100090300000008000000000000000000a1aa") << "a status poll";
}

TEST_F(SimLink, ResendSendsTheSameFrameAgainFromByteZero)
{
    auto& proc = AddSim();
    ASSERT_TRUE(ConnectAndSync());
    proc.ClearReceivedFrames();
    proc.ResendNext(2);
    ASSERT_TRUE(link->Command().StoreProgram(4, false));  // a batch of 312-byte frames among others
    ASSERT_TRUE(PumpUntil([this] { return link->Command().Count() <= 1 && flags.busy == 0; }));
    auto frames = proc.ReceivedFrames();
    ASSERT_GE(frames.size(), 3u);
    EXPECT_EQ(frames[0], frames[1]);
    EXPECT_EQ(frames[1], frames[2]) << "twice refused, sent a third time whole";
    EXPECT_EQ(proc.Memory().Program(4).outputs[5].Gain(), model->image.current.outputs[5].Gain());
    EXPECT_EQ(0, std::memcmp(proc.Memory().Program(4).outputs[0].name, "40VS\x04", 5));
    EXPECT_TRUE(link->IsConnected());
}

TEST_F(SimLink, AFrameRefusedThreeTimesIsStillSentAFourthTime)
{
    auto& proc = AddSim();
    ASSERT_TRUE(ConnectAndSync());
    proc.ClearReceivedFrames();
    proc.ResendNext(3);
    ASSERT_TRUE(link->Command().StoreProgram(4, false));
    ASSERT_TRUE(PumpUntil([this] { return link->Command().Count() <= 1 && flags.busy == 0; }));
    auto frames = proc.ReceivedFrames();
    ASSERT_GE(frames.size(), 4u);
    EXPECT_EQ(frames[0], frames[3]) << "three refusals, a fourth sending";
    EXPECT_EQ(proc.Memory().Program(4).outputs[5].Gain(), model->image.current.outputs[5].Gain());
    EXPECT_TRUE(link->IsConnected());
    EXPECT_TRUE(ui->messages.empty());
}

TEST_F(SimLink, EndlessResendEndsAsLinkLost)
{
    auto& proc = AddSim();
    ASSERT_TRUE(ConnectAndSync());
    proc.ClearReceivedFrames();
    proc.ResendNext(1000000);
    ASSERT_TRUE(link->Command().StoreProgram(4, false));
    ASSERT_TRUE(PumpUntil([this] { return !link->IsConnected(); }, 15s)) << "still connected";
    EXPECT_EQ(ui->messages, std::vector<std::string>{"Connection failure!"});
    EXPECT_EQ(ui->ids.back(), kMsgConnectionFailure);
    EXPECT_EQ(ui->look, ConnectLook::Disconnected);
    EXPECT_EQ(link->Command().Count(), 0);
    const auto frames = proc.ReceivedFrames();
    ASSERT_EQ(frames.size(), 4u) << "sent once and resent three times";
    EXPECT_EQ(frames[0], frames[3]);

    proc.ResendNext(0);
    ui->messages.clear();
    ASSERT_TRUE(ConnectAndSync()) << "a reconnect reads the full state";
    EXPECT_TRUE(ui->messages.empty());
}

TEST_F(SimLink, SilenceAndBadChecksumEndAsLinkLost)
{
    auto& proc = AddSim();
    ASSERT_TRUE(ConnectAndSync());
    proc.SetSilent(true);
    ASSERT_TRUE(PumpUntil([this] { return !link->IsConnected(); }, 15s));
    ASSERT_EQ(ui->messages, std::vector<std::string>{"Connection failure!"});
    EXPECT_EQ(ui->styles.back(), MessageStyle::SelfClosing);
    EXPECT_EQ(ui->ids.back(), kMsgConnectionFailure);
    EXPECT_EQ(model->flags.synced, 0);
    EXPECT_EQ(ui->look, ConnectLook::Disconnected);

    proc.SetSilent(false);
    ui->messages.clear();
    ASSERT_TRUE(ConnectAndSync());
    proc.CorruptNextChecksum();
    ASSERT_TRUE(PumpUntil([this] { return !link->IsConnected(); }, 15s));
    EXPECT_EQ(ui->messages, std::vector<std::string>{"Connection failure!"});
}

TEST_F(SimLink, EmptyDataReplyIsADeviceFault)
{
    auto& proc = AddSim();
    proc.EmptyNextRead();
    link->AutoConnect();
    ASSERT_TRUE(PumpUntil([this] { return !link->IsConnected(); }));
    EXPECT_EQ(ui->messages, std::vector<std::string>{"Please Update the Firmware!"});
    EXPECT_EQ(ui->ids.back(), kMsgDeviceFault);
    EXPECT_EQ(ui->styles.back(), MessageStyle::Modal);
}

TEST_F(SimLink, UnplugDisconnectsAndReplugReconnects)
{
    AddSim();
    link->WatchDevices();
    ASSERT_TRUE(ConnectAndSync());
    ASSERT_TRUE(bus->Unplug("sim:1"));
    ASSERT_TRUE(PumpUntil([this] { return !link->IsConnected() && !ui->messages.empty(); }));
    EXPECT_EQ(ui->messages, std::vector<std::string>{"Connection failure!"});
    EXPECT_EQ(ui->windowsClosed >= 1, true) << "the data-loading window is closed on disconnect";

    ASSERT_TRUE(bus->Replug("sim:1"));
    EXPECT_TRUE(PumpUntil([this] { return link->Synced() && link->DelayMemoryReturned(); }))
        << "the remembered processor comes back and is read again";
}

// Whatever ends a connection leaves an empty send queue, and the next connection reads the
// processor's whole state again.
TEST_F(SimLink, UnplugMidBatchEmptiesTheQueue)
{
    auto& proc = AddSim();
    ASSERT_TRUE(ConnectAndSync());
    proc.SetSilent(true);  // the batch stays queued behind its unanswered first frame
    {
        std::lock_guard batch(lock);
        ASSERT_TRUE(link->Command().StoreProgram(4, false));
    }
    ASSERT_GT(link->Command().Count(), 1);
    ASSERT_TRUE(bus->Unplug("sim:1"));
    // the removal is handled before the worker's own report of the failed read
    LinkEventMsg removal;
    removal.kind = LinkEventMsg::DeviceChange;
    removal.event = DeviceEvent::Removal;
    removal.path = "sim:1";
    link->HandleEvent(removal);
    EXPECT_FALSE(link->IsConnected());
    EXPECT_EQ(ui->messages, std::vector<std::string>{"Connection failure!"});
    EXPECT_EQ(link->Command().Count(), 0);

    proc.SetSilent(false);
    ASSERT_TRUE(bus->Replug("sim:1"));
    proc.Edit([](DeviceImage& m) { m.current.outputs[4].SetGain(33); });
    ASSERT_TRUE(ConnectAndSync());
    const DeviceImage mem = proc.Memory();
    EXPECT_EQ(0, std::memcmp(model->image.current.outputs, mem.current.outputs, sizeof mem.current.outputs));
    EXPECT_EQ(model->image.current.outputs[4].Gain(), 33);
}

TEST_F(SimLink, DeviceFaultEmptiesTheQueue)
{
    auto& proc = AddSim();
    ASSERT_TRUE(ConnectAndSync());
    {
        std::lock_guard batch(lock);
        ASSERT_TRUE(link->Command().ReadLive());
    }
    proc.EmptyNextRead();
    ASSERT_TRUE(PumpUntil([this] { return !link->IsConnected(); }));
    EXPECT_EQ(ui->messages, std::vector<std::string>{"Please Update the Firmware!"});
    EXPECT_EQ(link->Command().Count(), 0);

    ui->messages.clear();
    proc.Edit([](DeviceImage& m) { m.current.outputs[1].SetDelay(250); });
    ASSERT_TRUE(ConnectAndSync());
    const DeviceImage mem = proc.Memory();
    EXPECT_EQ(0, std::memcmp(model->image.current.outputs, mem.current.outputs, sizeof mem.current.outputs));
    EXPECT_EQ(model->image.current.outputs[1].Delay(), 250);
    EXPECT_TRUE(ui->messages.empty());
}

struct VersionCase {
    std::string version;
    bool staysConnected;
    std::string message;  // empty: none
};

void PrintTo(const VersionCase& c, std::ostream* os) { *os << c.version; }

class Versions : public SimLink, public ::testing::WithParamInterface<VersionCase> {};

TEST_P(Versions, CompatibilityCheck)
{
    const VersionCase& c = GetParam();
    sim::SimOptions o;
    o.version = c.version;
    AddSim(o);
    link->AutoConnect();
    if (c.staysConnected) {
        EXPECT_TRUE(PumpUntil([this] { return link->Synced() && link->DelayMemoryReturned(); }));
        EXPECT_TRUE(ui->messages.empty());
        return;
    }
    ASSERT_TRUE(PumpUntil([this] { return !link->IsConnected(); }));
    PumpFor(50ms);
    if (c.message.empty()) {
        EXPECT_TRUE(ui->messages.empty()) << "a foreign family is left silently";
    } else {
        ASSERT_EQ(ui->messages.size(), 1u);
        EXPECT_EQ(ui->messages[0], c.message);
    }
    EXPECT_EQ(0, std::memcmp(model->image.version, "            ", 12)) << "the version is blanked";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Versions,
    ::testing::Values(
        VersionCase{"QX907-V1.37", true, ""},
        VersionCase{"QX907-V2.00", false,
                    " If software version is lower than the device version, only the software at version, "
                    "PHN338-V2.01 to PHN338-V2.99, can be connected with this device."},
        VersionCase{"QX907-V0.99", false,
                    " If device version is lower than the software version, only the device at version, "
                    "HN338-V1.01 to HN338-V1.99, can be connected with this software."},
        VersionCase{"ZZ000-V1.00", false, ""}));

TEST_F(SimLink, ConnectButtonOffersAMenuOnlyForSeveralFreeProcessors)
{
    AddSim();
    AddSim();
    ui->menuChoice = 1;
    link->ToggleConnection();
    ASSERT_EQ(ui->menus.size(), 1u);
    EXPECT_EQ(ui->menus[0], (std::vector<std::string>{"USB1", "USB2"}));
    EXPECT_EQ(link->Transport().DevicePath(), "sim:2");
    ASSERT_TRUE(PumpUntil([this] { return link->Synced() && link->DelayMemoryReturned(); }));
    link->ToggleConnection();
    EXPECT_FALSE(link->IsConnected());
    EXPECT_TRUE(records.IsDeviceUnrecorded("sim:2")) << "the record goes with the disconnect";

    // sim:1 recorded as open by another console: straight to sim:2, no menu
    records.RecordOpenDevice("sim:1");
    ui->menus.clear();
    link->ToggleConnection();
    EXPECT_TRUE(ui->menus.empty());
    EXPECT_TRUE(link->IsConnected());
    EXPECT_EQ(link->Transport().DevicePath(), "sim:2");
}

TEST_F(SimLink, ConnectButtonWithoutProcessorsOrWithABusyOne)
{
    link->ToggleConnection();
    EXPECT_EQ(ui->messages, std::vector<std::string>{"No connection can be opened"});

    AddSim();
    OpenError e;
    auto other = bus->Open("sim:1", e);  // another program holds it
    ASSERT_TRUE(other);
    ui->messages.clear();
    link->ToggleConnection();
    EXPECT_EQ(ui->messages, std::vector<std::string>{"Connection failure!"});
    EXPECT_EQ(ui->ids.back(), kMsgCannotOpen);
    EXPECT_FALSE(link->IsConnected());
}

TEST_F(SimLink, ProcessorWithAnotherReleaseNumberIsIgnored)
{
    sim::SimOptions o;
    o.release = 0x0300;
    AddSim(o);
    EXPECT_FALSE(link->Transport().ListDevices());
    link->AutoConnect();
    EXPECT_FALSE(link->IsConnected());
}

TEST_F(SimLink, ConnectCopiesTheLiveDelaysIntoTheCurrentSetOnly)
{
    auto& proc = AddSim();
    proc.Edit([](DeviceImage& m) {
        m.delayMemory.current = 2;
        for (int ch = 0; ch < kOutputChannels; ++ch) {
            m.current.outputs[ch].SetDelay(std::uint16_t(10 + ch));
            m.delayMemory.SetDelay(0, ch, std::uint16_t(200 + ch));
            m.delayMemory.SetDelay(2, ch, std::uint16_t(300 + ch));
        }
    });
    ASSERT_TRUE(ConnectAndSync());
    const DelayMemory& mine = model->image.delayMemory;
    const DelayMemory theirs = proc.Memory().delayMemory;
    for (int ch = 0; ch < kOutputChannels; ++ch) {
        EXPECT_EQ(mine.Delay(2, ch), 10 + ch) << "set 2 holds the live delay, channel " << ch;
        EXPECT_EQ(mine.Delay(0, ch), 200 + ch) << "set 0 is untouched, channel " << ch;
        EXPECT_EQ(theirs.Delay(2, ch), 10 + ch) << "on the processor too, channel " << ch;
        EXPECT_EQ(theirs.Delay(0, ch), 200 + ch) << "on the processor too, channel " << ch;
    }
}

// The unix:PATH contract end to end: the simulated processor behind a Unix-domain socket,
// as an external emulator would serve it, and the real link connecting through it.
TEST(UnixLink, ConnectsToAnEmulatorBehindASocket)
{
    const std::string path = "/tmp/ovix-e2e-" + std::to_string(::getpid()) + ".sock";
    ::unlink(path.c_str());
    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(listener, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(::listen(listener, 1), 0);

    sim::SimOptions o;
    o.reportDelay = std::chrono::microseconds(0);
    sim::CSimProcessor proc(o);
    proc.Edit([](DeviceImage& m) { m.current.outputs[1].SetGain(37); });
    std::atomic<bool> stop{false};
    std::thread emulator([&] {
        const int conn = ::accept(listener, nullptr, nullptr);
        if (conn < 0)
            return;
        Report in{}, out{};
        std::size_t have = 0;
        while (!stop) {
            pollfd pfd{conn, POLLIN, 0};
            if (::poll(&pfd, 1, 5) > 0) {
                const ssize_t n = ::read(conn, in.data() + have, in.size() - have);
                if (n <= 0)
                    break;
                have += std::size_t(n);
                if (have == in.size()) {
                    proc.HostWrite(in, 100);
                    have = 0;
                }
            }
            while (proc.HostRead(out, 0) == HidIo::Ok)
                if (::send(conn, out.data(), out.size(), MSG_NOSIGNAL) != ssize_t(out.size()))
                    break;
        }
        ::close(conn);
    });
    // whatever happens below, the emulator thread ends (a blocked accept is woken too)
    struct Cleanup {
        std::atomic<bool>& stop;
        std::thread& thread;
        int listener;
        std::string path;
        ~Cleanup()
        {
            stop = true;
            ::shutdown(listener, SHUT_RDWR);
            thread.join();
            ::close(listener);
            ::unlink(path.c_str());
        }
    } cleanup{stop, emulator, listener, path};

    auto model = std::make_unique<ParameterModel>();
    ResetImage(model->image);
    LinkFlags flags;
    std::recursive_mutex lock;
    MemoryDeviceRecords records;
    MessageQueue queue;
    RecordingUi ui(queue);
    {
        CConsoleLink link(*model, flags, lock, MakeBackend("unix:" + path), records, queue, ui);
        link.SetDisconnectPause(0ms);
        link.AutoConnect();
        ASSERT_TRUE(link.IsConnected());
        EXPECT_TRUE(queue.PumpUntil([&](const LinkEventMsg& m) { link.HandleEvent(m); },
                                    [&] { return link.Synced() && link.DelayMemoryReturned(); }, 15s));
        EXPECT_EQ(model->image.current.outputs[1].Gain(), 37);
        EXPECT_EQ(0, std::memcmp(model->image.version, "QX907-V1.00", 11));
        link.ToggleConnection();
    }
}

TEST_F(SimLink, DisconnectingNeverWaitsOnTheWindowThread)
{
    AddSim();
    ASSERT_TRUE(ConnectAndSync());
    link->SetDisconnectPause(300ms);
    link->ToggleConnection();
    // the click has returned without waiting out the pause: the processor is still open
    EXPECT_TRUE(link->IsDisconnecting());
    EXPECT_EQ(ui->look, ConnectLook::Connected) << "closed only after the pause";
    link->ToggleConnection();  // a second click while letting go changes nothing
    ASSERT_TRUE(PumpUntil([this] { return ui->look == ConnectLook::Disconnected; }, 5s));
    EXPECT_FALSE(link->IsDisconnecting());
    PumpFor(500ms);
    EXPECT_EQ(ui->look, ConnectLook::Disconnected) << "the second click did not reconnect";
}

// Whatever the processor does wrong in the middle of a batch ends the connection cleanly:
// the link's message, the console disconnected, nothing left in the send queue, the reason
// in the protocol trace, and a reconnect reads the processor's whole state again.
namespace {

struct FaultCase {
    std::string name;
    std::function<void(sim::CSimProcessor&)> start, stop;
    std::vector<std::string> traced;  // what the trace shows besides the reports
};

void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.name; }

class LinkFaults : public SimLink, public ::testing::WithParamInterface<FaultCase> {
protected:
    void SetUp() override
    {
        SimLink::SetUp();
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::replace(name.begin(), name.end(), '/', '-');
        tracePath = std::filesystem::temp_directory_path() / ("ovix-faults-" + name + "-" + std::to_string(::getpid()));
        std::filesystem::remove(tracePath);
        trace = CProtocolTrace::Open(tracePath.string());
        ASSERT_TRUE(trace);
        // the same link, over a backend that traces
        link.reset();
        link = std::make_unique<CConsoleLink>(*model, flags, lock, WithTrace(bus, trace), records, queue, *ui);
        link->SetDisconnectPause(0ms);
        link->Command().SetRecordPort(data.get());
    }
    void TearDown() override
    {
        SimLink::TearDown();
        trace.reset();
        std::filesystem::remove(tracePath);
    }
    // The trace's lines that are not reports, without their times and reasons' details.
    std::vector<std::string> Events() const
    {
        std::ifstream in(tracePath);
        std::vector<std::string> events;
        for (std::string l; std::getline(in, l);) {
            const std::string body = l.substr(l.find(' ') + 1);
            if (body.rfind("W ", 0) != 0 && body.rfind("R ", 0) != 0)
                events.push_back(body.substr(0, body.find(" (")));
        }
        return events;
    }

    std::filesystem::path tracePath;
    std::shared_ptr<CProtocolTrace> trace;
};

} // namespace

TEST_P(LinkFaults, EndTheConnectionCleanlyAndAReconnectReadsTheFullState)
{
    const FaultCase& c = GetParam();
    auto& proc = AddSim();
    ASSERT_TRUE(ConnectAndSync());
    {
        std::lock_guard batch(lock);  // the whole batch is queued before the worker looks
        c.start(proc);
        ASSERT_TRUE(link->Command().ReadLive());
        ASSERT_GT(link->Command().Count(), 1);
    }
    ASSERT_TRUE(PumpUntil([this] { return !link->IsConnected(); }, 15s)) << "still connected";
    EXPECT_EQ(ui->messages, std::vector<std::string>{"Connection failure!"});
    EXPECT_EQ(ui->ids.back(), kMsgConnectionFailure);
    EXPECT_EQ(ui->look, ConnectLook::Disconnected);
    EXPECT_EQ(model->flags.synced, 0);
    EXPECT_EQ(link->Command().Count(), 0) << "frames of the cut batch stay behind";
    EXPECT_EQ(Events(), c.traced) << "why the link was lost";

    c.stop(proc);
    ui->messages.clear();
    proc.Edit([](DeviceImage& m) {
        m.current.outputs[3].SetGain(27);
        m.current.outputs[0].bands[9].SetGainWord(640);
    });
    ASSERT_TRUE(ConnectAndSync());
    const DeviceImage mem = proc.Memory();
    EXPECT_EQ(0, std::memcmp(model->image.current.outputs, mem.current.outputs, sizeof mem.current.outputs));
    EXPECT_EQ(0, std::memcmp(&model->image.current.Music(), &mem.current.Music(), sizeof(InputBlock)));
    EXPECT_EQ(data->Out(3).Gain(), 27) << "the records are rebuilt from what was read";
    EXPECT_EQ(data->Out(0).Band(9).GainCode(), 240);
    EXPECT_TRUE(ui->messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Faults, LinkFaults,
    ::testing::Values(
        FaultCase{"Silence", [](sim::CSimProcessor& p) { p.SetSilent(true); },
                  [](sim::CSimProcessor& p) { p.SetSilent(false); },
                  {"LOST no report within the report limit"}},
        FaultCase{"BadChecksum", [](sim::CSimProcessor& p) { p.CorruptNextChecksum(); }, [](sim::CSimProcessor&) {},
                  {"DROP bad checksum", "LOST no report within the report limit"}},
        FaultCase{"EndlessResend", [](sim::CSimProcessor& p) { p.ResendNext(1000000); },
                  [](sim::CSimProcessor& p) { p.ResendNext(0); },
                  {"LOST frame still refused after 3 resends"}}),
    [](const ::testing::TestParamInfo<FaultCase>& info) { return info.param.name; });
