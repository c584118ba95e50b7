// `ovixctl frames`: a dry run of the protocol. A sequence is built from a freshly reset
// image as if a processor were connected, and every frame it would queue is printed.

#include "cli/Ovixctl.h"
#include "link/KTVCommand.h"

#include <charconv>
#include <functional>
#include <map>
#include <memory>
#include <ostream>

namespace ovix::cli {

namespace {

bool ParseProgram(const std::string& s, int lo, int hi, int& value)
{
    const char* end = s.data() + s.size();
    auto [p, ec] = std::from_chars(s.data(), end, value);
    return ec == std::errc() && p == end && value >= lo && value <= hi;
}

void PrintFrame(const CSendData& f, std::ostream& out)
{
    static constexpr char kHex[] = "0123456789abcdef";
    for (std::uint8_t b : f.Bytes())
        out << kHex[b >> 4] << kHex[b & 15];
    out << " seq=" << f.Seq();
    if (f.Last())
        out << " last";
    if (f.Notify())
        out << " notify";
    if (f.NotifyAlways())
        out << " always";
    out << '\n';
}

struct Sequence {
    int argLo = 0, argHi = -1;  // argHi < argLo: takes no argument
    std::function<void(CKTVCommand&, int)> run;
};

const std::map<std::string, Sequence>& Sequences()
{
    static const std::map<std::string, Sequence> table = {
        {"read-version", {0, -1, [](CKTVCommand& c, int) { c.ReadVersion(); }}},
        {"read-device-info", {0, -1, [](CKTVCommand& c, int) { c.ReadDeviceInfo(); }}},
        {"read-live", {0, -1, [](CKTVCommand& c, int) { c.ReadLive(); }}},
        {"recall", {1, kStoredPrograms, [](CKTVCommand& c, int p) { c.RecallProgram(p); }}},
        {"read-all-programs", {0, -1, [](CKTVCommand& c, int) { c.ReadAllPrograms(); }}},
        {"store", {0, kStoredPrograms, [](CKTVCommand& c, int p) { c.StoreProgram(p, false); }}},
        {"download-all", {0, -1, [](CKTVCommand& c, int) { c.DownloadAll(); }}},
        {"status-poll", {0, -1, [](CKTVCommand& c, int) { c.Enqueue(StatusPoll()); }}},
    };
    return table;
}

} // namespace

int FramesCommand(const std::vector<std::string>& args, const CommonOptions&, std::ostream& out,
                  std::ostream& err)
{
    if (args.empty()) {
        err << "ovixctl frames: name a sequence: read-version, read-device-info, read-live, "
               "recall P, read-all-programs, store P, download-all, status-poll\n";
        return kExitUsage;
    }
    const auto& table = Sequences();
    auto it = table.find(args[0]);
    if (it == table.end()) {
        err << "ovixctl frames: unknown sequence '" << args[0] << "'\n";
        return kExitUsage;
    }
    const Sequence& seq = it->second;
    const bool takesArg = seq.argHi >= seq.argLo;
    int arg = 0;
    if (takesArg) {
        if (args.size() != 2 || !ParseProgram(args[1], seq.argLo, seq.argHi, arg)) {
            err << "ovixctl frames " << args[0] << ": needs a program number " << seq.argLo
                << ".." << seq.argHi << '\n';
            return kExitUsage;
        }
    } else if (args.size() != 1) {
        err << "ovixctl frames " << args[0] << ": takes no argument\n";
        return kExitUsage;
    }

    auto model = std::make_unique<ParameterModel>();
    ResetImage(model->image);
    LinkFlags flags;
    std::recursive_mutex lock;
    CommandHostState host;  // connected, no link toggles, nothing to show
    host.m_bConnected = true;
    CKTVCommand command(*model, flags, lock, host);
    seq.run(command, arg);
    for (const FramePtr& f : command.Queue().Snapshot())
        PrintFrame(*f, out);
    return kExitOk;
}

} // namespace ovix::cli
