#include "link/KTVCommand.h"
#include "link/ReplyCollector.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

using namespace ovix;

namespace {

std::vector<std::uint8_t> ReplyFrame(std::uint8_t command, int program, int type, int index,
                                     int block, const std::vector<std::uint8_t>& payload)
{
    FrameHeader h;
    h.command = command;
    h.program = std::uint8_t(program);
    h.recordType = std::uint8_t(type);
    h.index = std::uint8_t(index);
    h.block = std::uint8_t(block);
    auto f = FinishFrame(h, payload);
    return {f->Bytes().begin(), f->Bytes().end()};
}

// Cuts bytes into 64-byte report chunks, the last zero-padded.
std::vector<std::vector<std::uint8_t>> Chunks(const std::vector<std::uint8_t>& bytes)
{
    std::vector<std::vector<std::uint8_t>> out;
    for (std::size_t i = 0; i < bytes.size(); i += 64) {
        std::vector<std::uint8_t> c(64, 0);
        std::copy(bytes.begin() + long(i), bytes.begin() + long(std::min(bytes.size(), i + 64)), c.begin());
        out.push_back(c);
    }
    return out;
}

} // namespace

TEST(ReplyCollector, ReplySpreadOverFiveReportsIsCollected)
{
    std::vector<std::uint8_t> payload(296);
    for (std::size_t i = 0; i < payload.size(); ++i)
        payload[i] = std::uint8_t(i * 3);
    auto chunks = Chunks(ReplyFrame(REPLY_DATA, 0, REC_OUTPUT, 5, 0x77, payload));
    ASSERT_EQ(chunks.size(), 5u);
    ReplyCollector c;
    for (std::size_t i = 0; i + 1 < chunks.size(); ++i)
        EXPECT_FALSE(c.Feed(chunks[i])) << "not complete after report " << i;
    auto r = c.Feed(chunks.back());
    ASSERT_TRUE(r);
    EXPECT_EQ(r->command, REPLY_DATA);
    EXPECT_EQ(r->recordType, REC_OUTPUT);
    EXPECT_EQ(r->index, 5);
    EXPECT_EQ(r->block, 0x77);
    EXPECT_EQ(std::vector<std::uint8_t>(r->payload.begin(), r->payload.end()), payload);
    EXPECT_FALSE(c.InFrame()) << "the padding after the end byte is dropped";
}

struct StartCase {
    std::string name;
    std::vector<std::uint8_t> prefix;  // bytes before the reply's command byte
    bool starts;
};

void PrintTo(const StartCase& c, std::ostream* os) { *os << c.name; }

class ReplyStart : public ::testing::TestWithParam<StartCase> {};

TEST_P(ReplyStart, FindsTheStartByte)
{
    // the ack without its sync and start bytes
    auto frame = ReplyFrame(REPLY_ACK, 0, REC_SYSTEM, 3, 0, {});
    std::vector<std::uint8_t> chunk = GetParam().prefix;
    chunk.insert(chunk.end(), frame.begin() + 4, frame.end());
    chunk.resize(64, 0);
    ReplyCollector c;
    auto r = c.Feed(chunk);
    EXPECT_EQ(bool(r), GetParam().starts);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReplyStart,
    ::testing::Values(StartCase{"ThreeSyncThenStart", {0x7D, 0x7D, 0x7D, 0xEE}, true},
                      StartCase{"FourSyncThenStart", {0x7D, 0x7D, 0x7D, 0x7D, 0xEE}, true},
                      StartCase{"LoneStartByte", {0x00, 0x13, 0xEE}, true},
                      StartCase{"TwoSyncThenOther", {0x7D, 0x7D, 0x41}, false},
                      StartCase{"FourSyncThenOther", {0x7D, 0x7D, 0x7D, 0x7D, 0x41}, false},
                      StartCase{"NoStart", {0x00, 0x00}, false}),
    [](const auto& info) { return info.param.name; });

TEST(ReplyCollector, ThreeSyncBytesStartAReplyAtWhateverFollows)
{
    // 7D 7D 7D then a byte other than EE: that byte is the start byte of the reply.
    auto frame = ReplyFrame(REPLY_ACK, 0, REC_SYSTEM, 3, 0, {});
    frame[3] = 0x41;
    ReplyCollector c;
    frame.resize(64, 0);
    EXPECT_TRUE(c.Feed(frame));
}

TEST(ReplyCollector, SyncCountSpansReports)
{
    auto frame = ReplyFrame(REPLY_ACK, 0, REC_SYSTEM, 3, 0, {});
    std::vector<std::uint8_t> first(64, 0);
    first[61] = first[62] = first[63] = 0x7D;
    std::vector<std::uint8_t> second(frame.begin() + 3, frame.end());
    second[0] = 0x41;  // not a start byte on its own
    second.resize(64, 0);
    ReplyCollector c;
    EXPECT_FALSE(c.Feed(first));
    EXPECT_TRUE(c.Feed(second));
}

TEST(ReplyCollector, BadRepliesAreDroppedAndCollectingStartsOver)
{
    auto good = ReplyFrame(REPLY_DATA, 0, REC_SYSTEM, 4, 0, {'Q', 'X', '9'});
    auto badChecksum = good;
    badChecksum[badChecksum.size() - 2] ^= 0xFF;
    auto badEnd = good;
    badEnd.back() = 0xAB;
    ReplyCollector c;
    for (const auto& bad : {badChecksum, badEnd}) {
        auto chunk = bad;
        chunk.resize(64, 0);
        EXPECT_FALSE(c.Feed(chunk));
        EXPECT_FALSE(c.InFrame());
    }
    good.resize(64, 0);
    EXPECT_TRUE(c.Feed(good)) << "the next good reply is taken";
}

TEST(ReplyCollector, DeclaredLengthBeyondTheBufferIsNeverWrittenPastIt)
{
    // a start byte and a length field of 0xFFFF, followed by endless data
    std::vector<std::uint8_t> chunk(64, 0x55);
    const std::uint8_t head[] = {0x7D, 0x7D, 0x7D, 0xEE, 0x53, 1, 0, 4, 0, 0x77, 0, 0, 0xFF, 0xFF};
    std::memcpy(chunk.data(), head, sizeof head);
    ReplyCollector c;
    EXPECT_FALSE(c.Feed(chunk));
    EXPECT_FALSE(c.InFrame()) << "dropped as soon as the length is known";
    std::vector<std::uint8_t> more(64, 0x55);
    for (int i = 0; i < 20; ++i)
        EXPECT_FALSE(c.Feed(more));
    EXPECT_LE(c.Received(), ReplyCollector::kBufferSize);
}

namespace {

class RecordingSink final : public LinkSink {
public:
    struct Msg {
        unsigned code;
        std::intptr_t w, l;
        bool operator==(const Msg&) const = default;
    };
    void Post(unsigned m, std::intptr_t w, std::intptr_t l) override { posted.push_back({m, w, l}); }
    void Send(unsigned m, std::intptr_t w, std::intptr_t l) override { sent.push_back({m, w, l}); }
    void PostDeviceChange(DeviceEvent, const std::string&) override {}
    std::vector<Msg> posted, sent;
};

void PrintTo(const RecordingSink::Msg& m, std::ostream* os)
{
    *os << std::hex << "0x" << m.code << std::dec << "(" << m.w << "," << m.l << ")";
}

class Dispatch : public ::testing::Test {
protected:
    void SetUp() override
    {
        model = std::make_unique<ParameterModel>();
        ResetImage(model->image);
        host.m_bConnected = true;
        cmd = std::make_unique<CKTVCommand>(*model, flags, lock, host);
        cmd->SetSink(&sink);
    }
    // Sends a frame (all its reports written), then feeds the reply.
    bool Answer(FramePtr head, const std::vector<std::uint8_t>& reply)
    {
        if (head) {
            Report r;
            while (head->NextReport(r)) {
            }
            cmd->Enqueue(head);
        }
        bool done = false;
        for (const auto& chunk : Chunks(reply))
            done = cmd->FeedChunk(chunk) || done;
        return done;
    }

    std::unique_ptr<ParameterModel> model;
    LinkFlags flags;
    std::recursive_mutex lock;
    CommandHostState host;
    RecordingSink sink;
    std::unique_ptr<CKTVCommand> cmd;
};

} // namespace

TEST_F(Dispatch, AckRemovesTheHeadResendRewindsIt)
{
    FramePtr f = WriteBlock(model->image, REC_OUTPUT, 0, 31);
    ASSERT_TRUE(Answer(f, ReplyFrame(REPLY_RESEND, 0, REC_OUTPUT, 0, 31, {})));
    EXPECT_EQ(cmd->Count(), 1);
    EXPECT_EQ(cmd->Head(), f) << "the same frame stays";
    EXPECT_EQ(f->ReadPos(), 0) << "and goes out again from byte 0";
    ASSERT_TRUE(Answer(nullptr, ReplyFrame(REPLY_ACK, 0, REC_OUTPUT, 0, 31, {})));
    EXPECT_EQ(cmd->Count(), 0);
}

TEST_F(Dispatch, OutputRepliesGoToLiveOrStoredAndAnnounceTheLastChannel)
{
    std::vector<std::uint8_t> block(296, 0x11);
    struct Case {
        int program, block;
        bool intoStored;
        std::vector<RecordingSink::Msg> posts;
    } cases[] = {
        {0, 0x77, false, {{WM_LINK_LIVE_LOADED, 0, 0}}},
        {10, 0x77, true, {{WM_LINK_PROGRAMS_LOADED, 10, 0}}},
        {7, 0x77, true, {}},                         // programs 1..9 post nothing
        {4, 0, false, {{WM_LINK_LIVE_LOADED, 4, 0}}},  // a recall lands in the live image
    };
    for (const Case& c : cases) {
        sink.posted.clear();
        block[0] = std::uint8_t(c.program + 1);
        ASSERT_TRUE(Answer(ReadRecord(c.program, REC_OUTPUT, 5, c.block == 0),
                           ReplyFrame(REPLY_DATA, c.program, REC_OUTPUT, 5, c.block, block)));
        const ProgramImage& target = c.intoStored ? model->image.Program(c.program) : model->image.current;
        EXPECT_EQ(0, std::memcmp(target.outputs[5].Bytes(), block.data(), 296)) << "program " << c.program;
        EXPECT_EQ(sink.posted, c.posts) << "program " << c.program;
        EXPECT_EQ(cmd->Count(), 0);
    }
}

TEST_F(Dispatch, LiveMusicVolumeIsClampedOnArrival)
{
    std::vector<std::uint8_t> music(112, 0);
    music[78] = 100;  // volume word above sys 12 = 90
    ASSERT_TRUE(Answer(ReadRecord(3, REC_MUSIC, 2, true), ReplyFrame(REPLY_DATA, 3, REC_MUSIC, 2, 0, music)));
    EXPECT_EQ(model->image.current.Music().Volume(), 90);
    ASSERT_TRUE(Answer(ReadRecord(3, REC_MUSIC, 2, false), ReplyFrame(REPLY_DATA, 3, REC_MUSIC, 2, 0x77, music)));
    EXPECT_EQ(model->image.Program(3).Music().Volume(), 100) << "a stored copy is kept as it came";
}

TEST_F(Dispatch, SystemItemsAreStoredByTheirRules)
{
    auto item = [&](int code, int p, std::vector<std::uint8_t> payload) {
        ASSERT_TRUE(Answer(ReadSystemItem(code, p), ReplyFrame(REPLY_DATA, p, REC_SYSTEM, code, 0, payload)));
    };
    item(SYS_PROGRAM_NAME, 3, {'R', 0x09, 'C', 0x80, 'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'J', 'K'});
    EXPECT_EQ(0, std::memcmp(model->image.Program(3).name, "R C ABCDEFGHI  ", 15));
    EXPECT_EQ(model->image.Program(3).name[15], 0) << "byte 15 is not touched";

    std::vector<std::uint8_t> status{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    item(SYS_STATUS, 0, status);
    EXPECT_EQ(model->image.status[9], 10);
    EXPECT_EQ(model->image.status[10], 0) << "a 12-byte reply gives values 0..9";

    item(SYS_SUB_LIMIT, 0, {0xF4, 0x01});
    EXPECT_EQ(model->image.system.LimitWord(), 500);
    item(36, 0, {77});
    EXPECT_EQ(model->image.system.sys[10], 77);
    item(SYS_IDENT, 0, {0x01, 'A', 0x05, 'B', 0x90, 'C', 'D'});
    EXPECT_EQ(0, std::memcmp(model->image.ident, "\x01" "A B CD", 7));

    sink.posted.clear();
    item(SYS_VERSION, 0, {'Q', 'X', '9', '0', '7', '-', 'V', '1', '.', '3', '7'});
    EXPECT_EQ(0, std::memcmp(model->image.version, "QX907-V1.37", 11));
    item(SYS_MODEL, 0, {2});
    item(SYS_DELAY_MEMORY, 0, std::vector<std::uint8_t>(50, 3));
    EXPECT_EQ(sink.posted, (std::vector<RecordingSink::Msg>{
                               {WM_LINK_VERSION, 0, 0}, {WM_LINK_MODEL, 2, 0}, {WM_LINK_DELAY_MEMORY, 0, 0}}));
    item(SYS_SETTING_51, 0, {0, 9});
    EXPECT_EQ(model->image.system.sys[18], 9);
    EXPECT_EQ(sink.sent.size(), 1u) << "item 51 is the one synchronous send";
}

TEST_F(Dispatch, EmptyDataReplyIsADeviceFaultAndKeepsTheHead)
{
    FramePtr f = ReadRecord(0, REC_OUTPUT, 0, false);
    ASSERT_TRUE(Answer(f, ReplyFrame(REPLY_DATA, 0, REC_OUTPUT, 0, 0x77, {})));
    EXPECT_EQ(flags.deviceFault, 1);
    EXPECT_EQ(sink.posted, (std::vector<RecordingSink::Msg>{{WM_LINK_DEVICE_FAULT, 0, 0}}));
    EXPECT_EQ(cmd->Head(), f);
}

TEST_F(Dispatch, PayloadLargerThanItsAreaIsDroppedNotWrittenPastIt)
{
    const DeviceImage before = model->image;
    std::vector<std::uint8_t> tooBig(300, 0xEE);
    ASSERT_TRUE(Answer(ReadRecord(0, REC_OUTPUT, 5, false), ReplyFrame(REPLY_DATA, 0, REC_OUTPUT, 5, 0x77, tooBig)));
    ASSERT_TRUE(Answer(ReadSystemItem(SYS_DELAY_MEMORY, 0),
                       ReplyFrame(REPLY_DATA, 0, REC_SYSTEM, SYS_DELAY_MEMORY, 0, std::vector<std::uint8_t>(60, 1))));
    EXPECT_EQ(0, std::memcmp(&model->image, &before, sizeof before)) << "nothing stored";
    EXPECT_TRUE(sink.posted.empty());
    EXPECT_EQ(cmd->Count(), 0) << "the exchange is still answered";
}

TEST_F(Dispatch, EndOfBatchNotifications)
{
    struct Case {
        int seq, last, notify, always;
        bool written;
        std::vector<RecordingSink::Msg> posts;
    } cases[] = {
        {3, 1, 0, 0, true, {{WM_LINK_BATCH_DONE, 0, 1}}},
        {3, 0, 1, 0, true, {{WM_LINK_BATCH_DONE, 0, 0}}},
        {0, 1, 1, 0, true, {}},                              // seq 0 takes no part
        {0, 0, 0, 1, true, {{WM_LINK_BATCH_DONE, 0, 0}}},    // always, whatever else
        {3, 1, 0, 0, false, {}},                             // not all bytes written
    };
    for (const Case& c : cases) {
        sink.posted.clear();
        FramePtr f = WriteBlock(model->image, REC_OUTPUT, 1, 31);
        f->SetSeq(c.seq);
        f->SetLast(c.last);
        f->SetNotify(c.notify);
        f->SetNotifyAlways(c.always);
        if (c.written) {
            Report r;
            while (f->NextReport(r)) {
            }
        }
        cmd->Enqueue(f);
        bool done = false;
        for (const auto& chunk : Chunks(ReplyFrame(REPLY_ACK, 0, REC_OUTPUT, 1, 31, {})))
            done = cmd->FeedChunk(chunk) || done;
        ASSERT_TRUE(done);
        EXPECT_EQ(sink.posted, c.posts) << "seq " << c.seq << " last " << c.last << " notify " << c.notify
                                        << " always " << c.always;
    }
}

TEST_F(Dispatch, NextPendingFrameSendsTheDelayMemoryOnceThenPolls)
{
    model->flags.delayMemory = 1;
    FramePtr f = cmd->NextPendingFrame();
    EXPECT_EQ(f->Index(), SYS_DELAY_MEMORY);
    EXPECT_EQ(f->CommandByte(), CMD_WRITE);
    EXPECT_EQ(model->flags.delayMemory, 0);
    FramePtr g = cmd->NextPendingFrame();
    EXPECT_EQ(g->Index(), SYS_STATUS);
    EXPECT_EQ(g->CommandByte(), CMD_READ);
}
