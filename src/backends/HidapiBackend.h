#pragma once
// Real processors through hidapi (the hidraw backend on Linux). hidapi itself stays inside
// HidapiBackend.cpp; nothing here needs its headers.
//
// Paths are hidapi's (on Linux the device node, /dev/hidrawN). Opening takes the
// DeviceLock of the path before the device, so a second console gets OpenError::Busy.

#include "protocol/HidBackend.h"

#include <chrono>

namespace ovix {

class HidapiBackend final : public IHidBackend {
public:
    enum class WatchMode {
        Auto,  // libudev monitor where a udev daemon runs, otherwise Poll
        Poll,  // hid_enumerate every kPollInterval and compare
    };
    static constexpr std::chrono::milliseconds kPollInterval{1000};

    explicit HidapiBackend(WatchMode watchMode = WatchMode::Auto);

    // hid_enumerate(vendorId, productId), in its order. accessible is false for a device
    // node this user may not open for reading and writing.
    std::vector<HidDeviceInfo> Enumerate(std::uint16_t vendorId, std::uint16_t productId) override;
    // Busy: the lock is held elsewhere; NotFound: the path is gone; NoPermission: the node
    // exists but this user may not open it; Failed: anything else.
    std::unique_ptr<IHidDevice> Open(const std::string& path, OpenError& error) override;
    // Arrival and Removal of every hidraw node (any vendor), with its device node path.
    std::unique_ptr<IWatchHandle> Watch(DeviceChangeFn fn) override;

private:
    WatchMode m_watchMode;
};

} // namespace ovix
