// The tuning sheet: one self-contained page with the program's name, master volume, six
// curves and a table per channel with its settings and active bands.

#include "document/TuningSheet.h"

#include "MarkupCheck.h"
#include "model/KTV_Data.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace ovix;

namespace {

int Count(const std::string& text, const std::string& what)
{
    int n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size()))
        ++n;
    return n;
}

// The part of the page about channel n (1..6).
std::string ChannelPart(const std::string& html, int n)
{
    const std::size_t start = html.find("<article class=\"channel\" id=\"ch" + std::to_string(n) + "\">");
    if (start == std::string::npos)
        return {};
    return html.substr(start, html.find("</article>", start) - start);
}

// The cell of a settings row, by its class.
std::string Cell(const std::string& part, const std::string& cls)
{
    const std::string open = "<td class=\"" + cls + "\">";
    const std::size_t at = part.find(open);
    if (at == std::string::npos)
        return "(missing)";
    const std::size_t from = at + open.size();
    return part.substr(from, part.find("</td>", from) - from);
}

class Sheet : public ::testing::Test {
protected:
    void SetUp() override
    {
        model = std::make_unique<ParameterModel>();
        ResetImage(model->image);
        records = std::make_unique<CKTV_Data>(*model);  // flat channels with their default names
    }
    std::string Html(std::string_view name = "Demo car")
    {
        return TuningSheetHtml(SheetFromRecords(*records, name));
    }

    std::unique_ptr<ParameterModel> model;
    std::unique_ptr<CKTV_Data> records;
};

} // namespace

TEST_F(Sheet, IsOneWellFormedPageThatFetchesNothing)
{
    std::string html = Html();
    EXPECT_EQ(html.rfind("<!DOCTYPE html>", 0), 0u);
    EXPECT_EQ(test::CheckMarkup(html, true), "");
    EXPECT_NE(html.find("<meta charset=\"utf-8\">"), std::string::npos);
    EXPECT_EQ(Count(html, "<svg "), 1) << "the curves inline";
    EXPECT_EQ(Count(html, "<style>"), 1) << "the style inline";
    // the SVG's namespace name is an identifier, not something to fetch
    const std::string ns = " xmlns=\"http://www.w3.org/2000/svg\"";
    ASSERT_NE(html.find(ns), std::string::npos);
    html.erase(html.find(ns), ns.size());
    for (const char* external : {"src=", "href=", "<link", "<script", "@import", "http:", "https:", "file:"}) {
        EXPECT_EQ(html.find(external), std::string::npos) << external;
    }
    // the only reference is the plot's own clip path, inside the page
    EXPECT_EQ(Count(html, "url("), 1);
    EXPECT_NE(html.find("url(#ovix-plot)"), std::string::npos);
}

TEST_F(Sheet, ShowsSixCurvesAndATablePerChannel)
{
    const std::string html = Html();
    EXPECT_EQ(Count(html, "<polyline class=\"curve\""), 6);
    for (int c = 1; c <= 6; ++c)
        EXPECT_NE(ChannelPart(html, c).find("<table class=\"settings\">"), std::string::npos) << "CH" << c;
    EXPECT_NE(ChannelPart(html, 1).find("CH1 FL"), std::string::npos);
    EXPECT_NE(ChannelPart(html, 5).find("rgb(0,0,255)"), std::string::npos) << "the channel's colour beside its name";
}

TEST_F(Sheet, ChannelTableCarriesTheChannelsSettings)
{
    CKTV_OutData& ch3 = records->Out(2);
    ch3.SetSoundOn(0);
    ch3.SetPolarity(1);
    ch3.SetGain(54);
    ch3.SetDelay(96);
    ch3.HighPass().SetFamily(kButterworth, false);
    ch3.HighPass().SetSlope(2, false);
    ch3.HighPass().SetFrequency(80, true);
    ch3.LowPass().SetSlope(kCrossoverSlopeOff, false);
    CKTV_OutData& ch5 = records->Out(4);  // the gain switched off keeps its code
    ch5.SetGain(40);
    ch5.SetGainOff(1);
    CKTV_OutData& ch6 = records->Out(5);
    ch6.SetSoundOn(1);
    ch6.SetGain(0);
    ch6.LowPass().SetFamily(kLinkwitzRiley, false);
    ch6.LowPass().SetSlope(4, false);
    ch6.LowPass().SetFrequency(120, true);

    const std::string html = Html();
    const std::string p3 = ChannelPart(html, 3);
    EXPECT_EQ(Cell(p3, "output"), "<span class=\"off\">off</span>");
    EXPECT_EQ(Cell(p3, "polarity"), "inverted (180&#176;)");
    EXPECT_EQ(Cell(p3, "gain"), "-6 dB");
    EXPECT_NE(Cell(p3, "delay").find(">2.000 ms<"), std::string::npos) << Cell(p3, "delay");
    EXPECT_NE(Cell(p3, "delay").find(">69 cm<"), std::string::npos) << Cell(p3, "delay");
    EXPECT_NE(Cell(p3, "delay").find(">27 in<"), std::string::npos) << Cell(p3, "delay");
    EXPECT_EQ(Cell(p3, "high-pass"), "80 Hz, Butterworth, 24 dB/oct");
    EXPECT_EQ(Cell(p3, "low-pass"), "off");
    EXPECT_EQ(Cell(p3, "eq-mode"), "parametric (PEQ)");

    EXPECT_EQ(Cell(ChannelPart(html, 5), "gain"), "<span class=\"off\">OFF</span>");
    const std::string p6 = ChannelPart(html, 6);
    EXPECT_EQ(Cell(p6, "output"), "on");
    EXPECT_EQ(Cell(p6, "polarity"), "normal");
    EXPECT_EQ(Cell(p6, "gain"), "<span class=\"off\">OFF</span>");
    EXPECT_EQ(Cell(p6, "low-pass"), "120 Hz, Linkwitz-Riley, 36 dB/oct");
}

TEST_F(Sheet, ListsEveryActiveBandAndNoOther)
{
    CKTV_OutData& ch2 = records->Out(1);
    ch2.Band(4).SetFrequency(250, true);  // band 5: a bell
    ch2.Band(4).SetBandwidthIndex(95);    // 1.00 octave
    ch2.Band(4).SetGainDb(-3.5);
    ch2.Band(0).SetKind(kLowShelf);  // band 1: a 12 dB/oct low shelf
    ch2.Band(0).SetSlope(1, false);
    ch2.Band(0).SetFrequency(60, true);
    ch2.Band(0).SetGainDb(4.0);
    ch2.Band(9).SetGainDb(2.0);  // band 10: gain, but bypassed
    ch2.Band(9).SetBypass(1);
    ch2.Band(30).SetGainDb(0.0);  // band 31: at 0 dB

    const std::string p2 = ChannelPart(Html(), 2);
    EXPECT_EQ(Count(p2, "<tr class=\"band\""), 2);
    const std::size_t shelf = p2.find("<tr class=\"band\" data-band=\"1\">");
    const std::size_t bell = p2.find("<tr class=\"band\" data-band=\"5\">");
    ASSERT_NE(shelf, std::string::npos);
    ASSERT_NE(bell, std::string::npos);
    EXPECT_LT(shelf, bell) << "in band order";
    const std::string bellRow = p2.substr(bell, p2.find("</tr>", bell) - bell);
    EXPECT_NE(bellRow.find("<td>PEQ</td>"), std::string::npos);
    EXPECT_NE(bellRow.find(">250 Hz<"), std::string::npos);
    EXPECT_NE(bellRow.find(">-3.5 dB<"), std::string::npos);
    EXPECT_NE(bellRow.find(">1.414<"), std::string::npos) << "Q as the graph's label shows it";
    EXPECT_NE(bellRow.find(">1.00 oct<"), std::string::npos);
    const std::string shelfRow = p2.substr(shelf, p2.find("</tr>", shelf) - shelf);
    EXPECT_NE(shelfRow.find("<td>Low shelf</td>"), std::string::npos);
    EXPECT_NE(shelfRow.find(">60 Hz<"), std::string::npos);
    EXPECT_NE(shelfRow.find(">4.0 dB<"), std::string::npos);
    EXPECT_NE(shelfRow.find(">12dB/Oct<"), std::string::npos);

    EXPECT_NE(ChannelPart(Html(), 1).find("No active equaliser bands"), std::string::npos);
}

TEST_F(Sheet, GraphicEqBandsAreNamedSo)
{
    records->Out(3).SetGeqMode(1);
    records->Out(3).Band(12).SetGainDb(1.5);
    const std::string p4 = ChannelPart(Html(), 4);
    EXPECT_EQ(Cell(p4, "eq-mode"), "graphic (GEQ)");
    EXPECT_NE(p4.find("<td>GEQ</td>"), std::string::npos);
}

TEST_F(Sheet, MasterVolumeAndProgramName)
{
    records->Music().SetVolume(50);
    std::string html = Html("Van <2> & \"3\" \xE9t\xE9");
    EXPECT_NE(html.find("<span class=\"master-volume\">-10 dB</span>"), std::string::npos);
    EXPECT_NE(html.find("<span class=\"program-name\">Van &lt;2&gt; &amp; &quot;3&quot; \xC3\xA9t\xC3\xA9</span>"),
              std::string::npos);
    EXPECT_NE(html.find("<title>Tuning sheet: Van &lt;2&gt;"), std::string::npos);
    EXPECT_EQ(html.find("<2>"), std::string::npos);
    EXPECT_EQ(test::CheckMarkup(html, true), "");

    records->Music().SetVolume(0);
    EXPECT_NE(Html().find("<span class=\"master-volume\"><span class=\"off\">OFF</span></span>"), std::string::npos);
}

TEST_F(Sheet, ChannelNamesFromTheProcessorAreEscaped)
{
    records->Out(0).SetName("<i>&\x01");
    const std::string html = Html();
    EXPECT_NE(ChannelPart(html, 1).find("CH1 &lt;i&gt;&amp; </h3>"), std::string::npos);
    EXPECT_EQ(test::CheckMarkup(html, true), "");
}

// ---- delay as time and distance ------------------------------------------------------------

struct DelayCase {
    int code;
    const char* ms;
    const char* cm;
    const char* in;
};

class DelayDistances : public ::testing::TestWithParam<DelayCase> {};

TEST_P(DelayDistances, AsTheConsolesDelayFieldsShowThem)
{
    const DelayCase& d = GetParam();
    EXPECT_EQ(MarkupNumber(DelayMs(d.code), 3), d.ms);
    EXPECT_EQ(MarkupNumber(DelayCentimetres(d.code), 0), d.cm);
    EXPECT_EQ(MarkupNumber(DelayInches(d.code), 0), d.in);
}

INSTANTIATE_TEST_SUITE_P(Sheet, DelayDistances,
                         ::testing::Values(DelayCase{0, "0.000", "0", "0"}, DelayCase{1, "0.021", "1", "0"},
                                           DelayCase{48, "1.000", "35", "14"},
                                           DelayCase{96, "2.000", "69", "27"},
                                           DelayCase{960, "20.000", "692", "272"}));
