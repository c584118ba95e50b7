#include "model/KTV_OutData.h"

#include "model/KTV_Data.h"
#include "tables/TextField.h"

#include <algorithm>

namespace ovix {

namespace {

constexpr const char* kDefaultNames[kOutputChannels] = {"FL", "FR", "SL", "SR", "ULF", "Center"};
constexpr Rgb kColours[kOutputChannels] = {
    {128, 64, 0}, {255, 0, 0}, {255, 127, 39}, {255, 180, 0}, {0, 0, 255}, {0, 255, 0},
};

} // namespace

CKTV_OutData::CKTV_OutData(int channel, ParameterModel* model, CKTV_Data* owner)
    : m_model(model), m_owner(owner), m_name(kDefaultNames[channel]), m_channel(channel),
      m_curveColour(kColours[channel])
{
    m_mixA = channel % 2 == 0 ? 1 : 50;
    m_mixB = channel % 2 == 1 ? 1 : 50;
    for (int i = 0; i < kOutputBands; ++i)
        m_eq.Add().Init(kPeaking, IsoBandTable[std::size_t(i)], i, true);
    m_eq.Add().Init(kHighPass, 20, kCrossoverIndex, false);
    m_eq.Add().Init(kLowPass, channel < 4 ? 20000 : 500, kCrossoverIndex, false);
    m_eq.Attach(model);
}

void CKTV_OutData::SetGain(int code)
{
    ModelLock lock(m_model->lock);
    m_gain = std::clamp(code, 0, kMaxOutputGain);
    m_gainOff = m_gain == 0;
    m_levelDirty = Synced();
    CopyLevelToLinked();
}

void CKTV_OutData::SetGainOff(int off)
{
    StoreAndMark(*m_model, m_levelDirty, m_gainOff, off);
}

void CKTV_OutData::SetSoundOn(int on)
{
    StoreAndMark(*m_model, m_levelDirty, m_soundOn, on);
}

void CKTV_OutData::SetPolarity(int polarity)
{
    StoreAndMark(*m_model, m_levelDirty, m_polarity, polarity);
}

void CKTV_OutData::SetDelay(int code)
{
    StoreAndMark(*m_model, m_levelDirty, m_delay, std::clamp(code, 0, kMaxDelay));
}

void CKTV_OutData::SetGeqMode(int mode)
{
    ModelLock lock(m_model->lock);
    m_geqMode = mode;
    for (int i = 0; i < kOutputBands; ++i)
        m_eq[i].SetGeqFlag(mode);
    m_levelDirty = Synced();
    CopyLevelToLinked();
}

void CKTV_OutData::SetLimThreshold(int code)
{
    ModelLock lock(m_model->lock);
    m_limThreshold = code;
    m_limiterDirty = Synced();
    CopyLimiterToLinked();
}

void CKTV_OutData::SetLimAttack(int code)
{
    ModelLock lock(m_model->lock);
    m_limAttack = code;
    m_limiterDirty = Synced();
    CopyLimiterToLinked();
}

void CKTV_OutData::SetLimRelease(int code)
{
    ModelLock lock(m_model->lock);
    m_limRelease = code;
    m_limiterDirty = Synced();
    CopyLimiterToLinked();
}

void CKTV_OutData::SetName(const std::string& name)
{
    ModelLock lock(m_model->lock);
    m_name = name;
    m_nameDirty = Synced();
}

void CKTV_OutData::CopyLevelToLinked()
{
    const int synced = Synced();
    for (CKTV_OutData* other : m_owner->LinkedWith(m_channel)) {
        other->m_polarity = m_polarity;
        other->m_gain = m_gain;
        other->m_gainOff = m_gainOff;
        other->m_geqMode = m_geqMode;
        for (int i = 0; i < kOutputBands; ++i)
            other->m_eq[i].SetGeqFlag(m_geqMode);
        other->m_auxGain = m_auxGain;
        other->m_levelDirty = synced;
    }
}

void CKTV_OutData::CopyLimiterToLinked()
{
    const int synced = Synced();
    for (CKTV_OutData* other : m_owner->LinkedWith(m_channel)) {
        other->m_limThreshold = m_limThreshold;
        other->m_limAttack = m_limAttack;
        other->m_limRelease = m_limRelease;
        other->m_limiterDirty = synced;
    }
}

void CKTV_OutData::MarkAll(int flag)
{
    ModelLock lock(m_model->lock);
    m_mixDirty = flag;
    m_levelDirty = flag;
    m_limiterDirty = flag;
    for (int i = 0; i < m_eq.Count(); ++i)
        m_eq[i].Step(flag);
}

void CKTV_OutData::SetGroupBypass(bool on)
{
    ModelLock lock(m_model->lock);
    for (int i = 0; i < m_eq.Count(); ++i)
        m_eq[i].GroupBypass(on);
    m_eq.RefreshCurve();
}

void CKTV_OutData::UpdateAllBypass()
{
    bool all = true;
    for (int i = 0; i < m_eq.Count(); ++i)
        all = all && m_eq[i].EffectivelyBypassed();
    m_allBypass = all;
}

void CKTV_OutData::CopySettingsFrom(const CKTV_OutData& other)
{
    ModelLock lock(m_model->lock);
    for (int i = 0; i < m_eq.Count(); ++i)
        m_eq[i].CopyFrom(other.m_eq[i]);
    m_gain = other.m_gain;
    m_gainOff = other.m_gainOff;
    m_geqMode = other.m_geqMode;
    m_auxGain = other.m_auxGain;
    m_limThreshold = other.m_limThreshold;
    m_limAttack = other.m_limAttack;
    m_limRelease = other.m_limRelease;
    m_eq.RefreshCurve();
}

void CKTV_OutData::SetSoundOnQuiet(int on)
{
    ModelLock lock(m_model->lock);
    m_soundOn = on;
    EncodeLevel(m_model->image.current.outputs[m_channel]);
}

void CKTV_OutData::EncodeLevel(OutputBlock& out) const
{
    out.soundOn = std::uint8_t(m_soundOn);
    out.polarity = std::uint8_t(m_polarity);
    out.SetGain(std::uint16_t(m_gainOff ? 0 : m_gain));
    out.SetDelay(std::uint16_t(m_delay));
    out.geqMode = std::uint8_t(m_geqMode);
    out.auxGain = std::uint8_t(m_auxGain);
}

void CKTV_OutData::EncodeCrossover(OutputBlock& out) const
{
    m_eq.EncodeCrossover(out.crossover);
}

void CKTV_OutData::EncodeMix(OutputBlock& out) const
{
    out.mixA = std::uint8_t(m_mixA);
    out.mixB = std::uint8_t(m_mixB);
}

void CKTV_OutData::EncodeLimiter(OutputBlock& out) const
{
    out.SetLimThreshold(std::uint16_t(m_limThreshold));
    out.limAttack = std::uint8_t(m_limAttack);
    out.limRelease = std::uint8_t(m_limRelease);
}

bool CKTV_OutData::EncodeName(OutputBlock& out) const
{
    return EncodeTextField(out.name, m_name) == TextFieldResult::Ok;
}

void CKTV_OutData::EncodeBand(int band, OutputBlock& out) const
{
    m_eq[band].EncodeBand(out.bands[band]);
}

bool CKTV_OutData::StoreInto(OutputBlock& out) const
{
    for (int b = 0; b < kOutputBands; ++b)
        EncodeBand(b, out);
    const bool nameOk = EncodeName(out);
    EncodeLevel(out);
    EncodeCrossover(out);
    EncodeLimiter(out);
    EncodeMix(out);
    return nameOk;
}

void CKTV_OutData::LoadFrom(OutputBlock& out)
{
    ModelLock lock(m_model->lock);
    CrossoverWord& x = out.crossover;
    if (x.HighPassFreq() > 20000)
        x.SetHighPassFreq(20000);
    if (x.LowPassFreq() < 20)
        x.SetLowPassFreq(20);

    for (int b = 0; b < kOutputBands; ++b)
        m_eq[b].DecodeBand(out.bands[b]);
    m_name = DecodeTextField(out.name);

    m_eq.DecodeCrossover(x);

    m_mixA = out.mixA;
    m_mixB = out.mixB;
    m_carried[0] = out.carried[0];
    m_carried[1] = out.carried[1];

    m_soundOn = out.soundOn;
    m_polarity = out.polarity;
    m_delay = out.Delay();
    m_gain = out.Gain();
    m_gainOff = m_gain == 0;
    m_geqMode = out.geqMode;
    for (int i = 0; i < kOutputBands; ++i)
        m_eq[i].SetGeqFlag(m_geqMode);
    m_auxGain = out.auxGain;

    m_limThreshold = out.LimThreshold();
    m_limAttack = out.limAttack;
    m_limRelease = out.limRelease;
    m_eq.RefreshCurve();
}

} // namespace ovix
