#pragma once
// Collects the processor's reply from the data bytes of its input reports. A reply starts
// at a 0xEE byte, or at whatever byte follows exactly three 0x7D bytes; its length field
// says where it ends; it is kept only when its end byte and checksum are right.
//
// The reply buffer holds the reply from its start byte on: buffer byte k is frame byte k + 3.

#include "protocol/FrameDecoder.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace ovix {

struct Reply {
    std::uint8_t command = 0;
    std::uint8_t program = 0;
    std::uint8_t recordType = 0;
    std::uint8_t index = 0;
    std::uint8_t block = 0;
    std::span<const std::uint8_t> payload;  // valid until the next Feed or Reset
};

class ReplyCollector {
public:
    static constexpr int kBufferSize = 400;

    // Feeds the data bytes of one input report. Returns the reply once it is complete and
    // verified. A reply whose declared length does not fit the buffer, or that fails its
    // checks, is dropped and collecting starts over.
    std::optional<Reply> Feed(std::span<const std::uint8_t> chunk);

    // Back to searching for a start; the sync count survives (it spans reports).
    void Reset();
    // Reset and zero the buffer, as a cleared queue does.
    void Clear();

    // Why the last Feed dropped a reply; nothing when it dropped none.
    const std::optional<FrameError>& LastDrop() const { return m_lastDrop; }

    bool InFrame() const { return m_inFrame; }
    int Received() const { return m_received; }

private:
    std::array<std::uint8_t, kBufferSize> m_buffer{};
    int m_syncCount = 0;
    bool m_inFrame = false;
    int m_received = 0;
    std::optional<FrameError> m_lastDrop;
};

} // namespace ovix
