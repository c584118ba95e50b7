#include "tables/Messages.h"
#include "tables/TextField.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>

using namespace ovix;

TEST(TextField, SevenCharacterNameKeepsOneTerminatingZero)
{
    std::array<std::uint8_t, 8> field;
    field.fill(0xEE);
    ASSERT_EQ(EncodeTextField(field, "SubLeft"), TextFieldResult::Ok);
    EXPECT_EQ(0, std::memcmp(field.data(), "SubLeft", 7));
    EXPECT_EQ(field[7], 0);

    ASSERT_EQ(EncodeTextField(field, "FL"), TextFieldResult::Ok);
    const std::array<std::uint8_t, 8> expected{'F', 'L', 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(field, expected) << "the rest of the field is zero-filled";
}

TEST(TextField, TooLongTextIsRefusedAndTheFieldKept)
{
    std::array<std::uint8_t, 8> field{'O', 'l', 'd', 0, 0, 0, 0, 0};
    const auto before = field;
    EXPECT_EQ(EncodeTextField(field, "EightChr"), TextFieldResult::TooLong);
    EXPECT_EQ(field, before);

    std::array<std::uint8_t, 16> programName{};
    EXPECT_EQ(EncodeTextField(programName, "fifteen chars.."), TextFieldResult::Ok);
    EXPECT_EQ(EncodeTextField(programName, "sixteen chars..."), TextFieldResult::TooLong);
    EXPECT_EQ(0, std::memcmp(programName.data(), "fifteen chars..", 15));

    EXPECT_EQ(EnglishText(kMsgCharLenError), "char Len error!");
}

TEST(TextField, DecodeStopsAtFirstZeroAndTrims)
{
    const std::uint8_t a[8] = {' ', 'F', 'L', ' ', 0, 'x', 'y', 'z'};
    EXPECT_EQ(DecodeTextField(a), "FL");
    const std::uint8_t b[8] = {'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H'};
    EXPECT_EQ(DecodeTextField(b), "ABCDEFGH") << "a full field has no terminator";
    const std::uint8_t c[16] = {' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ',
                                ' ', ' ', ' ', ' ', ' ', ' ', ' ', 0};
    EXPECT_EQ(DecodeTextField(c), "");
}
