#include "cli/Ovixctl.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

using namespace ovix::cli;

namespace {

// --version answers with the build's project version wherever it stands on the line, and
// before any command runs: a line that would also dump a processor or open a preset prints
// only the version.
class OvixctlVersion : public ::testing::TestWithParam<std::vector<std::string>> {};

TEST_P(OvixctlVersion, PrintsTheProjectVersionAndNothingElse)
{
    std::ostringstream out, err;
    EXPECT_EQ(ovix::cli::Run(GetParam(), out, err), kExitOk);
    EXPECT_EQ(out.str(), "ovixctl " OVIX_PROJECT_VERSION "\n");
    EXPECT_EQ(err.str(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Lines, OvixctlVersion,
    ::testing::Values(std::vector<std::string>{"--version"},
                      std::vector<std::string>{"--device", "sim", "dump", "--version"},
                      std::vector<std::string>{"preset", "show", "/nonexistent/ovix.qxas", "--version"},
                      std::vector<std::string>{"--version", "no-such-command"}));

TEST(OvixctlUsage, ListsVersion)
{
    std::ostringstream out, err;
    ASSERT_EQ(ovix::cli::Run({"--help"}, out, err), kExitOk);
    EXPECT_NE(out.str().find("--version"), std::string::npos);
}

} // namespace
