// The console's texts through Qt's translation system: the compiled Chinese catalogue, the
// engine's messages in both languages, and controls re-texting themselves on a live switch.

#include "WidgetTestUtil.h"

#include "controls/CMsgBox.h"
#include "controls/UiLanguage.h"
#include "controls/XPButton.h"

#include <QDialogButtonBox>
#include <QLibraryInfo>
#include <QPushButton>
#include <QTranslator>

namespace ovix {
namespace {

using test::UseLanguage;
using test::WidgetTest;
using test::WidgetTestP;

// ---- Every message of the engine's catalogue ------------------------------------------
class MessageCatalogue : public WidgetTestP<int> {};

TEST_P(MessageCatalogue, HasAnEnglishTextAndAChineseTranslation)
{
    const auto id = MessageId(GetParam());
    const MessageSource source = SourceOf(id);
    EXPECT_STRNE(source.text, "") << "id " << int(id);
    QTranslator chinese;
    ASSERT_TRUE(chinese.load(QString::fromLatin1(kChineseCatalogue)));
    EXPECT_FALSE(chinese.translate(kMessageContext, source.text, source.disambiguation).isEmpty())
        << "no Chinese for \"" << source.text << "\" (" << source.disambiguation << ")";
    EXPECT_EQ(MessageText(id), QString::fromStdString(EnglishText(id))) << "English shows the source text";
}

INSTANTIATE_TEST_SUITE_P(Ids, MessageCatalogue, ::testing::Range(0, int(kMessageCount)));

// ---- Messages alike in English, apart in Chinese; composed and Chinese-only ones --------
struct MessageCase {
    const char* name;
    UiMessage message;
    const char* english;
    const char* chinese;
};

void PrintTo(const MessageCase& c, std::ostream* os) { *os << c.name; }

class MessageTexts : public WidgetTestP<MessageCase> {};

TEST_P(MessageTexts, EachPlaceGetsItsOwnText)
{
    const MessageCase& c = GetParam();
    EXPECT_EQ(EnglishText(c.message), c.english) << "what ovixctl prints";
    EXPECT_EQ(MessageText(c.message), QString::fromUtf8(c.english));
    UseLanguage(UiLanguage::Chinese);
    EXPECT_EQ(MessageText(c.message), QString::fromUtf8(c.chinese));
}

INSTANTIATE_TEST_SUITE_P(Catalogue, MessageTexts, ::testing::Values(
    MessageCase{"LinkLost", kMsgConnectionFailure, "Connection failure!",
                "连接失败  请检查USB线缆是否插好或重启计算机和设备后再尝试连接!"},
    MessageCase{"CannotOpen", kMsgCannotOpen, "Connection failure!",
                "连接失败  请检查USB线缆是否插好或\n该设备已经连接上了另一软件!"},
    MessageCase{"DspProgramming", kMsgFwDspProgramming, "Programming......", "DSP更新开始"},
    MessageCase{"McuProgramming", kMsgFwMcuProgramming, "Programming......", "数据传输"},
    MessageCase{"StepsFinished", kMsgFwStepsFinished, "Update successfully!", "更新完成!"},
    MessageCase{"UpdateDone", kMsgFwUpdateDone, "Update successfully!", "固件更新完成!"},
    MessageCase{"OnlyChinese", kMsgFwUpdateFileError, "更新文件错误！", "更新文件错误！"},
    MessageCase{"ReadSingleKeepsTwoBlanks", kMsgReadSingleError, "Read MusicFile  Error", "读音乐文件错误!"},
    MessageCase{"DeviceOlder", CompatibilityMessage('0', '1'),
                " If device version is lower than the software version, only the device at version, "
                "HN338-V1.01 to HN338-V1.99, can be connected with this software.",
                "设备版本比PC软件版本号低，只有版本号为“HN338-V1.01到HN338-V1.99”之间的设备才能和该版本的PC软件连接。"},
    MessageCase{"DeviceNewer", CompatibilityMessage('3', '1'),
                " If software version is lower than the device version, only the software at version, "
                "PHN338-V3.01 to PHN338-V3.99, can be connected with this device.",
                "PC软件版本比设备版本号低，只有版本号为“PHN338-V3.01到PHN338-V3.99”之间的PC软件才能和该版本的设备连接。"}),
    [](const ::testing::TestParamInfo<MessageCase>& i) { return std::string(i.param.name); });

// ---- Switching live ----------------------------------------------------------------------
class LanguageSwitch : public WidgetTest {};

TEST_F(LanguageSwitch, AnOpenMessageBoxRetextsItsButton)
{
    CMsgBox box;
    auto* ok = box.findChild<XPButton*>();
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text(), QStringLiteral("OK"));
    UseLanguage(UiLanguage::Chinese);
    EXPECT_EQ(CurrentUiLanguage(), UiLanguage::Chinese);
    EXPECT_EQ(ok->text(), QStringLiteral("确定"));
    EXPECT_EQ(box.findChild<XPButton*>(), ok) << "the same button";
    UseLanguage(UiLanguage::English);
    EXPECT_EQ(ok->text(), QStringLiteral("OK"));
}

TEST_F(LanguageSwitch, StoredWordChinesePicksChineseAnyOtherEnglish)
{
    EXPECT_EQ(LanguageFromWord(QStringLiteral("Chinese")), UiLanguage::Chinese);
    EXPECT_EQ(LanguageFromWord(QStringLiteral("English")), UiLanguage::English);
    EXPECT_EQ(LanguageFromWord(QStringLiteral("chinese")), UiLanguage::English);
    EXPECT_EQ(LanguageWord(UiLanguage::Chinese), QStringLiteral("Chinese"));
    EXPECT_EQ(LanguageWord(UiLanguage::English), QStringLiteral("English"));
}

TEST_F(LanguageSwitch, QtsOwnButtonsFollowWhereTheSystemHasTheirTexts)
{
    QTranslator qt;
    if (!qt.load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        GTEST_SKIP() << "Qt's Chinese texts are not installed";
    QDialogButtonBox buttons(QDialogButtonBox::Cancel);
    const QString english = buttons.button(QDialogButtonBox::Cancel)->text();
    UseLanguage(UiLanguage::Chinese);
    EXPECT_NE(buttons.button(QDialogButtonBox::Cancel)->text(), english);
    UseLanguage(UiLanguage::English);
    EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text(), english);
}

} // namespace
} // namespace ovix
