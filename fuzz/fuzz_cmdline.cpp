// Command-line parsing: the input split at NUL bytes into arguments, given to the link option
// parser and then to ovixctl's Run. Run only sees lines that stay away from processors and
// files: no --trace, a --device of "sim" at most, and no command but `frames`.
#include "backends/DeviceOption.h"
#include "cli/Ovixctl.h"

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

namespace {

bool SafeForRun(const std::vector<std::string>& args)
{
    std::vector<std::string> words = args;
    ovix::LinkOptions link;
    if (!ovix::TakeLinkOptions(words, link).empty())
        return true;  // Run stops at the same error
    if (!link.trace.empty() || (link.device != "usb" && link.device != "sim"))
        return false;
    for (const std::string& w : words) {
        if (w == "--json" || w == "--help" || w == "-h")
            continue;
        return w == "frames" || (w.size() > 1 && w[0] == '-');  // an unknown option stops Run
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::string> args;
    std::string current;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            args.push_back(current);
            current.clear();
        } else {
            current.push_back(char(data[i]));
        }
    }
    if (!current.empty() || args.empty())
        args.push_back(current);

    std::vector<std::string> words = args;
    ovix::LinkOptions link;
    (void)ovix::TakeLinkOptions(words, link);

    if (SafeForRun(args)) {
        std::ostringstream out, err;
        (void)ovix::cli::Run(args, out, err);
    }
    return 0;
}
