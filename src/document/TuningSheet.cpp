#include "document/TuningSheet.h"

#include "model/KTV_Data.h"
#include "tables/Scales.h"

#include <algorithm>

namespace ovix {

namespace {

constexpr double kSoundSpeed = 331.0 + 0.6 * 25.0;  // m/s at 25 degC
constexpr double kInchesPerMetre = 3.2808 * 12;

constexpr const char* kStyle = R"(
body { font-family: Arial, 'Liberation Sans', Helvetica, sans-serif; color: #1d2430;
       background: #f4f5f8; margin: 0; padding: 24px 32px; }
header { display: flex; flex-wrap: wrap; align-items: baseline; gap: 8px 32px;
         border-bottom: 3px solid #445662; padding-bottom: 8px; margin-bottom: 16px; }
h1 { font-size: 24px; margin: 0; }
header p { margin: 0; font-size: 16px; }
header .program-name, header .master-volume { font-weight: bold; }
h2 { font-size: 18px; margin: 20px 0 8px; }
.response svg { display: block; max-width: 100%; height: auto; border-radius: 4px; }
.channels { display: grid; grid-template-columns: repeat(auto-fill, minmax(420px, 1fr)); gap: 16px; }
.channel { background: #fff; border: 1px solid #c9ccd6; border-radius: 6px; padding: 10px 14px;
           break-inside: avoid; page-break-inside: avoid; }
.channel h3 { font-size: 16px; margin: 0 0 8px; display: flex; align-items: center; gap: 8px; }
.swatch { display: inline-block; width: 22px; height: 5px; border-radius: 2px; }
table { border-collapse: collapse; width: 100%; font-size: 13px; margin-bottom: 8px; }
th, td { text-align: left; padding: 3px 6px; border-bottom: 1px solid #e3e4ee; white-space: nowrap; }
th { background: #e3e4ee; font-weight: 600; }
.settings th { width: 34%; background: none; font-weight: normal; color: #55606e; }
.bands td.num, .bands th.num { text-align: right; font-variant-numeric: tabular-nums; }
.off { color: #a33; font-weight: bold; }
.none { color: #55606e; font-style: italic; margin: 4px 0; font-size: 13px; }
footer { margin-top: 20px; font-size: 12px; color: #55606e; }
@media print { body { background: #fff; padding: 0; } .channel { border-color: #999; } }
)";

const char* FamilyName(int family)
{
    switch (family) {
    case kLinkwitzRiley: return "Linkwitz-Riley";
    case kBessel: return "Bessel";
    case kButterworth: return "Butterworth";
    default: return "?";
    }
}

std::string Colour(const Rgb& c)
{
    return "rgb(" + std::to_string(c.r) + ',' + std::to_string(c.g) + ',' + std::to_string(c.b) + ')';
}

// A gain of the 1 dB scale (output gain, master volume): "OFF" at code 0.
std::string LevelText(int code)
{
    if (code <= 0)
        return "<span class=\"off\">OFF</span>";
    return std::to_string(OutputGainDb(code)) + " dB";
}

std::string CrossoverText(const SheetCrossover& x)
{
    if (x.slope < 0 || x.slope >= kCrossoverSlopeOff)
        return "off";
    return std::to_string(x.freq) + " Hz, " + FamilyName(x.family) + ", " +
           std::to_string(CrossoverSlopeDbPerOct(x.slope)) + " dB/oct";
}

// The quality factor as the graph's label shows it: two decimals above 10, else three.
std::string QText(int bandwidthIndex)
{
    const double q = BandwidthQTable()[std::size_t(std::clamp(bandwidthIndex, 0, kMaxBandwidthIndex))];
    return MarkupNumber(q, q > 10.0 ? 2 : 3);
}

void Row(std::string& s, std::string_view head, const std::string& cellClass, const std::string& value)
{
    s += "<tr><th>";
    s += head;
    s += "</th><td class=\"" + cellClass + "\">" + value + "</td></tr>\n";
}

void BandsTable(std::string& s, const SheetChannel& ch)
{
    if (ch.bands.empty()) {
        s += "<p class=\"none\">No active equaliser bands (all at 0 dB or bypassed).</p>\n";
        return;
    }
    s += "<table class=\"bands\">\n<thead><tr><th class=\"num\">Band</th><th>Type</th>"
         "<th class=\"num\">Frequency</th><th class=\"num\">Gain</th><th class=\"num\">Q</th>"
         "<th class=\"num\">Bandwidth</th><th>Slope</th></tr></thead>\n<tbody>\n";
    for (const SheetBand& b : ch.bands) {
        const bool peaking = b.kind == kPeaking;
        const char* type = !peaking ? (b.kind == kLowShelf ? "Low shelf" : "High shelf")
                                    : (ch.graphicEq ? "GEQ" : "PEQ");
        s += "<tr class=\"band\" data-band=\"" + std::to_string(b.number) + "\">";
        s += "<td class=\"num\">" + std::to_string(b.number) + "</td>";
        s += "<td>" + std::string(type) + "</td>";
        s += "<td class=\"num freq\">" + std::to_string(b.freq) + " Hz</td>";
        s += "<td class=\"num gain\">" + MarkupNumber(b.gainDb, 1) + " dB</td>";
        if (peaking) {
            s += "<td class=\"num q\">" + QText(b.bandwidthIndex) + "</td>";
            s += "<td class=\"num width\">" + MarkupNumber(BandwidthOctaves(b.bandwidthIndex), 2) + " oct</td>";
            s += "<td></td>";
        } else {
            s += "<td></td><td></td>";
            s += "<td class=\"slope\">" + std::string(ShelfSlopeText(b.slope)) + "</td>";
        }
        s += "</tr>\n";
    }
    s += "</tbody>\n</table>\n";
}

void ChannelSection(std::string& s, const SheetChannel& ch, int number)
{
    s += "<article class=\"channel\" id=\"ch" + std::to_string(number) + "\">\n";
    s += "<h3><span class=\"swatch\" style=\"background:" + Colour(ch.curve.colour) + "\"></span>" +
         MarkupText(ch.curve.label) + "</h3>\n";
    s += "<table class=\"settings\">\n";
    Row(s, "Output", "output", ch.on ? "on" : "<span class=\"off\">off</span>");
    Row(s, "Polarity", "polarity", ch.inverted ? "inverted (180&#176;)" : "normal");
    Row(s, "Gain", "gain", LevelText(ch.gainCode));
    Row(s, "Delay", "delay",
        "<span class=\"delay-ms\">" + MarkupNumber(DelayMs(ch.delayCode), 3) +
            " ms</span> &#183; <span class=\"delay-cm\">" + MarkupNumber(DelayCentimetres(ch.delayCode), 0) +
            " cm</span> &#183; <span class=\"delay-in\">" + MarkupNumber(DelayInches(ch.delayCode), 0) +
            " in</span>");
    Row(s, "High-pass", "high-pass", CrossoverText(ch.highPass));
    Row(s, "Low-pass", "low-pass", CrossoverText(ch.lowPass));
    Row(s, "Equaliser", "eq-mode", ch.graphicEq ? "graphic (GEQ)" : "parametric (PEQ)");
    s += "</table>\n";
    BandsTable(s, ch);
    s += "</article>\n";
}

} // namespace

double DelayCentimetres(int delayCode) { return kSoundSpeed / 1000.0 * DelayMs(delayCode) * 100.0; }

double DelayInches(int delayCode) { return kSoundSpeed / 1000.0 * DelayMs(delayCode) * kInchesPerMetre; }

TuningSheet SheetFromRecords(CKTV_Data& records, std::string_view programName)
{
    TuningSheet sheet;
    sheet.programName = std::string(programName);
    const CMusic_InData& music = records.Music();
    sheet.volumeCode = music.VolumeOff() ? 0 : music.Volume();
    const std::vector<PlotCurve> curves = ChannelCurves(records);
    for (int c = 0; c < kOutputChannels; ++c) {
        const CKTV_OutData& out = records.Out(c);
        SheetChannel ch;
        ch.curve = curves[std::size_t(c)];
        ch.on = out.SoundOn() != 0;
        ch.inverted = out.Polarity() != 0;
        ch.gainCode = out.GainOff() ? 0 : out.Gain();
        ch.delayCode = out.Delay();
        ch.graphicEq = out.GeqMode() != 0;
        const CKTVEQ& eq = out.Eq();
        ch.highPass = {eq.HighPass().Freq(), eq.HighPass().Family(), eq.HighPass().Slope()};
        ch.lowPass = {eq.LowPass().Freq(), eq.LowPass().Family(), eq.LowPass().Slope()};
        for (int b = 0; b < kOutputBands; ++b) {
            const CFilter& f = eq[b];
            if (f.EffectivelyBypassed() || f.GainCode() == kBypassGainCode)
                continue;
            ch.bands.push_back({b + 1, f.Kind(), f.Freq(), f.GainDb(), f.BandwidthIndex(), f.Slope()});
        }
        sheet.channels.push_back(std::move(ch));
    }
    return sheet;
}

std::string TuningSheetHtml(const TuningSheet& sheet, const PlotSize& plot)
{
    const std::string name = sheet.programName.empty() ? std::string("(no name)") : MarkupText(sheet.programName);
    std::vector<PlotCurve> curves;
    for (const SheetChannel& ch : sheet.channels)
        curves.push_back(ch.curve);

    std::string s;
    s.reserve(64 * 1024);
    s += "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
         "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n";
    s += "<title>Tuning sheet: " + name + "</title>\n";
    s += "<style>";
    s += kStyle;
    s += "</style>\n</head>\n<body>\n";
    s += "<header>\n<h1>Tuning sheet</h1>\n";
    s += "<p>Program: <span class=\"program-name\">" + name + "</span></p>\n";
    s += "<p>Master volume: <span class=\"master-volume\">" + LevelText(sheet.volumeCode) + "</span></p>\n";
    s += "</header>\n";
    s += "<section class=\"response\">\n<h2>Frequency response</h2>\n";
    s += ResponseSvgElement(curves, plot);
    s += "</section>\n";
    s += "<h2>Channels</h2>\n<section class=\"channels\">\n";
    for (std::size_t c = 0; c < sheet.channels.size(); ++c)
        ChannelSection(s, sheet.channels[c], int(c) + 1);
    s += "</section>\n";
    s += "<footer>The curves are the summed response of each channel's equaliser bands and crossovers "
         "(gain, polarity and delay are not drawn). Delay distances at 25 &#176;C, 346 m/s.</footer>\n";
    s += "</body>\n</html>\n";
    return s;
}

} // namespace ovix
