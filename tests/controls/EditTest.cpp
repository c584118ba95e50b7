#include "controls/ChEnEdit.h"
#include "controls/SN_Edit.h"
#include "WidgetTestUtil.h"

#include <QClipboard>
#include <QInputMethodEvent>

namespace ovix {
namespace {

using test::Type;
using test::WidgetTest;
using test::WidgetTestP;

// ---- ChEnEdit -----------------------------------------------------------------------
struct ChEnCase {
    const char* name;
    bool chinese;
    const char* before;
    const char* typed;
    const char* after;
};

class ChEnEditTyping : public WidgetTestP<ChEnCase> {};

TEST_P(ChEnEditTyping, DoubleByteCharactersStartAtEvenBytes)
{
    const ChEnCase& c = GetParam();
    ChEnEdit e;
    e.SetChinese(c.chinese);
    e.setText(QString::fromUtf8(c.before));
    e.end(false);
    Type(&e, QString::fromUtf8(c.typed));
    EXPECT_EQ(e.text(), QString::fromUtf8(c.after));
}

INSTANTIATE_TEST_SUITE_P(Rules, ChEnEditTyping, ::testing::Values(
    ChEnCase{"OffRefusesChinese", false, "AB", "中", "AB"},
    ChEnCase{"OffTakesAscii", false, "AB", "c", "ABc"},
    ChEnCase{"OnOddLengthGetsABlank", true, "A", "中", "A 中"},
    ChEnCase{"OnEvenLengthAsIs", true, "AB", "中", "AB中"},
    ChEnCase{"OnAfterChinese", true, "中", "文", "中文"},
    ChEnCase{"OnMixedOdd", true, "A中", "文", "A中 文"},
    ChEnCase{"OnSeveral", true, "", "a中b文", "a 中b 文"}),
    [](const auto& info) { return std::string(info.param.name); });

class ChEnEditTest : public WidgetTest {};

TEST_F(ChEnEditTest, InputMethodTextFollowsTheSameRules)
{
    ChEnEdit e;
    e.setText(QStringLiteral("A"));
    e.end(false);
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("中文"));
    QApplication::sendEvent(&e, &commit);
    EXPECT_EQ(e.text(), QStringLiteral("A 中文"));

    e.SetChinese(false);
    QInputMethodEvent refused;
    refused.setCommitString(QStringLiteral("字x"));
    QApplication::sendEvent(&e, &refused);
    EXPECT_EQ(e.text(), QStringLiteral("A 中文x"));
}

TEST_F(ChEnEditTest, ByteLengthCountsChineseAsTwo)
{
    EXPECT_EQ(ChEnEdit::ByteLength(QStringLiteral("A中b")), 4);
}

// ---- SN_Edit ------------------------------------------------------------------------
class SNEditTest : public WidgetTest {};

TEST_F(SNEditTest, SelectAndCopyWorkPasteAndTypingDoNot)
{
    SN_Edit e;
    e.setText(QStringLiteral("QX-0042-7781"));
    QTest::keyClick(&e, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(e.selectedText(), e.text());
    QApplication::clipboard()->clear();
    QTest::keyClick(&e, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("QX-0042-7781"));

    QApplication::clipboard()->setText(QStringLiteral("pasted"));
    QTest::keyClick(&e, Qt::Key_End);
    QTest::keyClick(&e, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClicks(&e, "x");
    EXPECT_EQ(e.text(), QStringLiteral("QX-0042-7781"));
}

} // namespace
} // namespace ovix
