#include "link/CommandBuilder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>

using namespace ovix;

namespace {

// An image whose every byte differs from its neighbours, so a payload taken from the wrong
// place shows.
std::unique_ptr<DeviceImage> PatternImage()
{
    auto img = std::make_unique<DeviceImage>();
    ResetImage(*img);
    auto fill = [](std::uint8_t* p, std::size_t n, int salt) {
        for (std::size_t i = 0; i < n; ++i)
            p[i] = std::uint8_t((i * 7 + salt) & 0xFF);
    };
    fill(img->current.Bytes(), sizeof(ProgramImage), 1);
    for (int p = 1; p <= kStoredPrograms; ++p)
        fill(img->Program(p).Bytes(), sizeof(ProgramImage), 10 + p);
    for (int p = kFirstEffectPreset; p < kFirstEffectPreset + kEffectPresets; ++p)
        fill(img->Preset(p).Bytes(), sizeof(EffectPreset), 50 + p);
    fill(img->delayMemory.Bytes(), sizeof(DelayMemory), 3);
    img->current.Music().SetOn(0);
    img->linkTable.group = {0, 0, 2, 3, 4, 5};  // channels 0 and 1 linked
    return img;
}

enum class Source { None, Live, Stored, Preset, Delay };

struct BuilderCase {
    std::string name;
    std::function<std::unique_ptr<CSendData>(const DeviceImage&)> build;
    std::uint8_t cmd, program, type, index, block, link;
    int payload;
    Source source;
    int sourceProgram;  // stored program or effect preset number
    int offset;         // byte offset of the payload in its source
};

void PrintTo(const BuilderCase& c, std::ostream* os) { *os << c.name; }

class Builders : public ::testing::TestWithParam<BuilderCase> {};

TEST_P(Builders, HeaderAndPayloadSource)
{
    const BuilderCase& c = GetParam();
    auto img = PatternImage();
    auto f = c.build(*img);
    ASSERT_TRUE(f);
    const auto b = f->Bytes();
    ASSERT_EQ(f->Length(), c.payload + 16);
    EXPECT_EQ(b[0], 0x7D);
    EXPECT_EQ(b[1], 0x7D);
    EXPECT_EQ(b[2], 0x7D);
    EXPECT_EQ(b[3], 0xEE);
    EXPECT_EQ(b[4], c.cmd) << "command";
    EXPECT_EQ(b[5], 1) << "device address";
    EXPECT_EQ(b[6], c.program) << "program";
    EXPECT_EQ(b[7], c.type) << "record type";
    EXPECT_EQ(b[8], c.index) << "index";
    EXPECT_EQ(b[9], c.block) << "block";
    EXPECT_EQ(b[10], c.link) << "link flag";
    EXPECT_EQ(b[11], 0) << "reserved";
    EXPECT_EQ(b[12] | (b[13] << 8), c.payload) << "payload length";
    std::uint8_t x = 0;
    for (int i = 4; i < 14 + c.payload; ++i)
        x ^= b[i];
    EXPECT_EQ(b[14 + c.payload], x) << "checksum";
    EXPECT_EQ(b[15 + c.payload], 0xAA) << "end byte";

    const std::uint8_t* src = nullptr;
    std::vector<std::uint8_t> zeros(std::size_t(c.payload), 0);
    switch (c.source) {
    case Source::None: src = zeros.data(); break;
    case Source::Live: src = img->current.Bytes() + c.offset; break;
    case Source::Stored: src = img->Program(c.sourceProgram).Bytes() + c.offset; break;
    case Source::Preset: src = img->Preset(c.sourceProgram).Bytes() + c.offset; break;
    case Source::Delay: src = img->delayMemory.Bytes() + c.offset; break;
    }
    EXPECT_EQ(0, std::memcmp(b.data() + 14, src, std::size_t(c.payload))) << "payload source";
}

INSTANTIATE_TEST_SUITE_P(
    Catalogue, Builders,
    ::testing::Values(
        // WriteBlock: bands, crossover and mix of a linked channel carry the link flag
        BuilderCase{"WriteBlockOutputBand0Linked", [](auto& i) { return WriteBlock(i, REC_OUTPUT, 0, 0); },
                    0xA1, 0, 4, 0, 0, 1, 8, Source::Live, 0, 408},
        BuilderCase{"WriteBlockOutputBand30Linked", [](auto& i) { return WriteBlock(i, REC_OUTPUT, 1, 30); },
                    0xA1, 0, 4, 1, 30, 1, 8, Source::Live, 0, 408 + 296 + 240},
        BuilderCase{"WriteBlockLevelNeverLinked", [](auto& i) { return WriteBlock(i, REC_OUTPUT, 1, 31); },
                    0xA1, 0, 4, 1, 31, 0, 8, Source::Live, 0, 408 + 296 + 248},
        BuilderCase{"WriteBlockCrossoverLinked", [](auto& i) { return WriteBlock(i, REC_OUTPUT, 0, 32); },
                    0xA1, 0, 4, 0, 32, 1, 8, Source::Live, 0, 408 + 256},
        BuilderCase{"WriteBlockMixLinked", [](auto& i) { return WriteBlock(i, REC_OUTPUT, 0, 33); },
                    0xA1, 0, 4, 0, 33, 1, 8, Source::Live, 0, 408 + 264},
        BuilderCase{"WriteBlockLimiterNotLinked", [](auto& i) { return WriteBlock(i, REC_OUTPUT, 0, 35); },
                    0xA1, 0, 4, 0, 35, 0, 8, Source::Live, 0, 408 + 280},
        BuilderCase{"WriteBlockNameNotLinked", [](auto& i) { return WriteBlock(i, REC_OUTPUT, 1, 36); },
                    0xA1, 0, 4, 1, 36, 0, 8, Source::Live, 0, 408 + 296 + 288},
        BuilderCase{"WriteBlockUnlinkedChannelCrossover", [](auto& i) { return WriteBlock(i, REC_OUTPUT, 5, 32); },
                    0xA1, 0, 4, 5, 32, 0, 8, Source::Live, 0, 408 + 5 * 296 + 256},
        BuilderCase{"WriteBlockMusicLevel", [](auto& i) { return WriteBlock(i, REC_MUSIC, 2, 9); },
                    0xA1, 0, 3, 2, 9, 0, 8, Source::Live, 0, 296 + 72},
        BuilderCase{"WriteBlockMic", [](auto& i) { return WriteBlock(i, REC_MIC, 0, 13); },
                    0xA1, 0, 1, 0, 13, 0, 8, Source::Live, 0, 184 + 104},
        BuilderCase{"WriteBlockEffect", [](auto& i) { return WriteBlock(i, REC_EFFECT, 0, 11); },
                    0xA1, 0, 2, 0, 11, 0, 8, Source::Live, 0, 32 + 88},
        // WriteRecord
        BuilderCase{"WriteRecordLiveOutputLinked", [](auto& i) { return WriteRecord(i, 0, REC_OUTPUT, 1, true, false); },
                    0xA1, 0, 4, 1, 0, 1, 296, Source::Live, 0, 408 + 296},
        BuilderCase{"WriteRecordStoredOutput", [](auto& i) { return WriteRecord(i, 7, REC_OUTPUT, 4, false, true); },
                    0xA1, 7, 4, 4, 0, 0, 296, Source::Stored, 7, 408 + 4 * 296},
        BuilderCase{"WriteRecordLiveOutputIntoSlot", [](auto& i) { return WriteRecord(i, 3, REC_OUTPUT, 2, true, false); },
                    0xA1, 3, 4, 2, 0, 0, 296, Source::Live, 0, 408 + 2 * 296},
        BuilderCase{"WriteRecordLiveMusic", [](auto& i) { return WriteRecord(i, 0, REC_MUSIC, 2, true, false); },
                    0xA1, 0, 3, 2, 0, 0, 112, Source::Live, 0, 296},
        BuilderCase{"WriteRecordStoredMusic", [](auto& i) { return WriteRecord(i, 9, REC_MUSIC, 2, false, true); },
                    0xA1, 9, 3, 2, 0, 0, 112, Source::Stored, 9, 296},
        BuilderCase{"WriteRecordLiveMic", [](auto& i) { return WriteRecord(i, 0, REC_MIC, 0, true, false); },
                    0xA1, 0, 1, 0, 0, 0, 112, Source::Live, 0, 184},
        BuilderCase{"WriteRecordLiveEffect", [](auto& i) { return WriteRecord(i, 0, REC_EFFECT, 0, true, false); },
                    0xA1, 0, 2, 0, 0, 0, 96, Source::Live, 0, 32},
        BuilderCase{"WriteRecordStoredEffect", [](auto& i) { return WriteRecord(i, 4, REC_EFFECT, 0, false, true); },
                    0xA1, 4, 2, 0, 0, 0, 96, Source::Stored, 4, 32},
        BuilderCase{"WriteRecordEffectPreset", [](auto& i) { return WriteRecord(i, 25, REC_EFFECT, 0, false, false); },
                    0xA1, 25, 2, 0, 0, 0, 96, Source::Preset, 25, 16},
        // ReadRecord: a recall into the live image has block byte 0, other reads the marker
        BuilderCase{"ReadRecordLive", [](auto&) { return ReadRecord(0, REC_OUTPUT, 3, false); },
                    0xA2, 0, 4, 3, 0x77, 0, 8, Source::None, 0, 0},
        BuilderCase{"ReadRecordLiveRecallStillMarked", [](auto&) { return ReadRecord(0, REC_OUTPUT, 3, true); },
                    0xA2, 0, 4, 3, 0x77, 0, 8, Source::None, 0, 0},
        BuilderCase{"ReadRecordRecall", [](auto&) { return ReadRecord(5, REC_MUSIC, 2, true); },
                    0xA2, 5, 3, 2, 0, 0, 8, Source::None, 0, 0},
        BuilderCase{"ReadRecordStoredCopy", [](auto&) { return ReadRecord(5, REC_OUTPUT, 0, false); },
                    0xA2, 5, 4, 0, 0x77, 0, 8, Source::None, 0, 0},
        // system items
        BuilderCase{"ReadSystemItemVersion", [](auto&) { return ReadSystemItem(SYS_VERSION, 0); },
                    0xA2, 0, 9, 4, 0, 0, 8, Source::None, 0, 0},
        BuilderCase{"ReadSystemItemStoredName", [](auto&) { return ReadSystemItem(SYS_PROGRAM_NAME, 10); },
                    0xA2, 10, 9, 0, 0, 0, 8, Source::None, 0, 0},
        BuilderCase{"StatusPoll", [](auto&) { return StatusPoll(); },
                    0xA2, 0, 9, 3, 0, 0, 8, Source::None, 0, 0},
        BuilderCase{"WriteSystemItemDelayMemory", [](auto& i) { return WriteSystemItem(i, SYS_DELAY_MEMORY, 0); },
                    0xA1, 0, 9, 64, 0, 0, 50, Source::Delay, 0, 0}),
    [](const auto& info) { return info.param.name; });

TEST(Builders, ProgramNameCarriesFifteenNameBytesAndAZero)
{
    auto img = PatternImage();
    for (int p : {0, 6}) {
        auto f = WriteSystemItem(*img, SYS_PROGRAM_NAME, p);
        ASSERT_TRUE(f);
        ASSERT_EQ(f->PayloadLength(), 16);
        EXPECT_EQ(f->Program(), p);
        EXPECT_EQ(0, std::memcmp(f->Payload().data(), img->Program(p).name, 15))
            << "program " << p << ": its own name, not the live one";
        EXPECT_EQ(f->Payload()[15], 0);
    }
}

TEST(Builders, LiveMusicStoredIntoASlotGoesOutSwitchedOn)
{
    auto img = PatternImage();
    auto intoSlot = WriteRecord(*img, 4, REC_MUSIC, 2, true, false);
    auto live = WriteRecord(*img, 0, REC_MUSIC, 2, true, false);
    EXPECT_EQ(intoSlot->Payload()[75], 1);
    EXPECT_EQ(live->Payload()[75], 0) << "a live write keeps the live on byte";
}

TEST(Builders, UnknownRecordsAndItemsGiveNoFrame)
{
    auto img = PatternImage();
    EXPECT_FALSE(WriteBlock(*img, 7, 0, 0));
    EXPECT_FALSE(WriteBlock(*img, REC_OUTPUT, 6, 0)) << "channels are 0..5";
    EXPECT_FALSE(WriteBlock(*img, REC_OUTPUT, 0, 37)) << "an output has 37 blocks";
    EXPECT_FALSE(WriteBlock(*img, REC_EFFECT, 0, 12)) << "the effect record has 12 blocks";
    EXPECT_FALSE(WriteRecord(*img, 0, REC_SYSTEM, 0, true, false));
    EXPECT_FALSE(WriteRecord(*img, 21, REC_OUTPUT, 0, false, true)) << "no stored program 21";
    EXPECT_FALSE(WriteRecord(*img, 3, REC_EFFECT, 0, false, false)) << "3 is no effect preset";
    EXPECT_FALSE(ReadRecord(0, REC_MUSIC, 1, false)) << "the music input is index 2";
    EXPECT_FALSE(WriteSystemItem(*img, SYS_VERSION, 0)) << "only the name and delay memory are written";
    EXPECT_FALSE(WriteSystemItem(*img, SYS_PROGRAM_NAME, 21));
}

TEST(Builders, ReadVersionGoldenFrame)
{
    auto f = ReadSystemItem(SYS_VERSION, 0);
    static const std::uint8_t golden[] = {0x7d, 0x7d, 0x7d, 0xee, 0xa2, 0x01, 0x00, 0x09,
                                          0x04, 0x00, 0x00, 0x00, 0x08, 0x00, 0, 0, 0, 0,
                                          0, 0, 0, 0, 0xa6, 0xaa};
    ASSERT_EQ(f->Length(), 24);
    EXPECT_EQ(0, std::memcmp(f->Data(), golden, sizeof golden));
}

} // namespace
