#pragma once
// The tuning sheet: one self-contained HTML page (inline style and the inline SVG of the
// response curves, nothing fetched) that an installer leaves with the customer: the
// program's name, the master volume, the six curves, and a table per channel with its
// on/off state, polarity, gain, delay as time and as distance, crossovers and every band
// that is not bypassed. Pure functions; no files.

#include "document/ResponsePlot.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace ovix {

class CKTV_Data;

struct SheetBand {
    int number = 1;        // 1..31
    int kind = kPeaking;   // peaking, low shelf, high shelf
    int freq = 1000;       // Hz
    double gainDb = 0.0;
    int bandwidthIndex = 0;  // peaking bands
    int slope = 0;           // shelves: 0 = 6 dB/oct, 1 = 12 dB/oct
};

struct SheetCrossover {
    int freq = 20;
    int family = kButterworth;
    int slope = kCrossoverSlopeOff;
};

struct SheetChannel {
    PlotCurve curve;  // the summed response, the channel's colour and "CHn name"
    bool on = true;
    bool inverted = false;
    int gainCode = kMaxOutputGain;  // 0 = off, else code - 60 dB
    int delayCode = 0;              // 1/48 ms
    bool graphicEq = false;
    SheetCrossover highPass;
    SheetCrossover lowPass;
    std::vector<SheetBand> bands;  // the bands that are not bypassed, in band order
};

struct TuningSheet {
    std::string programName;  // bytes as the image stores them
    int volumeCode = kMaxOutputGain;  // master volume: 0 = off, else code - 60 dB
    std::vector<SheetChannel> channels;
};

// Delay as a distance: the time the code stands for (exactly 20 ms at the top code) times
// the speed of sound at 25 degC, 331 + 0.6 * 25 = 346 m/s, as the console's delay fields
// show it in their "Cm" and "In" units.
double DelayCentimetres(int delayCode);
double DelayInches(int delayCode);

// The sheet of the records' six output channels and music input.
TuningSheet SheetFromRecords(CKTV_Data& records, std::string_view programName);

// The page, in English. Every text from the program (names) is escaped with MarkupText.
std::string TuningSheetHtml(const TuningSheet& sheet, const PlotSize& plot = {});

} // namespace ovix
