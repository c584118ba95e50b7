#include "backends/HidapiBackend.h"

#include "backends/DeviceLock.h"

#include <hidapi.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <iterator>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <thread>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#ifdef __linux__
#include <libudev.h>
#include <poll.h>
#include <sys/eventfd.h>
#endif

namespace ovix {

namespace {

// hidapi's library-wide calls (init, enumerate, open) share unguarded global state, and
// the poll watch enumerates from its own thread; they all go through this lock. Calls on
// an open device touch only that device.
std::mutex& HidapiLock()
{
    static std::mutex m;
    return m;
}

// Call with HidapiLock held.
bool HidapiReady()
{
    static const bool ok = hid_init() == 0;
    return ok;
}

struct EnumerationFree {
    void operator()(hid_device_info* list) const { hid_free_enumeration(list); }
};
using Enumeration = std::unique_ptr<hid_device_info, EnumerationFree>;

Enumeration EnumerateLocked(std::uint16_t vendorId, std::uint16_t productId)
{
    std::lock_guard lock(HidapiLock());
    if (!HidapiReady())
        return nullptr;
    return Enumeration(hid_enumerate(vendorId, productId));
}

bool PermissionDenied(const char* path)
{
    return ::access(path, R_OK | W_OK) != 0 && errno == EACCES;
}

// Why hid_open_path failed, judged from the node itself: hidapi does not promise to leave
// errno alone.
OpenError OpenFailure(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return OpenError::NotFound;
        return errno == EACCES ? OpenError::NoPermission : OpenError::Failed;
    }
    return PermissionDenied(path.c_str()) ? OpenError::NoPermission : OpenError::Failed;
}

class HidapiDevice final : public IHidDevice {
public:
    HidapiDevice(DeviceLock lock, hid_device* handle) : m_lock(std::move(lock)), m_handle(handle) {}

    // hidraw writes are synchronous; the kernel's own limit for an interrupt transfer
    // bounds them, so the time limit is not needed here.
    HidIo Write(const Report& report, int /*timeoutMs*/) override
    {
        return hid_write(m_handle.get(), report.data(), report.size()) < 0 ? HidIo::Error : HidIo::Ok;
    }

    HidIo Read(Report& report, int timeoutMs) override
    {
        // Input reports without a number come without the id byte.
        std::array<unsigned char, kReportData> data{};
        const int n = hid_read_timeout(m_handle.get(), data.data(), data.size(), std::max(timeoutMs, -1));
        if (n < 0)
            return HidIo::Error;
        if (n == 0)
            return HidIo::Timeout;
        report[0] = 0;
        std::copy(data.begin(), data.end(), report.begin() + 1);
        return HidIo::Ok;
    }

private:
    struct Close {
        void operator()(hid_device* h) const { hid_close(h); }
    };
    // Destroyed in reverse order: the handle closes before the lock is let go.
    DeviceLock m_lock;
    std::unique_ptr<hid_device, Close> m_handle;
};

// Compares the full HID list every kPollInterval: for systems without a udev daemon (and
// other platforms).
class PollWatch final : public IWatchHandle {
public:
    explicit PollWatch(DeviceChangeFn fn) : m_fn(std::move(fn)), m_known(Snapshot()), m_thread([this] { Run(); }) {}

    ~PollWatch() override
    {
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }

private:
    static std::set<std::string> Snapshot()
    {
        std::set<std::string> paths;
        const Enumeration list = EnumerateLocked(0, 0);
        for (const hid_device_info* d = list.get(); d; d = d->next) {
            if (d->path)
                paths.insert(d->path);
        }
        return paths;
    }

    void Run()
    {
        std::unique_lock lock(m_mutex);
        while (!m_wake.wait_for(lock, HidapiBackend::kPollInterval, [this] { return m_stop; })) {
            lock.unlock();
            std::set<std::string> now = Snapshot();
            std::vector<std::string> gone, added;
            std::ranges::set_difference(m_known, now, std::back_inserter(gone));
            std::ranges::set_difference(now, m_known, std::back_inserter(added));
            for (const std::string& path : gone)
                m_fn(DeviceEvent::Removal, path);
            for (const std::string& path : added)
                m_fn(DeviceEvent::Arrival, path);
            m_known = std::move(now);
            lock.lock();
        }
    }

    const DeviceChangeFn m_fn;
    std::set<std::string> m_known;  // the watch thread's, once it runs
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    std::thread m_thread;  // last: starts after everything it uses exists
};

#ifdef __linux__

struct UdevUnref {
    void operator()(udev* u) const { udev_unref(u); }
    void operator()(udev_monitor* m) const { udev_monitor_unref(m); }
    void operator()(udev_device* d) const { udev_device_unref(d); }
};

// A libudev monitor on the hidraw subsystem and the descriptor that stops its thread.
struct HidrawMonitor {
    std::unique_ptr<udev, UdevUnref> context;
    std::unique_ptr<udev_monitor, UdevUnref> monitor;
    UniqueFd wake;
};

// Empty when there is no udev daemon or the monitor cannot be set up.
std::optional<HidrawMonitor> OpenHidrawMonitor()
{
    // Without the daemon the "udev" event source stays silent.
    if (::access("/run/udev/control", F_OK) != 0)
        return std::nullopt;
    HidrawMonitor m;
    m.context.reset(udev_new());
    if (!m.context)
        return std::nullopt;
    m.monitor.reset(udev_monitor_new_from_netlink(m.context.get(), "udev"));
    if (!m.monitor || udev_monitor_filter_add_match_subsystem_devtype(m.monitor.get(), "hidraw", nullptr) < 0
        || udev_monitor_enable_receiving(m.monitor.get()) < 0 || udev_monitor_get_fd(m.monitor.get()) < 0)
        return std::nullopt;
    m.wake.Reset(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (!m.wake)
        return std::nullopt;
    return m;
}

// Events of the "udev" source come after udev has applied its rules, so a node that just
// arrived already carries the permissions our rule gives it.
class UdevWatch final : public IWatchHandle {
public:
    UdevWatch(DeviceChangeFn fn, HidrawMonitor monitor)
        : m_fn(std::move(fn)), m_monitor(std::move(monitor)), m_thread([this] { Run(); })
    {
    }

    ~UdevWatch() override
    {
        const std::uint64_t one = 1;
        while (::write(m_monitor.wake.Get(), &one, sizeof one) < 0 && errno == EINTR) {
        }
        m_thread.join();
    }

private:
    void Run()
    {
        pollfd fds[2] = {{udev_monitor_get_fd(m_monitor.monitor.get()), POLLIN, 0}, {m_monitor.wake.Get(), POLLIN, 0}};
        for (;;) {
            if (::poll(fds, 2, -1) < 0) {
                if (errno == EINTR)
                    continue;
                return;
            }
            if (fds[1].revents != 0)
                return;
            if (fds[0].revents & (POLLERR | POLLNVAL))
                return;
            if (fds[0].revents & POLLIN)
                Dispatch();
        }
    }

    void Dispatch()
    {
        std::unique_ptr<udev_device, UdevUnref> dev(udev_monitor_receive_device(m_monitor.monitor.get()));
        if (!dev)
            return;
        const char* action = udev_device_get_action(dev.get());
        const char* node = udev_device_get_devnode(dev.get());
        if (!action || !node)
            return;
        if (std::strcmp(action, "add") == 0)
            m_fn(DeviceEvent::Arrival, node);
        else if (std::strcmp(action, "remove") == 0)
            m_fn(DeviceEvent::Removal, node);
    }

    const DeviceChangeFn m_fn;
    HidrawMonitor m_monitor;
    std::thread m_thread;  // last: starts after everything it uses exists
};

#endif

} // namespace

HidapiBackend::HidapiBackend(WatchMode watchMode) : m_watchMode(watchMode) {}

std::vector<HidDeviceInfo> HidapiBackend::Enumerate(std::uint16_t vendorId, std::uint16_t productId)
{
    std::vector<HidDeviceInfo> devices;
    const Enumeration list = EnumerateLocked(vendorId, productId);
    for (const hid_device_info* d = list.get(); d; d = d->next) {
        if (!d->path)
            continue;
        HidDeviceInfo info;
        info.path = d->path;
        info.vendorId = d->vendor_id;
        info.productId = d->product_id;
        info.release = d->release_number;
        info.accessible = !PermissionDenied(d->path);
        devices.push_back(std::move(info));
    }
    return devices;
}

std::unique_ptr<IHidDevice> HidapiBackend::Open(const std::string& path, OpenError& error)
{
    LockError lockError = LockError::None;
    std::optional<DeviceLock> lock = DeviceLock::TryAcquire(path, lockError);
    if (!lock) {
        error = lockError == LockError::Busy ? OpenError::Busy : OpenError::Failed;
        return nullptr;
    }
    hid_device* handle = nullptr;
    {
        std::lock_guard guard(HidapiLock());
        if (HidapiReady())
            handle = hid_open_path(path.c_str());
    }
    if (!handle) {
        error = OpenFailure(path);
        return nullptr;
    }
    error = OpenError::None;
    return std::make_unique<HidapiDevice>(std::move(*lock), handle);
}

std::unique_ptr<IWatchHandle> HidapiBackend::Watch(DeviceChangeFn fn)
{
#ifdef __linux__
    if (m_watchMode == WatchMode::Auto) {
        if (std::optional<HidrawMonitor> monitor = OpenHidrawMonitor())
            return std::make_unique<UdevWatch>(std::move(fn), std::move(*monitor));
    }
#else
    (void)m_watchMode;
#endif
    return std::make_unique<PollWatch>(std::move(fn));
}

} // namespace ovix
