#include "tables/TextField.h"

#include <algorithm>
#include <cstring>

namespace ovix {

TextFieldResult EncodeTextField(std::span<std::uint8_t> field, std::string_view text)
{
    if (field.empty() || text.size() > field.size() - 1)
        return TextFieldResult::TooLong;
    std::fill(field.begin(), field.end(), std::uint8_t{0});
    std::memcpy(field.data(), text.data(), text.size());
    return TextFieldResult::Ok;
}

std::string DecodeTextField(std::span<const std::uint8_t> field)
{
    auto end = std::find(field.begin(), field.end(), std::uint8_t{0});
    std::string s(field.begin(), end);
    auto isSpace = [](unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    auto first = std::find_if_not(s.begin(), s.end(), isSpace);
    auto last = std::find_if_not(s.rbegin(), s.rend(), isSpace).base();
    return first < last ? std::string(first, last) : std::string();
}

} // namespace ovix
