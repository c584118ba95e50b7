#pragma once
// ovixctl, the command-line tool: the same engine as the console, no window.

#include "backends/DeviceOption.h"

#include <cstddef>
#include <iosfwd>
#include <string>
#include <vector>

namespace ovix::cli {

// Exit codes.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

// Options every command understands, wherever they stand on the line before "--".
struct CommonOptions {
    LinkOptions link;  // --device, --trace
    bool json = false;
    // How many of the command's last words came after "--": operands (files), never options,
    // whatever they start with.
    std::size_t operands = 0;
};

// Runs one command line (without the program name); output to out, errors to err.
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// `frames SEQUENCE [ARG]`: the frames a sequence would queue, one per line.
int FramesCommand(const std::vector<std::string>& args, const CommonOptions& opts,
                  std::ostream& out, std::ostream& err);

// `devices`: the matching processors, one per line.
int DevicesCommand(const std::vector<std::string>& args, const CommonOptions& opts,
                   std::ostream& out, std::ostream& err);

// `dump [--json]`: connects, reads the processor's state, disconnects and prints it.
int DumpCommand(const std::vector<std::string>& args, const CommonOptions& opts, std::ostream& out,
                std::ostream& err);

// `preset show|push|pull FILE`: preset files as stored, to and from a processor.
int PresetCommand(const std::vector<std::string>& args, const CommonOptions& opts, std::ostream& out,
                  std::ostream& err);

// `response FILE [--channel N] [--svg OUT]`: the summed response of a file's program, per
// channel, as numbers or drawn as an SVG file.
int ResponseCommand(const std::vector<std::string>& args, const CommonOptions& opts, std::ostream& out,
                    std::ostream& err);

// `report FILE [-o OUT]`: the tuning sheet of a file's program, one self-contained HTML page.
int ReportCommand(const std::vector<std::string>& args, const CommonOptions& opts, std::ostream& out,
                  std::ostream& err);

// `eq export PRESET --channel N [-o OUT]`, `eq import PRESET --channel N FILTERTEXT -o OUT`
// and, with --device, `eq import --channel N FILTERTEXT` on the connected processor.
int EqCommand(const std::vector<std::string>& args, const CommonOptions& opts, std::ostream& out,
              std::ostream& err);

// `firmware FILE`: updates the processor's firmware as the console does, with a progress
// bar on err; `firmware --check FILE [--json]`: what the file holds and the frames it would
// go out as, without opening a processor.
int FirmwareCommand(const std::vector<std::string>& args, const CommonOptions& opts, std::ostream& out,
                    std::ostream& err);

} // namespace ovix::cli
