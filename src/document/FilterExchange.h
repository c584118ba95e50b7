#pragma once
// A channel's filters as filter text (the "Filter k: ON PK Fc ... Hz Gain ... dB Q ..." lines
// that measurement programs write and read), both ways, by the shape the processor draws:
//
// - Export writes, for every band and crossover filter of the channel, the standard
//   second-order sections (96 kHz) whose response equals the processor's, so another
//   program reproduces the console's curve.
// - Import fits each filter of a text to the device codes whose response is nearest
//   (frequency, bandwidth code, gain in 0.1 dB), and applies the result through the same
//   whole-channel path as "Reset All EQ": linked channels follow, and a connected processor
//   gets each channel of the group rewritten inside the sound-on bracket.
//
// Everything runs on the window thread (or a command-line run's own thread).

#include "document/ConsoleEdits.h"
#include "document/EqEdits.h"
#include "model/KTV_Data.h"
#include "response/FilterText.h"
#include "tables/Messages.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ovix {

// One value of the text that the device cannot hold and was limited to its range.
struct ClampedValue {
    enum What { kFrequency, kGain, kBandwidth, kPreamp, kCrossoverFrequency };
    int line = 0;         // the text line it came from (1-based)
    What what = kGain;
    double given = 0.0;   // as the text had it (Hz, dB, or Q for kBandwidth)
    double used = 0.0;    // what the channel got
};

struct FilterImportResult {
    bool ok = false;
    // Set when ok is false: why nothing was applied.
    std::optional<UiMessage> error;
    int errorLine = 0;    // the line the error is about; 0 when it is about the whole text
    // Every unusable line of the text (the first is `error`).
    std::vector<FilterTextError> errors;
    // Values limited to the device's range (the import still applied).
    std::vector<ClampedValue> clamped;
};

class CFilterExchange {
public:
    CFilterExchange(ParameterModel& model, CKTV_Data& records, CConsoleEdits& edits, CEqEdits& eqEdits);
    CFilterExchange(const CFilterExchange&) = delete;
    CFilterExchange& operator=(const CFilterExchange&) = delete;

    // The channel (0..5) of the records as filter text: a header comment, "Preamp" from the
    // channel gain, every band, then each crossover filter that is on as a comment naming
    // family, slope and frequency followed by its cascade of sections.
    std::string Export(int channel) const;

    // Reads the text whole and, when every line is usable, applies it to the channel (0..5)
    // and its linked channels; otherwise changes nothing. A channel in graphic-EQ mode is
    // refused (kMsgFilterImportGeqMode): ask the user, SwitchToParametric, then import.
    FilterImportResult Import(int channel, std::string_view text);
    // Whether Import would take the text (every line usable, at most 31 band filters),
    // without touching any channel: ok, or the errors Import would report.
    static FilterImportResult Check(std::string_view text);

    // The channel is in graphic-EQ mode (frequencies and Q locked).
    bool InGraphicEqMode(int channel) const;
    // Switches the channel (and its group) to parametric mode as the editor's mode button
    // does; every band goes back to its standard frequency.
    void SwitchToParametric(int channel);

private:
    static FilterImportResult Check(const FilterTextRead& read);

    ParameterModel& m_model;
    CKTV_Data& m_records;
    CConsoleEdits& m_edits;
    CEqEdits& m_eqEdits;
};

// What to tell the user about a clamped value (line, value given, value used).
UiMessage MessageOf(const ClampedValue& clamped);

// The English text of an import result for the command line: the error with its line, or
// one line per clamped value ("line 3: gain 24.0 dB limited to 20.0 dB").
std::string ImportReport(const FilterImportResult& result);

} // namespace ovix
