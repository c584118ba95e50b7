#include "link/ReplyCollector.h"

#include "protocol/Protocol.h"
#include "tables/ByteOrder.h"

#include <algorithm>
#include <cstring>

namespace ovix {

namespace {
// start byte .. payload length: buffer bytes 0..10
constexpr int kReplyHeader = 11;
// a reply is its payload plus 13 bytes from the start byte to the end byte
constexpr int kReplyOverhead = 13;
}

void ReplyCollector::Reset()
{
    m_received = 0;
    m_inFrame = false;
}

void ReplyCollector::Clear()
{
    Reset();
    m_syncCount = 0;
    std::fill_n(m_buffer.begin(), 300, std::uint8_t{0});
}

std::optional<Reply> ReplyCollector::Feed(std::span<const std::uint8_t> chunk)
{
    if (chunk.empty())
        return std::nullopt;

    std::size_t start = 0;
    if (!m_inFrame) {
        for (; start < chunk.size(); ++start) {
            const std::uint8_t b = chunk[start];
            if (b == kSyncByte) {
                ++m_syncCount;
            } else if (b == kStartByte || m_syncCount == 3) {
                m_inFrame = true;
                m_syncCount = 0;
                break;
            } else {
                m_syncCount = 0;
            }
        }
        if (!m_inFrame)
            return std::nullopt;
    }

    const std::size_t n = chunk.size() - start;
    if (m_received + n > m_buffer.size()) {
        // more than any reply can hold: not a reply of ours
        Reset();
        return std::nullopt;
    }
    std::memcpy(m_buffer.data() + m_received, chunk.data() + start, n);
    m_received += int(n);

    if (m_received < kReplyOverhead)
        return std::nullopt;
    const int expected = GetU16(m_buffer.data() + 9) + kReplyOverhead;
    if (expected > kBufferSize) {
        Reset();
        return std::nullopt;
    }
    if (m_received < expected)
        return std::nullopt;

    std::uint8_t x = 0;
    for (int i = 1; i <= expected - 3; ++i)
        x ^= m_buffer[std::size_t(i)];
    if (m_buffer[std::size_t(expected - 1)] != kEndByte || m_buffer[std::size_t(expected - 2)] != x) {
        Reset();
        return std::nullopt;
    }

    Reply r;
    r.command = m_buffer[1];
    r.program = m_buffer[3];
    r.recordType = m_buffer[4];
    r.index = m_buffer[5];
    r.block = m_buffer[6];
    r.payload = {m_buffer.data() + kReplyHeader, std::size_t(expected - kReplyOverhead)};
    // the bytes after the end byte (report padding) are dropped with the reset
    Reset();
    return r;
}

} // namespace ovix
