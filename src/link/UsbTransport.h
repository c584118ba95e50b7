#pragma once
// Finds the processor on the HID bus, opens it, and moves the link worker's reports: one
// 65-byte report at a time on the way out, reports fed to the reply collector on the way in
// with the read phase's time limits. What to send is the worker's business. Written once
// over a report-level backend; every report goes into the protocol trace when the backend
// carries one.

#include "protocol/HidBackend.h"
#include "protocol/ProtocolTrace.h"
#include "link/KTVCommand.h"
#include "link/LinkFlags.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace ovix {

// The settings store's record of which processors are open in some console.
class IDeviceRecords {
public:
    virtual ~IDeviceRecords() = default;
    virtual bool IsDeviceUnrecorded(const std::string& path) const = 0;
    virtual void RecordOpenDevice(const std::string& path) = 0;
    virtual void ForgetOpenDevice(const std::string& path) = 0;
    virtual void ResetDeviceRecords() = 0;
};

// Records kept in memory only (the command-line tool and the tests).
class MemoryDeviceRecords final : public IDeviceRecords {
public:
    bool IsDeviceUnrecorded(const std::string& path) const override;
    void RecordOpenDevice(const std::string& path) override;
    void ForgetOpenDevice(const std::string& path) override;
    void ResetDeviceRecords() override;

private:
    std::vector<std::string> m_paths;
};

// Time limits of a normal exchange.
struct LinkTimeouts {
    std::chrono::milliseconds reportWait{2000};   // one input report
    std::chrono::milliseconds exchange{3000};     // a whole exchange, from its start
    std::chrono::milliseconds writeWait{20};      // one output report
};

enum class ReadOutcome { Answered, Lost, Stopped };

class CUsbTransport {
public:
    CUsbTransport(std::shared_ptr<IHidBackend> backend, LinkFlags& flags, IDeviceRecords& records);
    ~CUsbTransport();

    // Fills the device list with every matching processor; false when there is none (the
    // open-device records are then cleared, and the link-running flag).
    bool ListDevices();
    std::vector<std::string> Devices() const;
    // Matching processors this user may not open (no udev rule), from the last listing.
    std::vector<std::string> InaccessibleDevices() const;

    bool OpenFirstDevice();
    bool OpenDevice(const std::string& path);
    void CloseDevice();
    // Closes the processor and opens it again (it restarts during a firmware update): the
    // same path when it is listed again, else the first matching processor.
    bool ReopenDevice();
    bool IsOpen() const;
    std::string DevicePath() const;
    void SetDevicePath(const std::string& path);
    // Why the last open failed.
    OpenError LastOpenError() const { return m_lastError; }

    // Worker side. Writes one output report within the write limit and returns how it went
    // (Error when no device is open). A failed write raises no error of its own: the frame
    // then gets no answer and the read phase ends as link lost. It shows in the trace.
    HidIo WriteReport(const Report& report);
    HidIo WriteReport(const Report& report, std::chrono::milliseconds wait);
    // The read phase: until a reply is dispatched, the time limits pass (the link is lost:
    // WM_LINK_LOST is posted) or stop() turns true.
    ReadOutcome ReadReply(CKTVCommand& command, LinkSink& sink,
                          std::chrono::steady_clock::time_point exchangeStart,
                          const std::function<bool()>& stop);
    // The same with other limits (the firmware update's per-step waits).
    ReadOutcome ReadReply(CKTVCommand& command, LinkSink& sink,
                          std::chrono::steady_clock::time_point exchangeStart,
                          const std::function<bool()>& stop, const LinkTimeouts& limits);
    // The link is lost for a reason of the worker's own: traced, and WM_LINK_LOST posted
    // while the link runs.
    ReadOutcome LinkLost(LinkSink& sink, const char* why);

    void SetTimeouts(const LinkTimeouts& t) { m_timeouts = t; }
    const LinkTimeouts& Timeouts() const { return m_timeouts; }

    // Device arrivals and removals, until the handle is destroyed.
    std::unique_ptr<IWatchHandle> Watch(DeviceChangeFn fn);

private:
    std::vector<HidDeviceInfo> Enumerate();
    bool OpenPath(const std::string& path);
    std::shared_ptr<IHidDevice> Device() const;

    std::shared_ptr<IHidBackend> m_backend;
    LinkFlags& m_flags;
    IDeviceRecords& m_records;
    const std::shared_ptr<CProtocolTrace> m_trace;
    LinkTimeouts m_timeouts;

    mutable std::mutex m_mutex;  // guards the lists and the path, not the device I/O
    std::vector<std::string> m_devices;
    std::vector<std::string> m_inaccessible;
    std::string m_devicePath;
    // Opened and closed by the window thread only while the worker is stopped; used by the
    // worker in between.
    std::shared_ptr<IHidDevice> m_device;
    std::atomic<bool> m_open{false};
    OpenError m_lastError = OpenError::None;
};

} // namespace ovix
