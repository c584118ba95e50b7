#include "model/KTV_Data.h"


#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace ovix;

namespace {

class Records : public ::testing::Test {
protected:
    void SetUp() override
    {
        model = std::make_unique<ParameterModel>();
        ResetImage(model->image);
        records = std::make_unique<CKTV_Data>(*model);
    }
    void Sync() { model->flags.synced = 1; }

    // Every group the worker would send, in order, until nothing is left.
    std::vector<PendingGroup> Drain(int limit = 100)
    {
        std::vector<PendingGroup> groups;
        while (int(groups.size()) < limit) {
            auto g = records->NextDirtyGroup();
            if (!g)
                break;
            groups.push_back(*g);
        }
        return groups;
    }

    std::unique_ptr<ParameterModel> model;
    std::unique_ptr<CKTV_Data> records;
};

} // namespace

TEST_F(Records, RisingFrequencyGlidesInOctavesLoweringGoesAtOnce)
{
    CFilter& band = records->Out(2).Band(7);  // 100 Hz by default
    ASSERT_EQ(band.Freq(), 100);
    Sync();
    // the frequency each send carries, as the worker would send them
    auto sends = [&] {
        std::vector<int> sent;
        while (auto g = records->NextDirtyGroup()) {
            EXPECT_EQ(g->record, PendingGroup::Output);
            EXPECT_EQ(g->channel, 2);
            EXPECT_EQ(g->block, 7);
            sent.push_back(model->image.current.outputs[2].bands[7].Freq());
        }
        return sent;
    };
    band.SetFrequency(1000, true);
    EXPECT_EQ(sends(), (std::vector<int>{200, 400, 800, 1000, 1000}));
    band.SetFrequency(100, true);
    EXPECT_EQ(sends(), (std::vector<int>{100}));
    EXPECT_EQ(band.Freq(), 100) << "the response follows the target at once";
}

TEST_F(Records, NothingIsMarkedWhileNotSynced)
{
    records->Out(0).SetGain(30);
    records->Out(1).Band(3).SetGainCode(250);
    records->Out(1).Band(4).SetFrequency(5000, true);
    records->Out(5).SetName("Sub");
    records->Music().SetVolume(20);
    EXPECT_TRUE(Drain().empty());
    EXPECT_EQ(records->Out(1).Band(4).DevFreq(), 5000) << "not synced: the device frequency follows";
}

TEST_F(Records, LinkedGainCopiesTheLevelGroupButNotDelayOrSoundOn)
{
    model->image.linkTable.group = {0, 1, 0, 3, 4, 5};  // channel 2 linked to channel 0
    Sync();
    CKTV_OutData& ch0 = records->Out(0);
    CKTV_OutData& ch2 = records->Out(2);
    ch2.SetDelay(100);
    ch2.SetSoundOn(0);
    ch0.SetSoundOn(1);
    ch0.SetDelay(7);
    ch0.SetPolarity(1);
    ch0.SetGeqMode(1);
    ch0.SetGain(0);  // gain code 0: off
    EXPECT_EQ(ch2.Gain(), 0);
    EXPECT_EQ(ch2.GainOff(), 1) << "the linked channel gets its own gain-off";
    EXPECT_EQ(ch2.Polarity(), 1);
    EXPECT_EQ(ch2.GeqMode(), 1);
    EXPECT_EQ(ch2.Band(12).GeqFlag(), 1);
    EXPECT_EQ(ch2.Delay(), 100) << "delay is not copied";
    EXPECT_EQ(ch2.SoundOn(), 0) << "sound on is not copied";
    EXPECT_EQ(records->Out(1).Gain(), 60) << "unlinked channels keep theirs";

    auto groups = Drain();
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[0].channel, 0);
    EXPECT_EQ(groups[1].channel, 2);
    for (int c : {0, 2}) {
        EXPECT_EQ(model->image.current.outputs[c].Gain(), 0) << "gain word 0 while off, channel " << c;
        EXPECT_EQ(model->image.current.outputs[c].geqMode, 1);
    }
    EXPECT_EQ(model->image.current.outputs[2].Delay(), 100);

    ch0.SetLimThreshold(123);
    EXPECT_EQ(ch2.LimThreshold(), 123);
    EXPECT_EQ(ch2.LimAttack(), ch0.LimAttack());
}

TEST_F(Records, BypassRules)
{
    CFilter& band = records->Out(0).Band(5);
    EXPECT_TRUE(band.Bypass()) << "a 0 dB band is bypassed";
    band.SetBypass(0);
    EXPECT_TRUE(band.Bypass()) << "nothing to switch on at 0 dB";
    band.SetGainCode(199);  // -0.1 dB
    EXPECT_FALSE(band.Bypass());
    EXPECT_NEAR(band.GainDb(), -0.1, 1e-9);
    band.SetBypass(1);
    EXPECT_TRUE(band.Bypass());
    EXPECT_EQ(band.DeviceGainCode(), 200) << "a bypassed band is sent at 0 dB";
    band.SetBypass(0);
    EXPECT_EQ(band.DeviceGainCode(), 199);

    band.GroupBypass(true);
    EXPECT_TRUE(band.EffectivelyBypassed());
    for (double v : band.ResponseDb())
        ASSERT_EQ(v, 0.0) << "a group-bypassed band contributes nothing";
    band.GroupBypass(false);
    EXPECT_FALSE(band.EffectivelyBypassed());
    band.SetGainCode(200);
    EXPECT_TRUE(band.Bypass()) << "back to 0 dB: bypassed again";
}

TEST_F(Records, NamesThatDoNotFitAreRefusedOnStore)
{
    records->Out(3).SetName("SevenCh");
    records->Out(4).SetName("EightChr");
    std::memcpy(model->image.current.outputs[4].name, "OldName", 8);
    EXPECT_FALSE(records->StoreRecordsIntoProgram());
    const OutputBlock& o3 = model->image.current.outputs[3];
    EXPECT_EQ(0, std::memcmp(o3.name, "SevenCh", 7));
    EXPECT_EQ(o3.name[7], 0);
    EXPECT_EQ(0, std::memcmp(model->image.current.outputs[4].name, "OldName", 8))
        << "the image keeps the old name";
    EXPECT_EQ(records->Out(4).Name(), "EightChr") << "the record keeps the new one";
}

TEST_F(Records, LoadCorrectsCrossoverFrequenciesAndClampsLevels)
{
    OutputBlock& o = model->image.current.outputs[1];
    o.crossover.SetHighPassFreq(30000);
    o.crossover.SetLowPassFreq(5);
    model->image.current.Music().SetVolume(100);
    records->LoadProgramIntoRecords(0);
    EXPECT_EQ(o.crossover.HighPassFreq(), 20000);
    EXPECT_EQ(records->Out(1).HighPass().Freq(), 20000);
    EXPECT_EQ(o.crossover.LowPassFreq(), 20);
    EXPECT_EQ(records->Out(1).LowPass().Freq(), 20);
    EXPECT_EQ(records->Music().Volume(), 90);
}

TEST_F(Records, LoadThenStoreGivesTheSameBytes)
{
    // a program as a processor would hold it, with carried bytes the console never edits
    ProgramImage& prog = model->image.current;
    for (int c = 0; c < kOutputChannels; ++c) {
        OutputBlock& o = prog.outputs[c];
        for (int b = 0; b < kOutputBands; ++b) {
            o.bands[b].SetFreq(std::uint16_t(IsoBandTable[std::size_t(b)] + c));
            o.bands[b].SetGainWord(std::uint16_t(400 + (b * 37 + c) % 401));
            o.bands[b].SetBandwidthIndex(std::uint16_t((b * 11) % 296));
            o.bands[b].SetKind(std::uint8_t(b % 3));
            o.bands[b].SetSlope(std::uint8_t(b % 2));
        }
        o.soundOn = 1;
        o.SetGain(std::uint16_t(50 + c));
        o.SetDelay(std::uint16_t(c * 48));
        o.auxGain = 9;
        o.crossover.SetHighPassFreq(80);
        o.crossover.SetHighPassFamily(0);
        o.crossover.SetHighPassSlope(6);
        o.crossover.SetLowPassFreq(12000);
        o.crossover.SetLowPassSlope(7);
        o.mixA = 3;
        o.mixB = 4;
        o.carried[0] = 0x5A;
        o.reserved1[3] = 0x11;
        o.SetLimThreshold(250);
        o.limAttack = 20;
        o.limRelease = 3;
        std::memcpy(o.name, "Door L", 6);
    }
    prog.Music().level[1] = 0x42;
    prog.Music().SetVolume(55);
    prog.Music().SetOn(1);
    prog.Music().setting88 = 7;
    prog.Mic().further[2] = 0x33;
    prog.effect.params[3] = 0x44;
    prog.effect.SetLevel(60);  // within the limits, so loading leaves it alone
    prog.Mic().SetVolume(60);
    const ProgramImage before = prog;

    records->LoadProgramIntoRecords(0);
    std::memset(&prog, 0xEE, sizeof prog);
    std::memcpy(&prog, &before, sizeof prog);
    ASSERT_TRUE(records->StoreRecordsIntoProgram());
    for (std::size_t i = 0; i < sizeof prog; ++i)
        ASSERT_EQ(prog.Bytes()[i], before.Bytes()[i]) << "program byte " << i;
}

TEST_F(Records, WorkerOrderMusicThenEachChannelsGroupsThenItsFirstBand)
{
    Sync();
    records->Out(1).Band(9).SetGainCode(230);
    records->Out(1).Band(2).SetGainCode(230);
    records->Out(1).SetLimRelease(1);
    records->Out(1).LowPass().SetSlope(4, true);
    records->Out(1).SetPolarity(1);
    records->Out(1).SetName("Left");
    records->Out(0).SetDelay(5);
    records->Music().SetSelector(1);
    // (channel, block), the music input as channel -1
    std::vector<std::pair<int, int>> got;
    for (const PendingGroup& g : Drain())
        got.push_back({g.record == PendingGroup::MusicInput ? -1 : g.channel, g.block});
    const std::vector<std::pair<int, int>> expected{
        {-1, 9}, {0, 31}, {1, 36}, {1, 31}, {1, 32}, {1, 35}, {1, 2}, {1, 9}};
    EXPECT_EQ(got, expected);
    EXPECT_EQ(model->image.current.Music().Selector(), 1);
    EXPECT_EQ(model->image.current.outputs[1].crossover.LowPassSlope(), 4);
    EXPECT_EQ(model->image.current.outputs[1].bands[9].GainWord(), 630);
}

TEST_F(Records, CopySettingsTakesFiltersGainAndLimiterOnly)
{
    CKTV_OutData& from = records->Out(0);
    CKTV_OutData& to = records->Out(3);
    from.Band(4).SetGainCode(300);
    from.Band(4).SetFrequency(77, false);
    from.HighPass().SetSlope(5, false);
    from.SetGain(40);
    from.SetPolarity(1);
    from.SetDelay(9);
    from.SetLimAttack(12);
    to.SetName("Keep");
    to.CopySettingsFrom(from);
    EXPECT_EQ(to.Band(4).GainCode(), 300);
    EXPECT_EQ(to.Band(4).Freq(), 77);
    EXPECT_EQ(to.HighPass().Slope(), 5);
    EXPECT_EQ(to.Gain(), 40);
    EXPECT_EQ(to.LimAttack(), 12);
    EXPECT_EQ(to.Polarity(), 0);
    EXPECT_EQ(to.Delay(), 0);
    EXPECT_EQ(to.Name(), "Keep");
    EXPECT_EQ(to.Band(4).ResponseDb()[50], from.Band(4).ResponseDb()[50]);
}

TEST_F(Records, ChannelCurvesFollowTheirFilters)
{
    // a fresh channel 5 is flat but for its 24 dB/oct Butterworth low-pass at 500 Hz
    const CKTV_OutData& sub = records->Out(4);
    EXPECT_EQ(sub.Eq()[CKTV_OutData::kLowPassFilter].Kind(), kLowPass);
    const Response sum = sub.Eq().Sum();
    EXPECT_NEAR(sum[112], -3.01, 0.01) << "500 Hz";
    EXPECT_LT(sum[136], -20.0) << "1000 Hz";
    EXPECT_NEAR(records->Out(0).Eq().Sum()[136], 0.0, 1e-9) << "channel 1 is flat";

    records->Layout(600, 200);
    EXPECT_EQ(records->Out(0).Eq().Curve()[136].x, 374);
    EXPECT_EQ(records->Out(0).Eq().Curve()[136].y, 110) << "0 dB in the middle of a 200-pixel plot";
    records->Out(0).Band(17).SetGainCode(300);  // +10 dB at 1 kHz
    records->Out(0).RefreshCurve();
    EXPECT_EQ(records->Out(0).Eq().Curve()[136].y, 10);
}

TEST_F(Records, GroupBypassedBandIsStoredAtZeroDb)
{
    records->Out(0).Band(5).SetGainCode(260);  // +6 dB
    records->Out(0).SetGroupBypass(true);
    records->StoreOutputIntoProgram(0);
    EXPECT_EQ(model->image.current.outputs[0].bands[5].GainWord(), 600) << "stored as 0 dB while bypassed";
    records->Out(0).SetGroupBypass(false);
    records->StoreOutputIntoProgram(0);
    EXPECT_EQ(model->image.current.outputs[0].bands[5].GainWord(), 660) << "restored: the real gain again";
}

TEST_F(Records, GainOffSendsGainWordZero)
{
    Sync();
    records->Out(3).SetGain(30);
    records->Out(3).SetGainOff(1);
    const auto groups = Drain();
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups[0].channel, 3);
    EXPECT_EQ(groups[0].block, OutputBlock::kLevelItem);
    EXPECT_EQ(model->image.current.outputs[3].Gain(), 0);
    EXPECT_EQ(records->Out(3).Gain(), 30) << "the gain itself is kept for switching back on";
}

TEST_F(Records, BandwidthChangeWhileSyncedSendsTheBand)
{
    Sync();
    records->Out(1).Band(5).SetBandwidthIndex(40);
    const auto groups = Drain();
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups[0].record, PendingGroup::Output);
    EXPECT_EQ(groups[0].channel, 1);
    EXPECT_EQ(groups[0].block, 5);
    EXPECT_EQ(model->image.current.outputs[1].bands[5].BandwidthIndex(), 40);
}

TEST_F(Records, LinkedGainMarksTheCleanPartnersLevelGroup)
{
    model->image.linkTable.group = {0, 1, 0, 3, 4, 5};  // channel 2 linked to channel 0
    Sync();
    records->Out(0).SetGain(45);  // channel 2 has no change of its own
    const auto groups = Drain();
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[0].channel, 0);
    EXPECT_EQ(groups[1].channel, 2);
    EXPECT_EQ(groups[1].block, OutputBlock::kLevelItem);
    EXPECT_EQ(model->image.current.outputs[2].Gain(), 45);
}

TEST_F(Records, LinkedLimiterReleaseReachesThePartner)
{
    model->image.linkTable.group = {0, 1, 0, 3, 4, 5};
    Sync();
    records->Out(0).SetLimRelease(9);
    EXPECT_EQ(records->Out(2).LimRelease(), 9);
    Drain();
    EXPECT_EQ(model->image.current.outputs[2].limRelease, 9);
}

TEST_F(Records, CopyTakenDuringAGlideGlidesOnToTheShownFrequency)
{
    Sync();
    CKTV_OutData& from = records->Out(0);
    CKTV_OutData& to = records->Out(1);
    from.Band(7).SetFrequency(1000, true);  // 100 Hz to 1000 Hz: on its way
    ASSERT_TRUE(records->NextDirtyGroup());  // one step sent: the processor has 200 Hz
    ASSERT_EQ(from.Band(7).DevFreq(), 200);
    to.CopySettingsFrom(from);
    EXPECT_EQ(to.Band(7).Freq(), 1000);
    std::vector<int> sent;  // CH2's band 7, as the worker sends it
    while (auto g = records->NextDirtyGroup())
        if (g->channel == 1 && g->block == 7)
            sent.push_back(model->image.current.outputs[1].bands[7].Freq());
    EXPECT_EQ(sent, (std::vector<int>{400, 800, 1000, 1000})) << "the copy glides like any edit";
    EXPECT_EQ(to.Band(7).DevFreq(), 1000);
    EXPECT_EQ(to.Band(7).Dirty(), 0);
}

// A filter's response and curve are computed when asked for; whatever changes the filter
// after they were last read shows in the next read, exactly as a fresh computation of the
// filter's values gives it.
namespace {

struct FilterChange {
    std::string name;
    bool crossover;  // channel 2's high-pass filter at 200 Hz, else its band 11 at +10 dB
    std::function<void(CFilter&, CKTV_Data&)> change;
    bool curveOnly = false;  // changes the drawing, not the response
};

void PrintTo(const FilterChange& c, std::ostream* os) { *os << c.name; }

class FilterReads : public ::testing::TestWithParam<FilterChange> {};

Response FreshResponse(const CFilter& f)
{
    Response r{};
    ComputeResponse(f.Shape(), r);
    return r;
}

} // namespace

TEST_P(FilterReads, FollowEveryChangeSinceTheLastRead)
{
    const FilterChange& c = GetParam();
    auto model = std::make_unique<ParameterModel>();
    ResetImage(model->image);
    auto records = std::make_unique<CKTV_Data>(*model);
    records->Layout(600, 200);
    CFilter& f = c.crossover ? records->Out(1).HighPass() : records->Out(1).Band(10);
    if (c.crossover) {
        f.SetFrequency(200, false);
        f.SetSlope(3, false);
    } else {
        f.SetGainCode(300);
    }
    const Response before = f.ResponseDb();
    const FilterCurve curveBefore = f.Curve();
    ASSERT_EQ(before, FreshResponse(f));

    c.change(f, *records);
    const Response expected = FreshResponse(f);
    if (c.curveOnly)
        ASSERT_EQ(expected, before);
    else
        ASSERT_NE(expected, before) << "the change does change the response";
    EXPECT_EQ(f.ResponseDb(), expected);
    FilterCurve curve{};
    FilterCurvePoints(expected, c.curveOnly ? 300 : 600, c.curveOnly ? 100 : 200, curve);
    ASSERT_NE(curve, curveBefore);
    EXPECT_EQ(f.Curve(), curve);
}

INSTANTIATE_TEST_SUITE_P(
    Changes, FilterReads,
    ::testing::Values(
        FilterChange{"LoadedFrequency", false, [](CFilter& f, CKTV_Data&) { f.SetFrequency(2000, false); }},
        FilterChange{"EditedFrequency", false, [](CFilter& f, CKTV_Data&) { f.SetFrequency(2000, true); }},
        FilterChange{"Gain", false, [](CFilter& f, CKTV_Data&) { f.SetGainCode(150); }},
        FilterChange{"Bandwidth", false, [](CFilter& f, CKTV_Data&) { f.SetBandwidthIndex(10); }},
        FilterChange{"Kind", false, [](CFilter& f, CKTV_Data&) { f.SetKind(kLowShelf); }},
        FilterChange{"Bypass", false, [](CFilter& f, CKTV_Data&) { f.SetBypass(1); }},
        FilterChange{"GroupBypass", false, [](CFilter& f, CKTV_Data&) { f.GroupBypass(true); }},
        FilterChange{"Reset", false, [](CFilter& f, CKTV_Data&) { f.ResetBand(1000); }},
        FilterChange{"DecodedBand", false,
                     [](CFilter& f, CKTV_Data&) {
                         EqBandWord w{};
                         w.SetFreq(4000);
                         w.SetGainWord(520);
                         w.SetBandwidthIndex(60);
                         w.SetKind(kPeaking);
                         f.DecodeBand(w);
                     }},
        FilterChange{"CopiedBand", false,
                     [](CFilter& f, CKTV_Data& r) {
                         r.Out(3).Band(20).SetGainCode(100);
                         f.CopyFrom(r.Out(3).Band(20));
                     }},
        FilterChange{"Family", true, [](CFilter& f, CKTV_Data&) { f.SetFamily(kLinkwitzRiley, false); }},
        FilterChange{"Slope", true, [](CFilter& f, CKTV_Data&) { f.SetSlope(1, false); }},
        FilterChange{"CrossoverWord", true,
                     [](CFilter&, CKTV_Data& r) {
                         CrossoverWord x{};
                         r.Out(1).Eq().EncodeCrossover(x);
                         x.SetHighPassFreq(300);
                         r.Out(1).Eq().DecodeCrossover(x);
                     }},
        FilterChange{"PlotSize", false, [](CFilter& f, CKTV_Data&) { f.SetPlotSize(300, 100); }, true}),
    [](const ::testing::TestParamInfo<FilterChange>& info) { return info.param.name; });
