#pragma once

#include "model/KTVEQ.h"

namespace ovix {

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
