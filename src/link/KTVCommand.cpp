#include "link/KTVCommand.h"

namespace ovix {

// Batches hold the batch lock (their frames stay together) and the model lock (the link
// worker does not write a changed group into the image while a batch copies it).

namespace {

constexpr int kLevelBlock = OutputBlock::kLevelItem;
// Programs 1..10 are the ones the console offers; reads and downloads cover those.
constexpr int kOfferedPrograms = 10;

// System items ReadDeviceInfo asks for after the model and the ten program names.
constexpr int kDeviceInfoItems[] = {
    SYS_EFFECT_NAME, SYS_PROGRAM_NAME, SYS_SETTINGS, SYS_STATUS, SYS_DEVICE_INFO,
    SYS_IDENT, SYS_IDENT, SYS_FLAG20, 34, 35, 36, 37, 38, 39, SYS_DELAY_MEMORY,
};

} // namespace

CKTVCommand::CKTVCommand(ParameterModel& model, LinkFlags& flags, std::recursive_mutex& batchLock,
                         ICommandHost& host)
    : m_model(model), m_flags(flags), m_batchLock(batchLock), m_host(host),
      m_imagePort(model.image), m_records(&m_imagePort)
{
}

void CKTVCommand::SetRecordPort(IRecordPort* records)
{
    m_records = records ? records : &m_imagePort;
}

void CKTVCommand::Clear()
{
    m_queue.Clear();
    m_collector.Clear();
}

void CKTVCommand::EnqueueNumbered(FramePtr frame, bool increment)
{
    if (!frame)
        return;
    const int n = m_host.BatchCounter();
    frame->SetSeq(n);
    if (increment)
        m_host.SetBatchCounter(n + 1);
    m_queue.Enqueue(std::move(frame));
}

void CKTVCommand::EnqueuePlain(FramePtr frame)
{
    m_queue.Enqueue(std::move(frame));
}

void CKTVCommand::BeginBusy()
{
    m_flags.busy = 1;
    m_host.OpenDataLoadingWindow();
}

void CKTVCommand::SendLevel(int channel, int on)
{
    Records().SetSoundOn(channel, on);
    Records().ClearLevelDirty(channel);
    EnqueuePlain(WriteBlock(m_model.image, REC_OUTPUT, channel, kLevelBlock));
}

std::array<std::uint8_t, kOutputChannels> CKTVCommand::SilenceAllOutputs()
{
    DeviceImage& img = m_model.image;
    std::array<std::uint8_t, kOutputChannels> on{};
    for (int ch = 0; ch < kOutputChannels; ++ch) {
        on[ch] = img.current.outputs[ch].soundOn;
        img.current.outputs[ch].soundOn = 0;
        EnqueueNumbered(WriteBlock(img, REC_OUTPUT, ch, kLevelBlock));
    }
    return on;
}

void CKTVCommand::RestoreAllOutputs(const std::array<std::uint8_t, kOutputChannels>& on,
                                    bool endsBatch)
{
    DeviceImage& img = m_model.image;
    for (int ch = 0; ch < kOutputChannels; ++ch) {
        img.current.outputs[ch].soundOn = on[ch];
        FramePtr f = WriteBlock(img, REC_OUTPUT, ch, kLevelBlock);
        if (endsBatch && ch == kOutputChannels - 1)
            f->SetLast(1);
        EnqueueNumbered(std::move(f));
    }
}

bool CKTVCommand::PairCondition(int channel) const
{
    if (m_host.LinkToggle(LinkPair::Front))
        return channel == 1;
    if (m_host.LinkToggle(LinkPair::Rear))
        return channel == 3;
    return m_host.LinkToggle(LinkPair::Sub) && channel == 5;
}

void CKTVCommand::ReadVersion()
{
    if (!m_host.IsConnected())
        return;
    EnqueuePlain(ReadSystemItem(SYS_VERSION, 0));
}

void CKTVCommand::ReadDeviceInfo()
{
    if (!m_host.IsConnected())
        return;
    std::scoped_lock lock(m_batchLock, m_model.lock);
    EnqueueNumbered(ReadSystemItem(SYS_MODEL, 0));
    for (int p = 1; p <= kOfferedPrograms; ++p)
        EnqueueNumbered(ReadSystemItem(SYS_PROGRAM_NAME, p));
    for (int item : kDeviceInfoItems)
        EnqueueNumbered(ReadSystemItem(item, 0));
    BeginBusy();
}

// The music input and the six outputs of one program; the last frame notifies and the
// counter stays on its number, so the batch ends on the counter's final value.
void CKTVCommand::ReadProgramRecords(int program, bool recall)
{
    EnqueueNumbered(ReadRecord(program, REC_MUSIC, kMusicIndex, recall));
    for (int ch = 0; ch < kOutputChannels; ++ch) {
        FramePtr f = ReadRecord(program, REC_OUTPUT, ch, recall);
        const bool last = ch == kOutputChannels - 1;
        if (last)
            f->SetNotify(1);
        EnqueueNumbered(std::move(f), !last);
    }
    BeginBusy();
}

bool CKTVCommand::ReadLive()
{
    // the records no longer match the processor until the live program is back
    m_model.flags.synced = 0;
    if (!m_host.IsConnected()) {
        m_host.ShowConnectionFailure();
        return false;
    }
    std::scoped_lock lock(m_batchLock, m_model.lock);
    ReadProgramRecords(0, false);
    return true;
}

bool CKTVCommand::RecallProgram(int program)
{
    m_model.flags.synced = 0;
    if (!m_host.IsConnected()) {
        m_host.ShowConnectionFailure();
        return false;
    }
    if (program < 1 || program > kStoredPrograms)
        return false;
    std::scoped_lock lock(m_batchLock, m_model.lock);
    m_host.SetBatchCounter(0);
    ReadProgramRecords(program, true);
    return true;
}

bool CKTVCommand::ReadAllPrograms()
{
    if (!m_host.IsConnected()) {
        m_host.ShowConnectionFailure();
        return false;
    }
    std::scoped_lock lock(m_batchLock, m_model.lock);
    m_host.SetBatchCounter(0);
    for (int p = 1; p <= kOfferedPrograms; ++p) {
        EnqueueNumbered(ReadRecord(p, REC_MUSIC, kMusicIndex, false));
        for (int ch = 0; ch < kOutputChannels; ++ch) {
            FramePtr f = ReadRecord(p, REC_OUTPUT, ch, false);
            if (p == kOfferedPrograms && ch == kOutputChannels - 1)
                f->SetNotify(1);
            EnqueueNumbered(std::move(f));
        }
    }
    BeginBusy();
    return true;
}

bool CKTVCommand::StoreProgram(int program, bool fromRecords)
{
    if (!m_host.IsConnected()) {
        m_host.ShowConnectionFailure();
        return false;
    }
    if (program < 0 || program > kStoredPrograms)
        return false;
    DeviceImage& img = m_model.image;
    std::scoped_lock lock(m_batchLock, m_model.lock);
    m_host.SetBatchCounter(0);

    if (fromRecords && !Records().StoreRecordsIntoProgram())
        m_host.ShowNameTooLong();
    if (program != 0)
        WriteProgramMarker(img.current, program);

    // Without the records the outputs are silenced while the program is written, so the
    // processor never plays a half-written program.
    std::array<std::uint8_t, kOutputChannels> savedOn{};
    if (!fromRecords)
        savedOn = SilenceAllOutputs();
    EnqueueNumbered(WriteSystemItem(img, SYS_PROGRAM_NAME, program));
    EnqueueNumbered(WriteRecord(img, program, REC_MUSIC, kMusicIndex, true, false));
    for (int ch = 0; ch < kOutputChannels; ++ch) {
        FramePtr f = WriteRecord(img, program, REC_OUTPUT, ch, true, false);
        if (fromRecords && ch == kOutputChannels - 1)
            f->SetLast(1);
        EnqueueNumbered(std::move(f));
    }
    if (!fromRecords)
        RestoreAllOutputs(savedOn, true);
    BeginBusy();
    return true;
}

void CKTVCommand::DownloadAll()
{
    if (!m_host.IsConnected())
        return;
    DeviceImage& img = m_model.image;
    std::scoped_lock lock(m_batchLock, m_model.lock);
    m_host.SetBatchCounter(0);

    const auto savedOn = SilenceAllOutputs();
    EnqueueNumbered(WriteRecord(img, 0, REC_MUSIC, kMusicIndex, true, false));
    for (int ch = 0; ch < kOutputChannels; ++ch)
        EnqueueNumbered(WriteRecord(img, 0, REC_OUTPUT, ch, true, false));
    EnqueuePlain(WriteSystemItem(img, SYS_DELAY_MEMORY, 0));
    RestoreAllOutputs(savedOn, false);
    for (int p = 1; p <= kOfferedPrograms; ++p) {
        EnqueueNumbered(WriteSystemItem(img, SYS_PROGRAM_NAME, p));
        EnqueueNumbered(WriteRecord(img, p, REC_MUSIC, kMusicIndex, false, true));
        for (int ch = 0; ch < kOutputChannels; ++ch) {
            FramePtr f = WriteRecord(img, p, REC_OUTPUT, ch, false, true);
            if (p == kOfferedPrograms && ch == kOutputChannels - 1)
                f->SetLast(1);
            EnqueueNumbered(std::move(f));
        }
    }
    BeginBusy();
}

void CKTVCommand::MuteGroup(int channel) { SendGroupLevels(channel, true); }

void CKTVCommand::RestoreGroup(int channel) { SendGroupLevels(channel, false); }

void CKTVCommand::SendGroupLevels(int channel, bool mute)
{
    if (!m_host.IsConnected() || channel < 0 || channel >= kOutputChannels)
        return;
    const auto& group = m_model.image.linkTable.group;
    std::scoped_lock lock(m_batchLock, m_model.lock);
    for (int i = 0; i < kOutputChannels; ++i) {
        if (group[i] != group[channel])
            continue;
        if (mute)
            m_savedSoundOn[i] = Records().SoundOn(i);
        SendLevel(i, mute ? 0 : m_savedSoundOn[i]);
    }
}

void CKTVCommand::RewriteOutput(int channel, bool notify)
{
    if (!m_host.IsConnected() || channel < 0 || channel >= kOutputChannels)
        return;
    const DeviceImage& img = m_model.image;
    std::scoped_lock lock(m_batchLock, m_model.lock);
    const int on = Records().SoundOn(channel);
    SendLevel(channel, 0);

    Records().StoreOutputIntoProgram(channel);
    FramePtr record = WriteRecord(img, 0, REC_OUTPUT, channel, true, false);
    const bool notifies = notify && PairCondition(channel);
    if (notifies)
        record->SetNotifyAlways(1);
    EnqueuePlain(std::move(record));
    if (notifies)
        BeginBusy();

    SendLevel(channel, on);
}

void CKTVCommand::MuteOutput(int channel)
{
    if (!m_host.IsConnected() || channel < 0 || channel >= kOutputChannels)
        return;
    const DeviceImage& img = m_model.image;
    std::scoped_lock lock(m_batchLock, m_model.lock);
    const int on = Records().SoundOn(channel);
    Records().SetSoundOn(channel, 0);
    EnqueuePlain(WriteBlock(img, REC_OUTPUT, channel, kLevelBlock));
    // the record keeps its state; only the processor goes quiet
    Records().SetSoundOn(channel, on);
}

void CKTVCommand::SendOutputRecord(int channel)
{
    if (!m_host.IsConnected() || channel < 0 || channel >= kOutputChannels)
        return;
    FramePtr record = WriteRecord(m_model.image, 0, REC_OUTPUT, channel, true, false);
    const bool notifies = PairCondition(channel);
    if (notifies)
        record->SetNotifyAlways(1);
    EnqueuePlain(std::move(record));
    if (notifies)
        BeginBusy();
}

FramePtr CKTVCommand::SendSystemItem(int item, int program)
{
    if (!m_host.IsConnected())
        return nullptr;
    std::scoped_lock lock(m_batchLock, m_model.lock);
    FramePtr f = WriteSystemItem(m_model.image, item, program);
    EnqueuePlain(f);
    return f;
}

} // namespace ovix
