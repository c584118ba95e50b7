#pragma once
// Runs one ovixctl command line in process and keeps what it printed.

#include "cli/Ovixctl.h"

#include <sstream>
#include <string>
#include <vector>

namespace ovix::test {

struct CliOut {
    int code;
    std::string out, err;
};

inline CliOut RunCli(const std::vector<std::string>& args)
{
    std::ostringstream o, e;
    CliOut r;
    r.code = cli::Run(args, o, e);
    r.out = o.str();
    r.err = e.str();
    return r;
}

inline int RunCli(const std::vector<std::string>& args, std::string& out, std::string& err)
{
    CliOut r = RunCli(args);
    out = std::move(r.out);
    err = std::move(r.err);
    return r.code;
}

} // namespace ovix::test
