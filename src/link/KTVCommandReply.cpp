// The reply side of the command engine, run on the link worker: every verified reply
// decides the fate of the frame at the head of the queue, and data replies are stored
// into the image.

#include "link/KTVCommand.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace ovix {

namespace {

// Copies a payload into its target area. A payload larger than the area is not ours to
// store: it is dropped rather than written past the area.
bool StoreInto(std::uint8_t* target, std::size_t size, std::span<const std::uint8_t> payload)
{
    if (payload.size() > size)
        return false;
    std::memcpy(target, payload.data(), payload.size());
    return true;
}

// Program and effect-preset names: 15 bytes at most, cleaned as names from the device are.
void StoreName(std::uint8_t* name, std::span<const std::uint8_t> payload)
{
    const std::size_t n = std::min<std::size_t>(payload.size(), 15);
    std::memcpy(name, payload.data(), n);
    SanitizeDeviceName(name, 15);
}

} // namespace

void CKTVCommand::PostMessage(unsigned message, std::intptr_t w, std::intptr_t l)
{
    if (m_sink)
        m_sink->Post(message, w, l);
}

bool CKTVCommand::FeedChunk(std::span<const std::uint8_t> chunk)
{
    std::optional<Reply> reply = m_collector.Feed(chunk);
    if (!reply)
        return false;
    FramePtr head = m_queue.Head();
    if (head)
        EvaluateProgress(*head, reply->command);
    Dispatch(*reply, head);
    return true;
}

void CKTVCommand::EvaluateProgress(CSendData& head, std::uint8_t replyCommand)
{
    if (head.NotifyAlways()) {
        PostMessage(WM_LINK_BATCH_DONE, 0, 0);
        return;
    }
    if (head.Seq() == 0)
        return;
    if (head.Step() != 0) {
        // firmware progress belongs to the update procedure; only an acknowledged step
        // counts (a refused one is sent again, and a refused finish step is no success)
        if (replyCommand == REPLY_ACK && m_stepObserver)
            m_stepObserver(head);
        return;
    }
    if (head.Last() && head.AllWritten())
        PostMessage(WM_LINK_BATCH_DONE, 0, 1);
    if (head.Notify() && head.AllWritten())
        PostMessage(WM_LINK_BATCH_DONE, 0, 0);
}

bool CKTVCommand::TakeResendLimitReached()
{
    return std::exchange(m_resendLimitReached, false);
}

void CKTVCommand::Dispatch(const Reply& reply, const FramePtr& head)
{
    if (reply.command != REPLY_RESEND) {
        m_refusedFrame.reset();
        m_refusals = 0;
    }
    switch (reply.command) {
    case REPLY_ACK:
        if (head)
            m_queue.RemoveHeadIf(head.get());
        break;
    case REPLY_RESEND:
        if (!head)
            break;
        if (!m_flags.firmwareMode) {
            m_refusals = m_refusedFrame.lock() == head ? m_refusals + 1 : 1;
            m_refusedFrame = head;
            if (m_refusals > kMaxResends) {
                // a processor that refuses a frame again and again will not take it: the
                // link is given up rather than kept busy forever
                m_refusedFrame.reset();
                m_refusals = 0;
                m_resendLimitReached = true;
                break;
            }
        }
        head->Rewind();
        break;
    case REPLY_DATA:
        StoreData(reply, head);
        break;
    default:
        break;
    }
}

void CKTVCommand::StoreData(const Reply& reply, const FramePtr& head)
{
    if (reply.payload.empty()) {
        // the processor could not answer: pause the link and let the console react
        m_flags.deviceFault = 1;
        PostMessage(WM_LINK_DEVICE_FAULT, 0, 0);
        return;
    }

    DeviceImage& img = m_model.image;
    const int p = reply.program;
    const bool marker = reply.block == STORED_MARKER;
    const auto& payload = reply.payload;
    bool answered = true;

    switch (reply.recordType) {
    case REC_OUTPUT: {
        const int c = reply.index;
        if (c >= kOutputChannels || p > kStoredPrograms)
            break;
        ProgramImage& target = (marker && p != 0) ? img.Program(p) : img.current;
        if (!StoreInto(target.outputs[c].Bytes(), sizeof(OutputBlock), payload))
            break;
        if (c == kOutputChannels - 1) {
            if (marker) {
                if (p == 10)
                    PostMessage(WM_LINK_PROGRAMS_LOADED, 10, 0);
                if (p == 0)
                    PostMessage(WM_LINK_LIVE_LOADED, 0, 0);
            } else {
                PostMessage(WM_LINK_LIVE_LOADED, p, 0);
            }
        }
        break;
    }
    case REC_MUSIC:
    case REC_MIC: {
        const bool music = reply.recordType == REC_MUSIC;
        if (reply.index != (music ? kMusicIndex : kMicIndex) || p > kStoredPrograms)
            break;
        const int entry = music ? ProgramImage::kMusic : ProgramImage::kMic;
        ProgramImage& target = (marker && p != 0) ? img.Program(p) : img.current;
        if (!StoreInto(target.inputs[entry].Bytes(), sizeof(InputBlock), payload))
            break;
        if (!marker) {
            const auto& sys = img.system.sys;
            InputBlock& in = target.inputs[entry];
            const int hi = music ? sys[12] : sys[8];
            const int lo = music ? sys[13] : sys[9];
            in.SetVolume(std::uint16_t(std::max<int>(std::min<int>(in.Volume(), hi), lo)));
        }
        break;
    }
    case REC_EFFECT: {
        if (marker) {
            if (p >= kFirstEffectPreset && p < kFirstEffectPreset + kEffectPresets) {
                if (StoreInto(img.Preset(p).effect.Bytes(), sizeof(EffectBlock), payload) && p == 40)
                    PostMessage(WM_LINK_PRESETS_LOADED, 40, 0);
            } else if (p >= 1 && p <= kStoredPrograms) {
                StoreInto(img.Program(p).effect.Bytes(), sizeof(EffectBlock), payload);
            } else if (p == 0 && StoreInto(img.current.effect.Bytes(), sizeof(EffectBlock), payload)) {
                const auto& sys = img.system.sys;
                EffectBlock& fx = img.current.effect;
                fx.SetLevel(std::uint8_t(std::max<int>(std::min<int>(fx.Level(), sys[10]), sys[11])));
            }
        } else if (StoreInto(img.current.effect.Bytes(), sizeof(EffectBlock), payload) &&
                   p >= kFirstEffectPreset) {
            PostMessage(WM_LINK_EFFECT_LOADED, p, 0);
        }
        break;
    }
    case REC_SYSTEM:
        StoreSystemItem(reply);
        break;
    default:
        answered = false;  // not a record we asked for: the head stays
        break;
    }
    if (answered && head)
        m_queue.RemoveHeadIf(head.get());
}

void CKTVCommand::StoreSystemItem(const Reply& reply)
{
    DeviceImage& img = m_model.image;
    const int p = reply.program;
    const auto& payload = reply.payload;
    auto& sys = img.system.sys;
    const int item = reply.index;

    switch (item) {
    case SYS_PROGRAM_NAME:
        if (p <= kStoredPrograms)
            StoreName(img.Program(p).name, payload);
        break;
    case SYS_EFFECT_NAME:
        if (p == 0)
            StoreName(img.current.secondText, payload);
        else if (p >= kFirstEffectPreset && p < kFirstEffectPreset + kEffectPresets)
            StoreName(img.Preset(p).name, payload);
        break;
    case SYS_SETTINGS:
        StoreInto(sys, 4, payload.first(std::min<std::size_t>(payload.size(), 4)));
        break;
    case SYS_STATUS: {
        const std::size_t n = payload.size() >= 2 ? payload.size() - 2 : 0;
        for (std::size_t i = 0; i < n && i < img.status.size(); ++i)
            img.status[i] = payload[i];
        break;
    }
    case SYS_VERSION:
        StoreInto(img.version, 11, payload.first(std::min<std::size_t>(payload.size(), 11)));
        PostMessage(WM_LINK_VERSION, 0, 0);
        break;
    case SYS_TEXT:
        if (StoreInto(img.deviceText, sizeof img.deviceText,
                      payload.first(std::min(payload.size(), sizeof img.deviceText))))
            SanitizeDeviceText(img.deviceText, sizeof img.deviceText);
        break;
    case SYS_DEVICE_INFO:
        StoreInto(img.deviceInfo, sizeof img.deviceInfo,
                  payload.first(std::min(payload.size(), sizeof img.deviceInfo)));
        break;
    case SYS_IDENT: {
        const std::size_t n = std::min(payload.size(), sizeof img.ident);
        std::memcpy(img.ident, payload.data(), n);
        for (std::size_t i = 1; i < n; ++i)
            if (img.ident[i] < 0x20 || img.ident[i] > 0x7F)
                img.ident[i] = ' ';
        break;
    }
    case SYS_FLAG20:
        img.identFlag = payload[0];
        break;
    case SYS_SUB_LIMIT:
        if (payload.size() >= 2)
            img.system.SetLimitWord(std::uint16_t(payload[1] * 256 + payload[0]));
        break;
    case SYS_SETTING_51:
        if (payload.size() >= 2) {
            sys[18] = payload[1];
            if (m_sink)
                m_sink->Send(WM_LINK_DELAY_MEMORY, 0, 0);
        }
        break;
    case SYS_MODEL:
        PostMessage(WM_LINK_MODEL, payload[0], 0);
        break;
    case SYS_DELAY_MEMORY:
        if (StoreInto(img.delayMemory.Bytes(), sizeof(DelayMemory), payload))
            PostMessage(WM_LINK_DELAY_MEMORY, 0, 0);
        break;
    default:
        if (item >= SYS_SETTING_32 && item <= SYS_SETTING_41)
            sys[6 + item - SYS_SETTING_32] = payload[0];
        else if (item == SYS_SETTING_48 || item == SYS_SETTING_49)
            sys[16 + item - SYS_SETTING_48] = payload[0];
        break;
    }
}

FramePtr CKTVCommand::NextPendingFrame()
{
    // the group is picked, written into the image and copied into its frame in one go, so
    // an edit on the window thread lands wholly before or wholly after it
    ModelLock lock(m_model.lock);
    if (m_model.flags.delayMemory.exchange(0) != 0)
        return WriteSystemItem(m_model.image, SYS_DELAY_MEMORY, 0);
    if (std::optional<PendingGroup> g = Records().NextDirtyGroup()) {
        if (g->record == PendingGroup::MusicInput)
            return WriteBlock(m_model.image, REC_MUSIC, kMusicIndex, g->block);
        return WriteBlock(m_model.image, REC_OUTPUT, g->channel, g->block);
    }
    return StatusPoll();
}

} // namespace ovix
