#include "cli/Ovixctl.h"

#include <ostream>

namespace ovix::cli {

namespace {

constexpr const char* kUsage =
    "usage: ovixctl [--device DEVICE] COMMAND [ARGS]\n"
    "\n"
    "commands:\n"
    "  devices                 list the matching processors: USB1.., then the path\n"
    "  dump [--json]           connect, read the processor's whole state, print it\n"
    "  preset show FILE        a .qxas or .qxaa file as it is stored\n"
    "  preset push FILE        load a file and send it to the processor as the console does\n"
    "  preset pull FILE        .qxaa: read all programs from the processor into FILE;\n"
    "                          .qxas: save the live program into FILE\n"
    "  response FILE [--channel N]\n"
    "                          summed response of the file's program: frequency and dB\n"
    "                          per channel (1..6, default all six)\n"
    "  frames SEQUENCE [ARG]   print the frames a command sequence would send, one per line:\n"
    "                          read-version, read-device-info, read-live, recall P (1..20),\n"
    "                          read-all-programs, store P (0..20), download-all, status-poll\n"
    "\n"
    "options:\n"
    "  --device DEVICE         usb (default), sim or unix:PATH\n"
    "  --json                  JSON output where a command offers it\n"
    "  --help                  this text\n";

bool ValidDevice(const std::string& d)
{
    return d == "usb" || d == "sim" || (d.rfind("unix:", 0) == 0 && d.size() > 5);
}

} // namespace

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    CommonOptions opts;
    std::vector<std::string> rest;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            out << kUsage;
            return kExitOk;
        }
        if (a == "--json") {
            opts.json = true;
        } else if (a == "--device" || a.rfind("--device=", 0) == 0) {
            std::string value;
            if (a == "--device") {
                if (i + 1 >= args.size()) {
                    err << "ovixctl: --device needs a value (usb, sim or unix:PATH)\n";
                    return kExitUsage;
                }
                value = args[++i];
            } else {
                value = a.substr(9);
            }
            if (!ValidDevice(value)) {
                err << "ovixctl: unknown device '" << value << "' (use usb, sim or unix:PATH)\n";
                return kExitUsage;
            }
            opts.device = value;
        } else {
            rest.push_back(a);
        }
    }
    if (rest.empty()) {
        err << kUsage;
        return kExitUsage;
    }
    const std::string command = rest.front();
    rest.erase(rest.begin());
    if (command == "frames")
        return FramesCommand(rest, opts, out, err);
    if (command == "devices")
        return DevicesCommand(rest, opts, out, err);
    if (command == "dump")
        return DumpCommand(rest, opts, out, err);
    if (command == "preset")
        return PresetCommand(rest, opts, out, err);
    if (command == "response")
        return ResponseCommand(rest, opts, out, err);
    err << "ovixctl: unknown command '" << command << "'\n" << kUsage;
    return kExitUsage;
}

} // namespace ovix::cli
