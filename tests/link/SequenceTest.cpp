#include "link/KTVCommand.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

using namespace ovix;

namespace {

// Connected unless a test says otherwise; counts the windows and messages it is asked for.
class RecordingHost final : public CommandHostState {
public:
    RecordingHost() { m_bConnected = true; }
    void OpenDataLoadingWindow() override { ++windowsOpened; }
    void ShowConnectionFailure() override { ++failuresShown; }

    int windowsOpened = 0;
    int failuresShown = 0;
};

// A record port that counts what the sequences ask of the records.
class RecordingRecords final : public IRecordPort {
public:
    explicit RecordingRecords(DeviceImage& img) : m_img(img) {}
    bool StoreRecordsIntoProgram() override
    {
        ++storedAll;
        return true;
    }
    void StoreOutputIntoProgram(int ch) override { storedOutputs.push_back(ch); }
    int SoundOn(int ch) const override { return on[ch]; }
    void SetSoundOn(int ch, int v) override
    {
        on[ch] = v;
        m_img.current.outputs[ch].soundOn = std::uint8_t(v);
    }
    void ClearLevelDirty(int ch) override { clearedLevel.push_back(ch); }
    std::optional<PendingGroup> NextDirtyGroup() override { return std::nullopt; }
    void MarkAll(int) override {}
    void LoadProgramIntoRecords(int) override {}

    int on[kOutputChannels] = {1, 1, 1, 1, 1, 1};
    int storedAll = 0;
    std::vector<int> storedOutputs;
    std::vector<int> clearedLevel;

private:
    DeviceImage& m_img;
};

// A short readable form of a frame: "W4.2.31" = write, type 4, index 2, block 31.
std::string Describe(const CSendData& f)
{
    std::string s = f.CommandByte() == CMD_WRITE ? "W" : "R";
    s += std::to_string(f.RecordType()) + "." + std::to_string(f.Index()) + "." +
         std::to_string(f.Block());
    if (f.Program() != 0)
        s += "@" + std::to_string(f.Program());
    return s;
}

class Sequences : public ::testing::Test {
protected:
    void SetUp() override
    {
        model = std::make_unique<ParameterModel>();
        ResetImage(model->image);
        cmd = std::make_unique<CKTVCommand>(*model, flags, lock, host);
    }

    std::vector<FramePtr> Frames() const
    {
        auto q = cmd->Queue().Snapshot();
        return {q.begin(), q.end()};
    }
    std::vector<std::string> Described() const
    {
        std::vector<std::string> out;
        for (const auto& f : Frames())
            out.push_back(Describe(*f));
        return out;
    }
    std::vector<int> Seqs() const
    {
        std::vector<int> out;
        for (const auto& f : Frames())
            out.push_back(f->Seq());
        return out;
    }
    // Index of every frame carrying an end-of-batch flag.
    std::vector<int> Flagged() const
    {
        std::vector<int> out;
        auto fr = Frames();
        for (int i = 0; i < int(fr.size()); ++i)
            if (fr[i]->Last() || fr[i]->Notify() || fr[i]->NotifyAlways())
                out.push_back(i);
        return out;
    }

    std::unique_ptr<ParameterModel> model;
    LinkFlags flags;
    std::recursive_mutex lock;
    RecordingHost host;
    std::unique_ptr<CKTVCommand> cmd;
};

std::vector<int> Iota(int from, int count)
{
    std::vector<int> v;
    for (int i = 0; i < count; ++i)
        v.push_back(from + i);
    return v;
}

TEST_F(Sequences, ReadVersionIsOneUnnumberedFrame)
{
    cmd->ReadVersion();
    EXPECT_EQ(Described(), (std::vector<std::string>{"R9.4.0"}));
    EXPECT_EQ(Seqs(), (std::vector<int>{0}));
    EXPECT_EQ(host.m_nBatchCount, 0);
    EXPECT_EQ(flags.busy, 0);
}

TEST_F(Sequences, ConnectBatchReadDeviceInfoThenReadLive)
{
    host.m_nBatchCount = 0;
    cmd->ReadDeviceInfo();
    cmd->ReadLive();
    std::vector<std::string> expected{"R9.52.0"};
    for (int p = 1; p <= 10; ++p)
        expected.push_back("R9.0.0@" + std::to_string(p));
    for (int item : {1, 0, 2, 3, 17, 18, 18, 20, 34, 35, 36, 37, 38, 39, 64})
        expected.push_back("R9." + std::to_string(item) + ".0");
    expected.push_back("R3.2.119");
    for (int ch = 0; ch < 6; ++ch)
        expected.push_back("R4." + std::to_string(ch) + ".119");
    EXPECT_EQ(Described(), expected);
    EXPECT_EQ(Seqs(), Iota(0, 33)) << "one numbered batch";
    EXPECT_EQ(Flagged(), (std::vector<int>{32}));
    EXPECT_EQ(Frames().back()->Notify(), 1);
    EXPECT_EQ(host.m_nBatchCount, 32) << "the counter is not incremented after ReadLive's last frame";
    EXPECT_EQ(flags.busy, 1);
    EXPECT_GE(host.windowsOpened, 1);
}

TEST_F(Sequences, ReadLiveDropsTheSyncedFlagFirst)
{
    model->flags.synced = 1;
    ASSERT_TRUE(cmd->ReadLive());
    EXPECT_EQ(model->flags.synced, 0);
}

TEST_F(Sequences, RecallReadsIntoTheLiveImageWithBlockZero)
{
    host.m_nBatchCount = 17;
    model->flags.synced = 1;
    ASSERT_TRUE(cmd->RecallProgram(4));
    std::vector<std::string> expected{"R3.2.0@4"};
    for (int ch = 0; ch < 6; ++ch)
        expected.push_back("R4." + std::to_string(ch) + ".0@4");
    EXPECT_EQ(Described(), expected);
    EXPECT_EQ(Seqs(), Iota(0, 7)) << "counter reset first";
    EXPECT_EQ(Flagged(), (std::vector<int>{6}));
    EXPECT_EQ(Frames().back()->Notify(), 1);
    EXPECT_EQ(model->flags.synced, 0);
    EXPECT_EQ(flags.busy, 1);
}

TEST_F(Sequences, ReadAllProgramsReadsTenProgramsIntoTheStoredCopies)
{
    host.m_nBatchCount = 5;
    ASSERT_TRUE(cmd->ReadAllPrograms());
    auto d = Described();
    ASSERT_EQ(d.size(), 70u);
    EXPECT_EQ(d.front(), "R3.2.119@1");
    EXPECT_EQ(d[1], "R4.0.119@1");
    EXPECT_EQ(d.back(), "R4.5.119@10");
    EXPECT_EQ(Seqs(), Iota(0, 70));
    EXPECT_EQ(Flagged(), (std::vector<int>{69}));
    EXPECT_EQ(Frames().back()->Notify(), 1);
}

TEST_F(Sequences, StoreProgramWithoutRecordsSilencesTheOutputsAroundTheWrite)
{
    DeviceImage& img = model->image;
    const std::uint8_t on[6] = {1, 0, 1, 1, 0, 1};
    for (int ch = 0; ch < 6; ++ch)
        img.current.outputs[ch].soundOn = on[ch];
    ASSERT_TRUE(cmd->StoreProgram(3, false));

    std::vector<std::string> expected;
    for (int ch = 0; ch < 6; ++ch)
        expected.push_back("W4." + std::to_string(ch) + ".31");
    expected.push_back("W9.0.0@3");
    expected.push_back("W3.2.0@3");
    for (int ch = 0; ch < 6; ++ch)
        expected.push_back("W4." + std::to_string(ch) + ".0@3");
    for (int ch = 0; ch < 6; ++ch)
        expected.push_back("W4." + std::to_string(ch) + ".31");
    EXPECT_EQ(Described(), expected);
    EXPECT_EQ(Seqs(), Iota(0, 20));
    EXPECT_EQ(Flagged(), (std::vector<int>{19}));
    EXPECT_EQ(Frames().back()->Last(), 1);

    auto fr = Frames();
    for (int ch = 0; ch < 6; ++ch) {
        EXPECT_EQ(fr[ch]->Payload()[0], 0) << "mute frame of channel " << ch;
        EXPECT_EQ(fr[8 + ch]->Payload()[248], 0) << "the record is written silenced";
        EXPECT_EQ(fr[14 + ch]->Payload()[0], on[ch]) << "restore frame of channel " << ch;
        EXPECT_EQ(img.current.outputs[ch].soundOn, on[ch]) << "the image gets its on-flag back";
    }
    EXPECT_EQ(ReadProgramMarker(img.current), 3);
    EXPECT_EQ(0, std::memcmp(fr[8]->Payload().data() + 288, "40VS\x03", 5))
        << "the stored output 0 carries the marker";
    EXPECT_EQ(0, std::memcmp(fr[6]->Payload().data(), img.Program(3).name, 15))
        << "the name frame carries stored program 3's name";
    EXPECT_EQ(fr[7]->Payload()[75], 1) << "the music input is stored switched on";
}

TEST_F(Sequences, StoreProgramFromRecordsCopiesTheRecordsAndEndsOnTheLastOutput)
{
    RecordingRecords records(model->image);
    cmd->SetRecordPort(&records);
    ASSERT_TRUE(cmd->StoreProgram(0, true));
    std::vector<std::string> expected{"W9.0.0", "W3.2.0"};
    for (int ch = 0; ch < 6; ++ch)
        expected.push_back("W4." + std::to_string(ch) + ".0");
    EXPECT_EQ(Described(), expected);
    EXPECT_EQ(Flagged(), (std::vector<int>{7}));
    EXPECT_EQ(Frames().back()->Last(), 1);
    EXPECT_EQ(records.storedAll, 1);
    EXPECT_EQ(ReadProgramMarker(model->image.current), 0) << "program 0 gets no marker";
}

TEST_F(Sequences, DownloadAllNumbersAllButTheDelayMemory)
{
    ProgramImage& p10 = model->image.Program(10);
    p10.outputs[5].bands[0].SetFreq(4321);
    cmd->DownloadAll();
    auto d = Described();
    auto fr = Frames();
    ASSERT_EQ(d.size(), 6u + 7u + 1u + 6u + 10u * 8u);
    EXPECT_EQ(d[6], "W3.2.0");
    EXPECT_EQ(d[13], "W9.64.0");
    EXPECT_EQ(fr[13]->Seq(), 0) << "the delay memory is not numbered";
    EXPECT_EQ(fr[12]->Seq(), 12);
    EXPECT_EQ(fr[14]->Seq(), 13) << "numbering goes on after it";
    EXPECT_EQ(d[20], "W9.0.0@1");
    EXPECT_EQ(d[21], "W3.2.0@1");
    EXPECT_EQ(d.back(), "W4.5.0@10");
    EXPECT_EQ(fr.back()->Seq(), 98);
    EXPECT_EQ(Flagged(), (std::vector<int>{99}));
    EXPECT_EQ(fr.back()->Last(), 1);
    EXPECT_EQ(GetU16(fr.back()->Payload().data()), 4321) << "stored programs come from their copies";
    EXPECT_EQ(fr[21]->Payload()[75], model->image.Program(1).Music().On())
        << "a stored program's music record is sent as stored, not switched on";
}

TEST_F(Sequences, MuteAndRestoreCoverTheLinkGroup)
{
    RecordingRecords records(model->image);
    cmd->SetRecordPort(&records);
    model->image.linkTable.group = {0, 1, 1, 3, 1, 5};
    records.on[2] = 0;
    cmd->MuteGroup(1);
    EXPECT_EQ(Described(), (std::vector<std::string>{"W4.1.31", "W4.2.31", "W4.4.31"}));
    for (const auto& f : Frames()) {
        EXPECT_EQ(f->Payload()[0], 0) << "muted";
        EXPECT_EQ(f->LinkFlag(), 0) << "block 31 never carries the link flag";
    }
    cmd->Clear();
    cmd->RestoreGroup(1);
    auto fr = Frames();
    ASSERT_EQ(fr.size(), 3u);
    EXPECT_EQ(fr[0]->Payload()[0], 1);
    EXPECT_EQ(fr[1]->Payload()[0], 0) << "channel 2 was off before and stays off";
    EXPECT_EQ(fr[2]->Payload()[0], 1);
    EXPECT_EQ(records.clearedLevel, (std::vector<int>{1, 2, 4, 1, 2, 4}));
    EXPECT_EQ(flags.busy, 0) << "unnumbered";
}

struct PairCase {
    bool front, rear, sub;
    int channel;
    bool notifies;
};

void PrintTo(const PairCase& c, std::ostream* os)
{
    *os << "front " << c.front << " rear " << c.rear << " sub " << c.sub << " ch " << c.channel;
}

class PairCondition : public Sequences, public ::testing::WithParamInterface<PairCase> {};

TEST_P(PairCondition, DecidesWhichRecordFrameNotifies)
{
    const PairCase& c = GetParam();
    host.m_linkToggles[0] = c.front;
    host.m_linkToggles[1] = c.rear;
    host.m_linkToggles[2] = c.sub;
    EXPECT_EQ(cmd->PairCondition(c.channel), c.notifies);

    cmd->SendOutputRecord(c.channel);
    ASSERT_EQ(Frames().size(), 1u);
    EXPECT_EQ(Frames()[0]->NotifyAlways(), c.notifies ? 1 : 0);
    EXPECT_EQ(flags.busy, c.notifies ? 1 : 0);
    EXPECT_EQ(host.windowsOpened, c.notifies ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, PairCondition,
                         ::testing::Values(PairCase{true, false, false, 1, true},
                                           PairCase{true, true, true, 3, false},
                                           PairCase{false, true, false, 3, true},
                                           PairCase{false, true, true, 5, false},
                                           PairCase{false, false, true, 5, true},
                                           PairCase{false, false, false, 5, false},
                                           PairCase{false, false, true, 4, false}));

TEST_F(Sequences, RewriteOutputMutesWritesAndRestores)
{
    RecordingRecords records(model->image);
    cmd->SetRecordPort(&records);
    host.m_linkToggles[1] = true;  // rear pair
    cmd->RewriteOutput(3, true);
    EXPECT_EQ(Described(), (std::vector<std::string>{"W4.3.31", "W4.3.0", "W4.3.31"}));
    auto fr = Frames();
    EXPECT_EQ(fr[0]->Payload()[0], 0);
    EXPECT_EQ(fr[1]->Payload()[248], 0) << "the record goes out silenced";
    EXPECT_EQ(fr[1]->NotifyAlways(), 1);
    EXPECT_EQ(fr[2]->Payload()[0], 1);
    EXPECT_EQ(records.storedOutputs, (std::vector<int>{3}));
    EXPECT_EQ(records.on[3], 1);
    EXPECT_EQ(flags.busy, 1);

    cmd->Clear();
    flags.busy = 0;
    cmd->RewriteOutput(3, false);
    EXPECT_EQ(Frames()[1]->NotifyAlways(), 0) << "without notify nothing is flagged";
    EXPECT_EQ(flags.busy, 0);
}

TEST_F(Sequences, MuteOutputSilencesTheProcessorButNotTheRecord)
{
    RecordingRecords records(model->image);
    cmd->SetRecordPort(&records);
    cmd->MuteOutput(2);
    ASSERT_EQ(Described(), (std::vector<std::string>{"W4.2.31"}));
    EXPECT_EQ(Frames()[0]->Payload()[0], 0);
    EXPECT_EQ(records.on[2], 1);
}

TEST_F(Sequences, SendSystemItemWritesNameOrDelayMemory)
{
    cmd->SendSystemItem(SYS_DELAY_MEMORY, 0);
    cmd->SendSystemItem(SYS_PROGRAM_NAME, 2);
    cmd->SendSystemItem(SYS_VERSION, 0);  // not writable: nothing queued
    EXPECT_EQ(Described(), (std::vector<std::string>{"W9.64.0", "W9.0.0@2"}));
}

TEST_F(Sequences, NothingIsSentWhileDisconnected)
{
    host.m_bConnected = false;
    cmd->ReadVersion();
    cmd->ReadDeviceInfo();
    cmd->DownloadAll();
    cmd->MuteGroup(0);
    cmd->RestoreGroup(0);
    cmd->RewriteOutput(0, true);
    cmd->MuteOutput(0);
    cmd->SendOutputRecord(1);
    cmd->SendSystemItem(SYS_DELAY_MEMORY, 0);
    EXPECT_EQ(host.failuresShown, 0) << "these stay silent";

    EXPECT_FALSE(cmd->ReadLive());
    EXPECT_FALSE(cmd->RecallProgram(1));
    EXPECT_FALSE(cmd->ReadAllPrograms());
    EXPECT_FALSE(cmd->StoreProgram(1, false));
    EXPECT_EQ(host.failuresShown, 4) << "these show the connection failure";

    EXPECT_EQ(cmd->Count(), 0);
    EXPECT_EQ(flags.busy, 0);
    EXPECT_EQ(host.windowsOpened, 0);
    EXPECT_EQ(ReadProgramMarker(model->image.current), 0) << "a refused store changes nothing";
}

} // namespace
