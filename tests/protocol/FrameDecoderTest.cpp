// The frame decoder on literal bytes, one row per check it makes and per kind of good
// frame, and the protocol trace's lines.

#include "protocol/FrameDecoder.h"
#include "protocol/ProtocolTrace.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

using namespace ovix;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Cat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

// An acknowledgement of a status read: no payload, checksum 51^01^09^03 = 5A.
const Bytes kAck = {0x7D, 0x7D, 0x7D, 0xEE, 0x51, 0x01, 0x00, 0x09, 0x03, 0x00,
                    0x00, 0x00, 0x00, 0x00, 0x5A, 0xAA};

// A whole output record read back (296 payload bytes, all AA): 312 bytes, five reports.
const Bytes kWholeRecord = Cat({{0x7D, 0x7D, 0x7D, 0xEE, 0x53, 0x01, 0x00, 0x04, 0x05, 0x77, 0x00, 0x00, 0x28, 0x01},
                                Bytes(296, 0xAA),
                                {0x0D, 0xAA}});

struct Expected {
    std::uint8_t command, program, recordType, index, block;
    Bytes payload;
    std::size_t length;
};

struct DecodeCase {
    std::string name;
    Bytes bytes;
    FrameRules rules;
    std::optional<Expected> frame;  // the decoded frame, or else:
    FrameError error;
    std::string description;
};

void PrintTo(const DecodeCase& c, std::ostream* os) { *os << c.name; }

FrameRules FromStartByte()
{
    FrameRules r;
    r.from = FrameStart::StartByte;
    return r;
}

FrameRules AnyChecksum()
{
    FrameRules r;
    r.verifyChecksum = false;
    return r;
}

DecodeCase Good(std::string name, Bytes bytes, Expected e, FrameRules rules = {})
{
    return {std::move(name), std::move(bytes), rules, std::move(e), {}, {}};
}

DecodeCase Bad(std::string name, Bytes bytes, FrameError error, std::string description, FrameRules rules = {})
{
    return {std::move(name), std::move(bytes), rules, std::nullopt, error, std::move(description)};
}

const DecodeCase kCases[] = {
    Good("EmptyPayload", kAck, {0x51, 0x00, 0x09, 0x03, 0x00, {}, 16}),
    // 7D, EE and AA inside the payload are payload: the length field alone says where it ends
    Good("SyncStartAndEndBytesInThePayload",
         {0x7D, 0x7D, 0x7D, 0xEE, 0x53, 0x01, 0x00, 0x09, 0x04, 0x00, 0x00, 0x00, 0x08, 0x00,
          0x7D, 0xEE, 0xAA, 0x7D, 0x7D, 0x7D, 0xEE, 0xAA, 0x57, 0xAA},
         {0x53, 0x00, 0x09, 0x04, 0x00, {0x7D, 0xEE, 0xAA, 0x7D, 0x7D, 0x7D, 0xEE, 0xAA}, 24}),
    Good("FiveReportFrame", kWholeRecord, {0x53, 0x00, 0x04, 0x05, 0x77, Bytes(296, 0xAA), 312}),
    Good("PaddingAfterTheEndByteIsNotPartOfIt", Cat({kAck, {0x00, 0x00, 0x7D, 0xEE}}),
         {0x51, 0x00, 0x09, 0x03, 0x00, {}, 16}),
    // the collector found the start itself (after three sync bytes any byte starts a reply)
    Good("FromAStartByteTheCallerFound",
         {0x41, 0x51, 0x01, 0x00, 0x09, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x5A, 0xAA},
         {0x51, 0x00, 0x09, 0x03, 0x00, {}, 13}, FromStartByte()),
    Good("WrongChecksumTakenWhenNotVerified",
         {0x7D, 0x7D, 0x7D, 0xEE, 0x51, 0x01, 0x00, 0x09, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x5B, 0xAA},
         {0x51, 0x00, 0x09, 0x03, 0x00, {}, 16}, AnyChecksum()),

    Bad("IncompleteHeader", {0x7D, 0x7D, 0x7D, 0xEE, 0x51, 0x01, 0x00},
        {FrameErrorKind::Incomplete, 16, 7}, "incomplete (7 of 16 bytes)"),
    Bad("IncompletePayload",
        {0x7D, 0x7D, 0x7D, 0xEE, 0x53, 0x01, 0x00, 0x09, 0x04, 0x00, 0x00, 0x00, 0x08, 0x00, 0x7D, 0xEE},
        {FrameErrorKind::Incomplete, 24, 16}, "incomplete (16 of 24 bytes)"),
    Bad("EmptyInput", {}, {FrameErrorKind::Incomplete, 16, 0}, "incomplete (0 of 16 bytes)"),
    Bad("TwoSyncBytesThenOther", {0x7D, 0x7D, 0x41, 0xEE, 0x51},
        {FrameErrorKind::BadStart, 0x7D, 0x41}, "bad start (expected 0x7d, found 0x41)"),
    Bad("FourSyncBytes", {0x7D, 0x7D, 0x7D, 0x7D, 0xEE, 0x51},
        {FrameErrorKind::BadStart, 0xEE, 0x7D}, "bad start (expected 0xee, found 0x7d)"),
    Bad("BadStartSeenBeforeTheFrameIsComplete", {0x00},
        {FrameErrorKind::BadStart, 0x7D, 0x00}, "bad start (expected 0x7d, found 0x00)"),
    // known as soon as the length field is in: 0x012D = 301 payload bytes
    Bad("DeclaredLengthTooLarge",
        {0x7D, 0x7D, 0x7D, 0xEE, 0x53, 0x01, 0x00, 0x04, 0x00, 0x77, 0x00, 0x00, 0x2D, 0x01},
        {FrameErrorKind::TooLong, 300, 301}, "declared length too large (301 payload bytes, at most 300)"),
    Bad("BadChecksum",
        {0x7D, 0x7D, 0x7D, 0xEE, 0x51, 0x01, 0x00, 0x09, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x5B, 0xAA},
        {FrameErrorKind::BadChecksum, 0x5A, 0x5B}, "bad checksum (computed 0x5a, received 0x5b)"),
    // the checksum covers the command byte up to the last payload byte: a flipped payload bit
    Bad("BadChecksumFromThePayload",
        {0x7D, 0x7D, 0x7D, 0xEE, 0x53, 0x01, 0x00, 0x09, 0x04, 0x00, 0x00, 0x00, 0x08, 0x00,
         0x7D, 0xEE, 0xAA, 0x7D, 0x7D, 0x7D, 0xEE, 0xAB, 0x57, 0xAA},
        {FrameErrorKind::BadChecksum, 0x56, 0x57}, "bad checksum (computed 0x56, received 0x57)"),
    Bad("BadTerminator",
        {0x7D, 0x7D, 0x7D, 0xEE, 0x51, 0x01, 0x00, 0x09, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x5A, 0xAB},
        {FrameErrorKind::BadEnd, 0xAA, 0xAB}, "bad terminator (expected 0xaa, found 0xab)"),
    // the terminator is checked even when the checksum is not
    Bad("BadTerminatorWhenTheChecksumIsNotVerified",
        {0x7D, 0x7D, 0x7D, 0xEE, 0x51, 0x01, 0x00, 0x09, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
        {FrameErrorKind::BadEnd, 0xAA, 0x00}, "bad terminator (expected 0xaa, found 0x00)", AnyChecksum()),
};

class FrameDecode : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(FrameDecode, GivesTheFrameOrTheCheckThatFailed)
{
    const DecodeCase& c = GetParam();
    const FrameResult r = DecodeFrame(c.bytes, c.rules);
    if (c.frame) {
        ASSERT_TRUE(r.Ok()) << Describe(r.Error());
        const DecodedFrame& f = r.Frame();
        EXPECT_EQ(f.command, c.frame->command);
        EXPECT_EQ(f.address, 1);
        EXPECT_EQ(f.program, c.frame->program);
        EXPECT_EQ(f.recordType, c.frame->recordType);
        EXPECT_EQ(f.index, c.frame->index);
        EXPECT_EQ(f.block, c.frame->block);
        EXPECT_EQ(Bytes(f.payload.begin(), f.payload.end()), c.frame->payload);
        EXPECT_EQ(f.length, c.frame->length) << "bytes after the end byte are not the frame's";
    } else {
        ASSERT_FALSE(r.Ok());
        EXPECT_EQ(r.Error(), c.error) << Describe(r.Error());
        EXPECT_EQ(Describe(r.Error()), c.description);
        EXPECT_EQ(r.Incomplete(), c.error.kind == FrameErrorKind::Incomplete);
    }
}

INSTANTIATE_TEST_SUITE_P(Literal, FrameDecode, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return info.param.name; });

TEST(FrameDecoder, FrameAcrossFiveReportsIsIncompleteUntilTheFifthIsIn)
{
    Bytes received;
    for (std::size_t report = 0; report < 5; ++report) {
        const std::size_t from = report * kReportData;
        const std::size_t to = std::min(kWholeRecord.size(), from + kReportData);
        received.insert(received.end(), kWholeRecord.begin() + std::ptrdiff_t(from),
                        kWholeRecord.begin() + std::ptrdiff_t(to));
        received.resize((report + 1) * kReportData, 0);  // each report zero-padded
        const FrameResult r = DecodeFrame(received);
        if (report < 4) {
            EXPECT_TRUE(r.Incomplete()) << "after report " << report + 1;
        } else {
            ASSERT_TRUE(r.Ok()) << Describe(r.Error());
            EXPECT_EQ(r.Frame().payload.size(), 296u);
        }
    }
}

TEST(FrameDecoder, ThePayloadLimitIsTheCallersToSet)
{
    // 301 zero payload bytes: the checksum is the header's alone
    Bytes frame = {0x7D, 0x7D, 0x7D, 0xEE, 0x53, 0x01, 0x00, 0x04, 0x00, 0x77, 0x00, 0x00, 0x2D, 0x01};
    frame.resize(frame.size() + 301, 0);
    frame.push_back(0x53 ^ 0x01 ^ 0x04 ^ 0x77 ^ 0x2D ^ 0x01);
    frame.push_back(0xAA);
    FrameRules bigger;
    bigger.maxPayload = 387;  // the console's 400-byte reply buffer, from the start byte
    EXPECT_TRUE(DecodeFrame(frame, bigger).Ok());
    FrameRules exact;
    exact.maxPayload = 301;
    EXPECT_TRUE(DecodeFrame(frame, exact).Ok()) << "a payload of exactly the limit is taken";
    EXPECT_EQ(DecodeFrame(frame).Error().kind, FrameErrorKind::TooLong);
}

// ---- the protocol trace ----

class TraceFile : public ::testing::Test {
protected:
    ~TraceFile() override { std::filesystem::remove(path); }
    std::vector<std::string> Lines() const
    {
        std::ifstream in(path);
        std::vector<std::string> lines;
        for (std::string l; std::getline(in, l);)
            lines.push_back(l);
        return lines;
    }
    // The line without its time stamp.
    static std::string Body(const std::string& line) { return line.substr(line.find(' ') + 1); }

    // one file per test and process: ctest runs tests side by side
    std::string path = (std::filesystem::temp_directory_path() /
                        ("ovix-trace-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
                         "-" + std::to_string(::getpid()) + ".log"))
                           .string();
};

TEST_F(TraceFile, WritesOneLinePerReportDropAndLoss)
{
    Report written{};
    std::copy(kAck.begin(), kAck.end(), written.begin() + 1);
    const std::string hex =
        "007d7d7dee510100090300000000005aaa" + std::string(2 * (kReportSize - 1 - kAck.size()), '0');
    {
        auto trace = CProtocolTrace::Open(path);
        ASSERT_TRUE(trace);
        trace->Written(written, HidIo::Ok);
        trace->Written(written, HidIo::Timeout);
        trace->Read(written);
        trace->Dropped(FrameError{FrameErrorKind::BadChecksum, 0x5A, 0x5B});
        trace->Lost("no report within the report limit");
    }
    const auto lines = Lines();
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(Body(lines[0]), "W " + hex);
    EXPECT_EQ(Body(lines[1]), "W-FAILED timeout " + hex);
    EXPECT_EQ(Body(lines[2]), "R " + hex);
    EXPECT_EQ(Body(lines[3]), "DROP bad checksum (computed 0x5a, received 0x5b)");
    EXPECT_EQ(Body(lines[4]), "LOST no report within the report limit");
    double last = 0;
    for (const std::string& l : lines) {
        const double ms = std::stod(l.substr(0, l.find(' ')));
        EXPECT_GE(ms, last) << "milliseconds since the trace was opened, never going back";
        last = ms;
    }
}

TEST_F(TraceFile, AppendsToWhatIsThere)
{
    std::ofstream(path) << "earlier\n";
    CProtocolTrace::Open(path)->Lost("x");
    const auto lines = Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "earlier");
}

TEST(ProtocolTrace, AFileThatCannotBeOpenedGivesNoTrace)
{
    EXPECT_EQ(CProtocolTrace::Open("/nonexistent-dir/ovix/trace.log"), nullptr);
}

TEST_F(TraceFile, LinesFromSeveralThreadsNeverInterleave)
{
    constexpr int kPerThread = 200;
    {
        auto trace = CProtocolTrace::Open(path);
        ASSERT_TRUE(trace);
        Report r{};
        r.fill(0x7D);
        auto writer = [&] {
            for (int i = 0; i < kPerThread; ++i)
                trace->Read(r);
        };
        std::thread a(writer), b(writer);
        a.join();
        b.join();
    }
    std::string expected = "R ";
    for (int i = 0; i < kReportSize; ++i)
        expected += "7d";
    const auto lines = Lines();
    ASSERT_EQ(lines.size(), 2u * kPerThread);
    for (const std::string& l : lines)
        ASSERT_EQ(Body(l), expected);
}

TEST(ProtocolTrace, WithTraceHandsTheTraceToTheLinkAndNothingWithout)
{
    class NoBackend final : public IHidBackend {
    public:
        std::vector<HidDeviceInfo> Enumerate(std::uint16_t, std::uint16_t) override { return {{"x:1"}}; }
        std::unique_ptr<IHidDevice> Open(const std::string&, OpenError& e) override
        {
            e = OpenError::NotFound;
            return nullptr;
        }
        std::unique_ptr<IWatchHandle> Watch(DeviceChangeFn) override { return nullptr; }
    };
    auto plain = std::make_shared<NoBackend>();
    EXPECT_EQ(WithTrace(plain, nullptr), plain) << "no trace: the backend as it is";
    EXPECT_EQ(plain->Trace(), nullptr);

    const std::string path =
        (std::filesystem::temp_directory_path() / ("ovix-trace-carrier-" + std::to_string(::getpid()) + ".log")).string();
    {
        auto trace = CProtocolTrace::Open(path);
        ASSERT_TRUE(trace);
        auto traced = WithTrace(plain, trace);
        EXPECT_EQ(traced->Trace(), trace);
        ASSERT_EQ(traced->Enumerate(kVendorId, kProductId).size(), 1u) << "everything else is the inner backend's";
        EXPECT_EQ(traced->Enumerate(kVendorId, kProductId)[0].path, "x:1");
    }
    std::filesystem::remove(path);
}

} // namespace
