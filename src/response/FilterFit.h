#pragma once
// Between the processor's filters and filter text, by the shape of the response:
// - a band or crossover filter as the standard sections (96 kHz) whose response is the
//   processor's own, for export;
// - a peaking or shelf line of a text as the device codes (frequency, bandwidth index,
//   gain code, shelf slope) whose response is nearest to the line's, for import.

#include "response/FilterResponse.h"
#include "response/FilterText.h"

#include <optional>
#include <vector>

namespace ovix {

// The text lines of one filter of the processor: a band gives one PK/LSC/HSC line (OFF when
// bypassed, with the values it holds); a crossover filter gives its cascade of HPQ/LPQ and
// HP1/LP1 lines, none when it is off.
std::vector<TextFilter> FilterAsText(const FilterShape& f);

// The standard line a processor section stands for: HPQ/LPQ for a second-order high- or
// low-pass section, HP1/LP1 for a first-order one (also a low-pass whose denominator shares
// the numerator's zero at Nyquist); nothing for a unity or any other section.
std::optional<TextFilter> CrossoverSectionAsText(const Biquad& s);

// The device codes nearest in response to a PK or shelf line (its ON/OFF ignored).
struct BandFit {
    int kind = kPeaking;       // kPeaking, kLowShelf or kHighShelf
    int freq = 1000;           // Hz, 20..20000
    int bandwidthIndex = 15;   // peaking only
    int gainCode = 200;        // 0..400 (0.1 dB steps, 200 = 0 dB)
    int slope = 0;             // shelves: 0 = 6 dB/oct, 1 = 12 dB/oct
    // Which of the line's values the device could not hold.
    bool freqClamped = false;
    bool gainClamped = false;
    bool bandwidthClamped = false;
    // Difference between the fitted band and the line, over the FreqGrid (dB).
    double worstDb = 0.0;
    double rmsDb = 0.0;
};
BandFit FitBand(const TextFilter& line);

// The device shape of a fit (not bypassed).
FilterShape ShapeOf(const BandFit& fit);

// The processor's bandwidth (octaves) whose peaking section equals the standard bell of
// quality factor q centred at angle omega0: its alpha is the standard alpha of 2N octaves.
double BandwidthForQ(double q, double omega0);

} // namespace ovix
