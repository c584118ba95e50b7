#include "backends/UnixBackend.h"

#include "backends/DeviceLock.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#ifndef MSG_NOSIGNAL
#define MSG_NOSIGNAL 0  // SO_NOSIGPIPE does the job where this flag does not exist
#endif

namespace ovix {

namespace {

using Clock = std::chrono::steady_clock;

// A connection attempt that the peer neither accepts nor refuses gives up after this.
constexpr int kConnectTimeoutMs = 2000;

// The end of a wait; a negative time limit waits for ever.
class Deadline {
public:
    explicit Deadline(int timeoutMs)
        : m_infinite(timeoutMs < 0), m_end(Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0)))
    {
    }

    // What is left for poll(), rounded up so a wait never ends early.
    int RemainingMs() const
    {
        if (m_infinite)
            return -1;
        const auto left = m_end - Clock::now();
        if (left <= Clock::duration::zero())
            return 0;
        const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
        return int(std::min<decltype(ms)>(ms, INT_MAX));
    }

private:
    bool m_infinite;
    Clock::time_point m_end;
};

// Waits until fd is ready for `events` or the deadline passes. Ok means "try the call
// again": a hang-up or error shows itself in the following send or recv.
HidIo WaitFor(int fd, short events, const Deadline& deadline)
{
    for (;;) {
        pollfd p{fd, events, 0};
        const int rc = ::poll(&p, 1, deadline.RemainingMs());
        if (rc > 0)
            return (p.revents & POLLNVAL) ? HidIo::Error : HidIo::Ok;
        if (rc == 0)
            return HidIo::Timeout;
        if (errno != EINTR)
            return HidIo::Error;
    }
}

// Non-blocking, so that a send or recv never waits past its time limit, and not inherited
// by child processes.
UniqueFd StreamSocket()
{
#ifdef SOCK_CLOEXEC
    return UniqueFd(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
#else
    UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM, 0));
    const int fl = fd ? ::fcntl(fd.Get(), F_GETFL) : -1;
    if (fl < 0 || ::fcntl(fd.Get(), F_SETFL, fl | O_NONBLOCK) != 0 || ::fcntl(fd.Get(), F_SETFD, FD_CLOEXEC) != 0)
        return UniqueFd();
    const int one = 1;
    ::setsockopt(fd.Get(), SOL_SOCKET, SO_NOSIGPIPE, &one, sizeof one);
    return fd;
#endif
}

OpenError ConnectError(int err)
{
    switch (err) {
    case ENOENT:
    case ENOTDIR:
    case ECONNREFUSED:
        return OpenError::NotFound;
    case EACCES:
    case EPERM:
        return OpenError::NoPermission;
    default:
        return OpenError::Failed;
    }
}

// The identity of the socket file at a path, if there is one.
struct SocketId {
    dev_t dev;
    ino_t ino;
    bool operator==(const SocketId&) const = default;
};

std::optional<SocketId> SocketAt(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISSOCK(st.st_mode))
        return std::nullopt;
    return SocketId{st.st_dev, st.st_ino};
}

// The same socket reached by another spelling of its path must meet the same lock.
std::string LockKey(const std::string& path)
{
    std::string key = "unix:";
    if (char* real = ::realpath(path.c_str(), nullptr)) {
        key += real;
        std::free(real);
    } else {
        key += path;
    }
    return key;
}

class UnixDevice final : public IHidDevice {
public:
    UnixDevice(DeviceLock lock, UniqueFd fd) : m_lock(std::move(lock)), m_fd(std::move(fd)) {}

    HidIo Write(const Report& report, int timeoutMs) override
    {
        const Deadline deadline(timeoutMs);
        // The rest of a report that timed out halfway goes first, so the peer never sees
        // a report boundary anywhere but every 65 bytes.
        if (m_outPending > 0) {
            if (const HidIo r = SendPending(deadline); r != HidIo::Ok)
                return r;
        }
        m_out = report;
        m_outPending = kReportSize;
        return SendPending(deadline);
    }

    HidIo Read(Report& report, int timeoutMs) override
    {
        const Deadline deadline(timeoutMs);
        // Bytes of a report that had only partly arrived when the last read timed out
        // stay in m_in.
        while (m_inCount < kReportSize) {
            const ssize_t n = ::recv(m_fd.Get(), m_in.data() + m_inCount, std::size_t(kReportSize - m_inCount), 0);
            if (n > 0) {
                m_inCount += int(n);
                continue;
            }
            if (n == 0)
                return HidIo::Error;  // the peer closed the connection
            if (errno == EINTR)
                continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK)
                return HidIo::Error;
            if (const HidIo r = WaitFor(m_fd.Get(), POLLIN, deadline); r != HidIo::Ok)
                return r;
        }
        report = m_in;
        report[0] = 0;
        m_inCount = 0;
        return HidIo::Ok;
    }

private:
    HidIo SendPending(const Deadline& deadline)
    {
        while (m_outPending > 0) {
            const std::size_t offset = std::size_t(kReportSize - m_outPending);
            const ssize_t n = ::send(m_fd.Get(), m_out.data() + offset, std::size_t(m_outPending), MSG_NOSIGNAL);
            if (n > 0) {
                m_outPending -= int(n);
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                if (const HidIo r = WaitFor(m_fd.Get(), POLLOUT, deadline); r != HidIo::Ok)
                    return r;
                continue;
            }
            return HidIo::Error;  // EPIPE, ECONNRESET: the peer is gone
        }
        return HidIo::Ok;
    }

    // Destroyed in reverse order: the connection closes before the lock is let go.
    DeviceLock m_lock;
    UniqueFd m_fd;
    Report m_in{};
    int m_inCount = 0;
    Report m_out{};
    int m_outPending = 0;
};

class UnixWatch final : public IWatchHandle {
public:
    UnixWatch(std::string path, DeviceChangeFn fn)
        : m_path(std::move(path)), m_fn(std::move(fn)), m_last(SocketAt(m_path)), m_thread([this] { Run(); })
    {
    }

    ~UnixWatch() override
    {
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }

private:
    void Run()
    {
        std::unique_lock lock(m_mutex);
        while (!m_wake.wait_for(lock, UnixBackend::kWatchInterval, [this] { return m_stop; })) {
            lock.unlock();
            const std::optional<SocketId> now = SocketAt(m_path);
            if (m_last && now != m_last)
                m_fn(DeviceEvent::Removal, m_path);
            if (now && now != m_last)
                m_fn(DeviceEvent::Arrival, m_path);
            m_last = now;
            lock.lock();
        }
    }

    const std::string m_path;
    const DeviceChangeFn m_fn;
    std::optional<SocketId> m_last;  // touched by the watch thread only, once it runs
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    std::thread m_thread;  // last: starts after everything it uses exists
};

} // namespace

UnixBackend::UnixBackend(std::string socketPath) : m_socketPath(std::move(socketPath)) {}

std::vector<HidDeviceInfo> UnixBackend::Enumerate(std::uint16_t vendorId, std::uint16_t productId)
{
    if ((vendorId != 0 && vendorId != kVendorId) || (productId != 0 && productId != kProductId))
        return {};
    if (!SocketAt(m_socketPath))
        return {};
    HidDeviceInfo info;
    info.path = m_socketPath;
    info.vendorId = kVendorId;
    info.productId = kProductId;
    info.release = kReleaseNumber;
    // Connecting needs write permission on the socket file.
    info.accessible = ::access(m_socketPath.c_str(), W_OK) == 0 || errno != EACCES;
    return {info};
}

std::unique_ptr<IHidDevice> UnixBackend::Open(const std::string& path, OpenError& error)
{
    sockaddr_un addr{};
    if (path != m_socketPath || path.empty()) {
        error = OpenError::NotFound;
        return nullptr;
    }
    if (path.size() >= sizeof(addr.sun_path)) {
        error = OpenError::Failed;
        return nullptr;
    }

    LockError lockError = LockError::None;
    std::optional<DeviceLock> lock = DeviceLock::TryAcquire(LockKey(path), lockError);
    if (!lock) {
        error = lockError == LockError::Busy ? OpenError::Busy : OpenError::Failed;
        return nullptr;
    }

    UniqueFd fd = StreamSocket();
    if (!fd) {
        error = OpenError::Failed;
        return nullptr;
    }

    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, path.data(), path.size());
    int rc;
    do {
        rc = ::connect(fd.Get(), reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0 && errno == EINPROGRESS) {
        // Systems that finish a local connect asynchronously.
        int err = 0;
        socklen_t len = sizeof err;
        if (WaitFor(fd.Get(), POLLOUT, Deadline(kConnectTimeoutMs)) != HidIo::Ok
            || ::getsockopt(fd.Get(), SOL_SOCKET, SO_ERROR, &err, &len) != 0) {
            error = OpenError::Failed;
            return nullptr;
        }
        rc = err == 0 ? 0 : -1;
        errno = err;
    }
    if (rc != 0) {
        error = ConnectError(errno);
        return nullptr;
    }

    error = OpenError::None;
    return std::make_unique<UnixDevice>(std::move(*lock), std::move(fd));
}

std::unique_ptr<IWatchHandle> UnixBackend::Watch(DeviceChangeFn fn)
{
    return std::make_unique<UnixWatch>(m_socketPath, std::move(fn));
}

} // namespace ovix
