#pragma once
// What the console's editing commands do to the records, the image and the processor,
// without a window: strip, master and crossover edits, the link toggles with their
// settings copy, "Reset All EQ", the sound-on bracket and the pair rule. The console view
// calls these and refreshes its controls from the records afterwards; end-to-end tests
// drive them against the simulated processor.
//
// Everything runs on the window thread. Whole-channel operations hold the batch lock
// (g_csLink) while they queue and queue only while the processor is connected; ordinary
// edits only mark records, which the link worker sends one group at a time.

#include "link/KTVCommand.h"
#include "model/KTV_Data.h"

#include <array>
#include <functional>
#include <mutex>
#include <vector>

namespace ovix {

class CConsoleEdits {
public:
    // host: the console's command host (its connected flag and the three link toggles the
    // pair rule reads; CConsoleLink is one).
    CConsoleEdits(ParameterModel& model, CKTV_Data& records, CKTVCommand& command,
                  CommandHostState& host, std::recursive_mutex& batchLock);
    CConsoleEdits(const CConsoleEdits&) = delete;
    CConsoleEdits& operator=(const CConsoleEdits&) = delete;

    // ---- link groups ----
    // The other channels whose group number equals channel's (the channel itself not
    // included), in channel order.
    std::vector<int> GroupMembers(int channel) const;
    // Pair p (0: CH1/CH2, 1: CH3/CH4, 2: CH5/CH6) is linked.
    bool IsPairLinked(int pair) const;
    // Every channel back in its own group and every toggle off (refresh from image).
    void ResetLinks();
    // The link toggle of pair p answered OK with choice 0 (the pair's first channel is the
    // source) or 1 (the second is): the other channel joins the source's group and takes
    // over its settings; while connected its record is rewritten on the processor inside
    // the sound-on bracket, marked by the pair rule. The toggle is lit. Returns the
    // destination channel, or -1 when it was already in the source's group.
    int LinkPair(int pair, int choice);
    // A lit toggle pressed: both channels back in their own groups, toggle off; nothing
    // is sent.
    void UnlinkPair(int pair);

    // ---- channel strip ----
    void ToggleSoundOn(int channel);
    void TogglePolarity(int channel);
    // Gain code 0..60 through the setter (linked channels take the level group); the
    // caller refreshes GroupMembers(channel) afterwards.
    void SetGain(int channel, int code);
    // Delay code 0..960: false (nothing happens) when it equals the channel's delay word
    // in the current program; else the current delay-memory set, the program's delay word,
    // the delay-memory flag (1 while connected, else 0) and the record's delay.
    bool SetDelay(int channel, int code);

    // ---- master ----
    // False when the code equals the music input's volume; else the volume and on = 1.
    bool SetVolume(int code);
    // 0: 1-Way, 1: 2-Way; false when it is the current selector (nothing sent).
    bool SetSelector(int selector);

    // ---- crossover panels: channel s and its group ----
    void SetHighPassFamily(int s, int family);
    void SetHighPassSlope(int s, int slope);
    void SetLowPassFamily(int s, int family);
    void SetLowPassSlope(int s, int slope);
    // Returns the frequency set: a high-pass above the low-pass becomes the low-pass
    // frequency (and the reverse for the low-pass); set from the editor (octave glide) on
    // s and on every group member.
    int SetHighPassFreq(int s, int hz);
    int SetLowPassFreq(int s, int hz);
    // After a crossover handle of s was dragged on the graph (handle 31 high-pass, 32
    // low-pass): every group member takes s's frequency from the editor.
    void CrossoverDragged(int s, int handle);

    // ---- "Reset All EQ" (after the user said OK) ----
    // Every band of s and of its group back to its standard frequency (0.2 octave, 0 dB,
    // bypassed); while connected each channel's record is rewritten on the processor
    // inside the sound-on bracket, marked by the pair rule.
    void ResetAllEq(int s);
    // The same whole-channel path for any change of the equaliser: `change` is applied to
    // s and to every group member (under the model lock); while connected each channel's
    // record is rewritten inside the sound-on bracket, marked by the pair rule.
    void RewriteEqGroup(int s, const std::function<void(CKTV_OutData&)>& change);

private:
    // The sound-on bracket: the channels it silenced, with the on-flags they had.
    struct SoundOnBracket {
        std::vector<int> channels;
        std::array<int, kOutputChannels> saved{};
    };
    // Silences every channel of channel's group on the processor (only while connected).
    SoundOnBracket OpenBracket(int channel);
    // Gives the channels the bracket silenced their on-flags back; a channel that joined
    // the group in between is left alone.
    void CloseBracket(const SoundOnBracket& bracket);
    // Sets a channel's on-flag without marking it and queues its level block.
    void QueueLevel(int channel, int on);
    // The channel's record into its OutputBlock and the whole block queued, marked by the
    // pair rule (only while connected).
    void RewriteRecord(int channel);
    // s, then the members of its group.
    std::vector<int> WithGroup(int s) const;

    ParameterModel& m_model;
    CKTV_Data& m_records;
    CKTVCommand& m_command;
    CommandHostState& m_host;
    std::recursive_mutex& m_batchLock;
};

} // namespace ovix
