#include "backends/DeviceLock.h"
#include "backends/UnixBackend.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace ovix;
namespace fs = std::filesystem;

namespace {

// Upper bound for anything the test waits on, so a broken backend fails instead of hanging.
constexpr int kHangGuardMs = 10000;

using Bytes = std::vector<std::uint8_t>;

Report Pattern(int seed, std::uint8_t id = 0)
{
    Report r{};
    r[0] = id;
    for (int i = 1; i < kReportSize; ++i)
        r[std::size_t(i)] = std::uint8_t(seed * 31 + i * 7 + 1);
    // The seed itself, so that no two reports of a test look alike.
    for (int i = 0; i < 4; ++i)
        r[std::size_t(1 + i)] = std::uint8_t(std::uint32_t(seed) >> (8 * i));
    return r;
}

Bytes ToBytes(const Report& r)
{
    return Bytes(r.begin(), r.end());
}

UniqueFd Listen(const std::string& path)
{
    UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
    if (!fd || ::bind(fd.Get(), reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0
        || ::listen(fd.Get(), 4) != 0)
        return UniqueFd();
    return fd;
}

bool Readable(int fd)
{
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, kHangGuardMs) == 1;
}

UniqueFd Accept(int listenFd)
{
    if (!Readable(listenFd))
        return UniqueFd();
    return UniqueFd(::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC));
}

void SendAll(int fd, const Bytes& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        ASSERT_GT(n, 0) << std::strerror(errno);
        done += std::size_t(n);
    }
}

// Exactly n bytes, fewer only when the peer closes.
Bytes RecvExact(int fd, std::size_t n)
{
    Bytes out(n);
    std::size_t done = 0;
    while (done < n && Readable(fd)) {
        const ssize_t got = ::recv(fd, out.data() + done, n - done, 0);
        if (got <= 0)
            break;
        done += std::size_t(got);
    }
    out.resize(done);
    return out;
}

// Everything already queued on fd, without waiting for more.
Bytes Drain(int fd)
{
    Bytes out;
    std::uint8_t buf[4096];
    ssize_t n;
    while ((n = ::recv(fd, buf, sizeof buf, MSG_DONTWAIT)) > 0)
        out.insert(out.end(), buf, buf + n);
    return out;
}

class EventLog {
public:
    void Add(DeviceEvent event, const std::string& path)
    {
        {
            std::lock_guard lock(m_mutex);
            m_events.emplace_back(event, path);
        }
        m_changed.notify_all();
    }
    // The first n events, once there are n (fewer if they never come).
    std::vector<std::pair<DeviceEvent, std::string>> WaitFor(std::size_t n)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait_for(lock, std::chrono::milliseconds(kHangGuardMs), [&] { return m_events.size() >= n; });
        return m_events;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::pair<DeviceEvent, std::string>> m_events;
};

class UnixBackendTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // /tmp rather than $TMPDIR: a socket path must stay short.
        char pattern[] = "/tmp/ovix-unix-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        m_dir = pattern;
        m_path = m_dir + "/dsp.sock";
        m_backend = std::make_unique<UnixBackend>(m_path);
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }

    void StartServer()
    {
        m_listener = Listen(m_path);
        ASSERT_TRUE(m_listener) << std::strerror(errno);
    }

    // Opens the device and accepts its connection on the server side.
    std::unique_ptr<IHidDevice> Connect(UniqueFd& server)
    {
        OpenError error = OpenError::Failed;
        std::unique_ptr<IHidDevice> device = m_backend->Open(m_path, error);
        EXPECT_EQ(error, OpenError::None);
        if (device)
            server = Accept(m_listener.Get());
        EXPECT_TRUE(server);
        return device;
    }

    std::string m_dir;
    std::string m_path;
    std::unique_ptr<UnixBackend> m_backend;
    UniqueFd m_listener;
};

enum class PathState { Absent, RegularFile, ListeningSocket, StaleSocket };

struct ListingCase {
    const char* name;
    PathState state;
    bool listed;
    OpenError openError;
};

class Listing : public UnixBackendTest, public ::testing::WithParamInterface<ListingCase> {};

} // namespace

TEST_P(Listing, DeviceIsListedExactlyWhilePathIsASocket)
{
    switch (GetParam().state) {
    case PathState::Absent:
        break;
    case PathState::RegularFile:
        std::ofstream(m_path) << "not a socket";
        break;
    case PathState::ListeningSocket:
        StartServer();
        break;
    case PathState::StaleSocket:
        StartServer();
        m_listener.Reset();  // the socket file stays, nobody listens
        break;
    }

    const std::vector<HidDeviceInfo> devices = m_backend->Enumerate(kVendorId, kProductId);
    if (GetParam().listed) {
        ASSERT_EQ(devices.size(), 1u);
        EXPECT_EQ(devices[0].path, m_path);
        EXPECT_EQ(devices[0].vendorId, kVendorId);
        EXPECT_EQ(devices[0].productId, kProductId);
        EXPECT_EQ(devices[0].release, kReleaseNumber);
        EXPECT_TRUE(devices[0].accessible);
    } else {
        EXPECT_TRUE(devices.empty());
    }

    OpenError error = OpenError::None;
    std::unique_ptr<IHidDevice> device = m_backend->Open(m_path, error);
    EXPECT_EQ(error, GetParam().openError);
    EXPECT_EQ(device != nullptr, GetParam().openError == OpenError::None);
}

INSTANTIATE_TEST_SUITE_P(
    UnixBackend, Listing,
    ::testing::Values(ListingCase{"Absent", PathState::Absent, false, OpenError::NotFound},
                      ListingCase{"RegularFile", PathState::RegularFile, false, OpenError::NotFound},
                      ListingCase{"ListeningSocket", PathState::ListeningSocket, true, OpenError::None},
                      ListingCase{"StaleSocket", PathState::StaleSocket, true, OpenError::NotFound}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(UnixBackendTest, ListsOnlyForTheProcessorIds)
{
    StartServer();
    const struct {
        std::uint16_t vendor, product;
        bool listed;
    } queries[] = {
        {kVendorId, kProductId, true}, {0, 0, true},       {kVendorId, 0, true},
        {0x0484, kProductId, false},   {kVendorId, 0x5751, false},
    };
    for (const auto& q : queries)
        EXPECT_EQ(m_backend->Enumerate(q.vendor, q.product).size(), q.listed ? 1u : 0u)
            << std::hex << q.vendor << ":" << q.product;
}

TEST_F(UnixBackendTest, OpenOfAnotherPathIsNotFound)
{
    StartServer();
    OpenError error = OpenError::None;
    EXPECT_FALSE(m_backend->Open(m_dir + "/other.sock", error));
    EXPECT_EQ(error, OpenError::NotFound);
}

TEST_F(UnixBackendTest, ReportsCrossByteExactInBothDirections)
{
    StartServer();
    UniqueFd server;
    std::unique_ptr<IHidDevice> device = Connect(server);
    ASSERT_TRUE(device);

    ASSERT_EQ(device->Write(Pattern(1), kHangGuardMs), HidIo::Ok);
    EXPECT_EQ(RecvExact(server.Get(), kReportSize), ToBytes(Pattern(1)));

    SendAll(server.Get(), ToBytes(Pattern(2, 0x5A)));
    Report in{};
    ASSERT_EQ(device->Read(in, kHangGuardMs), HidIo::Ok);
    EXPECT_EQ(in, Pattern(2)) << "data bytes as sent; the report id byte reads as 0";

    // Many reports through an echoing peer: framing holds report after report.
    std::thread echo([fd = server.Get()] {
        for (Bytes r; (r = RecvExact(fd, kReportSize)).size() == std::size_t(kReportSize);)
            SendAll(fd, r);
    });
    for (int i = 0; i < 200; ++i) {
        ASSERT_EQ(device->Write(Pattern(i), kHangGuardMs), HidIo::Ok);
        ASSERT_EQ(device->Read(in, kHangGuardMs), HidIo::Ok);
        ASSERT_EQ(in, Pattern(i)) << "report " << i;
    }
    device.reset();  // the echo thread sees the connection end
    echo.join();
}

class Pieces : public UnixBackendTest, public ::testing::WithParamInterface<int> {};

TEST_P(Pieces, ReportArrivingInPiecesIsAssembledAcrossATimeout)
{
    StartServer();
    UniqueFd server;
    std::unique_ptr<IHidDevice> device = Connect(server);
    ASSERT_TRUE(device);

    Report in{};
    EXPECT_EQ(device->Read(in, 0), HidIo::Timeout) << "nothing sent yet";

    const Bytes first = ToBytes(Pattern(7));
    const Bytes second = ToBytes(Pattern(8));
    const auto split = first.begin() + GetParam();
    SendAll(server.Get(), Bytes(first.begin(), split));
    EXPECT_EQ(device->Read(in, 20), HidIo::Timeout) << "a partial report is not a report";

    // The rest of the first report and the whole second one in a single piece.
    Bytes rest(split, first.end());
    rest.insert(rest.end(), second.begin(), second.end());
    SendAll(server.Get(), rest);
    ASSERT_EQ(device->Read(in, kHangGuardMs), HidIo::Ok);
    EXPECT_EQ(in, Pattern(7));
    ASSERT_EQ(device->Read(in, kHangGuardMs), HidIo::Ok);
    EXPECT_EQ(in, Pattern(8));
    EXPECT_EQ(device->Read(in, 0), HidIo::Timeout);
}

INSTANTIATE_TEST_SUITE_P(UnixBackend, Pieces, ::testing::Values(1, 33, 64));

TEST_F(UnixBackendTest, WriteTimingOutHalfwayKeepsReportBoundaries)
{
    StartServer();
    UniqueFd server;
    std::unique_ptr<IHidDevice> device = Connect(server);
    ASSERT_TRUE(device);

    // The server reads nothing until the socket is full.
    int written = 0;
    HidIo result = HidIo::Ok;
    while (written < 1000000 && (result = device->Write(Pattern(written), 0)) == HidIo::Ok)
        ++written;
    ASSERT_EQ(result, HidIo::Timeout);
    const int timedOut = written;

    Bytes stream = Drain(server.Get());
    ASSERT_EQ(device->Write(Pattern(-1), kHangGuardMs), HidIo::Ok);
    const Bytes tail = Drain(server.Get());
    stream.insert(stream.end(), tail.begin(), tail.end());

    // Every report written, then perhaps the one that timed out (if any of it went), then
    // the last one; never a torn report.
    ASSERT_EQ(stream.size() % kReportSize, 0u);
    const std::size_t count = stream.size() / kReportSize;
    ASSERT_TRUE(count == std::size_t(written + 1) || count == std::size_t(written + 2)) << count;
    for (std::size_t i = 0; i < count; ++i) {
        const int expected = i + 1 == count ? -1 : int(i);
        const Bytes report(stream.begin() + std::ptrdiff_t(i * kReportSize),
                           stream.begin() + std::ptrdiff_t((i + 1) * kReportSize));
        ASSERT_EQ(report, ToBytes(Pattern(expected))) << "report " << i << " of " << count << ", timed out at "
                                                      << timedOut;
    }
}

enum class Direction { Read, Write };

class PeerClose : public UnixBackendTest, public ::testing::WithParamInterface<Direction> {};

TEST_P(PeerClose, IsAnErrorNotATimeout)
{
    StartServer();
    UniqueFd server;
    std::unique_ptr<IHidDevice> device = Connect(server);
    ASSERT_TRUE(device);
    server.Reset();

    Report report = Pattern(3);
    const HidIo result = GetParam() == Direction::Read ? device->Read(report, kHangGuardMs)
                                                       : device->Write(report, kHangGuardMs);
    EXPECT_EQ(result, HidIo::Error);
}

INSTANTIATE_TEST_SUITE_P(UnixBackend, PeerClose, ::testing::Values(Direction::Read, Direction::Write),
                         [](const auto& info) { return info.param == Direction::Read ? "Read" : "Write"; });

TEST_F(UnixBackendTest, ClosingDisconnectsAndOpeningConnectsAgain)
{
    StartServer();
    UniqueFd server;
    std::unique_ptr<IHidDevice> device = Connect(server);
    ASSERT_TRUE(device);
    device.reset();
    EXPECT_TRUE(RecvExact(server.Get(), 1).empty()) << "the peer sees the connection end";

    UniqueFd again;
    device = Connect(again);
    ASSERT_TRUE(device);
    ASSERT_EQ(device->Write(Pattern(4), kHangGuardMs), HidIo::Ok);
    EXPECT_EQ(RecvExact(again.Get(), kReportSize), ToBytes(Pattern(4)));
}

TEST_F(UnixBackendTest, OpenDeviceIsBusyForEveryoneElse)
{
    StartServer();
    UniqueFd server;
    std::unique_ptr<IHidDevice> device = Connect(server);
    ASSERT_TRUE(device);

    OpenError error = OpenError::None;
    EXPECT_FALSE(m_backend->Open(m_path, error));
    EXPECT_EQ(error, OpenError::Busy);

    UnixBackend otherSpelling(m_dir + "/./dsp.sock");
    EXPECT_FALSE(otherSpelling.Open(otherSpelling.SocketPath(), error));
    EXPECT_EQ(error, OpenError::Busy) << "the same socket by another path is the same device";

    device.reset();
    EXPECT_TRUE(otherSpelling.Open(otherSpelling.SocketPath(), error));
    EXPECT_EQ(error, OpenError::None);
}

TEST_F(UnixBackendTest, WatchSeesTheSocketArriveAndGo)
{
    EventLog log;
    std::unique_ptr<IWatchHandle> watch =
        m_backend->Watch([&log](DeviceEvent e, const std::string& path) { log.Add(e, path); });
    ASSERT_TRUE(watch);

    StartServer();
    auto events = log.WaitFor(1);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0], std::make_pair(DeviceEvent::Arrival, m_path));

    m_listener.Reset();
    fs::remove(m_path);
    events = log.WaitFor(2);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[1], std::make_pair(DeviceEvent::Removal, m_path));

    watch.reset();  // stops and joins its thread
}
