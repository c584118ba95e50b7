#include "cli/Ovixctl.h"

#include "backends/DeviceOption.h"

#include "OvixVersion.h"

#include <algorithm>
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
    "  response FILE [--channel N] [--svg OUT.svg]\n"
    "                          summed response of the file's program: frequency and dB\n"
    "                          per channel (1..6, default all six), or drawn into OUT.svg\n"
    "  report FILE [-o OUT.html]\n"
    "                          the program's tuning sheet, one self-contained HTML page\n"
    "                          (to stdout without -o)\n"
    "  eq export PRESET --channel N [-o OUT]\n"
    "                          the channel's filters as filter text (REW / Equalizer APO\n"
    "                          lines, the processor's own sections at 96 kHz); stdout\n"
    "                          without -o\n"
    "  eq import PRESET --channel N FILTERTEXT -o OUT\n"
    "                          fit a filter text to the channel and write the result as\n"
    "                          a new preset file OUT (PRESET is left as it is)\n"
    "  eq import --channel N FILTERTEXT\n"
    "                          with --device: the same into the connected processor\n"
    "  firmware FILE           update the processor's firmware from a .bin file, with a\n"
    "                          progress bar on stderr\n"
    "  firmware --check FILE [--json]\n"
    "                          what the file holds (sections, sizes, MCU header, checksum,\n"
    "                          frames per step) without opening a processor\n"
    "  frames SEQUENCE [ARG]   print the frames a command sequence would send, one per line:\n"
    "                          read-version, read-device-info, read-live, recall P (1..20),\n"
    "                          read-all-programs, store P (0..20), download-all, status-poll\n"
    "\n"
    "options:\n"
    "  --device DEVICE         usb (default), sim or unix:PATH\n"
    "  --trace FILE            append every report written and read, every dropped reply\n"
    "                          and every failed write to FILE\n"
    "  --json                  JSON output where a command offers it\n"
    "  --                      end of the options: the words after it are files or values,\n"
    "                          even when they start with '-' (preset show -- -a.qxas)\n"
    "  --help                  this text\n"
    "  --version               the program's version\n";

} // namespace

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    CommonOptions opts;
    std::vector<std::string> words = args;
    const std::string error = TakeLinkOptions(words, opts.link);
    if (!error.empty()) {
        err << "ovixctl: " << error << "\n";
        return kExitUsage;
    }
    if (!OpenLinkTrace(opts.link)) {
        err << "ovixctl: cannot open trace file '" << opts.link.trace << "'\n";
        return kExitUsage;
    }
    std::vector<std::string> rest;
    bool endOfOptions = false;
    for (const std::string& a : words) {
        if (endOfOptions) {
            rest.push_back(a);
            ++opts.operands;
            continue;
        }
        if (a == "--") {
            endOfOptions = true;
            continue;
        }
        if (a == "--help" || a == "-h") {
            out << kUsage;
            return kExitOk;
        }
        if (a == "--version") {
            out << "ovixctl " << kOvixVersion << "\n";
            return kExitOk;
        }
        if (a == "--json")
            opts.json = true;
        else
            rest.push_back(a);
    }
    // Options are told from commands and files by their leading dash; the ones a command
    // takes for itself carry a value: --channel N, --svg OUT, -o OUT.
    for (std::size_t i = 0; i < rest.size() - opts.operands; ++i) {
        if (rest[i] == "--channel" || rest[i] == "--svg" || rest[i] == "-o" || rest[i] == "--output") {
            ++i;
            continue;
        }
        if (rest[i] == "--check")
            continue;  // firmware's only flag
        if (rest[i].size() > 1 && rest[i][0] == '-') {
            err << "ovixctl: unknown option '" << rest[i] << "'\n";
            return kExitUsage;
        }
    }
    if (rest.empty()) {
        err << kUsage;
        return kExitUsage;
    }
    const std::string command = rest.front();
    rest.erase(rest.begin());
    opts.operands = std::min(opts.operands, rest.size());
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
    if (command == "eq")
        return EqCommand(rest, opts, out, err);
    if (command == "report")
        return ReportCommand(rest, opts, out, err);
    if (command == "firmware")
        return FirmwareCommand(rest, opts, out, err);
    err << "ovixctl: unknown command '" << command << "'\n" << kUsage;
    return kExitUsage;
}

} // namespace ovix::cli
