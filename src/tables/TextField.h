#pragma once
// Fixed-width single-byte text fields of the image: names of 8 bytes (7 characters at
// most) and program names of 16 bytes (15 at most).

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace ovix {

enum class TextFieldResult {
    Ok,
    TooLong,  // refused: the caller shows "char Len error!" and the field is unchanged
};

// Copies text into the field and fills the rest with zero bytes. The longest text
// accepted is one byte shorter than the field; a longer one leaves the field as it was.
TextFieldResult EncodeTextField(std::span<std::uint8_t> field, std::string_view text);

// The bytes up to the first zero byte within the field, white space trimmed on both sides.
std::string DecodeTextField(std::span<const std::uint8_t> field);

} // namespace ovix
