// The --device choice: a real processor over hidapi, the simulated one in process, or an
// external emulator behind a Unix-domain socket.

#include "link/HidBackend.h"
#include "link/HidapiBackend.h"
#include "link/UnixBackend.h"
#include "simulator/SimBus.h"

namespace ovix {

std::unique_ptr<IHidBackend> MakeBackend(const std::string& device)
{
    if (device == "usb")
        return std::make_unique<HidapiBackend>();
    if (device == "sim")
        return sim::MakeDefaultSimBus();
    constexpr std::string_view kUnix = "unix:";
    if (device.size() > kUnix.size() && device.compare(0, kUnix.size(), kUnix) == 0)
        return std::make_unique<UnixBackend>(device.substr(kUnix.size()));
    return nullptr;
}

} // namespace ovix
