#pragma once
// The channels' response curves as an SVG drawing: the console graph's frame, axis labels,
// dB / log-frequency grid and curve colours, with the same pixel mapping, at any size,
// plus a legend strip naming each curve. Also the text escaping every SVG and HTML writer
// here uses. Pure functions; no files.

#include "model/KTV_OutData.h"
#include "response/FilterResponse.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ovix {

class CKTV_Data;

// One curve: the level at every grid frequency, its colour and its legend text (bytes as
// the image stores names).
struct PlotCurve {
    Response db{};
    Rgb colour{0, 0, 0};
    std::string label;
};

// The drawing's size in pixels. The graph itself takes the whole width and graphHeight
// (its plot is that less 45 x 30, as on the console); the legend strip lies below it.
struct PlotSize {
    int width = 945;
    int graphHeight = 350;
};

constexpr int kLegendHeight = 26;

// Text for SVG and HTML, from single-byte name bytes: & < > " ' as entities, every byte
// 0x80..0xFF as the character of the same number (ISO 8859-1) in UTF-8, as ovixctl's JSON
// shows names, and control bytes (which XML cannot carry) as spaces. Plain ASCII text
// comes back unchanged apart from the five entities.
std::string MarkupText(std::string_view bytes);

// A number in SVG or HTML: fixed with `decimals` places and a point, whatever the
// process's locale; -0.00 is written 0.00.
std::string MarkupNumber(double value, int decimals);

// "CH1 FL" .. "CH6 Center": the channel number and the record's name.
std::string ChannelLabel(const CKTV_OutData& out);

// The summed response, colour and label of each of the six output channels.
std::vector<PlotCurve> ChannelCurves(const CKTV_Data& records);

// An <svg> element (no XML declaration) that can stand inside an HTML page: one
// <polyline class="curve"> per curve, in the order given, drawn over the grid and clipped
// to the plot, then a legend entry per curve.
std::string ResponseSvgElement(std::span<const PlotCurve> curves, const PlotSize& size = {});

// A standalone SVG file: the XML declaration, then the element.
std::string ResponseSvgDocument(std::span<const PlotCurve> curves, const PlotSize& size = {});

} // namespace ovix
