#pragma once
// The byte image of the processor's parameter memory. Every area has the layout the
// processor uses on the link and the preset files use on disk, so received blocks are
// copied in unchanged and commands and files are built straight from it.
//
// All areas are plain structures of byte arrays (alignment 1, no padding); words are read
// and written through GetU16/PutU16 only.

#include "tables/ByteOrder.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string_view>
#include <vector>

namespace ovix {

constexpr int kOutputChannels = 6;
constexpr int kOutputBands = 31;
constexpr int kInputBands = 9;
constexpr int kEffectBandWords = 8;
constexpr int kStoredPrograms = 20;   // stored programs 1..20
constexpr int kEffectPresets = 20;    // effect presets 21..40
constexpr int kFirstEffectPreset = 21;
constexpr int kStatusValues = 12;
constexpr int kDelaySets = 4;

// One equaliser band as the processor stores it.
struct EqBandWord {
    std::uint8_t raw[8];

    std::uint16_t Freq() const { return GetU16(raw + 0); }
    void SetFreq(std::uint16_t hz) { PutU16(raw + 0, hz); }
    // gain word = gain code + 400 (word 600 is 0 dB)
    std::uint16_t GainWord() const { return GetU16(raw + 2); }
    void SetGainWord(std::uint16_t w) { PutU16(raw + 2, w); }
    std::uint16_t BandwidthIndex() const { return GetU16(raw + 4); }
    void SetBandwidthIndex(std::uint16_t i) { PutU16(raw + 4, i); }
    std::uint8_t Slope() const { return raw[6]; }
    void SetSlope(std::uint8_t s) { raw[6] = s; }
    std::uint8_t Kind() const { return raw[7]; }
    void SetKind(std::uint8_t k) { raw[7] = k; }

    // frequency 1000, gain word 600 (0 dB), bandwidth index 0, slope 0, peaking
    void Reset();
};

// High-pass and low-pass settings of one channel.
struct CrossoverWord {
    std::uint8_t raw[8];

    std::uint16_t HighPassFreq() const { return GetU16(raw + 0); }
    void SetHighPassFreq(std::uint16_t hz) { PutU16(raw + 0, hz); }
    std::uint8_t HighPassFamily() const { return raw[2]; }
    void SetHighPassFamily(std::uint8_t f) { raw[2] = f; }
    std::uint8_t HighPassSlope() const { return raw[3]; }
    void SetHighPassSlope(std::uint8_t s) { raw[3] = s; }
    std::uint16_t LowPassFreq() const { return GetU16(raw + 4); }
    void SetLowPassFreq(std::uint16_t hz) { PutU16(raw + 4, hz); }
    std::uint8_t LowPassFamily() const { return raw[6]; }
    void SetLowPassFamily(std::uint8_t f) { raw[6] = f; }
    std::uint8_t LowPassSlope() const { return raw[7]; }
    void SetLowPassSlope(std::uint8_t s) { raw[7] = s; }
};

// One output channel. The processor exchanges it in 8-byte items: band n is item n,
// then the groups below.
struct OutputBlock {
    static constexpr int kLevelItem = 31;
    static constexpr int kCrossoverItem = 32;
    static constexpr int kMixItem = 33;
    static constexpr int kLimiterItem = 35;
    static constexpr int kNameItem = 36;
    static constexpr int kItems = 37;

    EqBandWord bands[kOutputBands];  //   0..247
    std::uint8_t soundOn;            // 248: 1 sounds, 0 muted
    std::uint8_t polarity;           // 249: 0 normal, 1 inverted
    std::uint8_t gain[2];            // 250: code 0..60, dB = code - 60
    std::uint8_t delay[2];           // 252: 1/48 ms, 0..960
    std::uint8_t geqMode;            // 254: 1 graphic, 0 parametric
    std::uint8_t auxGain;            // 255: carried with the level group
    CrossoverWord crossover;         // 256..263
    std::uint8_t mixA;               // 264
    std::uint8_t mixB;               // 265
    std::uint8_t carried[2];         // 266..267
    std::uint8_t reserved1[12];      // 268..279
    std::uint8_t limThreshold[2];    // 280: dBu = code * 0.1 - 30
    std::uint8_t limAttack;          // 282
    std::uint8_t limRelease;         // 283
    std::uint8_t reserved2[4];       // 284..287
    std::uint8_t name[8];            // 288..295

    std::uint16_t Gain() const { return GetU16(gain); }
    void SetGain(std::uint16_t code) { PutU16(gain, code); }
    std::uint16_t Delay() const { return GetU16(delay); }
    void SetDelay(std::uint16_t code) { PutU16(delay, code); }
    std::uint16_t LimThreshold() const { return GetU16(limThreshold); }
    void SetLimThreshold(std::uint16_t code) { PutU16(limThreshold, code); }

    std::uint8_t* Bytes() { return reinterpret_cast<std::uint8_t*>(this); }
    const std::uint8_t* Bytes() const { return reinterpret_cast<const std::uint8_t*>(this); }
};

// Microphone (entry 0) and music (entry 1) inputs.
struct InputBlock {
    static constexpr int kLevelItem = 9;
    static constexpr int kCrossoverItem = 10;
    static constexpr int kSettingItem = 11;
    static constexpr int kFurtherItem = 12;
    static constexpr int kItems = 14;

    EqBandWord bands[kInputBands];   //   0..71
    std::uint8_t level[8];           //  72..79: music 74 selector, 75 on, 78 volume word
    CrossoverWord crossover;         //  80..87
    std::uint8_t setting88;          //  88
    std::uint8_t reserved1[7];       //  89..95
    std::uint8_t further[4];         //  96..99
    std::uint8_t reserved2[4];       // 100..103
    std::uint8_t name[8];            // 104..111

    std::uint8_t Selector() const { return level[2]; }
    void SetSelector(std::uint8_t s) { level[2] = s; }
    std::uint8_t On() const { return level[3]; }
    void SetOn(std::uint8_t on) { level[3] = on; }
    std::uint16_t Volume() const { return GetU16(level + 6); }
    void SetVolume(std::uint16_t code) { PutU16(level + 6, code); }

    std::uint8_t* Bytes() { return reinterpret_cast<std::uint8_t*>(this); }
    const std::uint8_t* Bytes() const { return reinterpret_cast<const std::uint8_t*>(this); }
};

struct EffectBlock {
    static constexpr int kLevelByte = 139;

    EqBandWord bands[kEffectBandWords];  //   0..63
    std::uint8_t carried[56];            //  64..119
    CrossoverWord crossover;             // 120..127
    std::uint8_t params[16];             // 128..143; 139 is the effect level
    std::uint8_t name[8];                // 144..151

    std::uint8_t Level() const { return params[kLevelByte - 128]; }
    void SetLevel(std::uint8_t v) { params[kLevelByte - 128] = v; }

    std::uint8_t* Bytes() { return reinterpret_cast<std::uint8_t*>(this); }
    const std::uint8_t* Bytes() const { return reinterpret_cast<const std::uint8_t*>(this); }
};

// One complete program: the same bytes on the link, in memory and in the preset files.
struct ProgramImage {
    static constexpr int kMic = 0;
    static constexpr int kMusic = 1;

    std::uint8_t name[16];             //    0: 13 significant characters, then spaces
    std::uint8_t secondText[16];       //   16
    EffectBlock effect;                //   32
    InputBlock inputs[2];              //  184 microphone, 296 music
    OutputBlock outputs[kOutputChannels];  // 408 + 296 * channel

    InputBlock& Music() { return inputs[kMusic]; }
    const InputBlock& Music() const { return inputs[kMusic]; }
    InputBlock& Mic() { return inputs[kMic]; }
    const InputBlock& Mic() const { return inputs[kMic]; }

    std::uint8_t* Bytes() { return reinterpret_cast<std::uint8_t*>(this); }
    const std::uint8_t* Bytes() const { return reinterpret_cast<const std::uint8_t*>(this); }
};

// Four sets of six channel delays and the index of the set in use.
struct DelayMemory {
    std::uint8_t sets[kDelaySets][kOutputChannels][2];  // 0..47
    std::uint8_t current;                               // 48
    std::uint8_t further;                               // 49

    std::uint16_t Delay(int set, int channel) const { return GetU16(sets[set][channel]); }
    void SetDelay(int set, int channel, std::uint16_t code) { PutU16(sets[set][channel], code); }
    // the processor may report a larger index; anything above 3 means set 3
    int CurrentSet() const { return current > 3 ? 3 : current; }

    std::uint8_t* Bytes() { return reinterpret_cast<std::uint8_t*>(this); }
    const std::uint8_t* Bytes() const { return reinterpret_cast<const std::uint8_t*>(this); }
};

// sys 0..18 and the frequency-limit word.
struct SystemBytes {
    static constexpr int kCount = 19;
    std::uint8_t sys[kCount];
    std::uint8_t limit[2];

    std::uint16_t LimitWord() const { return GetU16(limit); }
    void SetLimitWord(std::uint16_t v) { PutU16(limit, v); }
};

struct EffectPreset {
    std::uint8_t name[16];
    EffectBlock effect;

    std::uint8_t* Bytes() { return reinterpret_cast<std::uint8_t*>(this); }
    const std::uint8_t* Bytes() const { return reinterpret_cast<const std::uint8_t*>(this); }
};

// Which output channels are edited together: two channels are linked exactly when their
// group numbers are equal.
struct LinkTable {
    std::array<int, kOutputChannels> group{0, 1, 2, 3, 4, 5};

    // The other channels linked with `channel`, in channel order.
    std::vector<int> LinkedWith(int channel) const
    {
        std::vector<int> linked;
        for (int c = 0; c < kOutputChannels; ++c)
            if (c != channel && group[std::size_t(c)] == group[std::size_t(channel)])
                linked.push_back(c);
        return linked;
    }
};

static_assert(sizeof(EqBandWord) == 8);
static_assert(sizeof(CrossoverWord) == 8);
static_assert(sizeof(OutputBlock) == 296);
static_assert(offsetof(OutputBlock, soundOn) == 248);
static_assert(offsetof(OutputBlock, geqMode) == 254);
static_assert(offsetof(OutputBlock, crossover) == 256);
static_assert(offsetof(OutputBlock, mixA) == 264);
static_assert(offsetof(OutputBlock, reserved1) == 268);
static_assert(offsetof(OutputBlock, limThreshold) == 280);
static_assert(offsetof(OutputBlock, reserved2) == 284);
static_assert(offsetof(OutputBlock, name) == 288);
static_assert(sizeof(InputBlock) == 112);
static_assert(offsetof(InputBlock, level) == 72);
static_assert(offsetof(InputBlock, crossover) == 80);
static_assert(offsetof(InputBlock, setting88) == 88);
static_assert(offsetof(InputBlock, further) == 96);
static_assert(offsetof(InputBlock, name) == 104);
static_assert(sizeof(EffectBlock) == 152);
static_assert(offsetof(EffectBlock, crossover) == 120);
static_assert(offsetof(EffectBlock, params) == 128);
static_assert(offsetof(EffectBlock, name) == 144);
static_assert(sizeof(ProgramImage) == 2184);
static_assert(offsetof(ProgramImage, effect) == 32);
static_assert(offsetof(ProgramImage, inputs) == 184);
static_assert(offsetof(ProgramImage, outputs) == 408);
static_assert(sizeof(DelayMemory) == 50);
static_assert(sizeof(SystemBytes) == 21);
static_assert(sizeof(EffectPreset) == 168);

// The whole parameter memory of one processor, as the console mirrors it.
struct DeviceImage {
    std::uint8_t deviceText[40];
    std::uint8_t ident[7];
    std::uint8_t identFlag;            // the byte after the identification field (item 20)
    SystemBytes system;
    std::uint8_t version[12];          // 11 characters and the byte after them
    std::uint8_t deviceInfo[24];
    DelayMemory delayMemory;
    ProgramImage current;
    LinkTable linkTable;
    std::array<int, kStatusValues> status{};
    EffectPreset effectPresets[kEffectPresets];   // presets 21..40
    ProgramImage programs[kStoredPrograms];       // programs 1..20

    // Stored program 1..20 (program 0 is the current program).
    ProgramImage& Program(int p) { return p == 0 ? current : programs[p - 1]; }
    const ProgramImage& Program(int p) const { return p == 0 ? current : programs[p - 1]; }
    EffectPreset& Preset(int p) { return effectPresets[p - kFirstEffectPreset]; }
    const EffectPreset& Preset(int p) const { return effectPresets[p - kFirstEffectPreset]; }
};

// The parameter model's two process-wide flags. The link worker reads them.
struct ModelFlags {
    // 1 while the records hold the program read from the connected processor; record
    // setters mark groups dirty only while it is 1.
    std::atomic<int> synced{0};
    // 1 when the DelayMemory has to be sent to the processor.
    std::atomic<int> delayMemory{0};
};

// The image and its flags, once per process in the console; tests and the simulated
// processor make their own.
struct ParameterModel {
    DeviceImage image{};
    ModelFlags flags;
    // Guards the record values and the current program's bytes between the window thread
    // (edits, loads, batches) and the link worker (which picks a changed group, writes it
    // into the image and builds its frame under this lock): an edit lands either before the
    // group is encoded or after its mark was cleared, so it is never lost or torn.
    mutable std::recursive_mutex lock;
};

using ModelLock = std::lock_guard<std::recursive_mutex>;

// Puts the start-up defaults into the whole image.
void ResetImage(DeviceImage& img);

// Forces the effect level and both input volumes of the current program into the ranges
// the processor's system bytes give.
void ClampLevels(DeviceImage& img);

// True when another output channel shares this channel's link group.
bool ChannelLinked(const DeviceImage& img, int channel);

// The current program remembers which stored program it was stored into: "40VS" and the
// program number at the start of output channel 0's name.
void WriteProgramMarker(ProgramImage& prog, int program);
int ReadProgramMarker(const ProgramImage& prog);

// Text that arrives from the processor: bytes below 0x20 become spaces. Names (program and
// effect-preset names, up to 15 bytes) also lose bytes above 0x7F, and their bytes 13 and
// 14 are always spaces.
void SanitizeDeviceText(std::uint8_t* text, std::size_t len);
void SanitizeDeviceName(std::uint8_t* name, std::size_t len);

} // namespace ovix
