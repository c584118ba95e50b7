// The preset manager's work without a window: the names it lists, the checks a name passes
// before it is stored, and what store, recall and delete queue (or refuse) on the image.

#include "document/ProgramManager.h"
#include "document/QamrelDoc.h"
#include "tables/TextField.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

using namespace ovix;

namespace {

class CountingHost final : public CommandHostState {
public:
    void ShowConnectionFailure() override { ++failures; }
    int failures = 0;
};

void SetName(ProgramImage& prog, const char* text)
{
    std::memset(prog.name, 0, sizeof prog.name);
    std::memcpy(prog.name, text, std::strlen(text));
}

class Programs : public ::testing::Test {
protected:
    void SetUp() override
    {
        model = std::make_unique<ParameterModel>();
        ResetImage(model->image);
        command = std::make_unique<CKTVCommand>(*model, flags, lock, host);
        doc = std::make_unique<CQamrelDoc>(*model, *command);
        command->SetRecordPort(&doc->Records());
        programs = std::make_unique<CProgramManager>(*model, *command, host);
        for (int p = 1; p <= kStoredPrograms; ++p)
            SetName(model->image.Program(p), "");
        SetName(model->image.Program(3), "Club");
        SetName(model->image.Program(7), "Touring 2024AB");  // 14 characters: only 13 count
        SetName(model->image.Program(12), "Hidden");         // beyond the ten listed
        // as the processor sends names back: blank-padded
        std::memcpy(model->image.Program(9).name, "Bass         \x20\x20\0", 16);
    }

    std::unique_ptr<ParameterModel> model;
    LinkFlags flags;
    std::recursive_mutex lock;
    CountingHost host;
    std::unique_ptr<CKTVCommand> command;
    std::unique_ptr<CQamrelDoc> doc;
    std::unique_ptr<CProgramManager> programs;
};

struct NameCase {
    const char* text;
    int program;
    StoreOutcome expected;
};

class NameChecks : public Programs, public ::testing::WithParamInterface<NameCase> {};

TEST_P(NameChecks, RefuseEmptyBlankAndTakenNames)
{
    const NameCase& c = GetParam();
    EXPECT_EQ(CheckProgramName(model->image, c.program, c.text), c.expected) << '"' << c.text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Programs, NameChecks,
    ::testing::Values(NameCase{"", 5, StoreOutcome::NameEmpty},
                      NameCase{"  ", 5, StoreOutcome::NameAllSpaces},
                      NameCase{" x ", 5, StoreOutcome::Stored},
                      NameCase{"Club", 5, StoreOutcome::NameTaken},
                      NameCase{"Club", 3, StoreOutcome::Stored},          // its own name
                      NameCase{"club", 5, StoreOutcome::Stored},          // case counts
                      NameCase{"Clu", 5, StoreOutcome::Stored},
                      NameCase{"Touring 2024AX", 5, StoreOutcome::NameTaken},  // same first 13
                      NameCase{"Touring 2024", 5, StoreOutcome::Stored},
                      NameCase{"Hidden", 5, StoreOutcome::Stored},        // program 12 is not compared
                      NameCase{"Bass", 5, StoreOutcome::NameTaken},       // blank- or zero-padded alike
                      NameCase{"Bass ", 5, StoreOutcome::NameTaken},
                      NameCase{" Bass", 5, StoreOutcome::Stored},
                      NameCase{"0123456789abcdef", 5, StoreOutcome::NameTooLong}));

TEST_F(Programs, ListedNameIsCutWithinFifteenBytesAndTrimmed)
{
    ProgramImage& p = model->image.Program(1);
    std::memset(p.name, 'A', sizeof p.name);  // no zero byte at all
    EXPECT_EQ(programs->ProgramName(1), std::string(15, 'A'));
    SetName(p, "  Bass  ");
    EXPECT_EQ(programs->ProgramName(1), "Bass");
    EXPECT_EQ(MessageOf(StoreOutcome::NameAllSpaces), kMsgNameAllSpaces);
    EXPECT_EQ(MessageOf(StoreOutcome::NameTaken), kMsgNameTaken);
    EXPECT_EQ(MessageOf(StoreOutcome::NameEmpty), kMsgNameEmpty);
    EXPECT_FALSE(MessageOf(StoreOutcome::NotConnected));
}

TEST_F(Programs, StoreWhileDisconnectedShowsTheFailureAndChangesNoName)
{
    SetName(model->image.current, "Live");
    const DeviceImage before = model->image;
    EXPECT_EQ(programs->Store(5, "Touring"), StoreOutcome::NotConnected);
    EXPECT_EQ(host.failures, 1);
    EXPECT_EQ(std::memcmp(&model->image, &before, sizeof before), 0) << "the image is unchanged";
    EXPECT_EQ(command->Count(), 0);
}

TEST_F(Programs, StoreWritesBothNamesAndQueuesTheProgram)
{
    host.m_bConnected = true;
    EXPECT_EQ(programs->Store(5, "Touring"), StoreOutcome::Stored);
    EXPECT_EQ(DecodeTextField(model->image.Program(5).name), "Touring");
    EXPECT_EQ(std::memcmp(model->image.current.name, model->image.Program(5).name, 16), 0);
    EXPECT_EQ(ReadProgramMarker(model->image.current), 5);
    EXPECT_EQ(command->Count(), 8) << "the name, the music input and six outputs";
    EXPECT_EQ(flags.busy, 1);
}

TEST_F(Programs, RecallAndDeleteDoNothingUnlessSynced)
{
    host.m_bConnected = true;
    const DeviceImage before = model->image;
    EXPECT_FALSE(programs->Recall(3));
    EXPECT_FALSE(programs->Delete(3));
    EXPECT_EQ(std::memcmp(&model->image, &before, sizeof before), 0);
    EXPECT_EQ(command->Count(), 0);

    model->flags.synced = 1;
    EXPECT_TRUE(programs->Delete(3));
    EXPECT_EQ(programs->ProgramName(3), "");
    ASSERT_EQ(command->Count(), 1) << "a program is deleted by its empty name alone";
    EXPECT_EQ(command->Head()->Index(), SYS_PROGRAM_NAME);

    command->Clear();
    EXPECT_TRUE(programs->Recall(7));
    EXPECT_EQ(std::memcmp(model->image.current.name, model->image.Program(7).name, 16), 0);
    EXPECT_EQ(command->Count(), 7);
    EXPECT_EQ(model->flags.synced, 0) << "the records wait for the recalled program";
}

} // namespace
