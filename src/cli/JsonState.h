#pragma once
// The image as JSON and as plain text, as ovixctl prints it.

#include "model/DeviceImage.h"

#include <nlohmann/json.hpp>

#include <iosfwd>

namespace ovix::cli {

nlohmann::json ProgramJson(const ProgramImage& prog);
nlohmann::json DelayMemoryJson(const DelayMemory& dm);
void PrintProgram(const ProgramImage& prog, std::ostream& out);
void PrintDelayMemory(const DelayMemory& dm, std::ostream& out);

} // namespace ovix::cli
