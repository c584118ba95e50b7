#pragma once
// What the equaliser editor does to the records and the processor, without a window:
// per-band edits mirrored onto the linked channels, bypass all / restore all, and the
// switch between parametric and graphic mode with its group rewrite. The editor calls
// these and refreshes its strips from the records afterwards; end-to-end tests drive them
// against the simulated processor.
//
// Everything runs on the window thread. Per-band edits only mark band records, which the
// link worker sends one at a time; the whole-EQ operations hold the batch lock (g_csLink)
// while they queue the mute, rewrite and restore commands, and queue only while the
// processor is connected (the records change all the same).

#include "link/KTVCommand.h"
#include "model/KTV_Data.h"

#include <mutex>
#include <vector>

namespace ovix {

class CEqEdits {
public:
    CEqEdits(ParameterModel& model, CKTV_Data& records, CKTVCommand& command, ICommandHost& host,
             std::recursive_mutex& batchLock);
    CEqEdits(const CEqEdits&) = delete;
    CEqEdits& operator=(const CEqEdits&) = delete;

    // The channel and every channel linked with it, in channel order.
    std::vector<int> Group(int channel) const;

    // ---- per-band edits of band 0..30 of `channel`, mirrored to its linked channels ----
    // Frequency from the editor (the device frequency glides up by octaves).
    void SetBandFrequency(int channel, int band, int hz);
    void SetBandWidth(int channel, int band, int index);
    void SetBandGain(int channel, int band, int code);
    // The band's own bypass takes `bypass`; each linked channel's band then takes the
    // effective bypass the band reports (a band held bypassed by its 0 dB gain passes the
    // bypassed state on).
    void SetBandBypass(int channel, int band, int bypass);
    // The band was dragged on the graph (its record holds the new values): every linked
    // channel takes its frequency, bandwidth and gain.
    void BandDragged(int channel, int band);

    // Every filter of the channel reports bypassed (kept in the record's all-bypass too).
    bool AllBandsBypassed(int channel);
    // The group bypass of every filter of the channel alone; sends nothing.
    void SetGroupBypass(int channel, bool on);

    // After bypass all (on) or restore all (off) was confirmed on `channel`, whose filters
    // already carry the group bypass: the channel is silenced and rewritten alone, then its
    // group is muted, every linked channel takes the same group bypass, each channel of the
    // group is rewritten (the notifying one by the pair rule) and the group's sound is
    // given back.
    void RewriteBypassAll(int channel, bool on);

    // The channel (and, through the record, its linked channels) switches to graphic (1)
    // or parametric (0) mode; every band of the group goes back to its standard frequency
    // (0.2 octave, 0 dB, bypassed) and each channel's record is rewritten between the
    // group's mute and restore.
    void ConvertEqMode(int channel, int mode);

private:
    bool Valid(int channel, int band = 0) const;
    // The channel's record into its OutputBlock and the whole record queued (only while
    // connected).
    void SendRecord(int channel);

    ParameterModel& m_model;
    CKTV_Data& m_records;
    CKTVCommand& m_command;
    ICommandHost& m_host;
    std::recursive_mutex& m_batchLock;
};

} // namespace ovix
