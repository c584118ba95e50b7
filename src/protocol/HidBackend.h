#pragma once
// The report-level view of a HID bus that the transport is written against. Three
// backends implement it: hidapi (real processors), sim (the simulated processor, in
// process) and unix (reports over a Unix-domain stream socket, for external emulators).
//
// A report is always 65 bytes: byte 0 the report id (0), bytes 1..64 data.

#include "protocol/SendData.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ovix {

class CProtocolTrace;

// The processor's identity: all three must match.
constexpr std::uint16_t kVendorId = 0x0483;
constexpr std::uint16_t kProductId = 0x5750;
constexpr std::uint16_t kReleaseNumber = 0x0200;

struct HidDeviceInfo {
    std::string path;
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::uint16_t release = 0;
    // false when the device is present but this user may not open it (Linux: no udev rule)
    bool accessible = true;
};

enum class HidIo {
    Ok,
    Timeout,  // nothing within the time limit
    Error,    // the device is gone or the call failed
};

enum class OpenError {
    None,
    NotFound,      // no such device (unplugged)
    Busy,          // another program holds it
    NoPermission,  // present, but this user may not open it
    Failed,        // any other failure
};

// One open device. Write and Read are called by the link worker only; Close may come from
// the window thread after the worker has stopped.
class IHidDevice {
public:
    virtual ~IHidDevice() = default;
    virtual HidIo Write(const Report& report, int timeoutMs) = 0;
    // Fills report[1..64] with the next input report's data; report[0] is 0.
    virtual HidIo Read(Report& report, int timeoutMs) = 0;
};

enum class DeviceEvent { Arrival, Removal };
using DeviceChangeFn = std::function<void(DeviceEvent, const std::string& path)>;

// Stops a device watch when destroyed.
class IWatchHandle {
public:
    virtual ~IWatchHandle() = default;
};

class IHidBackend {
public:
    virtual ~IHidBackend() = default;
    // Every present device with this vendor and product id, any release number, in
    // enumeration order.
    virtual std::vector<HidDeviceInfo> Enumerate(std::uint16_t vendorId, std::uint16_t productId) = 0;
    // Opens a device for exclusive use; nullptr and the reason when it cannot.
    virtual std::unique_ptr<IHidDevice> Open(const std::string& path, OpenError& error) = 0;
    // Calls fn (on a backend thread) for every arrival and removal of a device until the
    // handle is destroyed. A backend that cannot watch returns nullptr.
    virtual std::unique_ptr<IWatchHandle> Watch(DeviceChangeFn fn) = 0;
    // The protocol trace the link over this backend writes to; none unless the backend was
    // wrapped with WithTrace (protocol/ProtocolTrace.h).
    virtual std::shared_ptr<CProtocolTrace> Trace() const { return nullptr; }
};

} // namespace ovix
