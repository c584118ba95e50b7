#pragma once
// The one decoder of the frame layout, for both directions: the console's reply collector,
// the simulated processor and the test helpers all read frames through it.
//
// A frame is 7D 7D 7D | EE | command | address | program | record type | index | block |
// link flag | reserved | payload length n (LE) | n payload bytes | checksum | AA, the
// checksum being the XOR of everything from the command byte to the last payload byte.
// Payload bytes are never escaped: once a frame has started, its length field alone says
// where it ends, so 7D, EE and AA may appear anywhere inside it.

#include "protocol/Protocol.h"

#include <cstdint>
#include <span>
#include <string>
#include <variant>

namespace ovix {

// The fields of a decoded frame. The payload points into the decoded bytes.
struct DecodedFrame {
    std::uint8_t command = 0;
    std::uint8_t address = 0;
    std::uint8_t program = 0;
    std::uint8_t recordType = 0;
    std::uint8_t index = 0;
    std::uint8_t block = 0;
    std::uint8_t link = 0;
    std::uint8_t reserved = 0;
    std::span<const std::uint8_t> payload;
    std::uint8_t checksum = 0;
    // Bytes the frame takes from the start of the decoded span; what follows is not its own.
    std::size_t length = 0;
};

// Which check a frame failed.
enum class FrameErrorKind {
    Incomplete,   // not all of the frame is there yet: expected = bytes needed, actual = bytes there
    BadStart,     // not 7D 7D 7D EE: expected = the byte due, actual = the byte found
    TooLong,      // declared payload beyond the limit: expected = the limit, actual = the declared length
    BadChecksum,  // expected = the XOR of the covered bytes, actual = the checksum byte received
    BadEnd,       // expected = AA, actual = the byte in its place
};

struct FrameError {
    FrameErrorKind kind = FrameErrorKind::Incomplete;
    int expected = 0;
    int actual = 0;

    bool operator==(const FrameError&) const = default;
};

// "bad checksum (computed 0x12, received 0xed)" and the like.
std::string Describe(const FrameError& error);
// The kind alone: "incomplete", "bad start", "declared length too large", "bad checksum",
// "bad terminator".
const char* KindName(FrameErrorKind kind);

// Where the decoded bytes begin.
enum class FrameStart {
    Sync,       // at the first sync byte; the sync and start bytes are checked
    StartByte,  // at the start byte, found by the caller (who decided what starts a frame);
                // its value is not checked again
};

struct FrameRules {
    FrameStart from = FrameStart::Sync;
    // The longest payload the receiver takes; a longer declared length fails with TooLong as
    // soon as the length field is in.
    int maxPayload = kMaxPayload;
    // false: a frame with a wrong checksum is decoded anyway (diagnostics); the end byte is
    // still checked.
    bool verifyChecksum = true;
};

// A decoded frame or the check that failed.
class FrameResult {
public:
    FrameResult(const DecodedFrame& frame) : m_value(frame) {}
    FrameResult(const FrameError& error) : m_value(error) {}

    bool Ok() const { return std::holds_alternative<DecodedFrame>(m_value); }
    explicit operator bool() const { return Ok(); }
    // More bytes may still make it a frame.
    bool Incomplete() const { return !Ok() && Error().kind == FrameErrorKind::Incomplete; }
    const DecodedFrame& Frame() const { return std::get<DecodedFrame>(m_value); }
    const FrameError& Error() const { return std::get<FrameError>(m_value); }

private:
    std::variant<DecodedFrame, FrameError> m_value;
};

// Decodes the frame at the beginning of bytes. Bytes after its end byte are ignored.
// Checks in order: start, length field, completeness, end byte, checksum.
FrameResult DecodeFrame(std::span<const std::uint8_t> bytes, const FrameRules& rules = {});

} // namespace ovix
