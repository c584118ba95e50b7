#include "document/EqEdits.h"

#include <algorithm>

#include "tables/Scales.h"

namespace ovix {

CEqEdits::CEqEdits(ParameterModel& model, CKTV_Data& records, CKTVCommand& command, ICommandHost& host,
                   std::recursive_mutex& batchLock)
    : m_model(model), m_records(records), m_command(command), m_host(host), m_batchLock(batchLock)
{
}

bool CEqEdits::Valid(int channel, int band) const
{
    return channel >= 0 && channel < kOutputChannels && band >= 0 && band < kOutputBands;
}

std::vector<int> CEqEdits::Group(int channel) const
{
    if (!Valid(channel))
        return {};
    std::vector<int> group;
    {
        ModelLock lock(m_model.lock);  // the link worker reads the table for the link flag
        group = m_model.image.linkTable.LinkedWith(channel);
    }
    // the channel itself among them, in channel order
    group.insert(std::lower_bound(group.begin(), group.end(), channel), channel);
    return group;
}

// ---- per-band edits ----

void CEqEdits::SetBandFrequency(int channel, int band, int hz)
{
    if (!Valid(channel, band))
        return;
    ModelLock lock(m_model.lock);
    for (int c : Group(channel)) {
        m_records.Out(c).Band(band).SetFrequency(hz, true);
        m_records.Out(c).RefreshCurve();
    }
}

void CEqEdits::SetBandWidth(int channel, int band, int index)
{
    if (!Valid(channel, band))
        return;
    ModelLock lock(m_model.lock);
    for (int c : Group(channel)) {
        m_records.Out(c).Band(band).SetBandwidthIndex(index);
        m_records.Out(c).RefreshCurve();
    }
}

void CEqEdits::SetBandGain(int channel, int band, int code)
{
    if (!Valid(channel, band))
        return;
    ModelLock lock(m_model.lock);
    for (int c : Group(channel)) {
        m_records.Out(c).Band(band).SetGainCode(code);
        m_records.Out(c).RefreshCurve();
    }
}

void CEqEdits::SetBandBypass(int channel, int band, int bypass)
{
    if (!Valid(channel, band))
        return;
    ModelLock lock(m_model.lock);
    CFilter& own = m_records.Out(channel).Band(band);
    own.SetBypass(bypass);
    m_records.Out(channel).RefreshCurve();
    const int effective = own.EffectivelyBypassed() ? 1 : 0;
    for (int c : Group(channel)) {
        if (c == channel)
            continue;
        m_records.Out(c).Band(band).SetBypass(effective);
        m_records.Out(c).RefreshCurve();
    }
}

void CEqEdits::BandDragged(int channel, int band)
{
    if (!Valid(channel, band))
        return;
    ModelLock lock(m_model.lock);
    const CFilter& from = m_records.Out(channel).Band(band);
    const int hz = from.Freq();
    const int width = from.BandwidthIndex();
    const int gain = from.EffectivelyBypassed() ? kBypassGainCode : from.GainCode();
    for (int c : Group(channel)) {
        if (c == channel)
            continue;
        CFilter& to = m_records.Out(c).Band(band);
        to.SetFrequency(hz, true);
        to.SetBandwidthIndex(width);
        to.SetGainCode(gain);
        m_records.Out(c).RefreshCurve();
    }
}

// ---- bypass all / restore all ----

bool CEqEdits::AllBandsBypassed(int channel)
{
    if (!Valid(channel))
        return false;
    ModelLock lock(m_model.lock);
    CKTV_OutData& out = m_records.Out(channel);
    out.UpdateAllBypass();
    return out.AllBypass() != 0;
}

void CEqEdits::SetGroupBypass(int channel, bool on)
{
    if (!Valid(channel))
        return;
    m_records.Out(channel).SetGroupBypass(on);
}

void CEqEdits::RewriteBypassAll(int channel, bool on)
{
    if (!Valid(channel))
        return;
    std::scoped_lock lock(m_batchLock, m_model.lock);
    // the channel alone first, silent while its whole record is rewritten
    m_command.MuteOutput(channel);
    m_command.RewriteOutput(channel, false);

    m_command.MuteGroup(channel);
    for (int c : Group(channel)) {
        if (c != channel)
            m_records.Out(c).SetGroupBypass(on);
        m_command.RewriteOutput(c, true);
    }
    m_command.RestoreGroup(channel);
}

// ---- PEQ / GEQ ----

void CEqEdits::SendRecord(int channel)
{
    if (!m_host.IsConnected())
        return;
    m_records.StoreOutputIntoProgram(channel);
    m_command.SendOutputRecord(channel);
}

void CEqEdits::ConvertEqMode(int channel, int mode)
{
    if (!Valid(channel))
        return;
    std::scoped_lock lock(m_batchLock, m_model.lock);
    // the record hands the mode on to its linked channels
    m_records.Out(channel).SetGeqMode(mode ? 1 : 0);

    m_command.MuteGroup(channel);
    for (int c : Group(channel)) {
        CKTV_OutData& out = m_records.Out(c);
        for (int b = 0; b < kOutputBands; ++b)
            out.Band(b).ResetBand(IsoBandTable[std::size_t(b)]);
        out.RefreshCurve();
        SendRecord(c);
    }
    m_command.RestoreGroup(channel);
}

} // namespace ovix
