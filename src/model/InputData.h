#pragma once
// Shared shape of the two input records, the music input and the microphone input.

#include "model/KTVEQ.h"

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

} // namespace ovix
