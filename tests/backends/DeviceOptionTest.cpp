// The link options both executables share: taken out of the command line wherever they
// stand, the rest left in order.

#include "backends/DeviceOption.h"

#include <gtest/gtest.h>

using namespace ovix;

namespace {

struct OptionCase {
    std::vector<std::string> line;
    std::string device;                // expected --device after a good line
    std::string trace;                 // expected --trace
    std::vector<std::string> rest;     // what stays on the line
    std::string errorStart;            // non-empty: the line is refused with this error
};

class LinkOptionsTable : public ::testing::TestWithParam<OptionCase> {};

TEST_P(LinkOptionsTable, TakesTheOptionsAndKeepsTheRestInOrder)
{
    const OptionCase& c = GetParam();
    std::vector<std::string> args = c.line;
    LinkOptions o;
    const std::string error = TakeLinkOptions(args, o);
    if (!c.errorStart.empty()) {
        EXPECT_EQ(error.rfind(c.errorStart, 0), 0u) << error;
        return;
    }
    EXPECT_EQ(error, "");
    EXPECT_EQ(o.device, c.device);
    EXPECT_EQ(o.trace, c.trace);
    EXPECT_EQ(args, c.rest);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, LinkOptionsTable,
    ::testing::Values(
        OptionCase{{"dump", "--json"}, "usb", "", {"dump", "--json"}, ""},
        OptionCase{{"--device", "sim", "dump"}, "sim", "", {"dump"}, ""},
        OptionCase{{"dump", "--device=unix:/run/emu.sock", "--json"}, "unix:/run/emu.sock", "",
                   {"dump", "--json"}, ""},
        OptionCase{{"--trace", "t.log", "preset", "show", "--device", "sim", "F"}, "sim", "t.log",
                   {"preset", "show", "F"}, ""},
        OptionCase{{"--trace=out/t.log"}, "usb", "out/t.log", {}, ""},
        // after "--" every word is left alone, options or not
        OptionCase{{"--device", "sim", "preset", "show", "--", "--trace", "--device=usb"}, "sim", "",
                   {"preset", "show", "--", "--trace", "--device=usb"}, ""},
        OptionCase{{"--", "--device"}, "usb", "", {"--", "--device"}, ""},
        OptionCase{{"dump", "--device"}, "", "", {}, "--device needs a value"},
        OptionCase{{"--device", "bluetooth"}, "", "", {}, "unknown device 'bluetooth'"},
        OptionCase{{"--device", "unix:"}, "", "", {}, "unknown device 'unix:'"},
        OptionCase{{"dump", "--trace"}, "", "", {}, "--trace needs a file name"},
        OptionCase{{"--trace="}, "", "", {}, "--trace needs a file name"}));

TEST(MakeBackend, OneBackendPerValidDeviceAndOneSimulatedProcessorPerProcess)
{
    EXPECT_NE(MakeBackend("usb"), nullptr);
    EXPECT_NE(MakeBackend("unix:/nonexistent/emu.sock"), nullptr);
    EXPECT_EQ(MakeBackend("bluetooth"), nullptr);
    EXPECT_EQ(MakeBackend("sim"), MakeBackend("sim")) << "a push and a dump meet the same memory";
}

} // namespace
