// The console's editing commands end to end: the real link (worker, transport, reply
// handling) against the simulated processor. A failing test prints the frames the
// processor saw, in hex.

#include "document/ConsoleEdits.h"
#include "document/EqEdits.h"
#include "link/CommandBuilder.h"
#include "link/ConsoleLink.h"
#include "link/NullConsoleUi.h"
#include "simulator/SimBus.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

using namespace ovix;
using namespace std::chrono_literals;

namespace {

class CountingUi final : public NullConsoleUi {
public:
    explicit CountingUi(MessageQueue& q) : m_queue(q) {}
    void OpenDataLoadingWindow() override { ++windowsOpened; }
    void After(std::chrono::milliseconds d, std::function<void()> fn) override { m_queue.After(d, std::move(fn)); }
    int windowsOpened = 0;

private:
    MessageQueue& m_queue;
};

std::string Hex(const std::vector<std::uint8_t>& bytes)
{
    static const char* d = "0123456789abcdef";
    std::string s;
    for (auto b : bytes) {
        s += d[b >> 4];
        s += d[b & 15];
    }
    return s;
}

using Frame = std::vector<std::uint8_t>;

bool IsOutputWrite(const Frame& f) { return f[4] == CMD_WRITE && f[7] == REC_OUTPUT; }
bool IsRecordWrite(const Frame& f) { return IsOutputWrite(f) && f.size() == 312; }

class EditsOnSim : public ::testing::Test {
protected:
    void SetUp() override
    {
        model = std::make_unique<ParameterModel>();
        ResetImage(model->image);
        bus = std::make_shared<sim::CSimBus>();
        proc = &bus->Add({.reportDelay = std::chrono::microseconds(0)});
        ui = std::make_unique<CountingUi>(queue);
        link = std::make_unique<CConsoleLink>(*model, flags, lock, bus, deviceRecords, queue, *ui);
        link->SetDisconnectPause(0ms);
        data = std::make_unique<CKTV_Data>(*model);
        link->Command().SetRecordPort(data.get());
        edits = std::make_unique<CConsoleEdits>(*model, *data, link->Command(), *link, lock);
    }
    void TearDown() override
    {
        if (HasFailure()) {
            std::ostringstream os;
            for (const auto& f : proc->ReceivedFrames())
                os << "  Sent: " << Hex(f) << '\n';
            ADD_FAILURE() << "frames the processor saw:\n" << os.str();
        }
        queue.Shutdown();
        link.reset();
    }

    bool PumpUntil(const std::function<bool()>& pred, std::chrono::milliseconds timeout = 15s)
    {
        return queue.PumpUntil([this](const LinkEventMsg& m) { link->HandleEvent(m); }, pred, timeout);
    }
    void PumpFor(std::chrono::milliseconds d) { PumpUntil([] { return false; }, d); }
    // Connected, synced, the read batch over and nothing left to send.
    bool ConnectAndSettle()
    {
        link->AutoConnect();
        return PumpUntil([this] { return link->Synced() && link->DelayMemoryReturned(); }) && Settle();
    }
    // Everything queued or marked has been answered.
    bool Settle()
    {
        return PumpUntil([this] {
            if (flags.busy != 0)
                return false;
            // nothing marked first: an empty queue alone may just mean the worker has not
            // pulled the next change yet
            if (!NothingMarked())
                return false;
            auto head = link->Command().Head();
            return !head || (head->RecordType() == REC_SYSTEM && head->Index() == SYS_STATUS &&
                             link->Command().Count() == 1);
        });
    }
    bool NothingMarked()
    {
        ModelLock l(model->lock);
        for (int ch = 0; ch < kOutputChannels; ++ch) {
            CKTV_OutData& out = data->Out(ch);
            if (out.m_levelDirty || out.m_nameDirty || out.m_mixDirty || out.m_limiterDirty)
                return false;
            for (int i = 0; i < out.Eq().Count(); ++i)
                if (out.Eq()[i].Dirty())
                    return false;
        }
        return true;
    }
    std::vector<Frame> Writes() const
    {
        std::vector<Frame> w;
        for (auto& f : proc->ReceivedFrames())
            if (f[4] == CMD_WRITE)
                w.push_back(f);
        return w;
    }
    bool SameOutput(int ch) const
    {
        const DeviceImage mem = proc->Memory();
        ModelLock l(model->lock);
        return std::memcmp(mem.current.outputs[ch].Bytes(), model->image.current.outputs[ch].Bytes(),
                           sizeof(OutputBlock)) == 0;
    }

    std::unique_ptr<ParameterModel> model;
    LinkFlags flags;
    std::recursive_mutex lock;
    MemoryDeviceRecords deviceRecords;
    MessageQueue queue;
    std::shared_ptr<sim::CSimBus> bus;
    sim::CSimProcessor* proc = nullptr;
    std::unique_ptr<CountingUi> ui;
    std::unique_ptr<CConsoleLink> link;
    std::unique_ptr<CKTV_Data> data;
    std::unique_ptr<CConsoleEdits> edits;
};

} // namespace

TEST_F(EditsOnSim, GainOnALinkedChannelSendsBothLevelGroups)
{
    ASSERT_TRUE(ConnectAndSettle());
    ASSERT_EQ(edits->LinkPair(0, 0), 1);
    ASSERT_TRUE(Settle());
    proc->ClearReceivedFrames();

    edits->SetGain(0, 45);
    ASSERT_TRUE(PumpUntil([&] {
        const DeviceImage m = proc->Memory();
        return m.current.outputs[0].Gain() == 45 && m.current.outputs[1].Gain() == 45;
    }));
    PumpFor(50ms);
    const auto writes = Writes();
    ASSERT_EQ(writes.size(), 2u) << "the level group of CH1 and of CH2, nothing else";
    for (int ch : {0, 1}) {
        const Frame& f = writes[std::size_t(ch)];
        EXPECT_EQ(f[7], REC_OUTPUT);
        EXPECT_EQ(f[8], ch);
        EXPECT_EQ(f[9], OutputBlock::kLevelItem);
        EXPECT_EQ(f[10], 0) << "the level block never carries the link flag";
        auto expected = WriteBlock(model->image, REC_OUTPUT, ch, OutputBlock::kLevelItem);
        EXPECT_EQ(Hex(f), Hex({expected->Bytes().begin(), expected->Bytes().end()}));
        EXPECT_TRUE(SameOutput(ch)) << "channel " << ch;
    }
}

TEST_F(EditsOnSim, ResetAllEqOnTheRearPairWhileTheFrontIsLinkedDoesNotNotify)
{
    ASSERT_TRUE(ConnectAndSettle());
    edits->LinkPair(0, 0);
    edits->LinkPair(1, 1);
    for (int ch : {2, 3}) {
        data->Out(ch).Band(12).SetGainCode(300);
        data->Out(ch).Band(12).SetBandwidthIndex(90);
    }
    ASSERT_TRUE(Settle());
    ASSERT_EQ(proc->Memory().current.outputs[2].bands[12].GainWord(), 700);
    proc->ClearReceivedFrames();
    const int windows = ui->windowsOpened;

    edits->ResetAllEq(3);
    EXPECT_EQ(flags.busy, 0) << "no record frame of this reset notifies";
    EXPECT_EQ(ui->windowsOpened, windows);
    ASSERT_TRUE(Settle());
    std::vector<int> rewritten;
    for (const auto& f : Writes()) {
        if (!IsRecordWrite(f))
            continue;
        rewritten.push_back(f[8]);
        EXPECT_EQ(f[10], 1) << "channel " << int(f[8]) << " is linked";
    }
    EXPECT_EQ(rewritten, (std::vector<int>{3, 2}));
    const DeviceImage mem = proc->Memory();
    for (int ch : {2, 3}) {
        EXPECT_EQ(mem.current.outputs[ch].bands[12].GainWord(), 600) << "channel " << ch;
        EXPECT_EQ(mem.current.outputs[ch].bands[12].BandwidthIndex(), 15) << "0.2 octave, channel " << ch;
        EXPECT_EQ(mem.current.outputs[ch].soundOn, 1) << "the bracket gave the sound back, channel " << ch;
        EXPECT_TRUE(SameOutput(ch)) << "channel " << ch;
    }

    // the same on the front pair: CH2's record is the one that notifies
    edits->ResetAllEq(0);
    EXPECT_EQ(flags.busy, 1);
    EXPECT_EQ(ui->windowsOpened, windows + 1);
    EXPECT_TRUE(PumpUntil([&] { return flags.busy == 0; }, 5s)) << "and the batch ends";
}

TEST_F(EditsOnSim, LinkingDuringAGlideEndsWithTheProcessorAtTheShownFrequency)
{
    ASSERT_TRUE(ConnectAndSettle());
    CFilter& band = data->Out(0).Band(7);  // 100 Hz
    band.SetGainCode(260);
    band.SetFrequency(1000, true);          // glides: 200, 400, 800, 1000
    ASSERT_NE(band.DevFreq(), 1000);
    ASSERT_EQ(edits->LinkPair(0, 0), 1);   // CH2 copies CH1 on the way
    EXPECT_EQ(data->Out(1).Band(7).Freq(), 1000) << "CH2 shows the target";

    EXPECT_TRUE(PumpUntil([&] { return proc->Memory().current.outputs[1].bands[7].Freq() == 1000; }, 3s))
        << "the processor holds CH2's band at " << proc->Memory().current.outputs[1].bands[7].Freq();
    ASSERT_TRUE(Settle());
    EXPECT_EQ(proc->Memory().current.outputs[0].bands[7].Freq(), 1000);
    EXPECT_EQ(data->Out(1).Band(7).DevFreq(), 1000);
    EXPECT_TRUE(SameOutput(1));
    std::vector<int> steps;
    for (const auto& f : Writes())
        if (IsOutputWrite(f) && f[8] == 1 && f[9] == 7)
            steps.push_back(f[14] | (f[15] << 8));
    ASSERT_FALSE(steps.empty());
    EXPECT_EQ(steps.back(), 1000) << "CH2's band glides on after the copy";
}

TEST_F(EditsOnSim, BandEditOnALinkedPairSendsBothBandsWithTheLinkFlag)
{
    ASSERT_TRUE(ConnectAndSettle());
    ASSERT_EQ(edits->LinkPair(0, 0), 1);
    ASSERT_TRUE(Settle());
    proc->ClearReceivedFrames();
    CEqEdits eq(*model, *data, link->Command(), *link, lock);

    eq.SetBandGain(0, 11, 260);
    ASSERT_TRUE(PumpUntil([&] {
        const DeviceImage m = proc->Memory();
        return m.current.outputs[0].bands[11].GainWord() == 660 && m.current.outputs[1].bands[11].GainWord() == 660;
    }));
    ASSERT_TRUE(Settle());
    std::vector<int> channels;
    for (const Frame& f : Writes()) {
        ASSERT_TRUE(IsOutputWrite(f));
        EXPECT_EQ(f[9], 11) << "band 12's block and nothing else";
        EXPECT_EQ(f[10], 1) << "channel " << int(f[8]) << " is linked";
        channels.push_back(f[8]);
    }
    EXPECT_EQ(channels, (std::vector<int>{0, 1}));
    EXPECT_EQ(proc->Memory().current.outputs[2].bands[11].GainWord(), 600) << "CH3 is not in the group";
    EXPECT_TRUE(SameOutput(0));
    EXPECT_TRUE(SameOutput(1));
}

TEST_F(EditsOnSim, ModeConversionMutesRewritesAndRestoresTheGroupInThatOrder)
{
    ASSERT_TRUE(ConnectAndSettle());
    ASSERT_EQ(edits->LinkPair(1, 0), 3);
    for (int ch : {2, 3})
        data->Out(ch).Band(20).SetGainCode(320);
    ASSERT_TRUE(Settle());
    ASSERT_EQ(proc->Memory().current.outputs[3].bands[20].GainWord(), 720);
    proc->ClearReceivedFrames();
    CEqEdits eq(*model, *data, link->Command(), *link, lock);

    eq.ConvertEqMode(2, 1);
    ASSERT_TRUE(Settle());
    // (channel, what): 'M' level block muted, 'R' whole record, 'U' level block sounding
    std::vector<std::pair<int, char>> order;
    for (const Frame& f : Writes()) {
        ASSERT_TRUE(IsOutputWrite(f));
        if (IsRecordWrite(f))
            order.emplace_back(f[8], 'R');
        else if (f[9] == OutputBlock::kLevelItem)
            order.emplace_back(f[8], f[14] ? 'U' : 'M');
        else
            order.emplace_back(f[8], '?');
    }
    EXPECT_EQ(order, (std::vector<std::pair<int, char>>{{2, 'M'}, {3, 'M'}, {2, 'R'}, {3, 'R'}, {2, 'U'}, {3, 'U'}}));
    const DeviceImage mem = proc->Memory();
    for (int ch : {2, 3}) {
        EXPECT_EQ(mem.current.outputs[ch].bands[20].GainWord(), 600) << "channel " << ch;
        EXPECT_EQ(mem.current.outputs[ch].bands[20].Freq(), 2000) << "channel " << ch;
        EXPECT_EQ(data->Out(ch).GeqMode(), 1) << "channel " << ch;
        EXPECT_TRUE(SameOutput(ch)) << "channel " << ch;
    }
}
