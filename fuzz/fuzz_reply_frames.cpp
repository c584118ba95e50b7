// The reply path past the checksum: the input is read as a list of replies, each
//   kind, program, type, index, block, payload length n (two bytes, low first), n payload bytes
// (kind's low bits pick ACK, RESEND or DATA; unless its top bit is set, an empty queue first
// gets a sent read or write of the same record at its head for the reply to answer). Each is built into a well-formed frame with a valid checksum
// and fed as 64-byte reports to the collector and the dispatcher.
#include "ReplyFeed.h"

#include "protocol/Protocol.h"

#include <cstddef>
#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::uint8_t kReplies[] = {ovix::REPLY_ACK, ovix::REPLY_RESEND, ovix::REPLY_DATA};
    std::span<const std::uint8_t> in(data, size);
    ovix::fuzz::ReplyFeed feed;
    while (in.size() >= 7) {
        ovix::FrameHeader h;
        h.command = kReplies[(in[0] & 0x7F) % 3];
        h.program = in[1];
        h.recordType = in[2];
        h.index = in[3];
        h.block = in[4];
        const std::size_t n = std::min<std::size_t>(std::size_t(in[5] | (in[6] << 8)), in.size() - 7);
        const std::vector<std::uint8_t> payload(in.begin() + 7, in.begin() + 7 + long(n));
        const bool answersHead = !(in[0] & 0x80);
        in = in.subspan(7 + n);
        if (answersHead && feed.cmd->Count() == 0) {
            ovix::FrameHeader sent = h;
            sent.command = (h.command == ovix::REPLY_DATA) ? ovix::CMD_READ : ovix::CMD_WRITE;
            ovix::fuzz::EnqueueHead(feed, sent);
        }
        auto frame = ovix::FinishFrame(h, payload);
        if (!frame)
            continue;
        feed.FeedReports(frame->Bytes());
    }
    return 0;
}
