#pragma once
// The image as JSON and as plain text, as ovixctl prints it.

#include "model/DeviceImage.h"

#include <nlohmann/json.hpp>

#include <iosfwd>
#include <string>
#include <string_view>

namespace ovix::cli {

// Name and device text bytes as JSON text: every byte stands for the character of the same
// number (ISO 8859-1, as the console shows names), written in UTF-8. ASCII stays as it is,
// any other byte becomes U+0080..U+00FF, so the JSON is always valid and the bytes can be
// recovered exactly.
std::string JsonText(std::string_view bytes);

nlohmann::json ProgramJson(const ProgramImage& prog);
nlohmann::json DelayMemoryJson(const DelayMemory& dm);
void PrintProgram(const ProgramImage& prog, std::ostream& out);
void PrintDelayMemory(const DelayMemory& dm, std::ostream& out);

} // namespace ovix::cli
