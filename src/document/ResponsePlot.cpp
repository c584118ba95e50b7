#include "document/ResponsePlot.h"

#include "model/KTV_Data.h"
#include "response/GraphGeometry.h"
#include "response/PixelMap.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace ovix {

namespace {

// The console graph's colours.
constexpr const char* kFrameGrey = "rgb(100,100,100)";  // control outline, axis labels
constexpr const char* kGridGrey = "rgb(127,127,131)";   // grid lines and the plot frame
constexpr const char* kLegendText = "rgb(200,200,200)";
constexpr const char* kFont = "Arial, 'Liberation Sans', Helvetica, sans-serif";
constexpr int kFontSize = 12;
constexpr int kAscent = 11;  // baseline below a label's top edge at kFontSize
constexpr double kCurveWidth = 2.0;
constexpr int kPlotRightMargin = 10;
constexpr int kPlotBottomMargin = 20;
// Far beyond any drawing, so a level of minus infinity still gives a finite coordinate.
constexpr double kCoordinateLimit = 1e6;

std::string Colour(const Rgb& c)
{
    return "rgb(" + std::to_string(c.r) + ',' + std::to_string(c.g) + ',' + std::to_string(c.b) + ')';
}

double Finite(double v)
{
    if (std::isnan(v))
        return 0.0;
    return std::clamp(v, -kCoordinateLimit, kCoordinateLimit);
}

// A label with its top-left corner at (x, y), as the console places its axis texts.
void Label(std::string& s, int x, int y, std::string_view text)
{
    s += "<text x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y + kAscent) + "\">";
    s += text;
    s += "</text>\n";
}

void Grid(std::string& s, int W, int H)
{
    const int left = kPlotLeft;
    const int top = kPlotTop;
    s += "<g stroke=\"";
    s += kGridGrey;
    s += "\" stroke-width=\"1\" shape-rendering=\"crispEdges\" fill=\"none\">\n";
    // a one-pixel line on pixel column x: centred in it
    const auto gridX = GridLineX(W);
    for (int i = 1; i < kGridLines; ++i) {  // the 20 Hz line is the plot's left edge
        const std::string x = MarkupNumber(gridX[std::size_t(i)] + 0.5, 1);
        s += "<line x1=\"" + x + "\" y1=\"" + std::to_string(top) + "\" x2=\"" + x + "\" y2=\"" +
             std::to_string(top + H) + "\"/>\n";
    }
    for (int i = 1; i <= 8; ++i) {
        const std::string y = MarkupNumber(top + int(H / 8.0 * i) + 0.5, 1);
        s += "<line x1=\"" + std::to_string(left) + "\" y1=\"" + y + "\" x2=\"" +
             std::to_string(left + W) + "\" y2=\"" + y + "\"/>\n";
    }
    s += "<rect x=\"" + MarkupNumber(left + 0.5, 1) + "\" y=\"" + MarkupNumber(top + 0.5, 1) +
         "\" width=\"" + std::to_string(std::max(W - 1, 0)) + "\" height=\"" +
         std::to_string(std::max(H - 1, 0)) + "\"/>\n";
    s += "</g>\n";
}

void AxisLabels(std::string& s, int W, int H)
{
    s += "<g fill=\"";
    s += kFrameGrey;
    s += "\">\n";
    const int eighth = H / 8;
    Label(s, 6, 5, "+10");
    Label(s, 6, eighth * 2 + 3, "+5");
    Label(s, 6, eighth * 4 + 3, "0dB");
    Label(s, 6, eighth * 6 + 3, "-5");
    Label(s, 6, H, "-10");
    const int textTop = kPlotTop + H + 3;
    Label(s, 30, textTop, "20");
    struct AxisLabel {
        int hz;
        int back;  // pixels left of the frequency's x
        const char* text;
    };
    static constexpr AxisLabel axis[] = {
        {50, 8, "50"},   {100, 10, "100"}, {200, 10, "200"}, {500, 10, "500"},   {1000, 8, "1K"},
        {2000, 8, "2K"}, {5000, 8, "5K"},  {10000, 10, "10K"}, {20000, 15, "20K"},
    };
    for (const AxisLabel& a : axis)
        Label(s, XFromFreq(a.hz, W) - a.back, textTop, a.text);
    s += "</g>\n";
}

void Curves(std::string& s, std::span<const PlotCurve> curves, int W, int H)
{
    s += "<g clip-path=\"url(#ovix-plot)\" fill=\"none\" stroke-width=\"" + MarkupNumber(kCurveWidth, 1) +
         "\" stroke-linejoin=\"round\" stroke-linecap=\"round\">\n";
    ChannelCurve points{};
    ChannelCurveF pointsF{};
    int n = 0;
    for (const PlotCurve& c : curves) {
        ChannelCurvePoints(c.db, W, H, points, pointsF);
        s += "<polyline class=\"curve\" data-curve=\"" + std::to_string(++n) + "\" stroke=\"" +
             Colour(c.colour) + "\" points=\"";
        for (std::size_t i = 0; i < pointsF.size(); ++i) {
            if (i != 0)
                s += ' ';
            s += MarkupNumber(Finite(pointsF[i].x), 2);
            s += ',';
            s += MarkupNumber(Finite(pointsF[i].y), 2);
        }
        s += "\"><title>" + MarkupText(c.label) + "</title></polyline>\n";
    }
    s += "</g>\n";
}

void Legend(std::string& s, std::span<const PlotCurve> curves, const PlotSize& size)
{
    if (curves.empty())
        return;
    const double slot = (size.width - kPlotLeft - kPlotRightMargin) / double(curves.size());
    const int middle = size.graphHeight + kLegendHeight / 2 - 2;
    s += "<g class=\"legend\">\n";
    for (std::size_t k = 0; k < curves.size(); ++k) {
        const double x = kPlotLeft + slot * double(k);
        s += "<line x1=\"" + MarkupNumber(x, 1) + "\" y1=\"" + std::to_string(middle) + "\" x2=\"" +
             MarkupNumber(x + 22, 1) + "\" y2=\"" + std::to_string(middle) + "\" stroke=\"" +
             Colour(curves[k].colour) + "\" stroke-width=\"" + MarkupNumber(kCurveWidth * 2, 1) + "\"/>\n";
        s += "<text x=\"" + MarkupNumber(x + 28, 1) + "\" y=\"" + std::to_string(middle + 4) + "\" fill=\"";
        s += kLegendText;
        s += "\">" + MarkupText(curves[k].label) + "</text>\n";
    }
    s += "</g>\n";
}

} // namespace

std::string MarkupText(std::string_view bytes)
{
    std::string s;
    s.reserve(bytes.size() + 16);
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        switch (ch) {
        case '&': s += "&amp;"; continue;
        case '<': s += "&lt;"; continue;
        case '>': s += "&gt;"; continue;
        case '"': s += "&quot;"; continue;
        case '\'': s += "&#39;"; continue;
        default: break;
        }
        if (b < 0x20 || b == 0x7F) {
            s += ' ';
        } else if (b < 0x80) {
            s += ch;
        } else {
            s += static_cast<char>(0xC0 | (b >> 6));
            s += static_cast<char>(0x80 | (b & 0x3F));
        }
    }
    return s;
}

std::string MarkupNumber(double value, int decimals)
{
    char buf[64];
    const double scale = std::pow(10.0, decimals);
    if (std::abs(value) * scale < 0.5)
        value = 0.0;  // no "-0.00"
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    return ec == std::errc() ? std::string(buf, end) : std::string("0");
}

std::string ChannelLabel(const CKTV_OutData& out)
{
    std::string label = "CH" + std::to_string(out.Channel() + 1);
    if (!out.Name().empty())
        label += ' ' + out.Name();
    return label;
}

std::vector<PlotCurve> ChannelCurves(const CKTV_Data& records)
{
    std::vector<PlotCurve> curves;
    for (int c = 0; c < kOutputChannels; ++c) {
        const CKTV_OutData& out = records.Out(c);
        curves.push_back({out.Eq().Sum(), out.CurveColour(), ChannelLabel(out)});
    }
    return curves;
}

std::string ResponseSvgElement(std::span<const PlotCurve> curves, const PlotSize& size)
{
    const int width = std::max(size.width, kPlotLeft + kPlotRightMargin);
    const int graphHeight = std::max(size.graphHeight, kPlotTop + kPlotBottomMargin);
    const PlotSize shown{width, graphHeight};
    const int W = width - kPlotLeft - kPlotRightMargin;
    const int H = graphHeight - kPlotTop - kPlotBottomMargin;
    const int height = graphHeight + (curves.empty() ? 0 : kLegendHeight);
    const std::string w = std::to_string(width);
    const std::string h = std::to_string(height);

    std::string s;
    s.reserve(4096 + curves.size() * 4096);
    s += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + w + "\" height=\"" + h +
         "\" viewBox=\"0 0 " + w + ' ' + h + "\" font-family=\"" + kFont + "\" font-size=\"" +
         std::to_string(kFontSize) + "\">\n";
    s += "<title>Frequency response, 20 Hz to 20 kHz, -10 dB to +10 dB</title>\n";
    s += "<defs><clipPath id=\"ovix-plot\"><rect x=\"" + std::to_string(kPlotLeft) + "\" y=\"" +
         std::to_string(kPlotTop) + "\" width=\"" + std::to_string(W) + "\" height=\"" +
         std::to_string(H) + "\"/></clipPath></defs>\n";
    // the control: a black rounded rectangle with a grey outline
    s += "<rect x=\"0.5\" y=\"0.5\" width=\"" + std::to_string(width - 1) + "\" height=\"" +
         std::to_string(height - 1) + "\" rx=\"4\" ry=\"4\" fill=\"black\" stroke=\"";
    s += kFrameGrey;
    s += "\"/>\n";
    AxisLabels(s, W, H);
    Grid(s, W, H);
    Curves(s, curves, W, H);
    Legend(s, curves, shown);
    s += "</svg>\n";
    return s;
}

std::string ResponseSvgDocument(std::span<const PlotCurve> curves, const PlotSize& size)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + ResponseSvgElement(curves, size);
}

} // namespace ovix
