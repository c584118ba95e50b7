// The --device choice: a real processor over hidapi, the simulated one in process, or an
// external emulator behind a Unix-domain socket.

#include "backends/DeviceOption.h"

#include "backends/HidapiBackend.h"
#include "backends/UnixBackend.h"
#include "simulator/SimBus.h"

#include <string_view>

namespace ovix {

namespace {

constexpr std::string_view kUnix = "unix:";

bool IsUnixDevice(const std::string& device)
{
    return device.size() > kUnix.size() && device.compare(0, kUnix.size(), kUnix) == 0;
}

bool IsValidDevice(const std::string& device)
{
    return device == "usb" || device == "sim" || IsUnixDevice(device);
}

// Takes "--name VALUE" or "--name=VALUE" at args[i]; false when args[i] is another word.
bool TakeValue(std::vector<std::string>& args, std::size_t i, const std::string& name,
               std::string& value, bool& missing)
{
    const std::string& a = args[i];
    if (a == name) {
        if (i + 1 >= args.size()) {
            missing = true;
            args.erase(args.begin() + std::ptrdiff_t(i));
            return true;
        }
        value = args[i + 1];
        args.erase(args.begin() + std::ptrdiff_t(i), args.begin() + std::ptrdiff_t(i) + 2);
        return true;
    }
    if (a.size() > name.size() && a.compare(0, name.size() + 1, name + "=") == 0) {
        value = a.substr(name.size() + 1);
        args.erase(args.begin() + std::ptrdiff_t(i));
        return true;
    }
    return false;
}

} // namespace

std::string TakeLinkOptions(std::vector<std::string>& args, LinkOptions& options)
{
    std::size_t i = 0;
    // "--" ends the options: what follows is left as it is, even words like --device
    while (i < args.size() && args[i] != "--") {
        std::string value;
        bool missing = false;
        if (TakeValue(args, i, "--device", value, missing)) {
            if (missing)
                return "--device needs a value (usb, sim or unix:PATH)";
            if (!IsValidDevice(value))
                return "unknown device '" + value + "' (use usb, sim or unix:PATH)";
            options.device = value;
        } else if (TakeValue(args, i, "--trace", value, missing)) {
            if (missing || value.empty())
                return "--trace needs a file name";
            options.trace = value;
        } else {
            ++i;
        }
    }
    return {};
}

std::shared_ptr<IHidBackend> MakeBackend(const std::string& device)
{
    if (device == "usb")
        return std::make_shared<HidapiBackend>();
    if (device == "sim") {
        static const std::shared_ptr<IHidBackend> simulated = sim::MakeDefaultSimBus();
        return simulated;
    }
    if (IsUnixDevice(device))
        return std::make_shared<UnixBackend>(device.substr(kUnix.size()));
    return nullptr;
}

bool OpenLinkTrace(LinkOptions& options)
{
    if (options.trace.empty())
        return true;
    options.traceFile = CProtocolTrace::Open(options.trace);
    return options.traceFile != nullptr;
}

std::shared_ptr<IHidBackend> MakeBackend(const LinkOptions& options)
{
    return WithTrace(MakeBackend(options.device), options.traceFile);
}

} // namespace ovix
