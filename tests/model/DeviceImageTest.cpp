#include "model/DeviceImage.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

using namespace ovix;

namespace {

std::unique_ptr<DeviceImage> ResetImageFixture()
{
    auto img = std::make_unique<DeviceImage>();
    std::memset(img->current.Bytes(), 0xCC, sizeof(ProgramImage));  // reset must not keep old bytes
    ResetImage(*img);
    return img;
}

void ExpectResetBand(const EqBandWord& b, const char* where)
{
    EXPECT_EQ(b.Freq(), 1000) << where;
    EXPECT_EQ(b.GainWord(), 600) << where;
    EXPECT_EQ(b.BandwidthIndex(), 0) << where;
    EXPECT_EQ(b.Slope(), 0) << where;
    EXPECT_EQ(b.Kind(), 0) << where;
}

} // namespace

TEST(DeviceImage, ResetGivesTheListedBandDefaults)
{
    auto img = ResetImageFixture();
    for (const OutputBlock& out : img->current.outputs) {
        for (int b = 0; b < 9; ++b)
            ExpectResetBand(out.bands[b], "output bands 0..8 are reset");
        for (int b = 9; b < kOutputBands; ++b)
            for (std::uint8_t byte : out.bands[b].raw)
                ASSERT_EQ(byte, 0) << "output bands 9..30 stay zero until filled, band " << b;
        EXPECT_EQ(out.geqMode, 0);
        for (std::uint8_t byte : out.reserved1) EXPECT_EQ(byte, 0);
        for (std::uint8_t byte : out.reserved2) EXPECT_EQ(byte, 0);
    }
    for (const InputBlock& in : img->current.inputs)
        for (const EqBandWord& b : in.bands)
            ExpectResetBand(b, "every input band is reset");
    for (const EqBandWord& b : img->current.effect.bands)
        ExpectResetBand(b, "all eight effect band words are reset");
}

TEST(DeviceImage, ResetGivesSystemBytesTextsAndLinks)
{
    auto img = ResetImageFixture();
    const std::uint8_t expectedSys[SystemBytes::kCount] = {1, 0, 0, 0, 0, 0, 100, 10, 90, 40,
                                                           100, 40, 90, 40, 0, 0, 0, 0, 0};
    EXPECT_EQ(0, std::memcmp(img->system.sys, expectedSys, sizeof expectedSys));
    EXPECT_EQ(img->system.LimitWord(), 500);

    for (std::uint8_t c : img->deviceText) EXPECT_EQ(c, ' ');
    for (std::uint8_t c : img->deviceInfo)
        EXPECT_EQ(c, 0);
    const DelayMemory zeroDelays{};
    EXPECT_EQ(0, std::memcmp(&img->delayMemory, &zeroDelays, sizeof zeroDelays));

    for (int p = 0; p <= kStoredPrograms; ++p) {
        const ProgramImage& prog = img->Program(p);
        for (int i = 0; i < 15; ++i) EXPECT_EQ(prog.name[i], ' ') << "program " << p;
        EXPECT_EQ(prog.name[15], 0) << "program " << p;
        for (std::uint8_t c : prog.secondText) EXPECT_EQ(c, ' ') << "program " << p;
    }
    for (int p = kFirstEffectPreset; p < kFirstEffectPreset + kEffectPresets; ++p)
        EXPECT_EQ(img->Preset(p).name[15], 0);
    for (int c = 0; c < kOutputChannels; ++c) {
        EXPECT_EQ(img->linkTable.group[c], c);
        EXPECT_FALSE(ChannelLinked(*img, c));
    }
    for (int v : img->status) EXPECT_EQ(v, 0);
}

TEST(DeviceImage, LimitWordIsLittleEndian)
{
    DeviceImage img{};
    img.system.limit[0] = 0xF4;
    img.system.limit[1] = 0x01;
    EXPECT_EQ(img.system.LimitWord(), 500);
}

struct ClampCase {
    int volume, expected;
};

void PrintTo(const ClampCase& c, std::ostream* os) { *os << c.volume << " -> " << c.expected; }

class MusicVolumeClamp : public ::testing::TestWithParam<ClampCase> {};

TEST_P(MusicVolumeClamp, IntoSystemRange)
{
    auto img = ResetImageFixture();  // music range [40, 90]
    img->current.Music().SetVolume(std::uint16_t(GetParam().volume));
    ClampLevels(*img);
    EXPECT_EQ(img->current.Music().Volume(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, MusicVolumeClamp,
                         ::testing::Values(ClampCase{100, 90}, ClampCase{10, 40}, ClampCase{60, 60},
                                           ClampCase{90, 90}, ClampCase{40, 40}));

TEST(DeviceImage, ClampLevelsUsesEachInputsOwnRange)
{
    auto img = ResetImageFixture();
    img->system.sys[8] = 70;  // microphone maximum
    img->system.sys[9] = 20;  // microphone minimum
    img->system.sys[10] = 80; // effect maximum
    img->system.sys[11] = 30; // effect minimum
    img->current.Mic().SetVolume(5);
    img->current.effect.SetLevel(200);
    img->current.Music().SetVolume(95);
    ClampLevels(*img);
    EXPECT_EQ(img->current.Mic().Volume(), 20);
    EXPECT_EQ(img->current.effect.Level(), 80);
    EXPECT_EQ(img->current.effect.Bytes()[139], 80) << "the effect level is byte 139";
    EXPECT_EQ(img->current.Music().Volume(), 90);
}

TEST(DeviceImage, ProgramMarker)
{
    ProgramImage prog{};
    EXPECT_EQ(ReadProgramMarker(prog), 0);
    WriteProgramMarker(prog, 7);
    EXPECT_EQ(0, std::memcmp(prog.outputs[0].name, "40VS\x07", 5));
    EXPECT_EQ(ReadProgramMarker(prog), 7);
    EXPECT_EQ(prog.Bytes()[408 + 288], '4') << "the marker lives in output 0's name at 288";

    std::memcpy(prog.outputs[0].name, "40VT\x07", 5);
    EXPECT_EQ(ReadProgramMarker(prog), 0) << "any other name reads as 0";
    std::memcpy(prog.outputs[0].name, "FL\0\0\0", 5);
    EXPECT_EQ(ReadProgramMarker(prog), 0);
}

TEST(DeviceImage, ChannelLinkedWhenAnotherChannelSharesTheGroup)
{
    DeviceImage img{};
    img.linkTable.group = {0, 1, 0, 3, 4, 4};
    const bool expected[kOutputChannels] = {true, false, true, false, true, true};
    for (int c = 0; c < kOutputChannels; ++c)
        EXPECT_EQ(ChannelLinked(img, c), expected[c]) << "channel " << c;
}

TEST(DeviceImage, NamesFromTheDeviceLoseControlAndHighCharacters)
{
    std::uint8_t name[16] = {'A', 0x09, 'B', 0x80, 'C', 0x7F, 0, 'x', 'x', 'x', 'x', 'x', 'x',
                             'Y', 'Z', 0x42};
    SanitizeDeviceName(name, 15);
    const std::uint8_t expected[16] = {'A', ' ', 'B', ' ', 'C', 0x7F, ' ', 'x', 'x', 'x', 'x', 'x',
                                       'x', ' ', ' ', 0x42};
    EXPECT_EQ(0, std::memcmp(name, expected, 16)) << "bytes 13 and 14 become spaces, byte 15 untouched";

    std::uint8_t text[4] = {'a', 0x01, 0x80, 0};
    SanitizeDeviceText(text, 4);
    const std::uint8_t expectedText[4] = {'a', ' ', 0x80, ' '};
    EXPECT_EQ(0, std::memcmp(text, expectedText, 4));
}
