#include "simulator/SimProcessor.h"

#include "SimWire.h"
#include "link/CommandBuilder.h"
#include "tables/Scales.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace ovix::sim::test {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::Matcher;
using Bytes = std::vector<std::uint8_t>;

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

Bytes RecordBytes(const ProgramImage& prog, int type, int index)
{
    const std::uint8_t* p = prog.Bytes() + RecordOffset(type, index);
    return Bytes(p, p + RecordSize(type));
}

class SimProcessorTest : public ::testing::Test {
protected:
    SimProcessorTest() { ResetImage(console); }

    std::optional<Reply> Exchange(const std::unique_ptr<CSendData>& frame) { return test::Exchange(wire, frame); }
    // True when nothing at all comes back for a short while.
    bool Quiet() { return !Receive(wire, 50).has_value(); }

    CSimProcessor sim{Fast()};
    ProcessorWire wire{sim};
    DeviceImage console{};
};

// ---- factory memory ----

TEST_F(SimProcessorTest, LeavesTheFactoryWithPlausibleSettings)
{
    const DeviceImage m = sim.Memory();
    for (int c = 0; c < kOutputChannels; ++c) {
        const OutputBlock& out = m.current.outputs[c];
        for (int b = 0; b < kOutputBands; ++b) {
            EXPECT_EQ(out.bands[b].Freq(), IsoBandTable[std::size_t(b)]) << "channel " << c << " band " << b;
            EXPECT_EQ(out.bands[b].GainWord(), 600) << "every band starts at 0 dB";
        }
        EXPECT_EQ(out.soundOn, 1);
        EXPECT_EQ(out.Gain(), 60);
        EXPECT_EQ(out.crossover.HighPassFreq(), 20);
        EXPECT_EQ(out.crossover.LowPassFreq(), c >= 4 ? 500 : 20000) << "subwoofers are low-passed";
    }
    EXPECT_EQ(m.current.Music().Volume(), 60);
    EXPECT_EQ(m.current.Music().On(), 1);
    EXPECT_EQ(ReadProgramMarker(m.current), 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(m.Program(20).name), 16), std::string("PROGRAM 20     \0", 16));
    EXPECT_EQ(std::memcmp(m.Program(20).outputs, m.current.outputs, sizeof m.current.outputs), 0)
        << "stored programs hold the factory settings";
}

// ---- records ----

struct BlockCase {
    const char* name;
    int type;
    int index;
    int block;
};

class SimBlockTest : public SimProcessorTest, public ::testing::WithParamInterface<BlockCase> {};

TEST_P(SimBlockTest, WrittenBlockIsAcknowledgedAndReadBackInItsRecord)
{
    const int type = GetParam().type;
    const int index = GetParam().index;
    const int block = GetParam().block;
    const Bytes before = RecordBytes(sim.Memory().current, type, index);
    std::uint8_t* target = console.current.Bytes() + RecordOffset(type, index) + block * 8;
    for (int i = 0; i < 8; ++i)
        target[i] = std::uint8_t(0xA0 + i);

    const auto ack = Exchange(WriteBlock(console, type, index, block));
    ASSERT_TRUE(ack);
    EXPECT_EQ(ack->command, REPLY_ACK);
    EXPECT_EQ(ack->address, 1);
    EXPECT_EQ(ack->program, 0);
    EXPECT_EQ(ack->type, type);
    EXPECT_EQ(ack->index, index);
    EXPECT_EQ(ack->block, block) << "the reply echoes the block byte";
    EXPECT_EQ(ack->link, 0);
    EXPECT_EQ(ack->reserved, 0);
    EXPECT_TRUE(ack->payload.empty());
    EXPECT_TRUE(ack->checksumOk);

    const auto data = Exchange(ReadRecord(0, type, index, false));
    ASSERT_TRUE(data);
    EXPECT_EQ(data->command, REPLY_DATA);
    EXPECT_EQ(data->block, STORED_MARKER);
    EXPECT_TRUE(data->checksumOk);
    Bytes expected = before;
    std::memcpy(expected.data() + block * 8, target, 8);
    EXPECT_EQ(data->payload, expected) << "exactly the eight bytes of the block changed";
}

INSTANTIATE_TEST_SUITE_P(Records, SimBlockTest,
                         ::testing::Values(BlockCase{"OutputBand", REC_OUTPUT, 3, 7},
                                           BlockCase{"OutputLevel", REC_OUTPUT, 5, OutputBlock::kLevelItem},
                                           BlockCase{"OutputName", REC_OUTPUT, 0, OutputBlock::kNameItem},
                                           BlockCase{"MusicLevel", REC_MUSIC, kMusicIndex, InputBlock::kLevelItem},
                                           BlockCase{"MicBand", REC_MIC, kMicIndex, 0},
                                           BlockCase{"EffectLast", REC_EFFECT, 0, 11}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SimProcessorTest, WholeOutputRecordTakesFiveReportsAndOneAcknowledgement)
{
    console.current.outputs[1].bands[30].SetFreq(17000);
    console.current.outputs[1].name[0] = 'X';
    const auto frame = WriteRecord(console, 7, REC_OUTPUT, 1, true, false);
    ASSERT_TRUE(frame);
    ASSERT_EQ(frame->Length(), 312);

    EXPECT_EQ(Send(wire, *frame), 5);
    const auto ack = Receive(wire);
    ASSERT_TRUE(ack);
    EXPECT_EQ(ack->command, REPLY_ACK);
    EXPECT_EQ(ack->program, 7);
    EXPECT_TRUE(Quiet()) << "one frame, one reply";

    const DeviceImage m = sim.Memory();
    EXPECT_EQ(RecordBytes(m.Program(7), REC_OUTPUT, 1), RecordBytes(console.current, REC_OUTPUT, 1));
    EXPECT_NE(m.current.outputs[1].bands[30].Freq(), 17000) << "a stored program write leaves the live one";
    const auto log = sim.ReceivedFrames();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], Bytes(frame->Bytes().begin(), frame->Bytes().end()));
}

TEST_F(SimProcessorTest, EffectRecordOfAPresetLandsInThePreset)
{
    std::uint8_t* data = console.Preset(25).effect.Bytes();
    for (int i = 0; i < 96; ++i)
        data[i] = std::uint8_t(i + 1);
    const auto ack = Exchange(WriteRecord(console, 25, REC_EFFECT, 0, false, false));
    ASSERT_TRUE(ack);
    EXPECT_EQ(ack->command, REPLY_ACK);

    const auto data25 = Exchange(ReadRecord(25, REC_EFFECT, 0, false));
    ASSERT_TRUE(data25);
    EXPECT_EQ(data25->payload, Bytes(data, data + 96));
}

TEST_F(SimProcessorTest, RecallCopiesTheStoredRecordIntoTheLiveProgramAndAnswersWithIt)
{
    sim.Edit([](DeviceImage& m) {
        m.Program(4).outputs[3].bands[2].SetFreq(123);
        m.Program(4).outputs[3].SetGain(17);
        m.Program(6).outputs[3].SetGain(33);
    });
    const Bytes stored4 = RecordBytes(sim.Memory().Program(4), REC_OUTPUT, 3);

    const auto recall = Exchange(ReadRecord(4, REC_OUTPUT, 3, true));
    ASSERT_TRUE(recall);
    EXPECT_EQ(recall->command, REPLY_DATA);
    EXPECT_EQ(recall->program, 4);
    EXPECT_EQ(recall->block, 0);
    EXPECT_EQ(recall->payload, stored4);
    EXPECT_EQ(RecordBytes(sim.Memory().current, REC_OUTPUT, 3), stored4);

    // with the marker it is a plain read of the stored program: the live one stays
    const auto read6 = Exchange(ReadRecord(6, REC_OUTPUT, 3, false));
    ASSERT_TRUE(read6);
    EXPECT_EQ(read6->block, STORED_MARKER);
    EXPECT_EQ(read6->payload, RecordBytes(sim.Memory().Program(6), REC_OUTPUT, 3));
    EXPECT_EQ(sim.Memory().current.outputs[3].Gain(), 17);
}

// ---- system items ----

struct ItemCase {
    const char* name;
    int item;
    int program;
    Matcher<const Bytes&> payload;
};

class SimItemTest : public SimProcessorTest, public ::testing::WithParamInterface<ItemCase> {
protected:
    void SetUp() override
    {
        // a recognisable value in every field an item reads
        sim.Edit([](DeviceImage& m) {
            for (int i = 0; i < SystemBytes::kCount; ++i)
                m.system.sys[i] = std::uint8_t(100 + i);
            m.system.SetLimitWord(0x1234);
            for (int i = 0; i < kStatusValues; ++i)
                m.status[std::size_t(i)] = 200 + i;
            for (int i = 0; i < 40; ++i)
                m.deviceText[i] = std::uint8_t('a' + i % 26);
            for (int i = 0; i < 24; ++i)
                m.deviceInfo[i] = std::uint8_t(i + 1);
            const std::uint8_t ident[7] = {9, 8, 7, 6, 5, 4, 3};
            std::memcpy(m.ident, ident, 7);
            m.identFlag = 0x5A;
            std::memcpy(m.current.secondText, "SECOND TEXT 0..", 16);
            for (int i = 0; i < 50; ++i)
                m.delayMemory.Bytes()[i] = std::uint8_t(i);
        });
    }
};

TEST_P(SimItemTest, AnswersWithThePayloadTheConsoleExpects)
{
    const auto& c = GetParam();
    const auto reply = Exchange(ReadSystemItem(c.item, c.program));
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->command, REPLY_DATA);
    EXPECT_EQ(reply->program, c.program);
    EXPECT_EQ(reply->type, REC_SYSTEM);
    EXPECT_EQ(reply->index, c.item);
    EXPECT_TRUE(reply->checksumOk);
    EXPECT_THAT(reply->payload, c.payload);
}

Bytes Sequence(int first, int count)
{
    Bytes b;
    for (int i = 0; i < count; ++i)
        b.push_back(std::uint8_t(first + i));
    return b;
}

Bytes DeviceText()
{
    Bytes b;
    for (int i = 0; i < 40; ++i)
        b.push_back(std::uint8_t('a' + i % 26));
    return b;
}

INSTANTIATE_TEST_SUITE_P(
    Items, SimItemTest,
    ::testing::Values(
        ItemCase{"StoredProgramName", SYS_PROGRAM_NAME, 3, ElementsAreArray(Text("PROGRAM 03     "))},
        ItemCase{"LiveProgramName", SYS_PROGRAM_NAME, 0, ElementsAreArray(Text("PROGRAM 01     "))},
        ItemCase{"SecondName", SYS_EFFECT_NAME, 0, ElementsAreArray(Text("SECOND TEXT 0.."))},
        ItemCase{"EffectPresetName", SYS_EFFECT_NAME, 22, ElementsAreArray(Text("EFFECT 22      "))},
        ItemCase{"Settings", SYS_SETTINGS, 0, ElementsAre(100, 101, 102, 103)},
        ItemCase{"Status", SYS_STATUS, 0, ElementsAreArray(Sequence(200, 12))},
        ItemCase{"Version", SYS_VERSION, 0, ElementsAreArray(Text("QX907-V1.00"))},
        ItemCase{"Text", SYS_TEXT, 0, ElementsAreArray(DeviceText())},
        ItemCase{"DeviceInfo", SYS_DEVICE_INFO, 0, ElementsAreArray(Sequence(1, 24))},
        ItemCase{"Ident", SYS_IDENT, 0, ElementsAre(9, 8, 7, 6, 5, 4, 3)},
        ItemCase{"Flag20", SYS_FLAG20, 0, ElementsAre(0x5A)},
        ItemCase{"Setting32", SYS_SETTING_32, 0, ElementsAre(106)},
        ItemCase{"Setting36", 36, 0, ElementsAre(110)},
        ItemCase{"Setting41", SYS_SETTING_41, 0, ElementsAre(115)},
        ItemCase{"Setting48", SYS_SETTING_48, 0, ElementsAre(116)},
        ItemCase{"Setting49", SYS_SETTING_49, 0, ElementsAre(117)},
        ItemCase{"SubLimit", SYS_SUB_LIMIT, 0, ElementsAre(0x34, 0x12)},
        ItemCase{"Setting51", SYS_SETTING_51, 0, ElementsAre(::testing::_, 118)},
        ItemCase{"Model", SYS_MODEL, 0, ElementsAre(1)},
        ItemCase{"DelayMemory", SYS_DELAY_MEMORY, 0, ElementsAreArray(Sequence(0, 50))}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SimProcessorTest, VersionAndModelFollowTheirSetters)
{
    struct Case {
        std::string set;
        std::string wire;
    };
    for (const Case& c : {Case{"QX907-V2.00", "QX907-V2.00"}, Case{"QX9", "QX9        "},
                          Case{"QX907-V1.37-BETA", "QX907-V1.37"}}) {
        sim.SetVersion(c.set);
        const auto reply = Exchange(ReadSystemItem(SYS_VERSION, 0));
        ASSERT_TRUE(reply);
        EXPECT_EQ(reply->payload, Text(c.wire)) << "set " << c.set;
    }
    sim.SetModel(2);
    const auto model = Exchange(ReadSystemItem(SYS_MODEL, 0));
    ASSERT_TRUE(model);
    EXPECT_THAT(model->payload, ElementsAre(2));
}

TEST_F(SimProcessorTest, WrittenNameAndDelayMemoryAreKept)
{
    std::memcpy(console.Program(5).name, "MY SETUP     \0\0\0", 16);
    for (int s = 0; s < kDelaySets; ++s)
        for (int c = 0; c < kOutputChannels; ++c)
            console.delayMemory.SetDelay(s, c, std::uint16_t(100 * s + c));
    console.delayMemory.current = 2;

    for (int item : {int(SYS_PROGRAM_NAME), int(SYS_DELAY_MEMORY)}) {
        const auto ack = Exchange(WriteSystemItem(console, item, item == SYS_PROGRAM_NAME ? 5 : 0));
        ASSERT_TRUE(ack);
        EXPECT_EQ(ack->command, REPLY_ACK) << "item " << item;
    }
    const DeviceImage m = sim.Memory();
    EXPECT_EQ(std::memcmp(m.Program(5).name, console.Program(5).name, 16), 0);
    EXPECT_EQ(std::memcmp(m.delayMemory.Bytes(), console.delayMemory.Bytes(), 50), 0);
    const auto name = Exchange(ReadSystemItem(SYS_PROGRAM_NAME, 5));
    ASSERT_TRUE(name);
    EXPECT_EQ(name->payload, Text(std::string("MY SETUP     \0\0", 15)));
}

TEST_F(SimProcessorTest, ReadOfAnItemItDoesNotHaveIsAcknowledgedWithoutData)
{
    const auto reply = Exchange(ReadSystemItem(7, 0));
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->command, REPLY_ACK);
    EXPECT_TRUE(reply->payload.empty());
}

// ---- faults ----

TEST_F(SimProcessorTest, ResendRequestsComeFirstAndLeaveTheFrameUnexecuted)
{
    console.current.outputs[0].SetGain(12);
    const auto frame = WriteBlock(console, REC_OUTPUT, 0, OutputBlock::kLevelItem);
    sim.ResendNext(2);
    for (int attempt = 0; attempt < 2; ++attempt) {
        const auto resend = Exchange(frame);
        ASSERT_TRUE(resend);
        EXPECT_EQ(resend->command, REPLY_RESEND) << "attempt " << attempt;
        EXPECT_EQ(resend->block, OutputBlock::kLevelItem);
        EXPECT_TRUE(resend->payload.empty());
        EXPECT_EQ(sim.Memory().current.outputs[0].Gain(), 60);
    }
    const auto ack = Exchange(frame);
    ASSERT_TRUE(ack);
    EXPECT_EQ(ack->command, REPLY_ACK);
    EXPECT_EQ(sim.Memory().current.outputs[0].Gain(), 12);
}

TEST_F(SimProcessorTest, CorruptChecksumSpoilsOnlyTheNextReply)
{
    sim.CorruptNextChecksum();
    const auto bad = Exchange(ReadSystemItem(SYS_VERSION, 0));
    ASSERT_TRUE(bad);
    EXPECT_FALSE(bad->checksumOk);
    EXPECT_EQ(bad->payload, Text("QX907-V1.00")) << "only the checksum is wrong";
    const auto good = Exchange(ReadSystemItem(SYS_VERSION, 0));
    ASSERT_TRUE(good);
    EXPECT_TRUE(good->checksumOk);
}

TEST_F(SimProcessorTest, EmptyReadAnswersTheNextReadWithNoPayload)
{
    sim.EmptyNextRead();
    const auto ack = Exchange(WriteBlock(console, REC_OUTPUT, 2, 4));
    ASSERT_TRUE(ack);
    EXPECT_EQ(ack->command, REPLY_ACK) << "writes are not affected";

    const auto empty = Exchange(ReadSystemItem(SYS_MODEL, 0));
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->command, REPLY_DATA);
    EXPECT_EQ(empty->index, SYS_MODEL);
    EXPECT_TRUE(empty->payload.empty());
    EXPECT_TRUE(empty->checksumOk);

    const auto normal = Exchange(ReadSystemItem(SYS_MODEL, 0));
    ASSERT_TRUE(normal);
    EXPECT_THAT(normal->payload, ElementsAre(1));
}

TEST_F(SimProcessorTest, SilenceSwallowsFramesUntilLifted)
{
    const auto poll = StatusPoll();
    sim.SetSilent(true);
    Send(wire, *poll);
    EXPECT_TRUE(Quiet());
    EXPECT_EQ(sim.ReceivedFrames().size(), 1u) << "the swallowed frame was received";

    sim.SetSilent(false);
    const auto reply = Exchange(poll);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->command, REPLY_DATA);
}

TEST_F(SimProcessorTest, DamagedFramesAreNotAnswered)
{
    for (int fromEnd : {2, 1}) {  // checksum, end byte
        const auto frame = ReadSystemItem(SYS_VERSION, 0);
        Bytes bytes(frame->Bytes().begin(), frame->Bytes().end());
        bytes[bytes.size() - std::size_t(fromEnd)] ^= 0x01;
        auto damaged = std::make_unique<std::uint8_t[]>(bytes.size());
        std::memcpy(damaged.get(), bytes.data(), bytes.size());
        CSendData bad(std::move(damaged), int(bytes.size()));
        Send(wire, bad);
        EXPECT_TRUE(Quiet()) << "damaged byte " << fromEnd << " from the end";
    }
    const auto reply = Exchange(ReadSystemItem(SYS_VERSION, 0));
    ASSERT_TRUE(reply) << "the processor is ready for the next frame";
    EXPECT_EQ(reply->command, REPLY_DATA);
}

TEST_F(SimProcessorTest, FaultsAndMemoryAccessMayComeFromAnotherThreadDuringExchanges)
{
    constexpr int kExchanges = 200;
    std::atomic<bool> done{false};
    std::thread link([&] {
        for (int i = 0; i < kExchanges; ++i) {
            const auto reply = Exchange(i % 2 ? StatusPoll() : WriteBlock(console, REC_OUTPUT, i % 6, 31));
            EXPECT_TRUE(reply) << "exchange " << i;
        }
        done = true;
    });
    for (int i = 0; !done; ++i) {
        sim.Edit([i](DeviceImage& m) { m.status[0] = i; });
        EXPECT_EQ(sim.Memory().current.outputs[0].crossover.HighPassFreq(), 20);
        sim.CorruptNextChecksum();
        sim.ResendNext(1);
        sim.SetModel(1 + i % 2);
        sim.ClearReceivedFrames();
    }
    link.join();
}

TEST_F(SimProcessorTest, LogsFramesInOrderUntilCleared)
{
    const auto first = ReadSystemItem(SYS_VERSION, 0);
    const auto second = StatusPoll();
    Exchange(first);
    Exchange(second);
    const auto log = sim.ReceivedFrames();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0], Bytes(first->Bytes().begin(), first->Bytes().end()));
    EXPECT_EQ(log[1], Bytes(second->Bytes().begin(), second->Bytes().end()));
    sim.ClearReceivedFrames();
    EXPECT_TRUE(sim.ReceivedFrames().empty());
}

} // namespace
} // namespace ovix::sim::test

namespace ovix::sim::test {
namespace {

TEST(SimProcessorLog, KeepsOnlyTheNewestFramesSoAnIdleConsoleDoesNotGrowForever)
{
    CSimProcessor sim{Fast()};
    ProcessorWire wire{sim};
    const std::size_t total = CSimProcessor::kMaxLoggedFrames + 3;
    for (std::size_t i = 0; i < total; ++i) {
        auto poll = StatusPoll();
        ASSERT_GT(Send(wire, *poll), 0);
    }
    const auto frames = sim.ReceivedFrames();
    EXPECT_EQ(frames.size(), CSimProcessor::kMaxLoggedFrames);
}

} // namespace
} // namespace ovix::sim::test
