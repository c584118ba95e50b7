// The document's file operations on the image, the records and the link, without a
// processor (the connected paths run end to end in the command-line tests).

#include "document/QamrelDoc.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

using namespace ovix;
namespace fs = std::filesystem;

namespace {

class CountingHost final : public CommandHostState {
public:
    void ShowConnectionFailure() override { ++failures; }
    int failures = 0;
};

class Doc : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("ovix-doc-" + std::to_string(::getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
        model = std::make_unique<ParameterModel>();
        ResetImage(model->image);
        command = std::make_unique<CKTVCommand>(*model, flags, lock, host);
        doc = std::make_unique<CQamrelDoc>(*model, *command);
        command->SetRecordPort(&doc->Records());
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string Path(const std::string& name) const { return (dir / name).string(); }
    void WriteBytes(const std::string& name, const std::vector<std::uint8_t>& bytes) const
    {
        std::ofstream(Path(name), std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                          std::streamsize(bytes.size()));
    }
    std::vector<std::uint8_t> ReadBytes(const std::string& name) const
    {
        std::ifstream in(Path(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    fs::path dir;
    std::unique_ptr<ParameterModel> model;
    LinkFlags flags;
    std::recursive_mutex lock;
    CountingHost host;
    std::unique_ptr<CKTVCommand> command;
    std::unique_ptr<CQamrelDoc> doc;
};

} // namespace

TEST_F(Doc, BadFilesChangeNothing)
{
    auto prog = std::make_unique<ProgramImage>(model->image.current);
    prog->outputs[2].SetGain(11);
    const auto single = SerializeSingleProgram(*prog);
    const auto all = SerializeAllPrograms(model->image.programs, *prog, model->image.delayMemory);
    auto shortSingle = single;
    shortSingle.pop_back();
    auto longAll = all;
    longAll.push_back(0);
    auto wrongMagic = single;
    wrongMagic[5] ^= 0x20;
    WriteBytes("empty.qxas", {});
    WriteBytes("short.qxas", shortSingle);
    WriteBytes("long.qxaa", longAll);
    WriteBytes("magic.qxas", wrongMagic);
    WriteBytes("other.qxas", all);     // an all-programs file given as a single program
    WriteBytes("other.qxaa", single);  // and the other way round

    doc->Records().Out(3).SetGain(17);
    const auto before = std::make_unique<DeviceImage>(model->image);
    for (const char* name : {"empty.qxas", "short.qxas", "magic.qxas", "other.qxas", "missing.qxas"}) {
        const DocResult r = doc->LoadSingleProgram(Path(name));
        EXPECT_FALSE(r.ok) << name;
        ASSERT_TRUE(r.message) << name;
        EXPECT_EQ(EnglishText(*r.message), "Read MusicFile  Error") << name;
    }
    for (const char* name : {"long.qxaa", "other.qxaa", "empty.qxas", "missing.qxaa"}) {
        const DocResult r = doc->LoadAllPrograms(Path(name));
        EXPECT_FALSE(r.ok) << name;
        ASSERT_TRUE(r.message) << name;
        EXPECT_EQ(EnglishText(*r.message), "Read all MusicFile Error") << name;
    }
    EXPECT_EQ(0, std::memcmp(&model->image, before.get(), sizeof(DeviceImage))) << "the image is untouched";
    EXPECT_EQ(doc->Records().Out(3).Gain(), 17) << "and so are the records";
    EXPECT_EQ(command->Count(), 0);
    EXPECT_EQ(host.failures, 0);
}

TEST_F(Doc, LoadingASingleProgramDropsTheMarkerAndRebuildsTheRecords)
{
    auto prog = std::make_unique<ProgramImage>(model->image.current);
    WriteProgramMarker(*prog, 7);
    prog->outputs[1].SetGain(33);
    prog->outputs[4].SetDelay(240);
    WriteBytes("p.qxas", SerializeSingleProgram(*prog));

    const DocResult r = doc->LoadSingleProgram(Path("p.qxas"));
    EXPECT_TRUE(r.ok);
    for (std::uint8_t b : model->image.current.outputs[0].name)
        EXPECT_EQ(b, 0) << "output 0's name is zeroed";
    EXPECT_EQ(ReadProgramMarker(model->image.current), 0);
    EXPECT_EQ(doc->Records().Out(1).Gain(), 33);
    EXPECT_EQ(model->image.delayMemory.Delay(0, 4), 240) << "the delays go into the current set";
    EXPECT_EQ(host.failures, 1) << "disconnected: the load stands and the console says so";
    EXPECT_EQ(command->Count(), 0);
}

TEST_F(Doc, SavingMarksTheMusicInputOnAndAddsTheExtension)
{
    model->image.current.Music().SetOn(0);
    doc->Records().Out(0).SetName("Front L");
    ASSERT_TRUE(doc->SaveSingleProgram(Path("mine")).ok);
    const auto bytes = ReadBytes("mine.qxas");
    ASSERT_EQ(bytes.size(), 2201u);
    EXPECT_EQ(bytes[17 + 371], 1) << "byte 371 of the written program";
    EXPECT_EQ(model->image.current.Bytes()[371], 1) << "and of the image";
    EXPECT_EQ(0, std::memcmp(bytes.data() + 17 + 408 + 288, "Front L", 7)) << "the records are stored first";

    doc->Records().Out(5).SetName("TooLongName");
    const DocResult r = doc->SaveSingleProgram(Path("again.qxas"));
    EXPECT_TRUE(r.ok) << "the save goes on";
    ASSERT_TRUE(r.message);
    EXPECT_EQ(EnglishText(*r.message), "char Len error!");
}

TEST_F(Doc, AllProgramsWhileDisconnected)
{
    EXPECT_FALSE(doc->SaveAllPrograms(Path("all")).ok);
    EXPECT_EQ(host.failures, 1) << "saving all needs the processor";
    EXPECT_FALSE(doc->SavePending());

    auto file = std::make_unique<AllProgramsFile>();
    for (int p = 0; p < kStoredPrograms; ++p)
        file->programs[p] = model->image.Program(p + 1);
    file->current = model->image.current;
    file->programs[8].outputs[3].SetGain(21);
    file->current.outputs[2].SetGain(44);
    file->delayMemory.current = 9;
    WriteBytes("all.qxaa", SerializeAllPrograms(file->programs, file->current, file->delayMemory));
    EXPECT_TRUE(doc->LoadAllPrograms(Path("all.qxaa")).ok);
    EXPECT_EQ(host.failures, 1) << "loading all while disconnected shows nothing";
    EXPECT_EQ(model->image.Program(9).outputs[3].Gain(), 21);
    EXPECT_EQ(doc->Records().Out(2).Gain(), 44);
    EXPECT_EQ(model->image.delayMemory.current, 3) << "the set index is limited to 3";
}

TEST_F(Doc, AllProgramsFileMarksTheCurrentProgramsMusicInputOn)
{
    host.m_bConnected = true;  // the programs are only requested; the file is written from the image
    doc->Records().Music().SetOn(0);
    ASSERT_TRUE(doc->SaveAllPrograms(Path("all")).ok);
    ASSERT_TRUE(doc->WriteAllProgramsFile().ok);
    const auto bytes = ReadBytes("all.qxaa");
    ASSERT_EQ(bytes.size(), 20u + 21u * 2184u + 50u);
    EXPECT_EQ(bytes[20 + 20 * 2184 + 371], 1) << "byte 371 of the current program";
}
