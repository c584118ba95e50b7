#include "model/InputData.h"

#include "tables/TextField.h"

#include <algorithm>

namespace ovix {

namespace {
constexpr int kInputBandFreqs[kInputBands] = {40, 80, 160, 317, 632, 1261, 2515, 5018, 10000};
} // namespace

CInputData::CInputData(int entry, ParameterModel* model) : m_model(model), m_entry(entry)
{
    m_name = entry == ProgramImage::kMic ? "Mic 1" : "Music";
    for (int i = 0; i < kInputBands; ++i) {
        const int kind = i == 0 ? kLowShelf : i == kInputBands - 1 ? kHighShelf : kPeaking;
        CFilter& f = m_eq.Add();
        f.Init(kind, kInputBandFreqs[i], i, true);
        f.SetSlope(0, false);
    }
    m_eq.Add().Init(kHighPass, 20, kCrossoverIndex, false, true);
    m_eq.Add().Init(kLowPass, 20000, kCrossoverIndex, false, true);
    m_eq.Attach(model);
}

void CInputData::LoadFrom(const InputBlock& in)
{
    ModelLock lock(m_model->lock);
    m_raw = in;
    m_loaded = true;
    for (int b = 0; b < kInputBands; ++b)
        m_eq[b].DecodeBand(in.bands[b]);
    m_eq.DecodeCrossover(in.crossover);
    m_selector = in.Selector();
    m_on = in.On();
    m_volume = in.Volume();
    m_volumeOff = m_volume == 0;
    m_name = DecodeTextField(in.name);
    m_eq.RefreshCurve();
}

void CInputData::EncodeLevel(InputBlock& out) const
{
    // bytes 73 and 76..77 are carried values of the processor's
    if (m_loaded) {
        out.level[1] = m_raw.level[1];
        out.level[4] = m_raw.level[4];
        out.level[5] = m_raw.level[5];
    }
    out.SetSelector(std::uint8_t(m_selector));
    out.SetOn(std::uint8_t(m_on));
    out.SetVolume(std::uint16_t(m_volumeOff ? 0 : m_volume));
}

void CInputData::StoreInto(InputBlock& out) const
{
    if (m_loaded) {
        // the console edits only the level group; everything else goes back as it came
        out = m_raw;
        EncodeLevel(out);
        return;
    }
    for (int b = 0; b < kInputBands; ++b)
        m_eq[b].EncodeBand(out.bands[b]);
    m_eq.EncodeCrossover(out.crossover);
    EncodeLevel(out);
    EncodeTextField(out.name, m_name);
}

} // namespace ovix
