#pragma once
// The record tree: the editing model of the console. It owns the effect section, the two
// inputs and the six output channels, rebuilds them from the image when the processor or a
// file delivers a program, writes them back, and hands the link worker one changed group
// at a time.

#include "model/KTV_OutData.h"
#include "model/Effect_Data.h"
#include "model/MIC_InData.h"
#include "model/Music_InData.h"
#include "model/RecordPort.h"

#include <memory>
#include <vector>

namespace ovix {

class CKTV_Data final : public IRecordPort {
public:
    explicit CKTV_Data(ParameterModel& model);
    CKTV_Data(const CKTV_Data&) = delete;
    CKTV_Data& operator=(const CKTV_Data&) = delete;

    ParameterModel& Model() { return m_model; }
    CKTV_OutData& Out(int channel) { return *m_outputs[std::size_t(channel)]; }
    const CKTV_OutData& Out(int channel) const { return *m_outputs[std::size_t(channel)]; }
    CMusic_InData& Music() { return m_music; }
    CMIC_InData& Mic() { return m_mic; }
    CEffect_Data& Effect() { return m_effect; }

    // The other output channels in this channel's link group.
    std::vector<CKTV_OutData*> LinkedWith(int channel);

    // Lays out every channel's curves for a plot of this size.
    void Layout(int width, int height);

    // IRecordPort
    bool StoreRecordsIntoProgram() override;
    void StoreOutputIntoProgram(int channel) override;
    int SoundOn(int channel) const override { return Out(channel).SoundOn(); }
    void SetSoundOn(int channel, int on) override { Out(channel).SetSoundOnQuiet(on); }
    void ClearLevelDirty(int channel) override { Out(channel).m_levelDirty = 0; }
    std::optional<PendingGroup> NextDirtyGroup() override;
    void MarkAll(int flag) override;
    void LoadProgramIntoRecords(int program) override;

private:
    ParameterModel& m_model;
    CEffect_Data m_effect;
    CMIC_InData m_mic;
    CMusic_InData m_music;
    std::vector<std::unique_ptr<CKTV_OutData>> m_outputs;
};

} // namespace ovix
