#pragma once
// The music input record: the master volume, its on/off state and the 1-Way/2-Way
// selector are edited by the console; the rest passes as it came.

#include "model/InputData.h"

#include <atomic>

namespace ovix {

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

} // namespace ovix
