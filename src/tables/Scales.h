#pragma once
// Codes and the engineering values the user thinks in, and the fixed tables behind them.
// Everything here is a pure function.

#include <array>
#include <string_view>

namespace ovix {

constexpr int kGridPoints = 241;
constexpr int kBandwidthIndices = 296;
constexpr int kMaxBandwidthIndex = 295;
constexpr int kMaxBandGainCode = 400;
constexpr int kBypassGainCode = 200;  // 0 dB: the code a bypassed band is sent with
constexpr int kGainWordOffset = 400;  // gain word = gain code + 400
constexpr int kMaxOutputGain = 60;
constexpr int kMaxDelay = 960;        // 20 ms at 48 kHz
constexpr int kCrossoverSlopeOff = 7;

// The 241 response frequencies (about 24 per octave, 19.7 Hz .. 20 kHz). Listed, not
// generated: entries such as 179 and 5000 break the geometric progression on purpose.
extern const std::array<double, kGridPoints> FreqGrid;

// The 31 default band frequencies of an output equaliser.
extern const std::array<int, 31> IsoBandTable;

// Quality factor of every bandwidth index (0.05 .. 3.00 octaves), to three decimals.
const std::array<double, kBandwidthIndices>& BandwidthQTable();

// Nearest grid point; a tie goes to the upper point.
int NearestGridIndex(double hz);

// Bandwidth index for a typed Q (limited to 0.404 .. 28.852).
int BandwidthIndexFromQ(double q);

double BandGainDb(int code);            // code 0..400 -> -20.0 .. +20.0 dB
int BandGainCode(double db);            // nearest code, limited to 0..400
double BandwidthOctaves(int index);     // 0.05 + 0.01 * index
int BandwidthIndexFromOctaves(double octaves);  // limited to 0..295

int OutputGainDb(int code);             // code - 60; code 0 is "off"
double DelayMs(int code);               // code / 48
int CrossoverSlopeDbPerOct(int index);  // 12 + 6 * index; 0 for index 7 (off)

double LimiterThresholdDbu(int code);   // code * 0.1 - 30
double LimiterAttackMs(int code);       // 0..6: 0.3..0.9 ms; 7..106: 1..100 ms
int LimiterReleaseFactor(int code);     // 2, 4, 6, 8, 16, 32 times the attack time
double LimiterReleaseMs(int releaseCode, int attackCode);

// "6dB/Oct" / "12dB/Oct" for shelf slopes 0 / 1; empty for anything else.
std::string_view ShelfSlopeText(int slope);

} // namespace ovix
