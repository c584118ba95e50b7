// The SVG response plot: the console graph's grid and mapping, one curve per channel in its
// colour, and every text escaped.

#include "document/ResponsePlot.h"

#include "MarkupCheck.h"
#include "model/KTV_Data.h"
#include "response/GraphGeometry.h"
#include "response/PixelMap.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <memory>
#include <regex>
#include <string>
#include <vector>

using namespace ovix;

namespace {

int Count(const std::string& text, const std::string& what)
{
    int n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size()))
        ++n;
    return n;
}

// The points attribute of every curve, as numbers.
std::vector<std::vector<PointF>> CurvePoints(const std::string& svg)
{
    std::vector<std::vector<PointF>> curves;
    const std::regex polyline(R"re(<polyline class="curve"[^>]* points="([^"]*)")re");
    for (auto it = std::sregex_iterator(svg.begin(), svg.end(), polyline); it != std::sregex_iterator(); ++it) {
        std::vector<PointF> points;
        const std::string list = (*it)[1];
        const std::regex pair(R"re((-?[0-9.]+),(-?[0-9.]+))re");
        for (auto p = std::sregex_iterator(list.begin(), list.end(), pair); p != std::sregex_iterator(); ++p)
            points.push_back({std::stod((*p)[1]), std::stod((*p)[2])});
        curves.push_back(points);
    }
    return curves;
}

struct Records {
    Records() : model(std::make_unique<ParameterModel>())
    {
        ResetImage(model->image);
        records = std::make_unique<CKTV_Data>(*model);  // flat channels with their default names
    }
    std::unique_ptr<ParameterModel> model;
    std::unique_ptr<CKTV_Data> records;
};

} // namespace

// ---- text ------------------------------------------------------------------------------

struct MarkupCase {
    const char* name;
    std::string bytes;
    std::string markup;
};

class MarkupTextCases : public ::testing::TestWithParam<MarkupCase> {};

TEST_P(MarkupTextCases, BytesBecomeSafeUtf8Text)
{
    EXPECT_EQ(MarkupText(GetParam().bytes), GetParam().markup);
}

INSTANTIATE_TEST_SUITE_P(
    ResponsePlot, MarkupTextCases,
    ::testing::Values(MarkupCase{"Plain", "Front L 2", "Front L 2"},
                      MarkupCase{"Ampersand", "R&B", "R&amp;B"},
                      MarkupCase{"Tag", "<script>", "&lt;script&gt;"},
                      MarkupCase{"Quotes", "\"a\" 'b'", "&quot;a&quot; &#39;b&#39;"},
                      // ISO 8859-1, as ovixctl's JSON: 0xE9 is U+00E9, 0xFF is U+00FF, 0x80 is U+0080
                      MarkupCase{"Latin1", "Caf\xE9", "Caf\xC3\xA9"},
                      MarkupCase{"ByteFF", "\xFF", "\xC3\xBF"},
                      MarkupCase{"Byte80", "\x80", "\xC2\x80"},
                      // XML cannot carry control characters, not even as references
                      MarkupCase{"Controls", std::string("a\x01\tb\x7F", 5), "a  b "}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ResponsePlot, NumbersUseAPointInAnyLocaleAndNeverNegativeZero)
{
    EXPECT_EQ(MarkupNumber(1.5, 2), "1.50");
    EXPECT_EQ(MarkupNumber(-0.001, 2), "0.00");
    EXPECT_EQ(MarkupNumber(-0.006, 2), "-0.01");
    EXPECT_EQ(MarkupNumber(692.0, 0), "692");
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") || std::setlocale(LC_NUMERIC, "fr_FR.UTF-8")) {
        EXPECT_EQ(MarkupNumber(1.5, 2), "1.50") << "a comma would break every SVG coordinate";
        std::setlocale(LC_NUMERIC, "C");
    }
}

// ---- the drawing -------------------------------------------------------------------------

TEST(ResponsePlot, OneCurvePerChannelInTheChannelsColourAndOrder)
{
    Records r;
    const std::vector<PlotCurve> curves = ChannelCurves(*r.records);
    ASSERT_EQ(curves.size(), 6u);
    const std::string svg = ResponseSvgElement(curves);
    EXPECT_EQ(Count(svg, "<polyline class=\"curve\""), 6);
    const char* colours[6] = {"rgb(128,64,0)", "rgb(255,0,0)",  "rgb(255,127,39)",
                              "rgb(255,180,0)", "rgb(0,0,255)", "rgb(0,255,0)"};
    std::size_t at = 0;
    for (int c = 0; c < 6; ++c) {
        at = svg.find("data-curve=\"" + std::to_string(c + 1) + "\" stroke=\"" + colours[c] + "\"", at);
        ASSERT_NE(at, std::string::npos) << "curve " << c + 1 << " in its colour, after curve " << c;
    }
    EXPECT_NE(svg.find("<title>CH1 FL</title>"), std::string::npos);
    EXPECT_NE(svg.find("<title>CH6 Center</title>"), std::string::npos);
    EXPECT_EQ(test::CheckMarkup(ResponseSvgDocument(curves), false), "");
}

TEST(ResponsePlot, CurvePointsAreTheGraphsFloatMappingOfTheSummedResponse)
{
    Records r;
    CFilter& band = r.records->Out(2).Band(17);  // CH3, a +6 dB bell at 1 kHz
    band.SetFrequency(1000, true);
    band.SetBandwidthIndex(95);
    band.SetGainDb(6.0);
    CFilter& hp = r.records->Out(2).HighPass();
    hp.SetFamily(kButterworth, false);
    hp.SetSlope(2, false);
    hp.SetFrequency(100, true);

    const PlotSize size{760, 290};
    const int W = size.width - 45;
    const int H = size.graphHeight - 30;
    const std::vector<PlotCurve> curves = ChannelCurves(*r.records);
    const auto drawn = CurvePoints(ResponseSvgElement(curves, size));
    ASSERT_EQ(drawn.size(), 6u);
    for (std::size_t c = 0; c < 6; ++c) {
        ChannelCurve expected{};
        ChannelCurveF expectedF{};
        ChannelCurvePoints(r.records->Out(int(c)).Eq().Sum(), W, H, expected, expectedF);
        ASSERT_EQ(drawn[c].size(), std::size_t(kGridPoints));
        for (int i = 0; i < kGridPoints; ++i) {
            ASSERT_NEAR(drawn[c][std::size_t(i)].x, expectedF[std::size_t(i)].x, 0.006) << "CH" << c + 1 << " point " << i;
            ASSERT_NEAR(drawn[c][std::size_t(i)].y, expectedF[std::size_t(i)].y, 0.006) << "CH" << c + 1 << " point " << i;
        }
    }
    // the bell's top is +6 dB: 4 dB below the plot's top edge
    EXPECT_NEAR(drawn[2][136].y, 10 + H / 20.0 * 4.0, 0.01);
    // a flat channel lies on 0 dB, half way down
    EXPECT_NEAR(drawn[0][0].y, 10 + H / 2.0, 0.01);
}

TEST(ResponsePlot, GridAndLabelsAreTheConsoleGraphs)
{
    const PlotSize size{551, 262};  // the console's own graph
    const int W = size.width - 45;
    const int H = size.graphHeight - 30;
    const std::string svg = ResponseSvgElement({}, size);
    // 26 vertical lines (30 Hz .. 10 kHz) and eight horizontal ones, on pixel centres
    const auto gridX = GridLineX(W);
    for (int i = 1; i < kGridLines; ++i) {
        const std::string x = MarkupNumber(gridX[std::size_t(i)] + 0.5, 1);
        EXPECT_NE(svg.find("<line x1=\"" + x + "\" y1=\"10\" x2=\"" + x + "\" y2=\"" + std::to_string(10 + H) + "\"/>"),
                  std::string::npos)
            << GridLineFrequencies[std::size_t(i)] << " Hz";
    }
    for (int i = 1; i <= 8; ++i) {
        const std::string y = MarkupNumber(10 + int(H / 8.0 * i) + 0.5, 1);
        EXPECT_NE(svg.find("<line x1=\"35\" y1=\"" + y + "\" x2=\"" + std::to_string(35 + W) + "\" y2=\"" + y + "\"/>"),
                  std::string::npos)
            << "horizontal line " << i;
    }
    EXPECT_EQ(Count(svg, "<line "), 26 + 8) << "no legend without curves";
    EXPECT_NE(svg.find("stroke=\"rgb(127,127,131)\""), std::string::npos);
    // the axis texts at the console's places (top-left corners; the baseline 11 px lower)
    EXPECT_NE(svg.find("<text x=\"6\" y=\"16\">+10</text>"), std::string::npos);
    EXPECT_NE(svg.find("<text x=\"6\" y=\"" + std::to_string(H / 8 * 4 + 3 + 11) + "\">0dB</text>"), std::string::npos);
    EXPECT_NE(svg.find("<text x=\"" + std::to_string(XFromFreq(1000, W) - 8) + "\" y=\"" + std::to_string(10 + H + 3 + 11) +
                       "\">1K</text>"),
              std::string::npos);
    EXPECT_NE(svg.find("width=\"551\" height=\"262\""), std::string::npos);
    EXPECT_EQ(test::CheckMarkup(svg, false), "");
}

TEST(ResponsePlot, NamesAreEscapedInTitlesAndLegend)
{
    PlotCurve c;
    c.label = "CH1 <L&R> \"x\" \xE9";
    c.colour = {1, 2, 3};
    const std::string svg = ResponseSvgDocument(std::vector<PlotCurve>{c});
    EXPECT_EQ(svg.find("<L&R>"), std::string::npos);
    EXPECT_EQ(Count(svg, "CH1 &lt;L&amp;R&gt; &quot;x&quot; \xC3\xA9"), 2) << "title and legend";
    EXPECT_EQ(test::CheckMarkup(svg, false), "");
}

TEST(ResponsePlot, LevelsFarOutsideThePlotStayFiniteNumbers)
{
    PlotCurve c;
    c.db.fill(-1e300);
    c.db[5] = -INFINITY;
    c.db[6] = NAN;
    const std::string svg = ResponseSvgElement(std::vector<PlotCurve>{c});
    EXPECT_EQ(svg.find("inf"), std::string::npos);
    EXPECT_EQ(svg.find("nan"), std::string::npos);
    const auto drawn = CurvePoints(svg);
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0].size(), std::size_t(kGridPoints));
}
