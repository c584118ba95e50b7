#pragma once
// The command engine: the send queue and the command sequences the console sends as
// batches. The sequences run on the window thread; the link worker drains the queue.

#include "link/CommandBuilder.h"
#include "link/LinkSink.h"
#include "link/LinkFlags.h"
#include "link/ReplyCollector.h"
#include "link/SendDataQueue.h"
#include "model/DeviceImage.h"
#include "model/RecordPort.h"
#include "tables/Messages.h"

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

namespace ovix {

// The console's three link toggles, one per channel pair.
enum class LinkPair { Front = 0, Rear = 1, Sub = 2 };

// What the sequences need from the console view; the console, the command-line tool and
// the tests each provide it their own way, so the engine stays free of windows.
class ICommandHost {
public:
    virtual ~ICommandHost() = default;
    // The view's connected flag: sequences send nothing while it is 0.
    virtual bool IsConnected() const = 0;
    // Number of numbered frames queued by the current batch.
    virtual int BatchCounter() const = 0;
    virtual void SetBatchCounter(int n) = 0;
    virtual bool LinkToggle(LinkPair pair) const = 0;
    // Shows the data-loading window for the batch just queued.
    virtual void OpenDataLoadingWindow() = 0;
    // A sequence that needs the processor was asked for while disconnected.
    virtual void ShowConnectionFailure() = 0;
    // A record's name did not fit its field when the records were stored.
    virtual void ShowNameTooLong() = 0;
};

// A host that keeps the view's state itself and shows nothing: the command-line tool's
// dry run and the benchmarks use it as it is, the console and tests override what they show.
class CommandHostState : public ICommandHost {
public:
    bool IsConnected() const override { return m_bConnected; }
    int BatchCounter() const override { return m_nBatchCount; }
    void SetBatchCounter(int n) override { m_nBatchCount = n; }
    bool LinkToggle(LinkPair pair) const override { return m_linkToggles[int(pair)]; }
    void OpenDataLoadingWindow() override {}
    void ShowConnectionFailure() override {}
    void ShowNameTooLong() override {}

    bool m_bConnected = false;
    int m_nBatchCount = 0;
    std::array<bool, 3> m_linkToggles{};
};

class CKTVCommand {
public:
    CKTVCommand(ParameterModel& model, LinkFlags& flags, std::recursive_mutex& batchLock,
                ICommandHost& host);

    // The records take over from the image stand-in when they exist (nullptr: back to it).
    void SetRecordPort(IRecordPort* records);
    // Where the link's messages go; set before the link starts.
    void SetSink(LinkSink* sink) { m_sink = sink; }

    IRecordPort& Records() const { return *m_records.load(); }

    // Reply side, on the link worker: feeds the data bytes of one input report; true when a
    // complete, verified reply was dispatched.
    bool FeedChunk(std::span<const std::uint8_t> chunk);
    void ResetCollector() { m_collector.Reset(); }
    // A frame the processor refuses with RESEND is sent again from its first byte, at most
    // this many times in a row in normal mode; a further refusal ends the link as lost (the
    // firmware procedure keeps its own limit).
    static constexpr int kMaxResends = 3;
    // True once, after a reply that refused a frame already resent kMaxResends times; the
    // frame was then left as it was. Worker side.
    bool TakeResendLimitReached();
    // Told of every acknowledged firmware step frame, before the reply is dispatched (worker
    // side). Set and cleared only while the worker is stopped.
    void SetStepObserver(std::function<void(const CSendData&)> observer) { m_stepObserver = std::move(observer); }
    // Why the last FeedChunk dropped a reply (for the protocol trace); nothing when it did not.
    const std::optional<FrameError>& LastDroppedReply() const { return m_collector.LastDrop(); }

    // What the worker sends when the queue is empty: the delay memory when it is due, else
    // the next changed group, else a status poll.
    FramePtr NextPendingFrame();

    // Send queue.
    CSendDataQueue& Queue() { return m_queue; }
    const CSendDataQueue& Queue() const { return m_queue; }
    void Enqueue(FramePtr frame) { m_queue.Enqueue(std::move(frame)); }
    FramePtr Head() const { return m_queue.Head(); }
    void RemoveHead() { m_queue.RemoveHead(); }
    void Clear();
    int Count() const { return m_queue.Count(); }

    // Sequences. Each checks the connected flag first; those that return bool show the
    // connection failure and return false when disconnected.
    void ReadVersion();
    void ReadDeviceInfo();
    bool ReadLive();
    bool RecallProgram(int program);
    bool ReadAllPrograms();
    bool StoreProgram(int program, bool fromRecords);
    void DownloadAll();
    void MuteGroup(int channel);
    void RestoreGroup(int channel);
    void RewriteOutput(int channel, bool notify);
    void MuteOutput(int channel);
    void SendOutputRecord(int channel);
    // Returns the queued frame (nullptr when nothing was queued).
    FramePtr SendSystemItem(int item, int program);

    // The pair condition: the record frame of channel 1 notifies when the front toggle is
    // on, else channel 3 when the rear toggle is on, else channel 5 when the sub toggle is.
    bool PairCondition(int channel) const;

private:
    void EvaluateProgress(CSendData& head, std::uint8_t replyCommand);
    void Dispatch(const Reply& reply, const FramePtr& head);
    void StoreData(const Reply& reply, const FramePtr& head);
    void StoreSystemItem(const Reply& reply);
    void PostMessage(unsigned message, std::intptr_t w = 0, std::intptr_t l = 0);

    void EnqueueNumbered(FramePtr frame, bool increment = true);
    void EnqueuePlain(FramePtr frame);
    void BeginBusy();
    void ReadProgramRecords(int program, bool recall);
    // Sets an output's on-flag through the records, drops its level mark and queues its
    // level block.
    void SendLevel(int channel, int on);
    // MuteGroup (mute) or RestoreGroup for every output in the channel's link group.
    void SendGroupLevels(int channel, bool mute);
    // Silences every output in the image and queues the six level blocks (numbered).
    std::array<std::uint8_t, kOutputChannels> SilenceAllOutputs();
    // Puts the on-flags back and queues the six level blocks (numbered).
    void RestoreAllOutputs(const std::array<std::uint8_t, kOutputChannels>& on, bool endsBatch);

    ParameterModel& m_model;
    LinkFlags& m_flags;
    std::recursive_mutex& m_batchLock;
    ICommandHost& m_host;
    ImageRecordPort m_imagePort;
    std::atomic<IRecordPort*> m_records;
    CSendDataQueue m_queue;
    ReplyCollector m_collector;
    LinkSink* m_sink = nullptr;
    // The frame refused last (weak: a frame dropped from the queue never matches a new one)
    // and how often in a row. Worker side only.
    std::weak_ptr<CSendData> m_refusedFrame;
    int m_refusals = 0;
    bool m_resendLimitReached = false;
    std::function<void(const CSendData&)> m_stepObserver;
    // on-flags remembered by MuteGroup for RestoreGroup, one per channel
    std::array<int, kOutputChannels> m_savedSoundOn{};
};

} // namespace ovix
