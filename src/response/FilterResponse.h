#pragma once
// Magnitude responses of the processor's filters: the second-order sections each band and
// crossover filter runs at 96 kHz, evaluated on the unit circle at the 241 grid
// frequencies. Pure functions; no state beyond a table of evaluation angles built once.

#include "tables/Scales.h"

#include <array>
#include <span>

namespace ovix {

// Level in dB at each FreqGrid point.
using Response = std::array<double, kGridPoints>;

enum FilterKind : int {
    kPeaking = 0,
    kLowShelf = 1,
    kHighShelf = 2,
    kHighPass = 3,
    kLowPass = 4,
};

enum CrossoverFamily : int {
    kLinkwitzRiley = 0,
    kBessel = 1,
    kButterworth = 2,
};

// The parameters a response depends on, as the records hold them.
struct FilterShape {
    int kind = kPeaking;
    int freq = 1000;        // target frequency, Hz (20..20000; values outside are limited to it)
    double gainDb = 0.0;    // bands only
    double bandwidth = 0.2; // octaves, peaking bands only (at least 0.05)
    int slope = 2;          // crossover 0..6, 7 off; shelf 0 = 6 dB/oct, 1 = 12 dB/oct
    int family = kButterworth;
    bool bypassed = false;  // effective bypass (group bypass, else bypass); bands only
    bool twoSlopeCrossover = false;  // the input crossovers: slope 1 means 24 dB/oct
};

// One second-order section, H(z) = (b0 + b1 z^-1 + b2 z^-2) / (a0 + a1 z^-1 + a2 z^-2).
// The default is the unity section.
struct Biquad {
    double b0 = 1.0, b1 = 0.0, b2 = 0.0;
    double a0 = 1.0, a1 = 0.0, a2 = 0.0;
    friend bool operator==(const Biquad&, const Biquad&) = default;
};

constexpr int kMaxSections = 4;
using Sections = std::array<Biquad, kMaxSections>;

// Level of one section at angle omega (radians per sample), in dB. The coefficients are
// normalised by a0 first.
double SectionLevelDb(const Biquad& s, double omega);

// The sections of a filter. A band uses section 0 only; a bypassed band and a crossover
// filter that is off are all unity sections.
Sections FilterSections(const FilterShape& f);

// A shelving band's corner angle (radians per sample, as its section uses it) and shelf
// slope S, from its kind, slope (0: 6 dB/oct, 1: 12 dB/oct) and frequency.
struct ShelfCorner {
    double omega;
    double slopeS;
};
ShelfCorner ShelfCornerOf(const FilterShape& f);

// The standard second-order shelf (low or high) at angular frequency w0 with its gain in dB
// and the bandwidth term alpha.
Biquad CookbookShelf(bool low, double w0, double gainDb, double alpha);

// The filter's response: the sum of the levels of its sections at every grid point.
void ComputeResponse(const FilterShape& f, Response& out);

// sum[i] += part[i]
void AddResponse(Response& sum, const Response& part);

// out = the point-by-point sum of all parts (0 dB everywhere when there are none).
void SumResponses(std::span<const Response* const> parts, Response& out);

} // namespace ovix
