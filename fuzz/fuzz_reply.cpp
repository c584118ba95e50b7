// The reply path on raw report bytes: the input, cut into 64-byte reports, goes to the reply
// collector and the dispatcher of a fresh command object. An odd first byte first puts a
// sent frame (header from the next five bytes) at the head of the queue.
#include "ReplyFeed.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::span<const std::uint8_t> in(data, size);
    ovix::fuzz::ReplyFeed feed;
    if (in.size() >= 6 && (in[0] & 1)) {
        ovix::FrameHeader h;
        h.command = (in[1] & 1) ? ovix::CMD_READ : ovix::CMD_WRITE;
        h.program = in[2];
        h.recordType = in[3];
        h.index = in[4];
        h.block = in[5];
        ovix::fuzz::EnqueueHead(feed, h);
        in = in.subspan(6);
    }
    feed.FeedReports(in);
    return 0;
}
