#include "document/ConsoleEdits.h"

#include "link/CommandBuilder.h"
#include "tables/Scales.h"

#include <algorithm>

namespace ovix {

namespace {

constexpr int kPairs = 3;
constexpr int kHighPassHandle = CKTV_OutData::kHighPassFilter;  // 31
constexpr int kLowPassHandle = CKTV_OutData::kLowPassFilter;    // 32

bool ValidChannel(int channel) { return channel >= 0 && channel < kOutputChannels; }

} // namespace

CConsoleEdits::CConsoleEdits(ParameterModel& model, CKTV_Data& records, CKTVCommand& command,
                             CommandHostState& host, std::recursive_mutex& batchLock)
    : m_model(model), m_records(records), m_command(command), m_host(host), m_batchLock(batchLock)
{
}

// ---- link groups ----

std::vector<int> CConsoleEdits::GroupMembers(int channel) const
{
    if (!ValidChannel(channel))
        return {};
    ModelLock lock(m_model.lock);  // the link worker reads the table for the link flag
    return m_model.image.linkTable.LinkedWith(channel);
}

std::vector<int> CConsoleEdits::WithGroup(int s) const
{
    std::vector<int> channels{s};
    const std::vector<int> members = GroupMembers(s);
    channels.insert(channels.end(), members.begin(), members.end());
    return channels;
}

bool CConsoleEdits::IsPairLinked(int pair) const
{
    if (pair < 0 || pair >= kPairs)
        return false;
    ModelLock lock(m_model.lock);
    const auto& group = m_model.image.linkTable.group;
    return group[2 * pair] == group[2 * pair + 1];
}

void CConsoleEdits::ResetLinks()
{
    std::scoped_lock lock(m_batchLock, m_model.lock);
    m_model.image.linkTable = LinkTable{};
    m_host.m_linkToggles = {};
}

int CConsoleEdits::LinkPair(int pair, int choice)
{
    if (pair < 0 || pair >= kPairs)
        return -1;
    const int src = 2 * pair + (choice ? 1 : 0);
    const int dst = 2 * pair + (choice ? 0 : 1);
    std::scoped_lock lock(m_batchLock, m_model.lock);
    const SoundOnBracket bracket = OpenBracket(src);

    auto& group = m_model.image.linkTable.group;
    int joined = -1;
    if (group[dst] != group[src]) {
        group[dst] = group[src];
        CKTV_OutData& to = m_records.Out(dst);
        for (int c : GroupMembers(dst))
            to.CopySettingsFrom(m_records.Out(c));
        RewriteRecord(dst);
        joined = dst;
    }

    CloseBracket(bracket);
    // lit only now: the pair rule of the record written above reads the toggles as they
    // were before this pair was linked
    m_host.m_linkToggles[std::size_t(pair)] = true;
    return joined;
}

void CConsoleEdits::UnlinkPair(int pair)
{
    if (pair < 0 || pair >= kPairs)
        return;
    std::scoped_lock lock(m_batchLock, m_model.lock);
    auto& group = m_model.image.linkTable.group;
    group[std::size_t(2 * pair)] = 2 * pair;
    group[std::size_t(2 * pair + 1)] = 2 * pair + 1;
    m_host.m_linkToggles[std::size_t(pair)] = false;
}

// ---- sound-on bracket and whole-record writes ----

void CConsoleEdits::QueueLevel(int channel, int on)
{
    m_records.SetSoundOn(channel, on);  // writes the level group into the image
    m_records.ClearLevelDirty(channel);
    m_command.Enqueue(WriteBlock(m_model.image, REC_OUTPUT, channel, OutputBlock::kLevelItem));
}

CConsoleEdits::SoundOnBracket CConsoleEdits::OpenBracket(int channel)
{
    SoundOnBracket bracket;
    if (!m_host.IsConnected())
        return bracket;
    bracket.channels = WithGroup(channel);
    std::sort(bracket.channels.begin(), bracket.channels.end());
    for (int c : bracket.channels) {
        bracket.saved[std::size_t(c)] = m_records.SoundOn(c);
        QueueLevel(c, 0);
    }
    return bracket;
}

void CConsoleEdits::CloseBracket(const SoundOnBracket& bracket)
{
    if (!m_host.IsConnected())
        return;
    for (int c : bracket.channels)
        QueueLevel(c, bracket.saved[std::size_t(c)]);
}

void CConsoleEdits::RewriteRecord(int channel)
{
    if (!m_host.IsConnected())
        return;
    m_records.StoreOutputIntoProgram(channel);
    // the pair rule: m_bNotifyAlways (with the busy flag and the data-loading window) only
    // on the second channel of the first linked pair
    m_command.SendOutputRecord(channel);
}

// ---- channel strip ----

void CConsoleEdits::ToggleSoundOn(int channel)
{
    if (!ValidChannel(channel))
        return;
    CKTV_OutData& out = m_records.Out(channel);
    out.SetSoundOn(out.SoundOn() ? 0 : 1);
}

void CConsoleEdits::TogglePolarity(int channel)
{
    if (!ValidChannel(channel))
        return;
    CKTV_OutData& out = m_records.Out(channel);
    out.SetPolarity(out.Polarity() ? 0 : 1);
}

void CConsoleEdits::SetGain(int channel, int code)
{
    if (!ValidChannel(channel))
        return;
    m_records.Out(channel).SetGain(code);
}

bool CConsoleEdits::SetDelay(int channel, int code)
{
    if (!ValidChannel(channel))
        return false;
    code = std::clamp(code, 0, kMaxDelay);
    ModelLock lock(m_model.lock);
    DeviceImage& img = m_model.image;
    OutputBlock& block = img.current.outputs[channel];
    if (block.Delay() == code)
        return false;
    img.delayMemory.SetDelay(img.delayMemory.CurrentSet(), channel, std::uint16_t(code));
    block.SetDelay(std::uint16_t(code));
    m_model.flags.delayMemory = m_host.IsConnected() ? 1 : 0;
    m_records.Out(channel).SetDelay(code);
    return true;
}

// ---- master ----

bool CConsoleEdits::SetVolume(int code)
{
    CMusic_InData& music = m_records.Music();
    ModelLock lock(m_model.lock);
    if (code == music.Volume())
        return false;
    music.SetVolume(code);
    music.SetOn(1);
    return true;
}

bool CConsoleEdits::SetSelector(int selector)
{
    CMusic_InData& music = m_records.Music();
    ModelLock lock(m_model.lock);
    if (selector == music.Selector())
        return false;
    music.SetSelector(selector);
    return true;
}

// ---- crossover panels ----

void CConsoleEdits::SetHighPassFamily(int s, int family)
{
    if (!ValidChannel(s))
        return;
    ModelLock lock(m_model.lock);
    for (int c : WithGroup(s)) {
        m_records.Out(c).HighPass().SetFamily(family, true);
        m_records.Out(c).RefreshCurve();
    }
}

void CConsoleEdits::SetHighPassSlope(int s, int slope)
{
    if (!ValidChannel(s))
        return;
    ModelLock lock(m_model.lock);
    for (int c : WithGroup(s)) {
        m_records.Out(c).HighPass().SetSlope(slope, true);
        m_records.Out(c).RefreshCurve();
    }
}

void CConsoleEdits::SetLowPassFamily(int s, int family)
{
    if (!ValidChannel(s))
        return;
    ModelLock lock(m_model.lock);
    for (int c : WithGroup(s)) {
        m_records.Out(c).LowPass().SetFamily(family, true);
        m_records.Out(c).RefreshCurve();
    }
}

void CConsoleEdits::SetLowPassSlope(int s, int slope)
{
    if (!ValidChannel(s))
        return;
    ModelLock lock(m_model.lock);
    for (int c : WithGroup(s)) {
        m_records.Out(c).LowPass().SetSlope(slope, true);
        m_records.Out(c).RefreshCurve();
    }
}

int CConsoleEdits::SetHighPassFreq(int s, int hz)
{
    if (!ValidChannel(s))
        return hz;
    ModelLock lock(m_model.lock);
    // the high-pass never rises above the low-pass
    hz = std::min(hz, m_records.Out(s).LowPass().Freq());
    for (int c : WithGroup(s)) {
        m_records.Out(c).HighPass().SetFrequency(hz, true);
        m_records.Out(c).RefreshCurve();
    }
    return hz;
}

int CConsoleEdits::SetLowPassFreq(int s, int hz)
{
    if (!ValidChannel(s))
        return hz;
    ModelLock lock(m_model.lock);
    // the low-pass never falls below the high-pass
    hz = std::max(hz, m_records.Out(s).HighPass().Freq());
    for (int c : WithGroup(s)) {
        m_records.Out(c).LowPass().SetFrequency(hz, true);
        m_records.Out(c).RefreshCurve();
    }
    return hz;
}

void CConsoleEdits::CrossoverDragged(int s, int handle)
{
    if (!ValidChannel(s) || (handle != kHighPassHandle && handle != kLowPassHandle))
        return;
    ModelLock lock(m_model.lock);
    const bool highPass = handle == kHighPassHandle;
    CKTV_OutData& from = m_records.Out(s);
    const int hz = highPass ? from.HighPass().Freq() : from.LowPass().Freq();
    for (int c : GroupMembers(s)) {
        CKTV_OutData& to = m_records.Out(c);
        (highPass ? to.HighPass() : to.LowPass()).SetFrequency(hz, true);
        to.RefreshCurve();
    }
}

// ---- "Reset All EQ" ----

void CConsoleEdits::ResetAllEq(int s)
{
    RewriteEqGroup(s, [](CKTV_OutData& out) {
        for (int b = 0; b < kOutputBands; ++b)
            out.Band(b).ResetBand(IsoBandTable[std::size_t(b)]);
    });
}

void CConsoleEdits::RewriteEqGroup(int s, const std::function<void(CKTV_OutData&)>& change)
{
    if (!ValidChannel(s))
        return;
    std::scoped_lock lock(m_batchLock, m_model.lock);
    const SoundOnBracket bracket = OpenBracket(s);
    for (int c : WithGroup(s)) {
        CKTV_OutData& out = m_records.Out(c);
        change(out);
        out.RefreshCurve();
        RewriteRecord(c);
    }
    CloseBracket(bracket);
}

} // namespace ovix
