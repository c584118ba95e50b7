// The --device choice: a real processor over hidapi, the simulated one in process, or an
// external emulator behind a Unix-domain socket.

#include "link/HidBackend.h"
#include "link/HidapiBackend.h"
#include "link/UnixBackend.h"
#include "simulator/SimBus.h"

namespace ovix {

std::shared_ptr<IHidBackend> MakeBackend(const std::string& device)
{
    if (device == "usb")
        return std::make_shared<HidapiBackend>();
    if (device == "sim") {
        static const std::shared_ptr<IHidBackend> simulated = sim::MakeDefaultSimBus();
        return simulated;
    }
    constexpr std::string_view kUnix = "unix:";
    if (device.size() > kUnix.size() && device.compare(0, kUnix.size(), kUnix) == 0)
        return std::make_shared<UnixBackend>(device.substr(kUnix.size()));
    return nullptr;
}

} // namespace ovix
