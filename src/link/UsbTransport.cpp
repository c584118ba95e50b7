#include "link/UsbTransport.h"

#include <algorithm>
#include <thread>

namespace ovix {

bool MemoryDeviceRecords::IsDeviceUnrecorded(const std::string& path) const
{
    return std::find(m_paths.begin(), m_paths.end(), path) == m_paths.end();
}

void MemoryDeviceRecords::RecordOpenDevice(const std::string& path)
{
    if (IsDeviceUnrecorded(path))
        m_paths.push_back(path);
}

void MemoryDeviceRecords::ForgetOpenDevice(const std::string& path)
{
    std::erase(m_paths, path);
}

void MemoryDeviceRecords::ResetDeviceRecords()
{
    m_paths.clear();
}

CUsbTransport::CUsbTransport(std::shared_ptr<IHidBackend> backend, LinkFlags& flags,
                             IDeviceRecords& records)
    : m_backend(std::move(backend)), m_flags(flags), m_records(records),
      m_trace(m_backend ? m_backend->Trace() : nullptr)
{
}

CUsbTransport::~CUsbTransport() = default;

std::vector<HidDeviceInfo> CUsbTransport::Enumerate()
{
    std::vector<HidDeviceInfo> found;
    if (!m_backend)
        return found;
    for (HidDeviceInfo& d : m_backend->Enumerate(kVendorId, kProductId))
        if (d.vendorId == kVendorId && d.productId == kProductId && d.release == kReleaseNumber)
            found.push_back(std::move(d));
    return found;
}

bool CUsbTransport::ListDevices()
{
    std::vector<std::string> paths, inaccessible;
    for (const HidDeviceInfo& d : Enumerate()) {
        paths.push_back(d.path);
        if (!d.accessible)
            inaccessible.push_back(d.path);
    }
    const bool any = !paths.empty();
    {
        std::lock_guard lock(m_mutex);
        m_devices = std::move(paths);
        m_inaccessible = std::move(inaccessible);
    }
    if (!any) {
        m_records.ResetDeviceRecords();
        m_flags.linkRunning = 0;
    }
    return any;
}

std::vector<std::string> CUsbTransport::Devices() const
{
    std::lock_guard lock(m_mutex);
    return m_devices;
}

std::vector<std::string> CUsbTransport::InaccessibleDevices() const
{
    std::lock_guard lock(m_mutex);
    return m_inaccessible;
}

bool CUsbTransport::OpenPath(const std::string& path)
{
    OpenError error = OpenError::None;
    std::unique_ptr<IHidDevice> device = m_backend ? m_backend->Open(path, error) : nullptr;
    if (!device) {
        m_lastError = error == OpenError::None ? OpenError::Failed : error;
        return false;
    }
    m_lastError = OpenError::None;
    {
        std::lock_guard lock(m_mutex);
        m_device = std::move(device);
        m_devicePath = path;
    }
    m_open = true;
    m_flags.linkRunning = 1;
    return true;
}

bool CUsbTransport::OpenFirstDevice()
{
    const std::vector<HidDeviceInfo> found = Enumerate();
    if (found.empty()) {
        m_lastError = OpenError::NotFound;
        return false;
    }
    // the first match is the one: when it cannot be opened the attempt fails at once
    if (!found.front().accessible) {
        m_lastError = OpenError::NoPermission;
        return false;
    }
    return OpenPath(found.front().path);
}

bool CUsbTransport::OpenDevice(const std::string& path)
{
    if (!OpenPath(path))
        return false;
    m_records.RecordOpenDevice(path);
    return true;
}

void CUsbTransport::CloseDevice()
{
    std::shared_ptr<IHidDevice> old;
    {
        std::lock_guard lock(m_mutex);
        old.swap(m_device);
    }
    m_open = false;
    // the device object closes the handle when the last user lets go of it
}

bool CUsbTransport::ReopenDevice()
{
    const std::string path = DevicePath();
    CloseDevice();
    for (const HidDeviceInfo& d : Enumerate())
        if (d.path == path && d.accessible)
            return OpenPath(path);
    return OpenFirstDevice();
}

bool CUsbTransport::IsOpen() const
{
    return m_open;
}

std::string CUsbTransport::DevicePath() const
{
    std::lock_guard lock(m_mutex);
    return m_devicePath;
}

void CUsbTransport::SetDevicePath(const std::string& path)
{
    std::lock_guard lock(m_mutex);
    m_devicePath = path;
}

std::shared_ptr<IHidDevice> CUsbTransport::Device() const
{
    std::lock_guard lock(m_mutex);
    return m_device;
}

HidIo CUsbTransport::WriteReport(const Report& report)
{
    return WriteReport(report, m_timeouts.writeWait);
}

HidIo CUsbTransport::WriteReport(const Report& report, std::chrono::milliseconds wait)
{
    const std::shared_ptr<IHidDevice> device = Device();
    const HidIo io = device ? device->Write(report, int(wait.count())) : HidIo::Error;
    if (m_trace)
        m_trace->Written(report, io);
    return io;
}

ReadOutcome CUsbTransport::LinkLost(LinkSink& sink, const char* why)
{
    if (m_trace)
        m_trace->Lost(why);
    if (m_flags.linkRunning)
        sink.Post(WM_LINK_LOST, 0, 0);
    return ReadOutcome::Lost;
}

ReadOutcome CUsbTransport::ReadReply(CKTVCommand& command, LinkSink& sink,
                                     std::chrono::steady_clock::time_point exchangeStart,
                                     const std::function<bool()>& stop)
{
    return ReadReply(command, sink, exchangeStart, stop, m_timeouts);
}

ReadOutcome CUsbTransport::ReadReply(CKTVCommand& command, LinkSink& sink,
                                     std::chrono::steady_clock::time_point exchangeStart,
                                     const std::function<bool()>& stop, const LinkTimeouts& limits)
{
    using namespace std::chrono;
    const std::shared_ptr<IHidDevice> device = Device();
    auto lost = [&](const char* why) { return LinkLost(sink, why); };
    if (!device)
        return lost("device closed");

    // Reports are waited for in short slices so that a stopping link never waits out a
    // whole report limit.
    constexpr milliseconds kSlice{50};
    bool allZeroSoFar = true;
    while (m_flags.linkRunning && !stop()) {
        Report report{};
        const auto waitStart = steady_clock::now();
        HidIo io = HidIo::Timeout;
        while (m_flags.linkRunning && !stop()) {
            const auto waited = duration_cast<milliseconds>(steady_clock::now() - waitStart);
            if (waited >= limits.reportWait)
                break;
            io = device->Read(report, int(std::min(kSlice, limits.reportWait - waited).count()));
            if (io != HidIo::Timeout)
                break;
        }
        if (!m_flags.linkRunning || stop())
            break;
        if (io != HidIo::Ok)
            return lost(io == HidIo::Timeout ? "no report within the report limit" : "read failed");
        if (m_trace)
            m_trace->Read(report);

        const bool zero = std::all_of(report.begin() + 1, report.end(), [](std::uint8_t b) { return b == 0; });
        allZeroSoFar = allZeroSoFar && zero;
        if (allZeroSoFar)
            std::this_thread::sleep_for(milliseconds(10));
        if (command.FeedChunk({report.data() + 1, kReportData}))
            return ReadOutcome::Answered;
        if (m_trace && command.LastDroppedReply())
            m_trace->Dropped(*command.LastDroppedReply());
        if (steady_clock::now() - exchangeStart > limits.exchange) {
            std::this_thread::sleep_for(milliseconds(10));
            return lost("no complete reply within the exchange limit");
        }
    }
    return ReadOutcome::Stopped;
}

std::unique_ptr<IWatchHandle> CUsbTransport::Watch(DeviceChangeFn fn)
{
    return m_backend ? m_backend->Watch(std::move(fn)) : nullptr;
}

} // namespace ovix
