// Firmware files and the frames of an update, without a processor.

#include "link/Firmware.h"

#include "FirmwareFiles.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace ovix;

namespace {

using ovix::test::Append;
using ovix::test::Bytes;
using ovix::test::Pattern;
constexpr auto Checksum = ovix::test::McuChecksum;


// "WMCU" + image, short form.
Bytes McuFile(const Bytes& mcu)
{
    Bytes f;
    Append(f, "WMCU");
    Append(f, mcu);
    return f;
}

// "WDSP" + 65535 DSP bytes, padding up to 0x40004, then optionally "WMCU" + image.
Bytes LongFile(const Bytes& dsp, const Bytes* mcu, std::string_view firstTag = "WDSP")
{
    Bytes f;
    Append(f, firstTag);
    Append(f, dsp);
    f.resize(kFirmwareMcuTagOffset, 0x5A);
    if (mcu) {
        Append(f, "WMCU");
        Append(f, *mcu);
    }
    return f;
}


struct ParseCase {
    const char* name;
    Bytes file;
    std::size_t dsp;  // expected sizes; both 0 means the file is refused
    std::size_t mcu;
};

class ParseFirmwareTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseFirmwareTest, FindsTheSections)
{
    const ParseCase& c = GetParam();
    const FirmwareLoad r = ParseFirmware(c.file);
    if (c.dsp == 0 && c.mcu == 0) {
        ASSERT_FALSE(r.images);
        EXPECT_EQ(r.error, kMsgFwUpdateFileError);
        return;
    }
    ASSERT_TRUE(r.images) << "refused";
    EXPECT_EQ(r.images->dsp.size(), c.dsp);
    EXPECT_EQ(r.images->mcu.size(), c.mcu);
}

const Bytes kDsp = Pattern(kFirmwareDspSize, 3);
const Bytes kMcu = Pattern(4 + 480 + 5, 9);
const Bytes kMcuHeaderOnly = Pattern(4, 9);

Bytes LongWithMcuAt4()
{
    // a long file whose first tag is not "WDSP": "WMCU" at 4, the image from 8 on
    Bytes f;
    Append(f, "XXXX");
    Append(f, "WMCU");
    Append(f, Pattern(kFirmwareLongFile, 1));
    return f;
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, ParseFirmwareTest,
    ::testing::Values(ParseCase{"McuOnly", McuFile(kMcu), 0, kMcu.size()},
                      ParseCase{"ShortWithoutTag", Pattern(100, 1), 0, 0},
                      ParseCase{"McuHeaderOnly", McuFile(kMcuHeaderOnly), 0, 0},
                      ParseCase{"McuTooShortForHeader", McuFile(Pattern(3, 1)), 0, 0},
                      ParseCase{"TagOnly", McuFile({}), 0, 0},
                      ParseCase{"Empty", {}, 0, 0},
                      ParseCase{"DspOnlyExactLength", LongFile(kDsp, nullptr), kFirmwareDspSize, 0},
                      ParseCase{"DspAndMcu", LongFile(kDsp, &kMcu), kFirmwareDspSize, kMcu.size()},
                      ParseCase{"DspWithHeaderOnlyMcu", LongFile(kDsp, &kMcuHeaderOnly), 0, 0},
                      ParseCase{"LongMcuAtFour", LongWithMcuAt4(), 0, kFirmwareLongFile},
                      ParseCase{"LongWithoutTags", LongFile(kDsp, nullptr, "XDSP"), 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ParseFirmware, ImagesAndChecksumAreTheFilesBytes)
{
    const FirmwareLoad both = ParseFirmware(LongFile(kDsp, &kMcu));
    ASSERT_TRUE(both.images);
    EXPECT_EQ(both.images->dsp, kDsp);
    EXPECT_EQ(both.images->mcu, kMcu);
    EXPECT_EQ(both.images->checksum, Checksum(kMcu));
    EXPECT_NE(both.images->checksum, 0x12) << "the fixture should not sum to the seed";

    const FirmwareLoad dspOnly = ParseFirmware(LongFile(kDsp, nullptr));
    ASSERT_TRUE(dspOnly.images);
    EXPECT_EQ(dspOnly.images->checksum, 0x12) << "a DSP-only file finishes with the seed";

    const Bytes f = LongWithMcuAt4();
    const FirmwareLoad at4 = ParseFirmware(f);
    ASSERT_TRUE(at4.images);
    EXPECT_TRUE(std::equal(at4.images->mcu.begin(), at4.images->mcu.end(), f.begin() + 8));
}

TEST(LoadFirmwareFile, RefusesWhatIsNoReadableRegularFile)
{
    const auto dir = std::filesystem::temp_directory_path() / ("ovix-fw-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string fifo = (dir / "fifo.bin").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {(dir / "missing.bin").string(), fifo, dir.string(), std::string()}) {
        const FirmwareLoad r = LoadFirmwareFile(path);
        EXPECT_FALSE(r.images) << path;
        EXPECT_EQ(r.error, kMsgFwBinFileError) << path;
    }
    EXPECT_EQ(LoadFirmwareFile((dir / "missing.bin").string()).reason, "No such file or directory");

    const std::string good = (dir / "good.bin").string();
    const Bytes file = McuFile(kMcu);
    std::ofstream(good, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
    const FirmwareLoad r = LoadFirmwareFile(good);
    ASSERT_TRUE(r.images);
    EXPECT_EQ(r.images->mcu, kMcu);
    std::filesystem::remove_all(dir);
}

// ---- the frames ----

std::vector<FramePtr> Drain(CFirmwareSequence& seq, std::vector<std::size_t>* perCall = nullptr)
{
    std::vector<FramePtr> all;
    for (int calls = 0; calls < 100000; ++calls) {
        std::vector<FramePtr> next = seq.Next();
        if (next.empty())
            break;
        if (perCall)
            perCall->push_back(next.size());
        for (FramePtr& f : next)
            all.push_back(std::move(f));
    }
    return all;
}

std::vector<int> Steps(const std::vector<FramePtr>& frames)
{
    std::vector<int> s;
    for (const FramePtr& f : frames)
        s.push_back(f->Step());
    return s;
}

FirmwareImages Images(const Bytes& file)
{
    FirmwareLoad r = ParseFirmware(file);
    EXPECT_TRUE(r.images);
    return r.images ? *r.images : FirmwareImages{};
}

TEST(FirmwareSequence, FullDspImageTakes1489FullFramesAndOneOf19Bytes)
{
    CFirmwareSequence seq(Images(LongFile(kDsp, nullptr)));
    const std::vector<FramePtr> frames = Drain(seq);
    ASSERT_EQ(frames.size(), 1u + 2 + 1490 + 1);
    EXPECT_EQ(frames[0]->Step(), FW_BOOT_REQUEST);
    EXPECT_EQ(frames[1]->Step(), FW_START);
    EXPECT_EQ(frames[2]->Step(), FW_DSP_ERASE);
    for (std::size_t k = 0; k < 1490; ++k) {
        const CSendData& f = *frames[3 + k];
        ASSERT_EQ(f.Step(), FW_DSP_DATA);
        const auto p = f.Payload();
        ASSERT_EQ(p.size(), 48u);
        const std::uint32_t address = p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t(p[3]) << 24;
        ASSERT_EQ(address, 44 * k) << "frame " << k;
        const std::size_t n = k < 1489 ? 44 : 19;
        ASSERT_TRUE(std::equal(p.begin() + 4, p.begin() + 4 + std::ptrdiff_t(n), kDsp.begin() + std::ptrdiff_t(44 * k)));
        for (std::size_t i = 4 + n; i < 48; ++i)
            ASSERT_EQ(p[i], 0) << "zero bytes after the last image byte";
    }
    const CSendData& finish = *frames.back();
    EXPECT_EQ(finish.Step(), FW_FINISH);
    ASSERT_EQ(finish.PayloadLength(), 1);
    EXPECT_EQ(finish.Payload()[0], 0x12);
    EXPECT_TRUE(seq.Done());
    EXPECT_EQ(Images(LongFile(kDsp, nullptr)).Steps(), 1493) << "every frame but the boot request is answered";
}

struct McuCase {
    const char* name;
    std::size_t data;       // MCU bytes after the header
    std::size_t frames;     // FW_MCU_DATA frames
    std::size_t lastBytes;  // image bytes in the last one
};

class McuFramesTest : public ::testing::TestWithParam<McuCase> {};

TEST_P(McuFramesTest, LastFrameIsFilledWithFF)
{
    const McuCase& c = GetParam();
    const Bytes mcu = Pattern(4 + c.data, 11);
    CFirmwareSequence seq(Images(McuFile(mcu)));
    std::vector<std::size_t> perCall;
    const std::vector<FramePtr> frames = Drain(seq, &perCall);
    ASSERT_EQ(frames.size(), 1 + 1 + 1 + c.frames + 1);
    EXPECT_EQ(perCall[1], 3u + (c.frames == 1 ? 1 : 0))
        << "start, header and the first data frame go in one call (and the finish after a last one)";
    EXPECT_EQ(frames[1]->Step(), FW_START);
    EXPECT_EQ(frames[2]->Step(), FW_MCU_HEADER);
    EXPECT_TRUE(std::equal(frames[2]->Payload().begin(), frames[2]->Payload().end(), mcu.begin()));
    Bytes sent;
    for (std::size_t k = 0; k < c.frames; ++k) {
        ASSERT_EQ(frames[3 + k]->Step(), FW_MCU_DATA);
        ASSERT_EQ(frames[3 + k]->PayloadLength(), 48);
        sent.insert(sent.end(), frames[3 + k]->Payload().begin(), frames[3 + k]->Payload().end());
    }
    const Bytes image(mcu.begin() + 4, mcu.end());
    EXPECT_TRUE(std::equal(image.begin(), image.end(), sent.begin()));
    EXPECT_EQ(std::size_t(std::count(sent.begin() + std::ptrdiff_t(image.size()), sent.end(), 0xFF)),
              48 - c.lastBytes);
    EXPECT_EQ(sent.size() - image.size(), 48 - c.lastBytes);
    EXPECT_EQ(frames.back()->Step(), FW_FINISH);
    EXPECT_EQ(frames.back()->Payload()[0], Checksum(mcu));
    EXPECT_EQ(Images(McuFile(mcu)).Steps(), int(frames.size()) - 1);
}

INSTANTIATE_TEST_SUITE_P(Lengths, McuFramesTest,
                         ::testing::Values(McuCase{"MultipleOf48", 96, 2, 48}, McuCase{"OneMore", 97, 3, 1},
                                           McuCase{"OneByte", 1, 1, 1}, McuCase{"Exactly48", 48, 1, 48}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FirmwareSequence, BothSectionsSendOneStartThenDspThenMcuThenOneFinish)
{
    CFirmwareSequence seq(Images(LongFile(kDsp, &kMcu)));
    std::vector<std::size_t> perCall;
    const std::vector<FramePtr> frames = Drain(seq, &perCall);
    std::vector<int> expected = {FW_BOOT_REQUEST, FW_START, FW_DSP_ERASE};
    expected.insert(expected.end(), 1490, FW_DSP_DATA);
    expected.push_back(FW_MCU_HEADER);
    expected.insert(expected.end(), 11, FW_MCU_DATA);  // 485 bytes after the header
    expected.push_back(FW_FINISH);
    EXPECT_EQ(Steps(frames), expected);
    EXPECT_EQ(frames.back()->Payload()[0], Checksum(kMcu));
    EXPECT_EQ(Images(LongFile(kDsp, &kMcu)).Steps(), int(frames.size()) - 1);
    EXPECT_EQ(perCall[1], 3u) << "start, erase and the first DSP frame go in one call";
}

TEST(FirmwareSequence, StepFramesAreSystemWritesWithTheirStepAndANumber)
{
    CFirmwareSequence seq(Images(LongFile(kDsp, &kMcu)));
    int lastSeq = 0;
    for (const FramePtr& f : Drain(seq)) {
        EXPECT_GT(f->Seq(), lastSeq);
        lastSeq = f->Seq();
        if (f->Step() == FW_BOOT_REQUEST)
            continue;
        EXPECT_EQ(f->CommandByte(), CMD_WRITE);
        EXPECT_EQ(f->Data()[5], 1) << "device address";
        EXPECT_EQ(f->Program(), 0);
        EXPECT_EQ(f->RecordType(), REC_SYSTEM);
        EXPECT_EQ(f->Index(), f->Step());
        EXPECT_EQ(f->Block(), 0);
        EXPECT_EQ(f->LinkFlag(), 0);
        const int expectedLength = f->Step() == FW_FINISH ? 17
                                 : f->Step() == FW_MCU_HEADER ? 20
                                 : (f->Step() == FW_START || f->Step() == FW_DSP_ERASE) ? 32
                                                                                         : 64;
        EXPECT_EQ(f->Length(), expectedLength) << "step " << f->Step();
    }
}

} // namespace
