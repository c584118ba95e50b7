#pragma once
// Reading a file that must be a regular file: anything else (a FIFO, a device, a folder)
// is refused before it is opened, since opening some of them waits or has effects of its own.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ovix {

// Reads up to `limit` bytes of the regular file at `path` into `out`. Callers that know their
// format's size ask for one byte more, so a longer file is recognised without reading all of
// it. False with errno's value in `error` (EINVAL for a file that is not regular).
bool ReadRegularFile(const std::string& path, std::size_t limit, std::vector<std::uint8_t>& out,
                     int& error);

} // namespace ovix
