// ovixctl commands that talk to a processor: `devices` and `dump`. They connect exactly as
// the console does at start-up, with this process's own message loop standing in for the
// console's window thread.

#include "cli/CliSession.h"
#include "cli/JsonState.h"
#include "cli/Ovixctl.h"
#include "tables/TextField.h"

#include <algorithm>
#include <ostream>

namespace ovix::cli {

int DevicesCommand(const std::vector<std::string>& args, const CommonOptions& opts,
                   std::ostream& out, std::ostream& err)
{
    if (!args.empty()) {
        err << "ovixctl devices: takes no argument\n";
        return kExitUsage;
    }
    CliSession session(opts.link);
    if (!session.Valid()) {
        err << "ovixctl: unknown device '" << opts.link.device << "'\n";
        return kExitUsage;
    }
    CUsbTransport& transport = session.Link().Transport();
    if (!transport.ListDevices()) {
        // an empty list is an answer, not a failure
        err << "No processor found\n";
        return kExitOk;
    }
    const auto devices = transport.Devices();
    const auto locked = transport.InaccessibleDevices();
    for (std::size_t k = 0; k < devices.size(); ++k) {
        out << "USB" << k + 1 << ' ' << devices[k];
        if (std::find(locked.begin(), locked.end(), devices[k]) != locked.end())
            out << " (no permission: install the udev rule, see README)";
        out << '\n';
    }
    return kExitOk;
}

int DumpCommand(const std::vector<std::string>& args, const CommonOptions& opts, std::ostream& out,
                std::ostream& err)
{
    if (!args.empty()) {
        err << "ovixctl dump: takes no argument\n";
        return kExitUsage;
    }
    int exitCode = kExitOk;
    auto connected = ConnectedSession(opts.link, err, exitCode);
    if (!connected)
        return exitCode;
    CliSession& session = *connected;
    session.Disconnect();

    const DeviceImage& img = session.Model().image;
    const std::string version = DecodeTextField({img.version, 11});
    const std::string info = DecodeTextField({img.deviceInfo, sizeof img.deviceInfo});
    if (opts.json) {
        nlohmann::json names = nlohmann::json::array();
        for (int p = 1; p <= 10; ++p)
            names.push_back(JsonText(DecodeTextField({img.Program(p).name, 16})));
        nlohmann::json j = {{"version", JsonText(version)},
                            {"model", session.Link().LayoutVariant()},
                            {"deviceInfo", JsonText(info)},
                            {"programNames", names},
                            {"delayMemory", DelayMemoryJson(img.delayMemory)},
                            {"live", ProgramJson(img.current)}};
        out << j.dump(2) << '\n';
        return kExitOk;
    }
    out << "version       " << version << '\n';
    out << "model         " << session.Link().LayoutVariant() << '\n';
    out << "device info   " << info << '\n';
    for (int p = 1; p <= 10; ++p)
        out << "program " << (p < 10 ? " " : "") << p << "    " << DecodeTextField({img.Program(p).name, 16})
            << '\n';
    PrintDelayMemory(img.delayMemory, out);
    PrintProgram(img.current, out);
    return kExitOk;
}

} // namespace ovix::cli
