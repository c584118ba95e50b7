// The equaliser editor's commands on the records and the send queue, without a link
// worker: what linked channels take over from a band edit, and what bypass all and the
// mode conversion queue, in which order.

#include "document/EqEdits.h"
#include "link/CommandBuilder.h"

#include "RecordsQueueFixture.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace ovix;

namespace {

class EqEdits : public test::RecordsQueue {
protected:
    void SetUp() override
    {
        RecordsQueue::SetUp();
        eq = std::make_unique<CEqEdits>(*model, *records, *command, host, lock);
    }
    // CH1 and CH2 in one group, with the front toggle lit as the console lights it.
    void LinkFront()
    {
        model->image.linkTable.group[1] = model->image.linkTable.group[0];
        host.m_linkToggles[0] = true;
    }

    // Queued frames, oldest first: "R:ch" a record write (with "!" when it notifies),
    // "L:ch:on" a level block with the on-flag it carries.
    std::vector<std::string> Queued() const { return QueuedFrames(true); }

    std::unique_ptr<CEqEdits> eq;
};

} // namespace

TEST_F(EqEdits, BandEditsReachTheLinkedChannelAndNoOther)
{
    LinkFront();
    Connect();
    eq->SetBandFrequency(0, 11, 300);
    eq->SetBandWidth(0, 11, 90);
    eq->SetBandGain(0, 11, 260);
    for (int ch : {0, 1}) {
        const CFilter& band = Out(ch).Band(11);
        EXPECT_EQ(band.Freq(), 300) << "channel " << ch;
        EXPECT_EQ(band.BandwidthIndex(), 90) << "channel " << ch;
        EXPECT_EQ(band.GainCode(), 260) << "channel " << ch;
        EXPECT_FALSE(band.EffectivelyBypassed()) << "channel " << ch;
        EXPECT_NE(band.Dirty(), 0) << "marked for sending, channel " << ch;
    }
    const CFilter& other = Out(2).Band(11);
    EXPECT_EQ(other.Freq(), 250) << "CH3 is in its own group";
    EXPECT_EQ(other.GainCode(), 200);
    EXPECT_EQ(other.Dirty(), 0);
    EXPECT_EQ(Out(0).Band(10).Dirty(), 0) << "only the edited band";
    EXPECT_EQ(command->Count(), 0) << "band edits go out through the marks, not the queue";
}

TEST_F(EqEdits, BypassPassesOnWhatTheBandReportsNotWhatWasAskedFor)
{
    LinkFront();
    Out(1).Band(5).SetGainCode(230);  // CH2's band plays at +3 dB
    ASSERT_FALSE(Out(1).Band(5).EffectivelyBypassed());
    // CH1's band is at 0 dB: asking it to play leaves it bypassed, and CH2 follows that
    eq->SetBandBypass(0, 5, 0);
    EXPECT_TRUE(Out(0).Band(5).EffectivelyBypassed());
    EXPECT_TRUE(Out(1).Band(5).EffectivelyBypassed());
    EXPECT_EQ(Out(1).Band(5).GainCode(), 230) << "the stored gain stays";

    eq->SetBandGain(0, 5, 150);
    EXPECT_FALSE(Out(1).Band(5).EffectivelyBypassed());
    eq->SetBandBypass(0, 5, 1);
    EXPECT_TRUE(Out(0).Band(5).EffectivelyBypassed());
    EXPECT_TRUE(Out(1).Band(5).EffectivelyBypassed());
}

TEST_F(EqEdits, DraggedBandGoesToTheLinkedChannel)
{
    LinkFront();
    CFilter& band = Out(0).Band(11);
    band.SetFrequency(400, true);
    band.SetBandwidthIndex(40);
    band.SetGainCode(300);
    eq->BandDragged(0, 11);
    EXPECT_EQ(Out(1).Band(11).Freq(), 400);
    EXPECT_EQ(Out(1).Band(11).BandwidthIndex(), 40);
    EXPECT_EQ(Out(1).Band(11).GainCode(), 300);
    EXPECT_EQ(Out(2).Band(11).Freq(), 250);
}

TEST_F(EqEdits, BypassAllRewritesTheChannelAloneThenTheGroup)
{
    LinkFront();
    Connect();
    for (int ch : {0, 1}) {
        Out(ch).SetSoundOnQuiet(1);
        Out(ch).Band(3).SetGainCode(260);
    }
    eq->SetGroupBypass(0, true);
    ASSERT_TRUE(eq->AllBandsBypassed(0));
    EXPECT_FALSE(eq->AllBandsBypassed(1)) << "the group bypass of one channel stays there until the rewrite";

    eq->RewriteBypassAll(0, true);
    EXPECT_EQ(Queued(), (std::vector<std::string>{
                            "L:0:0",                    // the channel silenced
                            "L:0:0", "R:0", "L:0:1",    // and rewritten alone, no notification
                            "L:0:0", "L:1:0",           // the group muted
                            "L:0:0", "R:0", "L:0:0",    // each channel rewritten
                            "L:1:0", "R:1!", "L:1:0",   // CH2 notifies: second of the first linked pair
                            "L:0:1", "L:1:1"}));        // the group's sound back
    EXPECT_TRUE(eq->AllBandsBypassed(1)) << "the linked channel took the group bypass";
    EXPECT_EQ(Out(1).Band(3).GainCode(), 260) << "its gain is kept for the restore";
    EXPECT_EQ(flags.busy, 1);
    EXPECT_EQ(model->image.current.outputs[1].bands[3].GainWord(), 600) << "sent as 0 dB while bypassed";
}

TEST_F(EqEdits, ModeConversionResetsAndRewritesTheGroupBetweenMuteAndRestore)
{
    LinkFront();
    Connect();
    for (int ch : {0, 1, 2}) {
        Out(ch).SetSoundOnQuiet(1);
        Out(ch).Band(20).SetFrequency(3000, false);
        Out(ch).Band(20).SetBandwidthIndex(100);
        Out(ch).Band(20).SetGainCode(120);
    }
    for (int mode : {1, 0}) {
        command->Clear();
        eq->ConvertEqMode(0, mode);
        EXPECT_EQ(Queued(), (std::vector<std::string>{"L:0:0", "L:1:0", "R:0", "R:1!", "L:0:1", "L:1:1"}))
            << "mode " << mode;
        for (int ch : {0, 1}) {
            EXPECT_EQ(Out(ch).GeqMode(), mode) << "channel " << ch;
            for (int b = 0; b < kOutputBands; ++b) {
                const CFilter& band = Out(ch).Band(b);
                ASSERT_EQ(band.Freq(), IsoBandTable[std::size_t(b)]) << "channel " << ch << " band " << b;
                ASSERT_EQ(band.BandwidthIndex(), 15);
                ASSERT_EQ(band.GainCode(), 200);
                ASSERT_TRUE(band.EffectivelyBypassed());
                ASSERT_EQ(band.GeqFlag(), mode);
            }
            EXPECT_EQ(model->image.current.outputs[ch].bands[20].Freq(), 2000) << "the record is in the image";
        }
        Out(0).Band(20).SetGainCode(120);  // something to reset the second time
        Out(1).Band(20).SetGainCode(120);
    }
    EXPECT_EQ(Out(2).Band(20).Freq(), 3000) << "CH3 is not in the group";
    EXPECT_EQ(Out(2).GeqMode(), 0);
}

TEST_F(EqEdits, WhileDisconnectedOnlyTheRecordsChange)
{
    LinkFront();
    Out(0).Band(1).SetGainCode(100);
    eq->ConvertEqMode(0, 1);
    eq->SetGroupBypass(0, true);
    eq->RewriteBypassAll(0, true);
    EXPECT_EQ(command->Count(), 0);
    EXPECT_EQ(Out(0).Band(1).GainCode(), 200);
    EXPECT_EQ(Out(1).GeqMode(), 1);
}
