#include "simulator/SimProcessor.h"

#include "protocol/FrameDecoder.h"
#include "protocol/SendData.h"
#include "tables/Scales.h"

#include <algorithm>
#include <string>
#include <cstring>
#include <span>
#include <thread>
#include <utility>

namespace ovix::sim {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kVersionLength = 11;
constexpr int kNameReply = 15;       // names go out without their last byte
constexpr int kNameField = 16;
constexpr int kStatusReply = 12;
constexpr int kEffectRecord = 96;    // the effect record is the first 96 bytes of its block
constexpr int kBlockSize = 8;

// Fills a fixed-width text field: the text, then `pad` bytes.
void PutText(std::uint8_t* field, std::size_t width, std::string_view text, std::uint8_t pad)
{
    const std::size_t n = std::min(width, text.size());
    std::memcpy(field, text.data(), n);
    std::memset(field + n, pad, width - n);
}

std::string TwoDigits(int n)
{
    return {char('0' + n / 10 % 10), char('0' + n % 10)};
}

void FactoryOutput(OutputBlock& out, int channel)
{
    for (int b = 0; b < kOutputBands; ++b) {
        EqBandWord& band = out.bands[b];
        band.SetFreq(static_cast<std::uint16_t>(IsoBandTable[std::size_t(b)]));
        band.SetGainWord(600);
        band.SetBandwidthIndex(15);
        band.SetSlope(0);
        band.SetKind(0);
    }
    out.soundOn = 1;
    out.polarity = 0;
    out.SetGain(60);
    out.SetDelay(0);
    out.geqMode = 0;
    constexpr std::uint8_t kButterworth = 2;
    constexpr std::uint8_t kSlope24 = 2;
    CrossoverWord& x = out.crossover;
    x.SetHighPassFreq(20);
    x.SetHighPassFamily(kButterworth);
    x.SetHighPassSlope(kSlope24);
    // the two subwoofer channels leave the factory low-passed at 500 Hz
    x.SetLowPassFreq(channel >= 4 ? 500 : 20000);
    x.SetLowPassFamily(kButterworth);
    x.SetLowPassSlope(kSlope24);
    out.SetLimThreshold(360);  // +6 dBu: the limiter stays out of the way
    out.limAttack = 10;
    out.limRelease = 2;
}

// Bytes of one record: in program 0 (live) or 1..20 (stored), or for the effect record
// also in effect preset 21..40. Empty when the processor has no such record.
std::span<std::uint8_t> Record(DeviceImage& m, int program, int type, int index)
{
    if (type == REC_EFFECT && program >= kFirstEffectPreset &&
        program < kFirstEffectPreset + kEffectPresets)
        return {m.Preset(program).effect.Bytes(), std::size_t(kEffectRecord)};
    if (program < 0 || program > kStoredPrograms)
        return {};
    ProgramImage& prog = m.Program(program);
    switch (type) {
    case REC_MIC:
        if (index == kMicIndex)
            return {prog.Mic().Bytes(), sizeof(InputBlock)};
        return {};
    case REC_EFFECT:  // one effect section: the index is not looked at
        return {prog.effect.Bytes(), std::size_t(kEffectRecord)};
    case REC_MUSIC:
        if (index == kMusicIndex)
            return {prog.Music().Bytes(), sizeof(InputBlock)};
        return {};
    case REC_OUTPUT:
        if (index >= 0 && index < kOutputChannels)
            return {prog.outputs[index].Bytes(), sizeof(OutputBlock)};
        return {};
    default:
        return {};
    }
}

} // namespace

void LoadFactoryMemory(DeviceImage& img)
{
    ResetImage(img);

    PutText(img.deviceText, sizeof img.deviceText, "OVIX SIMULATED 6-CHANNEL PROCESSOR", ' ');
    const std::uint8_t ident[7] = {0x01, 'S', 'I', 'M', '9', '0', '7'};
    std::memcpy(img.ident, ident, sizeof ident);
    img.identFlag = 1;
    PutText(img.deviceInfo, sizeof img.deviceInfo, "SIM-907 SN 000001 HW 2.0", ' ');
    // input source 1 and every output channel sounding
    img.status = {1, 0, 0, 0, 1, 1, 1, 1, 1, 1, 0, 0};

    ProgramImage& live = img.current;
    for (int c = 0; c < kOutputChannels; ++c)
        FactoryOutput(live.outputs[c], c);
    live.Music().SetVolume(60);
    live.Music().SetOn(1);
    live.Mic().SetVolume(60);
    live.effect.SetLevel(60);

    for (int p = 1; p <= kStoredPrograms; ++p) {
        ProgramImage& prog = img.Program(p);
        prog = live;
        // 13 significant characters, two spaces, the terminating zero
        PutText(prog.name, 15, "PROGRAM " + TwoDigits(p), ' ');
        prog.name[15] = 0;
    }
    // the live program is program 1 as it left the factory
    std::memcpy(live.name, img.Program(1).name, kNameField);

    for (int p = kFirstEffectPreset; p < kFirstEffectPreset + kEffectPresets; ++p) {
        EffectPreset& preset = img.Preset(p);
        PutText(preset.name, 15, "EFFECT " + TwoDigits(p), ' ');
        preset.name[15] = 0;
        preset.effect = live.effect;
    }
}

CSimProcessor::CSimProcessor(SimOptions options)
    : m_reportDelay(std::max(options.reportDelay, std::chrono::microseconds(0))),
      m_release(options.release),
      m_memory(std::make_unique<DeviceImage>()),
      m_model(options.model),
      m_eraseTime(std::max(options.eraseTime, std::chrono::milliseconds(0)))
{
    LoadFactoryMemory(*m_memory);
    PutText(m_memory->version, kVersionLength, options.version, ' ');
}

CSimProcessor::~CSimProcessor() = default;

// ---- host side ----

bool CSimProcessor::Reachable(std::uint64_t connection) const
{
    return m_plugged && (connection == 0 || connection == m_connection);
}

void CSimProcessor::ClearBuffers()
{
    m_rx.clear();
    m_syncCount = 0;
    m_tx.clear();
}

HidIo CSimProcessor::HostWrite(const Report& report, int /*timeoutMs*/, std::uint64_t connection)
{
    {
        std::lock_guard lock(m_mutex);
        if (!Reachable(connection))
            return HidIo::Error;
    }
    // the report's time on the wire, without holding up readers or fault injection
    if (m_reportDelay.count() > 0)
        std::this_thread::sleep_for(m_reportDelay);

    std::lock_guard lock(m_mutex);
    if (!Reachable(connection))
        return HidIo::Error;
    bool bootRequest = true;
    for (int i = 1; i < kReportSize; ++i)
        bootRequest = bootRequest && report[std::size_t(i)] == kBootRequestBytes[(i - 1) % 2];
    if (bootRequest) {
        // the processor restarts into its loader, which then takes the firmware steps
        ++m_loader.bootRequests;
        m_loader.inLoader = true;
        m_rx.clear();
        m_syncCount = 0;
        return HidIo::Ok;
    }
    for (int i = 1; i < kReportSize; ++i)
        ReceiveByte(report[std::size_t(i)]);
    return HidIo::Ok;
}

HidIo CSimProcessor::HostRead(Report& report, int timeoutMs, std::uint64_t connection)
{
    std::unique_lock lock(m_mutex);
    const bool unlimited = timeoutMs < 0;
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    for (;;) {
        if (!Reachable(connection))
            return HidIo::Error;
        const auto now = Clock::now();
        if (!m_tx.empty() && m_tx.front().ready <= now) {
            report = m_tx.front().report;
            m_tx.pop_front();
            if (m_restartPending && m_tx.empty()) {
                // the start step's answer is out: the processor restarts, which ends the
                // connection; it is back on the bus at once
                m_restartPending = false;
                ++m_loader.restarts;
                m_connection = 0;
                ClearBuffers();
                m_cv.notify_all();
                const std::function<void()> hook = m_restartHook;
                lock.unlock();
                if (hook)
                    hook();
            }
            return HidIo::Ok;
        }
        if (!unlimited && now >= deadline)
            return HidIo::Timeout;
        if (!m_tx.empty()) {
            const auto wake = unlimited ? m_tx.front().ready : std::min(deadline, m_tx.front().ready);
            m_cv.wait_until(lock, wake);
        } else if (unlimited) {
            m_cv.wait(lock);
        } else {
            m_cv.wait_until(lock, deadline);
        }
    }
}

// Frame collection: a frame starts at 0xEE after (at least) three 0x7D bytes; the decoder
// says when it is complete (its length field) and whether it is intact. Bytes between
// frames, such as the zero padding of a frame's last report, are skipped.
void CSimProcessor::ReceiveByte(std::uint8_t b)
{
    if (m_rx.empty()) {
        if (b == kSyncByte) {
            ++m_syncCount;
        } else {
            if (b == kStartByte && m_syncCount >= 3)
                m_rx = {kSyncByte, kSyncByte, kSyncByte, kStartByte};
            m_syncCount = 0;
        }
        return;
    }
    m_rx.push_back(b);
    const FrameResult decoded = DecodeFrame(m_rx);
    if (decoded.Incomplete())
        return;
    std::vector<std::uint8_t> frame;
    frame.swap(m_rx);
    // longer than any frame the processor takes: dropped unanswered, and not logged
    if (!decoded.Ok() && decoded.Error().kind == FrameErrorKind::TooLong)
        return;
    ReceiveFrame(std::move(frame), decoded);
}

void CSimProcessor::ReceiveFrame(std::vector<std::uint8_t> frame, const FrameResult& decoded)
{
    // a damaged frame is logged but not answered: the console's read runs into its time limit
    if (decoded.Ok() && !m_silent) {
        const DecodedFrame& f = decoded.Frame();  // points into frame
        if (m_resend > 0) {
            --m_resend;
            QueueReply({REPLY_RESEND, {}}, f);
        } else {
            QueueReply(Execute(f), f);
        }
    }
    if (m_log.size() >= kMaxLoggedFrames)
        m_log.pop_front();
    m_log.push_back(std::move(frame));
}

CSimProcessor::Reply CSimProcessor::Execute(const DecodedFrame& frame)
{
    const int program = frame.program;
    const int type = frame.recordType;
    const int index = frame.index;
    const int block = frame.block;
    if (m_loader.inLoader && frame.command == CMD_WRITE && type == REC_SYSTEM)
        return LoaderStep(frame);
    switch (frame.command) {
    case CMD_WRITE:
        // every write is acknowledged, also of things this processor does not keep
        // (firmware steps, unknown items)
        Write(program, type, index, block, frame.payload.data(), int(frame.payload.size()));
        return {REPLY_ACK, {}};
    case CMD_READ: {
        if (m_emptyRead) {
            m_emptyRead = false;
            return {REPLY_DATA, {}};
        }
        std::vector<std::uint8_t> data;
        // A read of something the processor does not have is acknowledged without data:
        // the console takes the frame as answered and stores nothing, whereas an empty
        // data reply would make it report a device fault.
        if (!Read(program, type, index, block, data))
            return {REPLY_ACK, {}};
        return {REPLY_DATA, std::move(data)};
    }
    default:
        // a command the processor does not know is acknowledged and ignored
        return {REPLY_ACK, {}};
    }
}

void CSimProcessor::Write(int program, int type, int index, int block, const std::uint8_t* data, int n)
{
    DeviceImage& m = *m_memory;
    if (type == REC_SYSTEM) {
        switch (index) {
        case SYS_PROGRAM_NAME:
            if (program >= 0 && program <= kStoredPrograms)
                std::memcpy(m.Program(program).name, data, std::size_t(std::min(n, kNameField)));
            break;
        case SYS_DELAY_MEMORY:
            std::memcpy(m.delayMemory.Bytes(), data, std::min(std::size_t(n), sizeof(DelayMemory)));
            break;
        default:
            break;
        }
        return;
    }
    const std::span<std::uint8_t> rec = Record(m, program, type, index);
    if (rec.empty())
        return;
    if (std::size_t(n) == rec.size()) {
        std::memcpy(rec.data(), data, rec.size());  // a whole record
    } else if (n == kBlockSize && std::size_t((block + 1) * kBlockSize) <= rec.size()) {
        std::memcpy(rec.data() + block * kBlockSize, data, kBlockSize);  // one 8-byte block
    }
}

bool CSimProcessor::Read(int program, int type, int index, int block, std::vector<std::uint8_t>& out)
{
    if (type == REC_SYSTEM)
        return ReadItem(index, program, out);
    DeviceImage& m = *m_memory;
    const std::span<std::uint8_t> rec = Record(m, program, type, index);
    if (rec.empty())
        return false;
    if (block == 0 && program != 0) {
        // a recall: the stored record becomes the live one, and the answer is the live one
        const std::span<std::uint8_t> live = Record(m, 0, type, index);
        std::memcpy(live.data(), rec.data(), live.size());
    }
    out.assign(rec.begin(), rec.end());
    return true;
}

bool CSimProcessor::ReadItem(int item, int program, std::vector<std::uint8_t>& out) const
{
    const DeviceImage& m = *m_memory;
    const auto& sys = m.system.sys;
    auto bytes = [&out](const std::uint8_t* p, std::size_t n) {
        out.assign(p, p + n);
        return true;
    };
    switch (item) {
    case SYS_PROGRAM_NAME:
        if (program < 0 || program > kStoredPrograms)
            return false;
        return bytes(m.Program(program).name, kNameReply);
    case SYS_EFFECT_NAME:
        if (program >= kFirstEffectPreset && program < kFirstEffectPreset + kEffectPresets)
            return bytes(m.Preset(program).name, kNameReply);
        if (program < 0 || program > kStoredPrograms)
            return false;
        return bytes(m.Program(program).secondText, kNameReply);
    case SYS_SETTINGS:
        return bytes(sys, 4);
    case SYS_STATUS:
        out.clear();
        for (int i = 0; i < kStatusReply; ++i)
            out.push_back(static_cast<std::uint8_t>(m.status[std::size_t(i)]));
        return true;
    case SYS_VERSION:
        return bytes(m.version, kVersionLength);
    case SYS_TEXT:
        return bytes(m.deviceText, sizeof m.deviceText);
    case SYS_DEVICE_INFO:
        return bytes(m.deviceInfo, sizeof m.deviceInfo);
    case SYS_IDENT:
        return bytes(m.ident, sizeof m.ident);
    case SYS_FLAG20:
        return bytes(&m.identFlag, 1);
    case SYS_SUB_LIMIT:
        return bytes(m.system.limit, 2);
    case SYS_SETTING_51:
        // two bytes; the console takes the second
        out = {0, sys[18]};
        return true;
    case SYS_MODEL:
        out = {static_cast<std::uint8_t>(m_model)};
        return true;
    case SYS_DELAY_MEMORY:
        return bytes(m.delayMemory.Bytes(), sizeof(DelayMemory));
    default:
        if (item >= SYS_SETTING_32 && item <= SYS_SETTING_41)
            return bytes(&sys[6 + item - SYS_SETTING_32], 1);
        if (item == SYS_SETTING_48 || item == SYS_SETTING_49)
            return bytes(&sys[16 + item - SYS_SETTING_48], 1);
        return false;
    }
}

// The reply echoes the request's program, record type, index and block byte; it goes out
// in 64-byte pieces, each reportDelay after the one before (or after the frame's arrival).
void CSimProcessor::QueueReply(const Reply& reply, const DecodedFrame& request)
{
    FrameHeader h;
    h.command = reply.command;
    h.program = request.program;
    h.recordType = request.recordType;
    h.index = request.index;
    h.block = request.block;
    h.link = 0;
    const std::unique_ptr<CSendData> frame = FinishFrame(h, reply.payload);
    if (!frame)
        return;
    std::vector<std::uint8_t> bytes(frame->Bytes().begin(), frame->Bytes().end());
    if (m_corrupt) {
        m_corrupt = false;
        bytes[bytes.size() - 2] ^= 0xFF;
    }

    auto ready = Clock::now() + std::exchange(m_replyDelay, std::chrono::milliseconds(0));
    if (!m_tx.empty())
        ready = std::max(ready, m_tx.back().ready);
    for (std::size_t pos = 0; pos < bytes.size(); pos += kReportData) {
        PendingReport pending{};
        const std::size_t len = std::min(std::size_t(kReportData), bytes.size() - pos);
        std::memcpy(pending.report.data() + 1, bytes.data() + pos, len);
        ready += m_reportDelay;
        pending.ready = ready;
        m_tx.push_back(pending);
    }
    m_cv.notify_all();
}

// ---- firmware ----

CSimProcessor::Reply CSimProcessor::LoaderStep(const DecodedFrame& frame)
{
    const auto& p = frame.payload;
    switch (frame.index) {
    case FW_START:
        ++m_loader.starts;
        m_loader.dsp.clear();
        m_loader.mcuHeader.clear();
        m_loader.mcu.clear();
        m_loader.checksum.reset();
        m_restartPending = true;
        break;
    case FW_DSP_ERASE:
        ++m_loader.erases;
        m_replyDelay = m_eraseTime;
        break;
    case FW_DSP_DATA:
        if (p.size() == 48) {
            const std::size_t address = std::size_t(p[0]) | std::size_t(p[1]) << 8 |
                                        std::size_t(p[2]) << 16 | std::size_t(p[3]) << 24;
            constexpr std::size_t kFlash = 0x40000;  // what the DSP flash holds
            if (address + 44 > kFlash)
                return {REPLY_RESEND, {}};
            if (m_loader.dsp.size() < address + 44)
                m_loader.dsp.resize(address + 44, 0xFF);
            std::copy(p.begin() + 4, p.end(), m_loader.dsp.begin() + std::ptrdiff_t(address));
        }
        break;
    case FW_MCU_HEADER:
        m_loader.mcuHeader.assign(p.begin(), p.end());
        m_loader.mcu.clear();
        break;
    case FW_MCU_DATA:
        m_loader.mcu.insert(m_loader.mcu.end(), p.begin(), p.end());
        break;
    case FW_FINISH:
        if (!p.empty())
            m_loader.checksum = p[0];
        ++m_loader.finishes;
        m_loader.inLoader = false;  // the new firmware runs
        break;
    default:
        break;
    }
    return {REPLY_ACK, {}};
}

void CSimProcessor::SetRestartHook(std::function<void()> hook)
{
    std::lock_guard lock(m_mutex);
    m_restartHook = std::move(hook);
}

LoaderState CSimProcessor::Loader() const
{
    std::lock_guard lock(m_mutex);
    return m_loader;
}

// ---- connections ----

std::uint64_t CSimProcessor::Attach(OpenError& error)
{
    std::lock_guard lock(m_mutex);
    if (!m_plugged) {
        error = OpenError::NotFound;
        return 0;
    }
    if (m_connection != 0) {
        error = OpenError::Busy;
        return 0;
    }
    ClearBuffers();
    m_connection = ++m_lastConnection;
    error = OpenError::None;
    return m_connection;
}

void CSimProcessor::Detach(std::uint64_t connection)
{
    std::lock_guard lock(m_mutex);
    if (connection == 0 || connection != m_connection)
        return;
    m_connection = 0;
    ClearBuffers();
    m_cv.notify_all();
}

bool CSimProcessor::Unplug()
{
    std::lock_guard lock(m_mutex);
    if (!m_plugged)
        return false;
    m_plugged = false;
    m_connection = 0;
    ClearBuffers();
    m_cv.notify_all();
    return true;
}

bool CSimProcessor::Replug()
{
    std::lock_guard lock(m_mutex);
    if (m_plugged)
        return false;
    m_plugged = true;
    return true;
}

bool CSimProcessor::Plugged() const
{
    std::lock_guard lock(m_mutex);
    return m_plugged;
}

// ---- faults ----

void CSimProcessor::SetSilent(bool silent)
{
    std::lock_guard lock(m_mutex);
    m_silent = silent;
}

void CSimProcessor::ResendNext(int n)
{
    std::lock_guard lock(m_mutex);
    m_resend = std::max(n, 0);
}

void CSimProcessor::CorruptNextChecksum()
{
    std::lock_guard lock(m_mutex);
    m_corrupt = true;
}

void CSimProcessor::EmptyNextRead()
{
    std::lock_guard lock(m_mutex);
    m_emptyRead = true;
}

void CSimProcessor::SetVersion(const std::string& version)
{
    std::lock_guard lock(m_mutex);
    PutText(m_memory->version, kVersionLength, version, ' ');
}

void CSimProcessor::SetModel(int model)
{
    std::lock_guard lock(m_mutex);
    m_model = model;
}

// ---- for tests ----

DeviceImage CSimProcessor::Memory() const
{
    std::lock_guard lock(m_mutex);
    return *m_memory;
}

void CSimProcessor::Edit(const std::function<void(DeviceImage&)>& fn)
{
    std::lock_guard lock(m_mutex);
    fn(*m_memory);
}

std::vector<std::vector<std::uint8_t>> CSimProcessor::ReceivedFrames() const
{
    std::lock_guard lock(m_mutex);
    return {m_log.begin(), m_log.end()};
}

void CSimProcessor::ClearReceivedFrames()
{
    std::lock_guard lock(m_mutex);
    m_log.clear();
}

} // namespace ovix::sim
