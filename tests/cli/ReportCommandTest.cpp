// ovixctl's response plot (response FILE --svg OUT) and tuning sheet (report FILE -o OUT):
// the files they write from a preset file's program, and how they refuse bad lines, bad
// files and places they cannot write.

#include "document/PresetFile.h"
#include "cli/Ovixctl.h"

#include "CliRun.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>

#include <unistd.h>

using namespace ovix;
using namespace ovix::cli;
namespace fs = std::filesystem;

namespace {

using Out = ovix::test::CliOut;
using ovix::test::RunCli;

int Count(const std::string& text, const std::string& what)
{
    int n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size()))
        ++n;
    return n;
}

class ReportCli : public ::testing::Test {
protected:
    // The simulated processor's live program with a tuning of our own, made once.
    static void SetUpTestSuite()
    {
        const fs::path scratch = fs::temp_directory_path() / ("ovix-report-" + std::to_string(::getpid()));
        fs::create_directories(scratch);
        const std::string live = (scratch / "live.qxas").string();
        auto prog = std::make_unique<ProgramImage>();
        ASSERT_EQ(RunCli({"preset", "pull", live, "--device", "sim"}).code, 0);
        ASSERT_EQ(ReadSingleProgramFile(live, *prog), PresetStatus::Ok);
        fs::remove_all(scratch);
        const char name[] = "Van <1> & \xFF";
        std::fill(std::begin(prog->name), std::end(prog->name), 0);
        std::copy(name, name + sizeof name - 1, prog->name);
        prog->Music().SetVolume(47);  // -13 dB
        OutputBlock& ch2 = prog->outputs[1];  // a +6 dB, one-octave bell at 1 kHz, band 18
        ch2.bands[17].SetFreq(1000);
        ch2.bands[17].SetGainWord(660);
        ch2.bands[17].SetBandwidthIndex(95);
        ch2.bands[17].SetKind(0);
        OutputBlock& ch4 = prog->outputs[3];
        ch4.SetGain(51);    // -9 dB
        ch4.SetDelay(144);  // 3 ms
        ch4.polarity = 1;
        ch4.crossover.SetHighPassFreq(63);
        ch4.crossover.SetHighPassFamily(1);
        ch4.crossover.SetHighPassSlope(4);
        s_tune = SerializeSingleProgram(*prog);
    }

    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("ovix-report-" + std::to_string(::getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
        std::ofstream(Path("tune.qxas"), std::ios::binary)
            .write(reinterpret_cast<const char*>(s_tune.data()), std::streamsize(s_tune.size()));
        std::ofstream(Path("other.qxas"), std::ios::binary)
            .write(reinterpret_cast<const char*>(s_tune.data()), std::streamsize(s_tune.size()));
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string Path(const std::string& n) const { return (dir / n).string(); }
    std::string Text(const std::string& n) const
    {
        std::ifstream in(Path(n), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    fs::path dir;
    static inline std::vector<std::uint8_t> s_tune;
};

} // namespace

TEST_F(ReportCli, ResponseSvgDrawsEveryChannelOrTheOneAsked)
{
    const Out all = RunCli({"response", Path("tune.qxas"), "--svg", Path("all.svg")});
    ASSERT_EQ(all.code, 0) << all.err;
    EXPECT_EQ(all.out, "wrote " + Path("all.svg") + "\n");
    const std::string svg = Text("all.svg");
    EXPECT_EQ(svg.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\"", 0), 0u);
    EXPECT_EQ(Count(svg, "<polyline class=\"curve\""), 6);

    // the option before the file, as any option may stand
    const Out one = RunCli({"response", "--svg", Path("ch2.svg"), Path("tune.qxas"), "--channel", "2"});
    ASSERT_EQ(one.code, 0) << one.err;
    const std::string svg2 = Text("ch2.svg");
    EXPECT_EQ(Count(svg2, "<polyline class=\"curve\""), 1);
    std::smatch m;
    ASSERT_TRUE(std::regex_search(svg2, m, std::regex("stroke=\"rgb\\(255,0,0\\)\" points=\"([^\"]*)\"")))
        << "CH2's curve in CH2's red";
    // point 137 of 241 is 1 kHz: the bell's +6 dB, 4 dB below the top of a 320-pixel plot
    std::istringstream points(m[1].str());
    std::string point;
    for (int i = 0; i <= 136; ++i)
        points >> point;
    EXPECT_EQ(point.substr(point.find(',') + 1), "74.00");
    EXPECT_NE(svg2.find("<title>CH2</title>"), std::string::npos);
}

TEST_F(ReportCli, ReportWritesTheTuningSheet)
{
    const Out r = RunCli({"report", Path("tune.qxas"), "-o", Path("sheet.html")});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "wrote " + Path("sheet.html") + "\n");
    const std::string html = Text("sheet.html");
    EXPECT_EQ(html.rfind("<!DOCTYPE html>", 0), 0u);
    // the name's bytes escaped, byte 0xFF as U+00FF in UTF-8
    EXPECT_NE(html.find("<span class=\"program-name\">Van &lt;1&gt; &amp; \xC3\xBF</span>"), std::string::npos);
    EXPECT_NE(html.find("<span class=\"master-volume\">-13 dB</span>"), std::string::npos);
    EXPECT_EQ(Count(html, "<polyline class=\"curve\""), 6);
    EXPECT_EQ(Count(html, "<article class=\"channel\""), 6);
    const std::size_t ch2 = html.find("id=\"ch2\"");
    const std::size_t band = html.find("<tr class=\"band\" data-band=\"18\">", ch2);
    ASSERT_NE(band, std::string::npos);
    const std::string row = html.substr(band, html.find("</tr>", band) - band);
    EXPECT_NE(row.find(">1000 Hz<"), std::string::npos) << row;
    EXPECT_NE(row.find(">6.0 dB<"), std::string::npos) << row;
    const std::size_t ch4 = html.find("id=\"ch4\"");
    const std::string part4 = html.substr(ch4, html.find("</article>", ch4) - ch4);
    EXPECT_NE(part4.find("<td class=\"gain\">-9 dB</td>"), std::string::npos);
    EXPECT_NE(part4.find(">3.000 ms<"), std::string::npos);
    EXPECT_NE(part4.find(">104 cm<"), std::string::npos);
    EXPECT_NE(part4.find(">41 in<"), std::string::npos);
    EXPECT_NE(part4.find("inverted"), std::string::npos);
    EXPECT_NE(part4.find("<td class=\"high-pass\">63 Hz, Bessel, 36 dB/oct</td>"), std::string::npos);

    // without -o the page goes to stdout, and nothing else does
    const Out toStdout = RunCli({"report", Path("tune.qxas")});
    ASSERT_EQ(toStdout.code, 0) << toStdout.err;
    EXPECT_EQ(toStdout.out, html);
}

struct RefusedLine {
    const char* name;
    std::vector<std::string> args;  // "@" stands for the test's folder
    int code;
    const char* message;
};

class RefusedLines : public ReportCli, public ::testing::WithParamInterface<RefusedLine> {};

TEST_P(RefusedLines, ExitWithTheirMessageAndWriteNothing)
{
    std::vector<std::string> args;
    for (std::string a : GetParam().args) {
        if (const std::size_t at = a.find('@'); at != std::string::npos)
            a.replace(at, 1, dir.string());
        args.push_back(a);
    }
    const auto before = std::distance(fs::directory_iterator(dir), fs::directory_iterator());
    const Out r = RunCli(args);
    EXPECT_EQ(r.code, GetParam().code) << r.err;
    EXPECT_NE(r.err.find(GetParam().message), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), before) << "no file written";
}

INSTANTIATE_TEST_SUITE_P(
    ReportCli, RefusedLines,
    ::testing::Values(
        RefusedLine{"SvgWithoutPath", {"response", "@/tune.qxas", "--svg"}, 2, "usage: response FILE"},
        RefusedLine{"SvgTwice", {"response", "@/tune.qxas", "--svg", "@/a.svg", "--svg", "@/b.svg"}, 2, "usage"},
        RefusedLine{"SvgAndJson", {"response", "@/tune.qxas", "--svg", "@/a.svg", "--json"}, 2, "usage"},
        RefusedLine{"SvgIntoMissingFolder", {"response", "@/tune.qxas", "--svg", "@/no/such/a.svg"}, 1,
                    "ovixctl response: cannot write '"},
        RefusedLine{"SvgOfABadFile", {"response", "@/nothing.qxas", "--svg", "@/a.svg"}, 1, "Read MusicFile  Error"},
        RefusedLine{"ReportWithoutFile", {"report", "-o", "@/s.html"}, 2, "ovixctl report: needs a FILE"},
        RefusedLine{"ReportTwoFiles", {"report", "@/tune.qxas", "@/other.qxas"}, 2, "usage: report FILE"},
        RefusedLine{"ReportJson", {"report", "@/tune.qxas", "--json"}, 2, "HTML only"},
        RefusedLine{"ReportIntoMissingFolder", {"report", "@/tune.qxas", "-o", "@/no/such/s.html"}, 1,
                    "ovixctl report: cannot write '"},
        RefusedLine{"ReportOfABadFile", {"report", "@/nothing.qxas", "-o", "@/s.html"}, 1, "Read MusicFile  Error"},
        RefusedLine{"UnknownOption", {"report", "@/tune.qxas", "--frob"}, 2, "unknown option '--frob'"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ReportCli, AFileNamedLikeAnOptionFollowsTheEndOfOptions)
{
    fs::copy_file(Path("tune.qxas"), Path("-o"));
    const fs::path before = fs::current_path();
    fs::current_path(dir);
    const Out r = RunCli({"report", "-o", "sheet.html", "--", "-o"});
    const Out svg = RunCli({"response", "--svg", "plot.svg", "--", "-o"});
    fs::current_path(before);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(svg.code, 0) << svg.err;
    EXPECT_NE(Text("sheet.html").find("Van &lt;1&gt;"), std::string::npos);
    EXPECT_NE(Text("plot.svg").find("<polyline class=\"curve\""), std::string::npos);
}

TEST_F(ReportCli, AFailedWriteLeavesTheOldFile)
{
    // a folder where the sheet should go: the temporary file can be written, the rename cannot
    fs::create_directories(dir / "sheet.html" / "inside");
    const Out r = RunCli({"report", Path("tune.qxas"), "-o", Path("sheet.html")});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(fs::is_directory(dir / "sheet.html" / "inside"));
}
