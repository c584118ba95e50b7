#pragma once
// Geometry of the response graph's handles and the values a drag gives, in the graph's
// client pixels (the plot starts at x = 35, y = 10; W and H are its width and height).
// Pure functions, so the graph widget only draws rectangles they return and stores the
// values they compute.

#include "response/PixelMap.h"

#include <array>
#include <string>

namespace ovix {

// A rectangle of whole pixels; right and bottom are one past the last pixel inside.
struct PixelRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    int CentreX() const { return left + Width() / 2; }
    int CentreY() const { return top + Height() / 2; }
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

constexpr int kHandleSize = 16;
constexpr int kBandwidthHandleSize = 8;
constexpr int kGridLines = 27;  // 20..90 Hz, 100..900 Hz, 1..9 kHz, 10 kHz

// The frequencies of the vertical grid lines and their x positions.
extern const std::array<int, kGridLines> GridLineFrequencies;
std::array<int, kGridLines> GridLineX(int W);

// The handle of a band. `bypassed` is the band's effective bypass (it then sits on 0 dB);
// `index` the band number 0..30.
PixelRect BandHandleRect(int freq, double gainDb, bool bypassed, int index, int W, int H);

// The handle of a crossover filter: the high-pass row sits above the low-pass row, below
// the plot's -10 dB line.
PixelRect CrossoverHandleRect(bool highPass, int freq, int W, int H);

// The two bandwidth handles of a peaking band (8 x 8): beside the band's edges at
// freq / 2^N and freq * 2^N, below the handle for a boost, above it for a cut.
struct BandwidthHandles {
    PixelRect left;
    PixelRect right;
};
BandwidthHandles BandwidthHandleRects(const PixelRect& handle, int freq, double bandwidth,
                                      double gainDb, int W);

// Where the label text of a filter is centred.
PixelRect BandLabelRect(const PixelRect& handle, bool peaking, int W, int H);
PixelRect CrossoverLabelRect(const PixelRect& handle, bool highPass, int W);

// How a handle's number ("1".."31", "H", "L") sits in its handle.
enum class HandleTextAlign { Left, Centre, Right };
HandleTextAlign HandleLabelAlign(const PixelRect& handle, int freq, int W);

// The values of a band whose handle centre was dragged to (centreX, centreY). In
// graphic-EQ mode the frequency stays `freq`.
struct BandDragValues {
    int freq = 1000;
    int gainDb = 0;  // whole dB
};
BandDragValues BandDrag(int centreX, int centreY, int freq, bool graphicEq, int W, int H);

// Shelves are limited at 2000 Hz: a low shelf to at most, a high shelf to at least.
int LimitShelfFrequency(int kind, int freq);

// The bandwidth index (0.05..3.00 octaves) when a bandwidth handle of a band at `freq` is
// dragged to pointer x.
int BandwidthIndexFromDrag(int pointerX, int freq, bool rightHandle, int W);

// The frequency of a crossover filter whose handle centre was dragged to centreX: a
// high-pass stays at or below the low-pass and a low-pass at or above the high-pass,
// except that on channels 0 and 3 a high-pass pulled to 20 kHz goes there.
int CrossoverDragFrequency(int centreX, bool highPass, int channel, int highPassFreq,
                           int lowPassFreq, int W);

// The text shown for a filter (the one under the mouse or being edited):
// "PEQ 1000Hz 1.414Q 6.0dB", "GEQ ...", "Lo 100Hz 12dB/Oct 3.0dB", "Hi ...", "80Hz ".
struct FilterLabelInput {
    int kind = kPeaking;
    int freq = 1000;
    double gainDb = 0.0;
    bool bypassed = false;
    int bandwidthIndex = 15;
    int slope = 0;
    bool graphicEq = false;
};
std::string FilterLabelText(const FilterLabelInput& f);

} // namespace ovix
