#include "controls/NumEdit.h"
#include "controls/Skin.h"
#include "WidgetTestUtil.h"

#include <QSignalSpy>
#include <QVBoxLayout>

namespace ovix {
namespace {

using test::Type;
using test::WidgetTest;
using test::WidgetTestP;

struct FieldSetup {
    int kind;
    double scale;
    double offset;
    int min;
    int max;
};

constexpr FieldSetup kGain{kKindGainDb, 1.0, 60.0, 0, 60};
constexpr FieldSetup kDelayMs{kKindDelayMs, 0, 0, 0, 960};
constexpr FieldSetup kDelayCm{kKindDelayCm, 0, 0, 0, 960};
constexpr FieldSetup kDelayIn{kKindDelayInch, 0, 0, 0, 960};
constexpr FieldSetup kFreq{kKindFrequency, 0, 0, 20, 20000};
constexpr FieldSetup kBandGain{kKindLinear, 0.1, 20.0, 0, 400};
constexpr FieldSetup kQ{kKindQ, 0, 0, 0, 295};

void Configure(NumEdit& e, const FieldSetup& s)
{
    e.SetKind(s.kind);
    e.SetScaleOffset(s.scale, s.offset);
    e.SetRange(s.min, s.max);
}

// ---- What a code shows --------------------------------------------------------------
struct DisplayCase {
    const char* name;
    FieldSetup setup;
    int code;
    bool chinese;
    const char* shown;
};

class NumEditDisplay : public WidgetTestP<DisplayCase> {};

TEST_P(NumEditDisplay, ShowsTheCodeInItsUnits)
{
    const DisplayCase& c = GetParam();
    test::UseChinese(c.chinese);
    NumEdit e;
    Configure(e, c.setup);
    e.SetCode(c.code);
    EXPECT_EQ(e.text(), QString::fromUtf8(c.shown));
    EXPECT_EQ(FormatCode(e.Format(), c.code), QString::fromUtf8(c.shown));
}

INSTANTIATE_TEST_SUITE_P(Kinds, NumEditDisplay, ::testing::Values(
    DisplayCase{"GainOffEnglish", kGain, 0, false, "OFF"},
    DisplayCase{"GainOffChinese", kGain, 0, true, "关闭"},
    DisplayCase{"Gain0dB", kGain, 60, false, "0dB"},
    DisplayCase{"GainMinus1", kGain, 59, false, "-1dB"},
    DisplayCase{"GainMinus59", kGain, 1, true, "-59dB"},
    DisplayCase{"DelayMaxMs", kDelayMs, 960, false, "20.000"},
    DisplayCase{"DelayOneMs", kDelayMs, 48, false, "1.000"},
    DisplayCase{"DelayOneStep", kDelayMs, 1, false, "0.021"},
    DisplayCase{"DelayMaxCm", kDelayCm, 960, false, "692"},
    DisplayCase{"DelayMaxInch", kDelayIn, 960, false, "272"},
    DisplayCase{"DelayZeroCm", kDelayCm, 0, false, "0"},
    DisplayCase{"Freq1k", kFreq, 1000, false, "1000Hz"},
    DisplayCase{"Freq20", kFreq, 20, true, "20Hz"},
    DisplayCase{"BandGainMinus", kBandGain, 97, false, "-10.3"},
    DisplayCase{"BandGainZeroHasNoSign", kBandGain, 200, false, "0.0"},
    DisplayCase{"QNarrowTwoDecimals", kQ, 0, false, "28.85"},
    DisplayCase{"QOneOctave", kQ, 95, false, "1.414"},
    DisplayCase{"QWidest", kQ, 295, false, "0.404"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- What a typed text stores -------------------------------------------------------
struct EntryCase {
    const char* name;
    FieldSetup setup;
    const char* typed;
    int code;
    const char* shown;
};

class NumEditEntry : public WidgetTestP<EntryCase> {};

TEST_P(NumEditEntry, TypedTextBecomesCodeAndCanonicalText)
{
    const EntryCase& c = GetParam();
    NumEdit e;
    Configure(e, c.setup);
    e.selectAll();
    QTest::keyClicks(&e, QString::fromUtf8(c.typed));
    ASSERT_TRUE(e.IsDirty()) << "typing marks the field edited";
    EXPECT_EQ(e.Code(), c.code) << "typed \"" << c.typed << "\"";
    EXPECT_EQ(e.text(), QString::fromUtf8(c.shown));
    EXPECT_FALSE(e.IsDirty());
}

INSTANTIATE_TEST_SUITE_P(Kinds, NumEditEntry, ::testing::Values(
    EntryCase{"GainMinus10", kGain, "-10", 50, "-10dB"},
    EntryCase{"GainOffWord", kGain, "OFF", 0, "OFF"},
    EntryCase{"GainAboveZeroClamps", kGain, "5", 60, "0dB"},
    EntryCase{"GainBelowRangeIsOff", kGain, "-75", 0, "OFF"},
    EntryCase{"GainWithUnit", kGain, "-3dB", 57, "-3dB"},
    EntryCase{"GainNonsenseIsZero", kGain, "abc", 60, "0dB"},
    EntryCase{"DelayAboveMax", kDelayMs, "25", 960, "20.000"},
    EntryCase{"DelayExactlyMax", kDelayMs, "20", 960, "20.000"},
    EntryCase{"DelayOneMs", kDelayMs, "1", 48, "1.000"},
    EntryCase{"DelayRoundsToNearest", kDelayMs, "0.979", 47, "0.979"},
    EntryCase{"DelayShownTextReadsBack", kDelayMs, "0.958", 46, "0.958"},
    EntryCase{"DelayNegativeIsMin", kDelayMs, "-2", 0, "0.000"},
    EntryCase{"CmMaxReadsBackAsMax", kDelayCm, "692", 960, "692"},
    EntryCase{"CmRoundsWithTheShownSpeed", kDelayCm, "691", 959, "691"},
    EntryCase{"CmAboveRangeIsMax", kDelayCm, "800", 960, "692"},
    EntryCase{"CmNegativeIsZero", kDelayCm, "-5", 0, "0"},
    EntryCase{"Cm100", kDelayCm, "100", 139, "100"},
    EntryCase{"InchRounds", kDelayIn, "272", 958, "272"},
    EntryCase{"InchAboveRangeIsMax", kDelayIn, "300", 960, "272"},
    EntryCase{"FreqPlain", kFreq, "1000", 1000, "1000Hz"},
    EntryCase{"FreqUnitIgnored", kFreq, "440.7Hz", 440, "440Hz"},
    EntryCase{"FreqBelowRange", kFreq, "5", 20, "20Hz"},
    EntryCase{"FreqAboveRange", kFreq, "30000", 20000, "20000Hz"},
    EntryCase{"BandGainDecimal", kBandGain, "-10.3", 97, "-10.3"},
    EntryCase{"BandGainClamped", kBandGain, "25", 400, "20.0"},
    EntryCase{"QOneOctave", kQ, "1.414", 95, "1.414"},
    EntryCase{"QBetweenEntriesTakesTheNearest", kQ, "7.1", 15, "7.208"},
    EntryCase{"QNarrowTextReadsBack", kQ, "28.85", 0, "28.85"},
    EntryCase{"QAboveTable", kQ, "50", 0, "28.85"},
    EntryCase{"QBelowTable", kQ, "0.1", 295, "0.404"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- A shown text reads back to itself ----------------------------------------------
// Whatever a field shows, typed back in unchanged, gives a code that shows the same text
// (several codes may share one text, a distance in whole centimetres for instance).
struct ReadBackCase {
    const char* name;
    FieldSetup setup;
    const char* suffix;
};

class NumFormatReadBack : public ::testing::TestWithParam<ReadBackCase> {};

TEST_P(NumFormatReadBack, EveryCodesTextParsesToACodeWithTheSameText)
{
    const ReadBackCase& c = GetParam();
    const NumFormat f{c.setup.kind, c.setup.min, c.setup.max, c.setup.scale, c.setup.offset, 75,
                      QString::fromLatin1(c.suffix)};
    int failures = 0;
    for (int code = c.setup.min; code <= c.setup.max && failures < 5; ++code) {
        const QString shown = FormatCode(f, code);
        const int back = ParseText(f, shown);
        if (FormatCode(f, back) != shown) {
            ++failures;
            ADD_FAILURE() << "code " << code << " shows \"" << shown.toStdString() << "\", which reads back as code "
                          << back << " showing \"" << FormatCode(f, back).toStdString() << "\"";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, NumFormatReadBack, ::testing::Values(
    ReadBackCase{"DelayMs", kDelayMs, ""},
    ReadBackCase{"DelayMsWithUnit", kDelayMs, "ms"},
    ReadBackCase{"DelayCm", kDelayCm, ""},
    ReadBackCase{"DelayInch", kDelayIn, ""},
    ReadBackCase{"Q", kQ, ""},
    ReadBackCase{"Gain", kGain, ""},
    ReadBackCase{"Frequency", kFreq, ""},
    ReadBackCase{"BandGain", kBandGain, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(NumFormat, ChineseOffWordMeansMinimum)
{
    NumFormat f{kKindGainDb, 0, 60, 1.0, 60.0, 75, {}};
    EXPECT_EQ(ParseText(f, QStringLiteral("关闭")), 0);
    EXPECT_EQ(ParseText(f, QStringLiteral(" off ")), 0);
}

// ---- Field behaviour ----------------------------------------------------------------
class NumEditBehaviour : public WidgetTest {};

// A window with the field under test and another field to move the focus to.
struct TwoFields {
    explicit TwoFields(bool otherFirst = false)
    {
        auto* layout = new QVBoxLayout(&window);
        e = new NumEdit;
        other = new NumEdit;
        layout->addWidget(otherFirst ? other : e);
        layout->addWidget(otherFirst ? e : other);
    }
    QWidget window;
    NumEdit* e;
    NumEdit* other;
};

TEST_F(NumEditBehaviour, SetCodeOutsideTheRangeIsIgnored)
{
    NumEdit e;
    Configure(e, kGain);
    e.SetCode(30);
    e.SetCode(61);
    e.SetCode(-1);
    EXPECT_EQ(e.Code(), 30);
    EXPECT_EQ(e.text(), QStringLiteral("-30dB"));
}

TEST_F(NumEditBehaviour, SetRangeResetsTheCodeToMin)
{
    NumEdit e;
    Configure(e, kFreq);
    EXPECT_EQ(e.Code(), 20);
    EXPECT_EQ(e.text(), QStringLiteral("20Hz"));
}

TEST_F(NumEditBehaviour, UneditedFieldIsNotReadAndSendsNothing)
{
    NumEdit e;
    Configure(e, kGain);
    e.SetCode(40);
    QSignalSpy command(&e, &NumEdit::command);
    EXPECT_EQ(e.Code(), 40);
    EXPECT_EQ(command.count(), 0);
}

TEST_F(NumEditBehaviour, LosingTheFocusReadsTheTextAndNotifiesOnce)
{
    TwoFields f;
    NumEdit* e = f.e;
    NumEdit* other = f.other;
    QWidget& w = f.window;
    Configure(*e, kGain);
    ASSERT_TRUE(test::ShowActive(w));
    e->setFocus();
    ASSERT_TRUE(e->hasFocus());
    QSignalSpy edited(e, &NumEdit::edited);
    QSignalSpy command(e, &NumEdit::command);
    e->selectAll();
    QTest::keyClicks(e, "-10");
    other->setFocus();
    ASSERT_EQ(edited.count(), 1);
    EXPECT_EQ(edited.at(0).at(0).toInt(), 50);
    EXPECT_EQ(command.count(), 1);
    EXPECT_EQ(e->text(), QStringLiteral("-10dB"));
    EXPECT_EQ(e->Code(), 50);
    EXPECT_EQ(command.count(), 1) << "reading a field that was already read sends nothing";
}

TEST_F(NumEditBehaviour, ColoursFollowTheFocus)
{
    TwoFields f;
    NumEdit* e = f.e;
    NumEdit* other = f.other;
    QWidget& w = f.window;
    ASSERT_TRUE(test::ShowActive(w));

    e->setFocus();
    EXPECT_TRUE(e->IsFocusedLook());
    EXPECT_EQ(e->palette().color(QPalette::Active, QPalette::Base), QColor(137, 173, 209));
    EXPECT_EQ(e->palette().color(QPalette::Active, QPalette::Text), QColor(Qt::black));

    other->setFocus();
    EXPECT_FALSE(e->IsFocusedLook());
    EXPECT_EQ(e->palette().color(QPalette::Active, QPalette::Base).alpha(), 0);
    EXPECT_EQ(e->palette().color(QPalette::Active, QPalette::Text), QColor(244, 244, 244));
}

TEST_F(NumEditBehaviour, ClickNotifiesFirstThenTakesTheFocusWithTheTextSelected)
{
    TwoFields f(true);
    NumEdit* e = f.e;
    NumEdit* other = f.other;
    QWidget& w = f.window;
    Configure(*e, kGain);
    ASSERT_TRUE(test::ShowActive(w));
    other->setFocus();

    bool focusedAtNotice = true;
    QObject::connect(e, &NumEdit::clicked, e, [&] { focusedAtNotice = e->hasFocus(); });
    QSignalSpy command(e, &NumEdit::command);
    QTest::mouseClick(e, Qt::LeftButton, {}, e->rect().center());
    EXPECT_EQ(command.count(), 1);
    EXPECT_FALSE(focusedAtNotice) << "the notice comes before the focus";
    EXPECT_TRUE(e->hasFocus());
    EXPECT_EQ(e->selectedText(), e->text());
}

TEST_F(NumEditBehaviour, NoFocusFieldIgnoresClicks)
{
    NumEdit e;
    e.SetNoFocus(true);
    QSignalSpy command(&e, &NumEdit::command);
    QTest::mouseClick(&e, Qt::LeftButton, {}, e.rect().center());
    EXPECT_EQ(command.count(), 0);
    EXPECT_FALSE(e.hasFocus());
}

TEST_F(NumEditBehaviour, OnlySingleByteTextCanBeTyped)
{
    NumEdit e;
    Configure(e, kDelayMs);
    e.selectAll();
    Type(&e, QStringLiteral("1关2"));
    EXPECT_EQ(e.text(), QStringLiteral("12"));
}

TEST_F(NumEditBehaviour, LanguageSwitchRedrawsTheText)
{
    NumEdit e;
    Configure(e, kGain);
    EXPECT_EQ(e.text(), QStringLiteral("OFF"));
    test::UseLanguage(UiLanguage::Chinese);
    EXPECT_EQ(e.text(), QStringLiteral("关闭")) << "the field re-texts itself on the language change";
    EXPECT_FALSE(e.IsDirty()) << "a redraw is not an edit";
    test::UseLanguage(UiLanguage::English);
    EXPECT_EQ(e.text(), QStringLiteral("OFF"));
}

TEST_F(NumEditBehaviour, DelaySuffixFollowsTheNumber)
{
    NumEdit e;
    e.SetKind(kKindDelayMs, QStringLiteral("ms"));
    e.SetRange(0, 960);
    e.SetCode(48);
    EXPECT_EQ(e.text(), QStringLiteral("1.000ms"));
}

} // namespace
} // namespace ovix
