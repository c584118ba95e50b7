#pragma once
// The link options that both executables take, wherever they stand on the command line,
// and the one place where --device picks the HID backend.

#include "protocol/HidBackend.h"
#include "protocol/ProtocolTrace.h"

#include <memory>
#include <string>
#include <vector>

namespace ovix {

struct LinkOptions {
    std::string device = "usb";  // usb (real processors), sim or unix:PATH
    std::string trace;           // --trace FILE: protocol trace appended to FILE; empty: off
    std::shared_ptr<CProtocolTrace> traceFile;  // the open trace, once OpenLinkTrace opened it
};

// Takes --device VALUE / --device=VALUE and --trace FILE / --trace=FILE out of args,
// leaving the rest in order; a "--" word ends the options (it and the words after it stay). Returns the error to show for a missing or unknown value,
// or an empty string.
std::string TakeLinkOptions(std::vector<std::string>& args, LinkOptions& options);

// The backend for a valid --device value; nullptr for anything else. "sim" is one
// simulated processor per process, so everything a process does with it (a push, then a
// dump) meets the same memory.
std::shared_ptr<IHidBackend> MakeBackend(const std::string& device);

// Opens options.trace for appending into options.traceFile; true also when no trace is
// asked for. False when the file cannot be opened.
bool OpenLinkTrace(LinkOptions& options);

// The backend for options.device, carrying options.traceFile when there is one, so the
// link over it traces every report; nullptr for an unknown device.
std::shared_ptr<IHidBackend> MakeBackend(const LinkOptions& options);

} // namespace ovix
