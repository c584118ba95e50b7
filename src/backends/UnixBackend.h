#pragma once
// `unix:PATH`: a processor behind a Unix-domain stream socket, for external emulators and
// test rigs. The contract they rely on:
//  - the console connects as a client to the stream socket at PATH;
//  - every report travels as exactly 65 bytes in each direction, byte 0 the report id (0),
//    bytes 1..64 data;
//  - the device is listed while PATH exists and is a socket, with vendor id 0x0483,
//    product id 0x5750, release 0x0200, and PATH as its device path;
//  - closing the connection is closing the device; opening again connects again.
// Like a USB processor, the device is opened for exclusive use (DeviceLock on the PATH).

#include "protocol/HidBackend.h"

#include <chrono>

namespace ovix {

class UnixBackend final : public IHidBackend {
public:
    // How often Watch looks for PATH appearing or disappearing.
    static constexpr std::chrono::milliseconds kWatchInterval{250};

    explicit UnixBackend(std::string socketPath);

    const std::string& SocketPath() const { return m_socketPath; }

    // One entry (PATH) while PATH is a socket and the ids asked for match (0 matches any).
    std::vector<HidDeviceInfo> Enumerate(std::uint16_t vendorId, std::uint16_t productId) override;
    // Connects to PATH. NotFound when PATH is not this backend's path, is missing or nobody
    // listens on it; Busy when this or another process already has it open.
    std::unique_ptr<IHidDevice> Open(const std::string& path, OpenError& error) override;
    // Arrival and Removal of PATH, from a thread of its own that checks every
    // kWatchInterval; a socket replaced between two checks counts as removal and arrival.
    std::unique_ptr<IWatchHandle> Watch(DeviceChangeFn fn) override;

private:
    const std::string m_socketPath;
};

} // namespace ovix
