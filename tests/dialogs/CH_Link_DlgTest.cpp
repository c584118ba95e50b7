#include "dialogs/CH_Link_Dlg.h"
#include "../controls/WidgetTestUtil.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace ovix {
namespace {

using test::WidgetTest;
using test::WidgetTestP;

// The dialog's controls, found as a user would: the question, the radios in order, the
// buttons by role.
struct LinkDialog {
    explicit LinkDialog(int pair)
        : dlg(pair)
    {
        question = dlg.findChild<QLabel*>();
        const auto radios = dlg.findChildren<QRadioButton*>();
        first = radios.value(0);
        second = radios.value(1);
        const auto buttons = dlg.findChildren<QPushButton*>();
        for (QPushButton* b : buttons)
            (b->isDefault() ? ok : cancel) = b;
    }
    CCH_Link_Dlg dlg;
    QLabel* question = nullptr;
    QRadioButton* first = nullptr;
    QRadioButton* second = nullptr;
    QPushButton* ok = nullptr;
    QPushButton* cancel = nullptr;
};

struct TextCase {
    const char* name;
    int pair;
    bool chinese;
    const char* caption;
    const char* first;
    const char* second;
};

class LinkDlgTexts : public WidgetTestP<TextCase> {};

TEST_P(LinkDlgTexts, CaptionAndChoicesNameThePair)
{
    const TextCase& c = GetParam();
    test::UseChinese(c.chinese);
    LinkDialog d(c.pair);
    ASSERT_TRUE(d.question && d.first && d.second && d.ok && d.cancel);
    EXPECT_EQ(d.dlg.windowTitle(), QString::fromUtf8(c.caption));
    EXPECT_EQ(d.first->text(), QString::fromUtf8(c.first));
    EXPECT_EQ(d.second->text(), QString::fromUtf8(c.second));
    EXPECT_EQ(d.question->text(), c.chinese ? QStringLiteral("选择哪个通道为基准?")
                                            : QStringLiteral("Which channel data should be applied? "));
    EXPECT_EQ(d.ok->text(), c.chinese ? QStringLiteral("确定") : QStringLiteral("OK"));
    EXPECT_EQ(d.cancel->text(), c.chinese ? QStringLiteral("取消") : QStringLiteral("Cancel"));
    EXPECT_EQ(d.first->accessibleName(), d.first->text()) << "the radios are named by their texts";
    EXPECT_EQ(d.second->accessibleName(), d.second->text());
    EXPECT_EQ(d.ok->accessibleName(), d.ok->text());
    EXPECT_EQ(d.cancel->accessibleName(), d.cancel->text());
}

INSTANTIATE_TEST_SUITE_P(Pairs, LinkDlgTexts, ::testing::Values(
    TextCase{"FrontEnglish", 0, false, "Grouping of Front channel", "CH1.Front Left be applied?",
             "CH2.Front Right be applied? "},
    TextCase{"FrontChinese", 0, true, "前声场联调", "以CH1前左为基准?", "以CH2前右为基准? "},
    TextCase{"RearEnglish", 1, false, "Grouping of Rear channel", "CH3.Rear Left be applied? ",
             "CH4.Rear Right be applied? "},
    TextCase{"RearChinese", 1, true, "后声场联调", "以CH3后左为基准? ", "以CH4后右为基准? "},
    TextCase{"SubEnglish", 2, false, "Grouping of CH5 and CH6 channel", "CH5.Left be applied? ",
             "CH6.Right be applied? "},
    TextCase{"SubChineseCaptionStaysEnglish", 2, true, "Grouping of CH5 and CH6 channel",
             "以CH5左超低为基准? ", "以CH6右超低为基准? "}),
    [](const auto& info) { return std::string(info.param.name); });

class LinkDlg : public WidgetTest {};

TEST_F(LinkDlg, UnknownPairKeepsTheLinkCaption)
{
    LinkDialog d(3);
    EXPECT_EQ(d.dlg.windowTitle(), QStringLiteral("Link"));
}

TEST_F(LinkDlg, OkWithoutTouchingTheRadiosTakesTheFirstChannel)
{
    LinkDialog d(1);
    d.dlg.show();
    EXPECT_TRUE(d.first->isChecked()) << "the first choice is selected when the dialog opens";
    EXPECT_FALSE(d.second->isChecked());
    QTest::mouseClick(d.ok, Qt::LeftButton);
    EXPECT_EQ(d.dlg.result(), QDialog::Accepted);
    EXPECT_EQ(d.dlg.Choice(), 0);
    EXPECT_EQ(d.dlg.Pair(), 1);
}

TEST_F(LinkDlg, ClickingTheSecondRadioThenOkTakesTheSecondChannel)
{
    LinkDialog d(0);
    d.dlg.show();
    QTest::mouseClick(d.second, Qt::LeftButton, {}, QPoint(8, d.second->height() / 2));
    EXPECT_TRUE(d.second->isChecked());
    EXPECT_FALSE(d.first->isChecked()) << "the two choices exclude each other";
    EXPECT_EQ(d.dlg.Choice(), 1) << "a click stores the choice at once";
    QTest::mouseClick(d.ok, Qt::LeftButton);
    EXPECT_EQ(d.dlg.result(), QDialog::Accepted);
    EXPECT_EQ(d.dlg.Choice(), 1);
}

TEST_F(LinkDlg, ChoosingBackTheFirstRadioStoresZero)
{
    LinkDialog d(2);
    d.dlg.show();
    QTest::mouseClick(d.second, Qt::LeftButton, {}, QPoint(8, d.second->height() / 2));
    QTest::mouseClick(d.first, Qt::LeftButton, {}, QPoint(8, d.first->height() / 2));
    EXPECT_EQ(d.dlg.Choice(), 0);
}

TEST_F(LinkDlg, CancelRejects)
{
    LinkDialog d(0);
    d.dlg.show();
    QTest::mouseClick(d.second, Qt::LeftButton, {}, QPoint(8, d.second->height() / 2));
    QTest::mouseClick(d.cancel, Qt::LeftButton);
    EXPECT_EQ(d.dlg.result(), QDialog::Rejected);
    EXPECT_FALSE(d.dlg.isVisible());
}

TEST_F(LinkDlg, LanguageSwitchReTextsTheOpenDialog)
{
    LinkDialog d(1);
    EXPECT_EQ(d.dlg.windowTitle(), QStringLiteral("Grouping of Rear channel"));
    test::UseChinese(true);
    EXPECT_EQ(d.dlg.windowTitle(), QStringLiteral("后声场联调"));
    EXPECT_EQ(d.first->text(), QStringLiteral("以CH3后左为基准? "));
    EXPECT_EQ(d.first->accessibleName(), d.first->text());
    EXPECT_EQ(d.ok->text(), QStringLiteral("确定"));
    test::UseChinese(false);
    EXPECT_EQ(d.cancel->text(), QStringLiteral("Cancel"));
}

} // namespace
} // namespace ovix
