// The filter-text reader on arbitrary bytes: it must never crash, and a text it accepts
// must write out and read back to the same filters.
#include "response/FilterText.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const ovix::FilterTextRead read = ovix::ReadFilterText(text);
    if (!read.ok())
        return 0;
    for (const ovix::TextFilter& f : read.text.filters)
        (void)ovix::TextFilterSection(f);
    const ovix::FilterTextRead again = ovix::ReadFilterText(ovix::WriteFilterText(read.text));
    if (!again.ok() || again.text.filters.size() != read.text.filters.size())
        std::abort();
    return 0;
}
