#pragma once
// The input records: the music input (whose volume, on/off state and selector the console
// edits), the microphone input and the effect section (which it only carries between the
// processor, memory and files).

#include "model/KTVEQ.h"

#include <atomic>
#include <string>

namespace ovix {

// Shared shape of the two inputs: nine bands (a 6 dB/oct low shelf, seven peaking bands,
// a 6 dB/oct high shelf), then high-pass and low-pass with only 12 and 24 dB/oct.
class CInputData {
public:
    static constexpr int kCrossoverIndex = 10;

    CInputData(int entry, ParameterModel* model);
    CInputData(const CInputData&) = delete;
    CInputData& operator=(const CInputData&) = delete;
    virtual ~CInputData() = default;

    CKTVEQ& Eq() { return m_eq; }
    const std::string& Name() const { return m_name; }
    int Volume() const { return m_volume; }
    int VolumeOff() const { return m_volumeOff; }
    int On() const { return m_on; }
    int Selector() const { return m_selector; }

    // The record from its InputBlock, and back. Bytes the console does not interpret are
    // kept as they came, so the block passes bit-exact.
    void LoadFrom(const InputBlock& in);
    void StoreInto(InputBlock& out) const;
    // Level group (bytes 73..79): selector, on-flag and the volume (0 while it is off).
    void EncodeLevel(InputBlock& out) const;
    void EncodeSetting88(InputBlock& out) const
    {
        if (m_loaded)
            out.setting88 = m_raw.setting88;
    }

protected:
    int Synced() const { return m_model->flags.synced.load(); }

    ParameterModel* m_model;
    int m_entry;
    std::string m_name;
    CKTVEQ m_eq;
    int m_on = 0;
    int m_volume = 60;
    int m_volumeOff = 0;
    int m_selector = 0;
    InputBlock m_raw{};  // the block as last loaded: the carried bytes
    bool m_loaded = false;
};

class CMusic_InData final : public CInputData {
public:
    explicit CMusic_InData(ParameterModel* model) : CInputData(ProgramImage::kMusic, model) {}

    void SetVolume(int code);
    void SetVolumeOff(int off);
    void SetOn(int on);
    void SetSelector(int selector);
    void MarkAll(int flag);

    std::atomic<int> m_levelDirty{0};
    std::atomic<int> m_setting88Dirty{0};
};

class CMIC_InData final : public CInputData {
public:
    explicit CMIC_InData(ParameterModel* model) : CInputData(ProgramImage::kMic, model) {}
};

// The effect section: a three-band equaliser and crossover filters, converted only.
class CEffect_Data {
public:
    explicit CEffect_Data(ParameterModel* model);
    CEffect_Data(const CEffect_Data&) = delete;
    CEffect_Data& operator=(const CEffect_Data&) = delete;

    CKTVEQ& Eq() { return m_eq; }
    bool Loaded() const { return m_loaded; }
    void LoadFrom(const EffectBlock& in);
    // Only an effect section that was loaded is written back; the block then passes
    // bit-exact.
    void StoreInto(EffectBlock& out) const;

private:
    CKTVEQ m_eq;
    EffectBlock m_raw{};
    bool m_loaded = false;
};

} // namespace ovix
