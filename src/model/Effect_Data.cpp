#include "model/Effect_Data.h"

namespace ovix {

namespace {
constexpr int kEffectBandFreqs[3] = {100, 1000, 10000};
constexpr int kEffectCrossoverIndex = 8;
} // namespace

CEffect_Data::CEffect_Data(ParameterModel* model)
{
    for (int i = 0; i < 3; ++i)
        m_eq.Add().Init(kPeaking, kEffectBandFreqs[i], i, true);
    m_eq.Add().Init(kHighPass, 20, kEffectCrossoverIndex, false);
    m_eq.Add().Init(kLowPass, 20000, kEffectCrossoverIndex, false);
    m_eq.Attach(model);
}

void CEffect_Data::LoadFrom(const EffectBlock& in)
{
    m_raw = in;
    m_loaded = true;
    for (int b = 0; b < 3; ++b)
        m_eq[b].DecodeBand(in.bands[b]);
    m_eq.DecodeCrossover(in.crossover);
}

void CEffect_Data::StoreInto(EffectBlock& out) const
{
    if (m_loaded)
        out = m_raw;  // the console never edits the effect section
}

} // namespace ovix
