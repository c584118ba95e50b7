#pragma once
// One output channel's record: engineering values, change marks per group, and the
// copying of settings to the channels linked with it.

#include "model/KTVEQ.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

namespace ovix {

class CKTV_Data;

// Colour of a channel's curve.
struct Rgb {
    int r, g, b;
};

class CKTV_OutData {
public:
    static constexpr int kHighPassFilter = kOutputBands;     // filter 31
    static constexpr int kLowPassFilter = kOutputBands + 1;  // filter 32
    static constexpr int kCrossoverIndex = 32;         // command number of both crossover filters

    CKTV_OutData(int channel, ParameterModel* model, CKTV_Data* owner);
    CKTV_OutData(const CKTV_OutData&) = delete;
    CKTV_OutData& operator=(const CKTV_OutData&) = delete;

    int Channel() const { return m_channel; }
    CKTVEQ& Eq() { return m_eq; }
    const CKTVEQ& Eq() const { return m_eq; }
    CFilter& Band(int n) { return m_eq[n]; }
    CFilter& HighPass() { return m_eq.HighPass(); }
    CFilter& LowPass() { return m_eq.LowPass(); }

    // Setters: each stores the value and sets its group's mark to the synced flag.
    void SetGain(int code);            // also gain-off, and the level group to linked channels
    void SetGainOff(int off);
    void SetSoundOn(int on);
    void SetPolarity(int polarity);
    void SetDelay(int code);
    void SetGeqMode(int mode);         // every band's flag too; level group to linked channels
    void SetLimThreshold(int code);    // the limiter triple to linked channels
    void SetLimAttack(int code);
    void SetLimRelease(int code);
    void SetName(const std::string& name);
    // Sets mix, level and limiter marks to flag and steps every filter with it.
    void MarkAll(int flag);
    void SetGroupBypass(bool on);
    void UpdateAllBypass();
    // Every filter, gain and gain-off, EQ mode, auxiliary gain and limiter from another
    // channel; not polarity, sound on, delay, name or mix.
    void CopySettingsFrom(const CKTV_OutData& other);
    // Sets the on-flag without marking and writes the level group into the image.
    void SetSoundOnQuiet(int on);

    int Gain() const { return m_gain; }
    int GainOff() const { return m_gainOff; }
    int SoundOn() const { return m_soundOn; }
    int Polarity() const { return m_polarity; }
    int Delay() const { return m_delay; }
    int GeqMode() const { return m_geqMode; }
    int AuxGain() const { return m_auxGain; }
    int LimThreshold() const { return m_limThreshold; }
    int LimAttack() const { return m_limAttack; }
    int LimRelease() const { return m_limRelease; }
    int MixA() const { return m_mixA; }
    int MixB() const { return m_mixB; }
    const std::string& Name() const { return m_name; }
    int AllBypass() const { return m_allBypass; }
    Rgb CurveColour() const { return m_curveColour; }

    // Change marks (the link worker takes them).
    std::atomic<int> m_nameDirty{0};
    std::atomic<int> m_mixDirty{0};
    std::atomic<int> m_levelDirty{0};
    std::atomic<int> m_limiterDirty{0};

    // Group encoders: write one group into the channel's OutputBlock.
    void EncodeLevel(OutputBlock& out) const;
    void EncodeCrossover(OutputBlock& out) const;
    void EncodeMix(OutputBlock& out) const;
    void EncodeLimiter(OutputBlock& out) const;
    // False (and the field untouched) when the name does not fit its 7 characters.
    bool EncodeName(OutputBlock& out) const;
    void EncodeBand(int band, OutputBlock& out) const;

    // The whole record into its block; false when the name was refused.
    bool StoreInto(OutputBlock& out) const;
    // The record from its block (the block's crossover frequencies corrected first).
    void LoadFrom(OutputBlock& out);

    // The channel's curve is its equaliser's summed curve.
    void RefreshCurve() { m_eq.RefreshCurve(); }
    void Layout(int width, int height) { m_eq.Layout(width, height); }

private:
    friend class CKTV_Data;
    void CopyLevelToLinked();
    void CopyLimiterToLinked();
    int Synced() const { return m_model->flags.synced.load(); }

    ParameterModel* m_model;
    CKTV_Data* m_owner;
    std::string m_name;
    CKTVEQ m_eq;
    int m_polarity = 0;
    int m_soundOn = 0;
    int m_gain = 60;
    int m_gainOff = 0;
    int m_delay = 0;
    int m_geqMode = 0;
    int m_auxGain = 0;
    int m_limThreshold = 300;
    int m_limAttack = 106;
    int m_limRelease = 5;
    int m_mixA = 0;
    int m_mixB = 0;
    std::uint8_t m_carried[2]{};
    int m_channel;
    Rgb m_curveColour;
    int m_allBypass = 0;
};

} // namespace ovix
