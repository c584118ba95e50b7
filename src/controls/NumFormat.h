#pragma once
// How a numeric field shows an integer code in engineering units, and how it reads a
// typed text back into a code. Pure functions of the field's format.

#include <QString>

namespace ovix {

// The value kinds the console's fields use.
enum NumKind : int {
    kKindDelayMs = 0,     // delay time in ms, "%0.3f"
    kKindDelayCm = 1,     // delay as a distance in centimetres
    kKindDelayInch = 2,   // delay as a distance in inches
    kKindFrequency = 8,   // whole Hz, "%dHz"
    kKindLinear = 10,     // code * scale - offset, one decimal
    kKindQ = 11,          // a bandwidth index shown as its quality factor
    kKindGainDb = 25,     // code * scale - offset in dB, "OFF" at the minimum
};

struct NumFormat {
    int kind = kKindDelayMs;
    int min = 0;
    int max = 0;
    double scale = 0.0;   // linear kinds: shown value = code * scale - offset
    double offset = 0.0;
    int temperatureCode = 75;  // air temperature + 50 degC for the distance kinds (25 degC)
    QString suffix;            // unit text after a delay; the console leaves it empty
};

// Delay codes are 1/48 ms; the top of the range is exactly 20 ms.
constexpr double kDelayMaxMs = 20.0;
constexpr double kDelayCodesPerMs = 48.0;

// The text a field of this format shows for the code, in the given language.
QString FormatCode(const NumFormat& f, int code);

// The code for a typed text: converted by the kind's rule and limited to [min, max].
// Delays and Q read to the nearest code, so a text a field shows, typed back in, gives a
// code that shows the same text. Text that is not a number reads as 0 and is then
// limited like any value.
int ParseText(const NumFormat& f, const QString& text);

// The number a text starts with (after blanks), 0 when it starts with none.
double LeadingNumber(const QString& text);

} // namespace ovix
