#include "model/KTV_Data.h"


namespace ovix {

CKTV_Data::CKTV_Data(ParameterModel& model)
    : m_model(model), m_effect(&model), m_mic(&model), m_music(&model)
{
    for (int c = 0; c < kOutputChannels; ++c)
        m_outputs.push_back(std::make_unique<CKTV_OutData>(c, &model, this));
}

std::vector<CKTV_OutData*> CKTV_Data::LinkedWith(int channel)
{
    std::vector<CKTV_OutData*> linked;
    for (int c : m_model.image.linkTable.LinkedWith(channel))
        linked.push_back(m_outputs[std::size_t(c)].get());
    return linked;
}

void CKTV_Data::Layout(int width, int height)
{
    for (auto& out : m_outputs)
        out->Layout(width, height);
}

bool CKTV_Data::StoreRecordsIntoProgram()
{
    ModelLock lock(m_model.lock);
    ProgramImage& prog = m_model.image.current;
    m_effect.StoreInto(prog.effect);
    m_mic.StoreInto(prog.Mic());
    m_music.StoreInto(prog.Music());
    bool namesFit = true;
    for (auto& out : m_outputs)
        namesFit = out->StoreInto(prog.outputs[out->Channel()]) && namesFit;
    return namesFit;
}

void CKTV_Data::StoreOutputIntoProgram(int channel)
{
    ModelLock lock(m_model.lock);
    Out(channel).StoreInto(m_model.image.current.outputs[channel]);
}

void CKTV_Data::MarkAll(int flag)
{
    ModelLock lock(m_model.lock);
    for (int i = 0; i < m_effect.Eq().Count(); ++i)
        m_effect.Eq()[i].Step(flag);
    for (int i = 0; i < m_mic.Eq().Count(); ++i)
        m_mic.Eq()[i].Step(flag);
    m_music.MarkAll(flag);
    for (auto& out : m_outputs)
        out->MarkAll(flag);
}

void CKTV_Data::LoadProgramIntoRecords(int program)
{
    ModelLock lock(m_model.lock);
    DeviceImage& img = m_model.image;
    ClampLevels(img);
    if (program == 0 || program == 10)
        m_effect.LoadFrom(img.current.effect);
    m_mic.LoadFrom(img.current.Mic());
    m_music.LoadFrom(img.current.Music());
    for (auto& out : m_outputs)
        out->LoadFrom(img.current.outputs[out->Channel()]);
}

std::optional<PendingGroup> CKTV_Data::NextDirtyGroup()
{
    ModelLock lock(m_model.lock);
    ProgramImage& prog = m_model.image.current;
    if (m_music.m_levelDirty.exchange(0)) {
        m_music.EncodeLevel(prog.Music());
        return PendingGroup{PendingGroup::MusicInput, 0, InputBlock::kLevelItem};
    }
    if (m_music.m_setting88Dirty.exchange(0)) {
        m_music.EncodeSetting88(prog.Music());
        return PendingGroup{PendingGroup::MusicInput, 0, InputBlock::kSettingItem};
    }
    for (auto& outPtr : m_outputs) {
        CKTV_OutData& out = *outPtr;
        const int c = out.Channel();
        OutputBlock& block = prog.outputs[c];
        if (out.m_nameDirty.exchange(0)) {
            out.EncodeName(block);  // a name too long keeps the old bytes
            return PendingGroup{PendingGroup::Output, c, OutputBlock::kNameItem};
        }
        if (out.m_levelDirty.exchange(0)) {
            out.EncodeLevel(block);
            return PendingGroup{PendingGroup::Output, c, OutputBlock::kLevelItem};
        }
        CFilter& hp = out.HighPass();
        CFilter& lp = out.LowPass();
        if (hp.Dirty() || lp.Dirty()) {
            if (hp.Dirty())
                hp.Step(0);
            if (lp.Dirty())
                lp.Step(0);
            out.EncodeCrossover(block);
            return PendingGroup{PendingGroup::Output, c, OutputBlock::kCrossoverItem};
        }
        if (out.m_mixDirty.exchange(0)) {
            out.EncodeMix(block);
            return PendingGroup{PendingGroup::Output, c, OutputBlock::kMixItem};
        }
        if (out.m_limiterDirty.exchange(0)) {
            out.EncodeLimiter(block);
            return PendingGroup{PendingGroup::Output, c, OutputBlock::kLimiterItem};
        }
        for (int b = 0; b < kOutputBands; ++b) {
            CFilter& band = out.Band(b);
            if (!band.Dirty())
                continue;
            band.Step(0);
            out.EncodeBand(b, block);
            return PendingGroup{PendingGroup::Output, c, b};
        }
    }
    return std::nullopt;
}

} // namespace ovix
