#include "protocol/FrameDecoder.h"

#include "tables/ByteOrder.h"

#include <algorithm>
#include <cstdio>

namespace ovix {

namespace {

// Offsets from the start byte.
constexpr std::size_t kLengthField = 9;     // payload length, 2 bytes LE
constexpr std::size_t kHeaderFromStart = 11;
// start byte to end byte of a frame without payload
constexpr std::size_t kOverheadFromStart = 13;
constexpr std::size_t kSyncCount = 3;

std::string Hex(int v)
{
    char buf[8];
    std::snprintf(buf, sizeof buf, "0x%02x", unsigned(v) & 0xFFu);
    return buf;
}

} // namespace

const char* KindName(FrameErrorKind kind)
{
    switch (kind) {
    case FrameErrorKind::Incomplete: return "incomplete";
    case FrameErrorKind::BadStart: return "bad start";
    case FrameErrorKind::TooLong: return "declared length too large";
    case FrameErrorKind::BadChecksum: return "bad checksum";
    case FrameErrorKind::BadEnd: return "bad terminator";
    }
    return "?";
}

std::string Describe(const FrameError& e)
{
    std::string s = KindName(e.kind);
    switch (e.kind) {
    case FrameErrorKind::Incomplete:
        return s + " (" + std::to_string(e.actual) + " of " + std::to_string(e.expected) + " bytes)";
    case FrameErrorKind::BadStart:
        return s + " (expected " + Hex(e.expected) + ", found " + Hex(e.actual) + ")";
    case FrameErrorKind::TooLong:
        return s + " (" + std::to_string(e.actual) + " payload bytes, at most " + std::to_string(e.expected) + ")";
    case FrameErrorKind::BadChecksum:
        return s + " (computed " + Hex(e.expected) + ", received " + Hex(e.actual) + ")";
    case FrameErrorKind::BadEnd:
        return s + " (expected " + Hex(e.expected) + ", found " + Hex(e.actual) + ")";
    }
    return s;
}

FrameResult DecodeFrame(std::span<const std::uint8_t> bytes, const FrameRules& rules)
{
    std::size_t base = 0;  // offset of the start byte
    if (rules.from == FrameStart::Sync) {
        base = kSyncCount;
        const std::size_t present = std::min(bytes.size(), kSyncCount + 1);
        for (std::size_t i = 0; i < present; ++i) {
            const std::uint8_t due = i < kSyncCount ? kSyncByte : kStartByte;
            if (bytes[i] != due)
                return FrameError{FrameErrorKind::BadStart, due, bytes[i]};
        }
    }
    const std::size_t minimum = base + kOverheadFromStart;
    if (bytes.size() < base + kHeaderFromStart)
        return FrameError{FrameErrorKind::Incomplete, int(minimum), int(bytes.size())};

    const std::uint8_t* s = bytes.data() + base;
    const int n = GetU16(s + kLengthField);
    if (n > rules.maxPayload)
        return FrameError{FrameErrorKind::TooLong, rules.maxPayload, n};
    const std::size_t length = minimum + std::size_t(n);
    if (bytes.size() < length)
        return FrameError{FrameErrorKind::Incomplete, int(length), int(bytes.size())};

    const std::uint8_t end = s[kOverheadFromStart - 1 + std::size_t(n)];
    if (end != kEndByte)
        return FrameError{FrameErrorKind::BadEnd, kEndByte, end};
    std::uint8_t x = 0;
    for (std::size_t i = 1; i < kHeaderFromStart + std::size_t(n); ++i)
        x ^= s[i];
    const std::uint8_t checksum = s[kHeaderFromStart + std::size_t(n)];
    if (rules.verifyChecksum && checksum != x)
        return FrameError{FrameErrorKind::BadChecksum, x, checksum};

    DecodedFrame f;
    f.command = s[1];
    f.address = s[2];
    f.program = s[3];
    f.recordType = s[4];
    f.index = s[5];
    f.block = s[6];
    f.link = s[7];
    f.reserved = s[8];
    f.payload = {s + kHeaderFromStart, std::size_t(n)};
    f.checksum = checksum;
    f.length = length;
    return f;
}

} // namespace ovix
