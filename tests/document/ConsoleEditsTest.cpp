// The console's editing commands on the records, the image and the send queue, without a
// link worker: what each edit marks, what the whole-channel operations queue, and what
// linked channels take over.

#include "document/ConsoleEdits.h"
#include "link/CommandBuilder.h"

#include "RecordsQueueFixture.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace ovix;

namespace {

class Edits : public test::RecordsQueue {
protected:
    void SetUp() override
    {
        RecordsQueue::SetUp();
        edits = std::make_unique<CConsoleEdits>(*model, *records, *command, host, lock);
    }
    // The queued frames, oldest first, as "R:ch" for a record write and "L:ch:on" for a
    // level block (with the on-flag it carries).
    std::vector<std::string> Queued() const { return QueuedFrames(false); }
    std::vector<FramePtr> RecordFrames() const
    {
        std::vector<FramePtr> out;
        for (const auto& f : command->Queue().Snapshot())
            if (f->RecordType() == REC_OUTPUT && f->Block() == 0 && f->CommandByte() == CMD_WRITE)
                out.push_back(f);
        return out;
    }

    std::unique_ptr<CConsoleEdits> edits;
};

} // namespace

TEST_F(Edits, GainFollowsTheLinkOnOffAndPolarityDoNot)
{
    ASSERT_EQ(edits->LinkPair(0, 0), 1);
    Connect();
    edits->SetGain(0, 40);
    EXPECT_EQ(Out(1).Gain(), 40) << "CH2 takes CH1's level group";
    EXPECT_EQ(Out(1).m_levelDirty, 1) << "and is sent";
    EXPECT_EQ(edits->GroupMembers(0), std::vector<int>{1}) << "the caller refreshes CH2";

    Out(1).m_levelDirty = 0;
    edits->TogglePolarity(0);
    edits->ToggleSoundOn(0);
    EXPECT_EQ(Out(0).Polarity(), 1);
    EXPECT_EQ(Out(1).Polarity(), 0) << "polarity does not follow the link";
    EXPECT_EQ(Out(0).SoundOn(), 1);
    EXPECT_EQ(Out(1).SoundOn(), 0) << "sound on does not follow the link";
    EXPECT_EQ(Out(1).m_levelDirty, 0);
    EXPECT_EQ(command->Count(), 0) << "ordinary edits only mark";
}

struct CrossoverCase {
    const char* name;
    bool highPass;  // which field is typed into
    int other;      // the other filter's frequency, set first
    int typed;
    int expected;
};

void PrintTo(const CrossoverCase& c, std::ostream* os) { *os << c.name; }

class CrossoverFreq : public Edits, public ::testing::WithParamInterface<CrossoverCase> {};

TEST_P(CrossoverFreq, HighPassNeverAboveTheLowPass)
{
    const CrossoverCase& c = GetParam();
    edits->LinkPair(1, 0);  // CH3 and CH4 edited together
    Connect();
    if (c.highPass)
        edits->SetLowPassFreq(2, c.other);
    else
        edits->SetHighPassFreq(2, c.other);
    const int got = c.highPass ? edits->SetHighPassFreq(2, c.typed) : edits->SetLowPassFreq(2, c.typed);
    EXPECT_EQ(got, c.expected) << "the field shows the corrected value";
    for (int ch : {2, 3}) {
        CFilter& f = c.highPass ? Out(ch).HighPass() : Out(ch).LowPass();
        EXPECT_EQ(f.Freq(), c.expected) << "channel " << ch;
        EXPECT_EQ(f.Dirty(), 1) << "channel " << ch;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, CrossoverFreq,
                         ::testing::Values(CrossoverCase{"HighAboveLow", true, 2000, 5000, 2000},
                                           CrossoverCase{"HighBelowLow", true, 2000, 1500, 1500},
                                           CrossoverCase{"LowBelowHigh", false, 2000, 800, 2000},
                                           CrossoverCase{"LowAboveHigh", false, 2000, 9000, 9000}));

TEST_F(Edits, CrossoverTypeAndDragReachTheGroup)
{
    edits->LinkPair(0, 0);
    Connect();
    edits->SetHighPassFamily(0, 1);
    edits->SetLowPassSlope(0, 5);
    for (int ch : {0, 1}) {
        EXPECT_EQ(Out(ch).HighPass().Family(), 1) << "channel " << ch;
        EXPECT_EQ(Out(ch).HighPass().Dirty(), 1) << "channel " << ch;
        EXPECT_EQ(Out(ch).LowPass().Slope(), 5) << "channel " << ch;
        EXPECT_EQ(Out(ch).LowPass().Dirty(), 1) << "channel " << ch;
    }
    EXPECT_EQ(Out(2).HighPass().Family(), 2) << "outside the group nothing changes";

    // the graph moved CH1's handles
    Out(0).HighPass().SetFrequency(120, true);
    Out(0).LowPass().SetFrequency(3000, true);
    edits->CrossoverDragged(0, 31);
    EXPECT_EQ(Out(1).HighPass().Freq(), 120);
    EXPECT_EQ(Out(1).LowPass().Freq(), 20000) << "only the dragged handle";
    edits->CrossoverDragged(0, 32);
    EXPECT_EQ(Out(1).LowPass().Freq(), 3000);
    edits->CrossoverDragged(0, 7);  // a band handle belongs to the equaliser editor
    EXPECT_EQ(Out(1).Band(7).Freq(), 100);
}

TEST_F(Edits, LinkingCopiesTheSourcesSettingsButKeepsTheDestinationsOwn)
{
    CKTV_OutData& src = Out(3);  // CH4
    CKTV_OutData& dst = Out(2);  // CH3
    src.Band(9).SetGainCode(310);
    src.Band(9).SetFrequency(180, false);
    src.HighPass().SetFrequency(80, false);
    src.LowPass().SetFamily(0, false);
    src.SetGain(33);
    src.SetGeqMode(1);
    src.SetDelay(100);
    src.SetPolarity(1);
    src.SetSoundOn(1);
    dst.SetDelay(250);
    dst.SetPolarity(0);
    dst.SetSoundOn(0);

    EXPECT_EQ(edits->LinkPair(1, 1), 2);
    EXPECT_TRUE(edits->IsPairLinked(1));
    EXPECT_TRUE(host.m_linkToggles[1]);
    EXPECT_EQ(dst.Band(9).GainCode(), 310);
    EXPECT_EQ(dst.Band(9).Freq(), 180);
    EXPECT_EQ(dst.HighPass().Freq(), 80);
    EXPECT_EQ(dst.LowPass().Family(), 0);
    EXPECT_EQ(dst.Gain(), 33);
    EXPECT_EQ(dst.GeqMode(), 1);
    EXPECT_EQ(dst.Delay(), 250) << "delay stays";
    EXPECT_EQ(dst.Polarity(), 0) << "polarity stays";
    EXPECT_EQ(dst.SoundOn(), 0) << "sound on stays";
    EXPECT_EQ(command->Count(), 0) << "nothing is queued while disconnected";

    EXPECT_EQ(edits->LinkPair(1, 1), -1) << "already in the source's group";
}

TEST_F(Edits, LinkingWhileConnectedRewritesTheDestinationInsideTheBracket)
{
    Connect();
    Out(0).SetSoundOnQuiet(1);
    Out(1).SetSoundOnQuiet(1);
    Out(0).SetGain(21);
    command->Clear();

    EXPECT_EQ(edits->LinkPair(0, 0), 1);
    // the bracket silences the source's group as it was (CH1 only) and gives it back;
    // CH2 joined in between and is left alone
    EXPECT_EQ(Queued(), (std::vector<std::string>{"L:0:0", "R:1", "L:0:1"}));
    auto rec = RecordFrames();
    ASSERT_EQ(rec.size(), 1u);
    EXPECT_EQ(rec[0]->LinkFlag(), 1) << "CH2 is linked";
    // the toggle lights only when the bracket has closed, so the pair rule still sees no
    // linked pair and picks CH6: CH2's record does not notify
    EXPECT_EQ(rec[0]->NotifyAlways(), 0);
    EXPECT_EQ(flags.busy, 0);
    EXPECT_TRUE(edits->IsPairLinked(0));
    EXPECT_EQ(GetU16(rec[0]->Payload().data() + 250), 21) << "the record carries the copied gain";
    EXPECT_EQ(Out(0).SoundOn(), 1);
    EXPECT_EQ(Out(1).SoundOn(), 1);
}

TEST_F(Edits, ResetAllEqRewritesTheGroupMarkedByThePairRule)
{
    edits->LinkPair(0, 0);
    edits->LinkPair(1, 0);
    Connect();
    for (int ch : {2, 3}) {
        Out(ch).Band(4).SetGainCode(260);
        Out(ch).Band(4).SetFrequency(2000, false);
        Out(ch).Band(4).SetBandwidthIndex(40);
        Out(ch).SetSoundOnQuiet(1);
    }
    command->Clear();

    edits->ResetAllEq(3);
    EXPECT_EQ(Queued(), (std::vector<std::string>{"L:2:0", "L:3:0", "R:3", "R:2", "L:2:1", "L:3:1"}));
    for (const auto& f : RecordFrames()) {
        EXPECT_EQ(f->NotifyAlways(), 0) << "the first linked pair is 1-2, channel " << int(f->Index());
        EXPECT_EQ(f->LinkFlag(), 1) << "channel " << int(f->Index());
    }
    EXPECT_EQ(flags.busy, 0);
    for (int ch : {2, 3}) {
        const CFilter& band = Out(ch).Band(4);
        EXPECT_EQ(band.Freq(), 50);
        EXPECT_EQ(band.DevFreq(), 50);
        EXPECT_EQ(band.GainCode(), 200);
        EXPECT_TRUE(band.EffectivelyBypassed());
        EXPECT_DOUBLE_EQ(band.Bandwidth(), 0.2);
        EXPECT_EQ(model->image.current.outputs[ch].bands[4].Freq(), 50) << "the record is in the image";
    }

    // the second channel of the first linked pair notifies
    command->Clear();
    edits->ResetAllEq(0);
    auto rec = RecordFrames();
    ASSERT_EQ(rec.size(), 2u);
    EXPECT_EQ(rec[0]->Index(), 0);
    EXPECT_EQ(rec[0]->NotifyAlways(), 0);
    EXPECT_EQ(rec[1]->Index(), 1);
    EXPECT_EQ(rec[1]->NotifyAlways(), 1);
}

TEST_F(Edits, ResetAllEqWhileDisconnectedChangesOnlyTheRecords)
{
    Out(5).Band(30).SetGainCode(100);
    Out(5).Band(30).SetFrequency(9000, false);
    edits->ResetAllEq(5);
    EXPECT_EQ(Out(5).Band(30).Freq(), 20000);
    EXPECT_TRUE(Out(5).Band(30).EffectivelyBypassed());
    EXPECT_EQ(command->Count(), 0);
}

TEST_F(Edits, UnchangedValuesQueueAndMarkNothing)
{
    Connect();
    model->image.current.outputs[4].SetDelay(480);
    Out(4).SetDelay(480);
    records->Music().SetSelector(1);
    records->Music().SetVolume(50);
    Out(4).m_levelDirty = 0;
    records->Music().m_levelDirty = 0;

    EXPECT_FALSE(edits->SetDelay(4, 480));
    EXPECT_FALSE(edits->SetSelector(1));
    EXPECT_FALSE(edits->SetVolume(50));
    EXPECT_EQ(model->flags.delayMemory, 0);
    EXPECT_EQ(Out(4).m_levelDirty, 0);
    EXPECT_EQ(records->Music().m_levelDirty, 0);
    EXPECT_EQ(command->NextPendingFrame()->Index(), SYS_STATUS) << "nothing to send but a poll";
}

TEST_F(Edits, DelayGoesIntoTheDelayMemoryAndTheProgram)
{
    model->image.delayMemory.current = 2;
    edits->LinkPair(2, 0);
    Connect();
    EXPECT_TRUE(edits->SetDelay(4, 333));
    EXPECT_EQ(model->image.delayMemory.Delay(2, 4), 333) << "the current set";
    EXPECT_EQ(model->image.delayMemory.Delay(0, 4), 0) << "not another set";
    EXPECT_EQ(model->image.current.outputs[4].Delay(), 333);
    EXPECT_EQ(Out(4).Delay(), 333);
    EXPECT_EQ(Out(5).Delay(), 0) << "delay does not follow the link";
    EXPECT_EQ(model->flags.delayMemory, 1);
    FramePtr first = command->NextPendingFrame();
    EXPECT_EQ(first->RecordType(), REC_SYSTEM);
    EXPECT_EQ(first->Index(), SYS_DELAY_MEMORY);

    host.m_bConnected = false;
    model->flags.synced = 0;
    model->flags.delayMemory = 1;
    EXPECT_TRUE(edits->SetDelay(4, 100));
    EXPECT_EQ(model->flags.delayMemory, 0) << "disconnected: nothing to send";
}

TEST_F(Edits, MasterVolumeSwitchesTheInputOnAndSelectorMarks)
{
    Connect();
    EXPECT_TRUE(edits->SetVolume(30));
    EXPECT_EQ(records->Music().Volume(), 30);
    EXPECT_EQ(records->Music().On(), 1);
    EXPECT_TRUE(edits->SetSelector(1));
    EXPECT_EQ(records->Music().Selector(), 1);
    EXPECT_EQ(records->Music().m_levelDirty, 1);
}

TEST_F(Edits, UnlinkAndResetLinksPutEveryChannelInItsOwnGroup)
{
    edits->LinkPair(0, 1);
    edits->LinkPair(2, 0);
    edits->UnlinkPair(0);
    EXPECT_FALSE(edits->IsPairLinked(0));
    EXPECT_FALSE(host.m_linkToggles[0]);
    EXPECT_TRUE(host.m_linkToggles[2]);
    EXPECT_EQ(command->Count(), 0) << "unlinking sends nothing";

    edits->LinkPair(1, 0);
    edits->ResetLinks();
    EXPECT_EQ(model->image.linkTable.group, (std::array<int, kOutputChannels>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(host.m_linkToggles, (std::array<bool, 3>{false, false, false}));
    for (int ch = 0; ch < kOutputChannels; ++ch)
        EXPECT_TRUE(edits->GroupMembers(ch).empty()) << "channel " << ch;
}
