#pragma once
// The microphone input record: the console only carries it between the processor, memory
// and files.

#include "model/InputData.h"

namespace ovix {

class CMIC_InData final : public CInputData {
public:
    explicit CMIC_InData(ParameterModel* model) : CInputData(ProgramImage::kMic, model) {}
};

} // namespace ovix
