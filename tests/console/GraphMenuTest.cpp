// The graph's context menu in the console: filter text into and out of the selected channel,
// the graph as a PNG picture, the GEQ question, the importer's messages in the user's
// language, and the folders the file dialogs remember.
#include "app/ConsoleParts.h"
#include "app/MainFrm.h"
#include "controls/BitmapSlider.h"
#include "controls/NumEdit.h"
#include "controls/UiLanguage.h"
#include "controls/XPButton.h"
#include "dialogs/OutputDlg.h"
#include "graph/FStatic.h"
#include "simulator/SimBus.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>

#include <memory>

#include "ConsoleTestUtil.h"

using namespace ovix;

namespace {

class GraphMenuConsole : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(settingsDir.isValid());
        ASSERT_TRUE(files.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
        SetUiLanguage(UiLanguage::English);
        model = std::make_unique<ParameterModel>();
        ResetImage(model->image);
        CQamrelView::Options o;
        o.backend = std::make_shared<sim::CSimBus>();  // no processor: the records alone
        o.startDir = files.path();
        frame = std::make_unique<CMainFrame>(*model, flags, o);
        view = &frame->View();
        view->m_messageHook = [this](const QString& text, MessageStyle) { messages << text; };
        view->m_confirmHook = [this](const QString& question) {
            questions << question;
            return answer;
        };
        view->m_fileDialogHook = [this](bool save, const QString& folder, const QString& filter) {
            dialogs.push_back({save, folder, filter});
            return chosen;
        };
        view->Link().SetDisconnectPause(std::chrono::milliseconds(0));
        view->InitialUpdate();
        frame->show();
        test::WaitFor([] { return false; }, 200);  // the first connection attempt has failed
        messages.clear();
        view->SelectChannel(1);  // CH2
    }
    void TearDown() override
    {
        frame.reset();
        SetUiLanguage(UiLanguage::English);
    }

    QString Write(const QString& name, const QByteArray& text)
    {
        QFile f(files.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
        return f.fileName();
    }
    CKTV_OutData& Out(int channel) { return view->Doc().Records().Out(channel); }
    // The bands of a channel that are not bypassed, as (frequency, gain).
    std::vector<std::pair<int, double>> ActiveBands(int channel)
    {
        std::vector<std::pair<int, double>> bands;
        for (int b = 0; b < kOutputBands; ++b)
            if (!Out(channel).Band(b).EffectivelyBypassed())
                bands.push_back({Out(channel).Band(b).Freq(), Out(channel).Band(b).GainDb()});
        return bands;
    }

    struct Dialog {
        bool save;
        QString folder, filter;
    };
    QTemporaryDir settingsDir, files;
    std::unique_ptr<ParameterModel> model;
    LinkFlags flags;
    std::unique_ptr<CMainFrame> frame;
    CQamrelView* view = nullptr;
    QStringList messages, questions;
    bool answer = true;
    QString chosen;
    std::vector<Dialog> dialogs;
};

const QByteArray kTwoBells = "Filter Settings file\r\n"
                             "Preamp: -3.0 dB\r\n"
                             "Filter  1: ON  PK       Fc   250 Hz  Gain  -4.5 dB  Q  2.00\r\n"
                             "Filter  2: ON  PK       Fc  3000 Hz  Gain   3.0 dB  Q  1.41\r\n";

} // namespace

TEST_F(GraphMenuConsole, SaveGraphAsImageWritesAPngOfTheGraph)
{
    chosen = files.filePath("graph.png");
    view->Graph().SaveImageAction().trigger();
    QImage image(chosen);
    ASSERT_FALSE(image.isNull()) << "a PNG picture";
    EXPECT_EQ(image.size(), view->Graph().size() * view->Graph().devicePixelRatioF());
    EXPECT_EQ(image.convertToFormat(QImage::Format_ARGB32),
              view->Graph().grab().toImage().convertToFormat(QImage::Format_ARGB32))
        << "the graph as it is drawn";
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_TRUE(dialogs[0].save);
    EXPECT_TRUE(dialogs[0].filter.contains("*.png"));

    // the next dialog starts in the folder chosen last, also after a restart
    view->Graph().SaveImageAction().trigger();
    ASSERT_EQ(dialogs.size(), 2u);
    EXPECT_EQ(QDir(dialogs[1].folder), QDir(files.path()));
    QSettings key(QSettings::NativeFormat, QSettings::UserScope, kSettingsOrganisation, kMainKey);
    EXPECT_EQ(QDir(key.value(kImageFolderValue).toString()), QDir(files.path()));
    EXPECT_TRUE(messages.isEmpty()) << messages.join(" | ").toStdString();
}

TEST_F(GraphMenuConsole, ImportChangesTheSelectedChannelsBandsAndGain)
{
    chosen = Write("rew.txt", kTwoBells);
    const auto ch1Before = ActiveBands(0);
    view->Graph().ImportFiltersAction().trigger();
    EXPECT_TRUE(messages.isEmpty()) << messages.join(" | ").toStdString();
    const auto bands = ActiveBands(1);
    ASSERT_EQ(bands.size(), 2u);
    EXPECT_NEAR(bands[0].first, 250, 15);
    EXPECT_DOUBLE_EQ(bands[0].second, -4.5);
    EXPECT_NEAR(bands[1].first, 3000, 150);
    EXPECT_DOUBLE_EQ(bands[1].second, 3.0);
    EXPECT_EQ(Out(1).Gain(), 57) << "Preamp -3 dB";
    EXPECT_EQ(ActiveBands(0), ch1Before) << "CH1 untouched";
    // the console shows it: the channel's gain field and the editor's band rows
    EXPECT_EQ(view->Strip(1).gain->Code(), 57);
    EXPECT_EQ(view->OutputEditor().Strip(0).slider->Value(), 155) << "band 1 at -4.5 dB in the editor";
    EXPECT_EQ(view->OutputEditor().Strip(1).slider->Value(), 230) << "band 2 at +3.0 dB in the editor";
    EXPECT_EQ(QDir(QSettings(QSettings::NativeFormat, QSettings::UserScope, kSettingsOrganisation, kMainKey)
                       .value(kFilterFolderValue)
                       .toString()),
              QDir(files.path()));

    // and the export of the channel reads back the same bands
    chosen = files.filePath("ch2.txt");
    view->Graph().ExportFiltersAction().trigger();
    QFile exported(chosen);
    ASSERT_TRUE(exported.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(exported.readAll());
    EXPECT_TRUE(text.contains("Preamp: -3")) << text.toStdString();
    EXPECT_EQ(text.count(QRegularExpression("Filter +\\d+: ON +PK")), 2) << text.toStdString();
}

TEST_F(GraphMenuConsole, AGraphicEqChannelIsSwitchedOnlyWhenTheUserAgrees)
{
    Out(1).SetGeqMode(1);
    const auto before = ActiveBands(1);
    chosen = Write("rew.txt", kTwoBells);
    answer = false;
    view->Graph().ImportFiltersAction().trigger();
    ASSERT_EQ(questions.size(), 1);
    EXPECT_EQ(questions[0], MessageText(kMsgFilterImportAskPeq));
    EXPECT_EQ(Out(1).GeqMode(), 1);
    EXPECT_EQ(ActiveBands(1), before);

    answer = true;
    view->Graph().ImportFiltersAction().trigger();
    EXPECT_EQ(Out(1).GeqMode(), 0);
    EXPECT_EQ(ActiveBands(1).size(), 2u);
    EXPECT_FALSE(view->EqModeButton().IsLit()) << "the mode button follows";
}

TEST_F(GraphMenuConsole, ErrorsAndLimitsAreShownInTheUsersLanguageWithTheirLines)
{
    SetUiLanguage(UiLanguage::Chinese);
    Out(1).SetGeqMode(1);
    const auto before = ActiveBands(1);
    chosen = Write("bad.txt", "Filter 1: ON PK Fc 250 Hz Gain -4.5 dB Q 2.0\nFilter 2: ON PK Fc 3,5 kHz\n");
    view->Graph().ImportFiltersAction().trigger();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith(QString::fromUtf8("未导入任何内容："))) << messages[0].toStdString();
    EXPECT_TRUE(messages[0].contains("2")) << "the line of the fault";
    EXPECT_TRUE(questions.isEmpty()) << "a text that cannot be used does not switch the mode";
    EXPECT_EQ(Out(1).GeqMode(), 1);
    EXPECT_EQ(ActiveBands(1), before);

    Out(1).SetGeqMode(0);
    chosen = Write("loud.txt", "Filter 1: ON PK Fc 100 Hz Gain 26 dB Q 1.0\n");
    view->Graph().ImportFiltersAction().trigger();
    ASSERT_EQ(messages.size(), 2);
    EXPECT_TRUE(messages[1].startsWith(QString::fromUtf8("滤波器已导入。"))) << messages[1].toStdString();
    EXPECT_TRUE(messages[1].contains(MessageText({kMsgFilterGainClamped, {"1", "26.0", "20.0"}})))
        << messages[1].toStdString();
    ASSERT_EQ(ActiveBands(1).size(), 1u);
    EXPECT_DOUBLE_EQ(ActiveBands(1)[0].second, 20.0);

    chosen = files.filePath("missing.txt");
    view->Graph().ImportFiltersAction().trigger();
    ASSERT_EQ(messages.size(), 3);
    EXPECT_EQ(messages[2], MessageText({kMsgFilterFileReadError, {chosen.toStdString()}}));
    EXPECT_NE(messages[2], QString::fromStdString(EnglishText({kMsgFilterFileReadError, {chosen.toStdString()}})));
}

// A text the import would refuse whole leaves a GEQ channel as it was, without asking; a
// FIFO named like a filter text is refused at once instead of blocking the window.
TEST_F(GraphMenuConsole, TooManyFiltersOrAFifoChangeNothingAndAskNothing)
{
    Out(1).SetGeqMode(1);
    const auto before = ActiveBands(1);
    std::string many;
    for (int k = 1; k <= 32; ++k)
        many += "Filter " + std::to_string(k) + ": ON PK Fc " + std::to_string(40 * k) + " Hz Gain -1.0 dB Q 2.0\n";
    chosen = Write("many.txt", many.c_str());
    view->Graph().ImportFiltersAction().trigger();
    EXPECT_TRUE(questions.isEmpty()) << "nothing to ask about: the text cannot be imported";
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(MessageText({kMsgFilterTooManyBands, {"32"}}))) << messages[0].toStdString();
    EXPECT_EQ(Out(1).GeqMode(), 1);
    EXPECT_EQ(ActiveBands(1), before);

    chosen = files.filePath("fifo.txt");
    ASSERT_EQ(::mkfifo(QFile::encodeName(chosen).constData(), 0600), 0);
    view->Graph().ImportFiltersAction().trigger();
    ASSERT_EQ(messages.size(), 2);
    EXPECT_EQ(messages[1], MessageText({kMsgFilterFileReadError, {chosen.toStdString()}}));
    EXPECT_EQ(Out(1).GeqMode(), 1);
}

TEST_F(GraphMenuConsole, CancellingTheDialogChangesNothing)
{
    const auto before = ActiveBands(1);
    chosen.clear();
    view->Graph().ImportFiltersAction().trigger();
    view->Graph().ExportFiltersAction().trigger();
    view->Graph().SaveImageAction().trigger();
    EXPECT_EQ(dialogs.size(), 3u);
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(ActiveBands(1), before);
    EXPECT_TRUE(QDir(files.path()).entryList(QDir::Files).isEmpty());
}
