#pragma once
// A fresh command object with its own parameter image, as the link worker has it, and a
// sink that drops what the dispatcher posts.

#include "link/KTVCommand.h"
#include "link/LinkFlags.h"
#include "link/LinkSink.h"
#include "model/DeviceImage.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>

namespace ovix::fuzz {

class DropSink final : public LinkSink {
public:
    void Post(unsigned, std::intptr_t, std::intptr_t) override {}
    void Send(unsigned, std::intptr_t, std::intptr_t) override {}
    void PostDeviceChange(DeviceEvent, const std::string&) override {}
};

struct ReplyFeed {
    ReplyFeed()
        : model(std::make_unique<ParameterModel>())
    {
        ResetImage(model->image);
        host.m_bConnected = true;
        cmd = std::make_unique<CKTVCommand>(*model, flags, lock, host);
        cmd->SetSink(&sink);
    }

    // Cuts bytes into 64-byte reports (the last zero-padded) and feeds each to the collector
    // and, for each complete reply, to the dispatcher.
    void FeedReports(std::span<const std::uint8_t> bytes)
    {
        for (std::size_t i = 0; i < bytes.size(); i += 64) {
            std::array<std::uint8_t, 64> report{};
            const std::size_t n = std::min<std::size_t>(64, bytes.size() - i);
            std::copy_n(bytes.begin() + long(i), n, report.begin());
            cmd->FeedChunk(report);
            (void)cmd->TakeResendLimitReached();
        }
    }

    std::unique_ptr<ParameterModel> model;
    LinkFlags flags;
    std::recursive_mutex lock;
    CommandHostState host;
    DropSink sink;
    std::unique_ptr<CKTVCommand> cmd;
};

} // namespace ovix::fuzz

namespace ovix::fuzz {

// Puts a sent frame at the head of the queue (all its reports written, as after a send),
// so a reply has something to answer: command, program, type, index, block from h.
inline void EnqueueHead(ReplyFeed& feed, const FrameHeader& h)
{
    FramePtr head = FinishFrame(h, {});
    if (!head)
        return;
    Report r;
    while (head->NextReport(r)) {
    }
    feed.cmd->Enqueue(head);
}

} // namespace ovix::fuzz
