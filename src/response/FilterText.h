#pragma once
// Filter text: the lines measurement programs write for a set of second-order filters and
// equaliser programs read ("Preamp: -6.8 dB", "Filter 1: ON PK Fc 21 Hz Gain 6.7 dB Q 1.100").
// A reader that takes the whole text or nothing, a writer, and the standard section each
// line stands for at a given sample rate. No records here: fitting and applying live above.
//
// What the reader accepts: any spacing, CRLF/CR/LF line ends, a UTF-8 byte-order mark,
// "#" comment lines, a header of free lines before the first "Filter"/"Preamp" line (the
// lines REW writes), "Filter:" with or without a number, ON/OFF, and the types
//   PK                 peaking: Fc, Gain, Q (or "BW Oct N")
//   LSC / HSC          shelf whose Fc is the section's own corner: Fc, Gain, Q (default
//                      0.7071) or a slope "LSC 12 dB"
//   LS / HS            shelf whose Fc is the centre of the transition: the corner is moved
//                      by 10^(|gain| / (80 S)); slope S 0.9 unless "LS 6dB" / "LS 12 dB"
//   HP / LP            second order, Q 0.7071;  HPQ / LPQ with Q;  HP1 / LP1 first order
//   None               an empty slot, skipped
// Everything else after the header is reported with its line number; numbers with a
// decimal comma are refused with their own message.

#include "response/FilterResponse.h"
#include "tables/Messages.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ovix {

enum class TextFilterType {
    kPeaking,
    kLowShelf,         // LS: centre frequency
    kHighShelf,        // HS
    kLowShelfCorner,   // LSC: corner frequency
    kHighShelfCorner,  // HSC
    kHighPass,         // HP / HPQ
    kLowPass,          // LP / LPQ
    kHighPass1,        // HP1
    kLowPass1,         // LP1
};

struct TextFilter {
    int line = 0;       // 1-based line of the text it was read from (0 when built)
    bool on = true;
    TextFilterType type = TextFilterType::kPeaking;
    double fc = 1000.0; // Hz
    double gainDb = 0.0;
    double q = 0.0;     // 0: not given (the type's default applies)
    double slopeDb = 0.0;  // shelves: a slope in dB/oct given instead of Q; 0: none
    bool qGiven() const { return q > 0.0; }
};

// "# Crossover: high-pass Butterworth 24 dB/oct 80 Hz" (or "... off 80 Hz"): what a
// crossover filter's section cascade below it came from, so that import restores it.
struct CrossoverNote {
    int line = 0;
    bool highPass = true;
    int family = kButterworth;
    int slope = 2;        // slope index 0..6, kCrossoverSlopeOff for off
    int freq = 1000;      // Hz
    std::size_t beforeFilter = 0;  // index into FilterText::filters it stands before
};

struct FilterText {
    std::vector<std::string> comments;  // written first, each after "# "
    std::optional<double> preampDb;
    int preampLine = 0;
    std::vector<TextFilter> filters;
    std::vector<CrossoverNote> notes;
};

struct FilterTextError {
    int line = 0;        // 0: the whole text
    UiMessage message;
};

struct FilterTextRead {
    FilterText text;
    std::vector<FilterTextError> errors;  // empty: the text is usable
    bool ok() const { return errors.empty(); }
};

FilterTextRead ReadFilterText(std::string_view text);
std::string WriteFilterText(const FilterText& text);

// The crossover note's family name as written ("Linkwitz-Riley", "Bessel", "Butterworth").
std::string_view CrossoverFamilyName(int family);

// The standard second-order section (a first-order one for HP1/LP1) the line stands for
// at the given sample rate; an OFF line is the unity section.
Biquad TextFilterSection(const TextFilter& f, double sampleRate = 96000.0);

// The section's level in dB at every FreqGrid point, evaluated as the console evaluates.
void SectionResponse(const Biquad& s, Response& out);

} // namespace ovix
