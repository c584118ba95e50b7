#include "link/ReplyCollector.h"

#include "protocol/Protocol.h"

#include <algorithm>
#include <cstring>

namespace ovix {

namespace {
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
    m_lastDrop.reset();
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
        m_lastDrop = FrameError{FrameErrorKind::TooLong, kBufferSize - kReplyOverhead,
                                int(m_received + n) - kReplyOverhead};
        Reset();
        return std::nullopt;
    }
    std::memcpy(m_buffer.data() + m_received, chunk.data() + start, n);
    m_received += int(n);

    if (m_received < kReplyOverhead)
        return std::nullopt;
    // the start byte was found above, whatever its value: the decoder takes it as found
    FrameRules rules;
    rules.from = FrameStart::StartByte;
    rules.maxPayload = kBufferSize - kReplyOverhead;
    const FrameResult decoded = DecodeFrame({m_buffer.data(), std::size_t(m_received)}, rules);
    if (decoded.Incomplete())
        return std::nullopt;
    if (!decoded) {
        m_lastDrop = decoded.Error();
        Reset();
        return std::nullopt;
    }

    const DecodedFrame& f = decoded.Frame();
    Reply r;
    r.command = f.command;
    r.program = f.program;
    r.recordType = f.recordType;
    r.index = f.index;
    r.block = f.block;
    r.payload = f.payload;
    // the bytes after the end byte (report padding) are dropped with the reset
    Reset();
    return r;
}

} // namespace ovix
