#include "link/CommandBuilder.h"
#include "protocol/SendData.h"

#include <gtest/gtest.h>

#include <vector>

using namespace ovix;

namespace {

std::uint8_t XorOf(std::span<const std::uint8_t> f, std::size_t from, std::size_t to)
{
    std::uint8_t x = 0;
    for (std::size_t i = from; i <= to; ++i)
        x ^= f[i];
    return x;
}

} // namespace

TEST(Frame, EmptyPayloadGivesSixteenBytesChecksumOverHeaderOnly)
{
    FrameHeader h;
    h.command = CMD_READ;
    h.program = 3;
    h.recordType = REC_SYSTEM;
    h.index = 4;
    auto f = FinishFrame(h, {});
    ASSERT_TRUE(f);
    ASSERT_EQ(f->Length(), 16);
    const std::vector<std::uint8_t> expected{0x7D, 0x7D, 0x7D, 0xEE, 0xA2, 0x01, 0x03, 0x09,
                                             0x04, 0x00, 0x00, 0x00, 0x00, 0x00,
                                             std::uint8_t(0xA2 ^ 0x01 ^ 0x03 ^ 0x09 ^ 0x04), 0xAA};
    EXPECT_EQ(std::vector<std::uint8_t>(f->Bytes().begin(), f->Bytes().end()), expected);
}

TEST(Frame, PayloadIsCopiedUnescapedWithLittleEndianLength)
{
    std::vector<std::uint8_t> payload(296);
    for (std::size_t i = 0; i < payload.size(); ++i)
        payload[i] = std::uint8_t(i);
    payload[0] = 0x7D;
    payload[1] = 0xEE;
    payload[2] = 0xAA;
    auto f = FinishFrame({}, payload);
    ASSERT_TRUE(f);
    const auto b = f->Bytes();
    ASSERT_EQ(f->Length(), 312);
    EXPECT_EQ(b[12], 0x28);
    EXPECT_EQ(b[13], 0x01) << "296 = 0x0128, low byte first";
    EXPECT_TRUE(std::equal(payload.begin(), payload.end(), b.begin() + 14)) << "no escaping";
    EXPECT_EQ(b[310], XorOf(b, 4, 309)) << "checksum covers command byte .. last payload byte";
    EXPECT_EQ(b[311], 0xAA);
    EXPECT_EQ(f->Payload().size(), 296u);
}

TEST(Frame, PayloadLargerThanTheStagingAreaIsRefused)
{
    std::vector<std::uint8_t> payload(301);
    EXPECT_FALSE(FinishFrame({}, payload));
    payload.resize(300);
    EXPECT_TRUE(FinishFrame({}, payload));
}

TEST(Frame, ReportsCarryReportIdZeroAnd64BytesTheLastZeroPadded)
{
    std::vector<std::uint8_t> payload(296, 0x5A);
    auto f = FinishFrame({}, payload);  // 312 bytes: five reports
    Report r;
    std::vector<std::uint8_t> collected;
    int reports = 0;
    while (f->NextReport(r)) {
        ++reports;
        EXPECT_EQ(r[0], 0) << "report id";
        collected.insert(collected.end(), r.begin() + 1, r.end());
    }
    EXPECT_EQ(reports, 5);
    EXPECT_TRUE(f->AllWritten());
    ASSERT_EQ(collected.size(), 320u);
    EXPECT_TRUE(std::equal(f->Bytes().begin(), f->Bytes().end(), collected.begin()));
    for (std::size_t i = 312; i < 320; ++i)
        EXPECT_EQ(collected[i], 0) << "padding after the end byte";
    EXPECT_FALSE(f->NextReport(r)) << "a written frame is not written again";
}

TEST(Frame, RewindSendsTheSameFrameFromByteZeroKeepingItsFlags)
{
    auto f = StatusPoll();
    f->SetSeq(4);
    f->SetLast(1);
    Report r;
    ASSERT_TRUE(f->NextReport(r));
    ASSERT_FALSE(f->NextReport(r));
    f->Rewind();
    EXPECT_EQ(f->ReadPos(), 0);
    Report again;
    ASSERT_TRUE(f->NextReport(again));
    EXPECT_EQ(r, again);
    EXPECT_EQ(f->Seq(), 4);
    EXPECT_EQ(f->Last(), 1);
}

TEST(Frame, NewFrameFieldsStartAtZero)
{
    auto f = StatusPoll();
    EXPECT_EQ(f->Attempts(), 0);
    EXPECT_EQ(f->Seq(), 0);
    EXPECT_EQ(f->Notify(), 0);
    EXPECT_EQ(f->Last(), 0);
    EXPECT_EQ(f->ReadPos(), 0);
    EXPECT_EQ(f->Step(), 0);
    EXPECT_EQ(f->NotifyAlways(), 0);
}
