#include "app/QamrelView.h"

#include "app/ConsoleParts.h"
#include "controls/BitmapSlider.h"
#include "controls/CMsgBox.h"
#include "controls/ComBoxBtn.h"
#include "controls/EnTabCtrl.h"
#include "controls/NumEdit.h"
#include "controls/NumSpin.h"
#include "controls/Skin.h"
#include "controls/UiGlobals.h"
#include "controls/UiLanguage.h"
#include "controls/XPButton.h"
#include "dialogs/CH_Link_Dlg.h"
#include "dialogs/DisplayDlg.h"
#include "dialogs/OutputDlg.h"
#include "dialogs/ProgramDlg.h"
#include "dialogs/UpgradeDlg.h"
#include "dialogs/VersionDlg.h"
#include "graph/FStatic.h"
#include "response/FilterText.h"
#include "tables/RegularFile.h"
#include "tables/TextField.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QSaveFile>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace ovix {

namespace {

// The console's regions on its 1278 x 718 background.
constexpr int kTitleHeight = 44;
const QRect kVolumeRect{8, 50, 76, 354};
constexpr int kStripX = 90;     // the first strip; the others follow every kStripStep pixels
constexpr int kStripStep = 61;
constexpr int kTopY = 50;
const QRect kGraphPanel{459, 50, 563, 354};
// The graph's height keeps the low-pass handle, which sits 55 pixels above the -15 dB
// line, inside the control.
const QRect kGraph{465, 56, 551, 262};
const QRect kHighPassAt{1028, 50, 0, 0};
const QRect kLowPassAt{1028, 230, 0, 0};
const QRect kLinkPanel{1154, 50, 116, 112};
const QPoint kCarMapAt{1154, 168};
const QRect kUnitPanel{1154, 370, 116, 34};
const QRect kEqCaptions{8, 410, 58, 300};
const QRect kEqTab{70, 410, 1200, 300};

struct Caption {
    int centreY;
    const char* text;
    bool translated;  // false: the same in every language
};

// The equaliser's row captions, beside the tab frame that hosts its 31 band columns.
const Caption kEqRows[] = {
    {462, QT_TRANSLATE_NOOP("ovix::CQamrelView", "ID"), true},
    {492, QT_TRANSLATE_NOOP("ovix::CQamrelView", "Work"), true},
    {638, QT_TRANSLATE_NOOP("ovix::CQamrelView", "Freq"), true},
    {666, "Q", false},
    {694, "dB", false},
};

const char* const kUnits[3] = {
    QT_TRANSLATE_NOOP("ovix::CQamrelView", "Ms"),
    QT_TRANSLATE_NOOP("ovix::CQamrelView", "Cm"),
    QT_TRANSLATE_NOOP("ovix::CQamrelView", "In"),
};

const char* const kToggleTexts[3] = {
    QT_TRANSLATE_NOOP("ovix::CQamrelView", "Group&Front"),
    QT_TRANSLATE_NOOP("ovix::CQamrelView", "Group&Rear"),
    QT_TRANSLATE_NOOP("ovix::CQamrelView", "Group&Sub"),
};

// A spinner's position, kept within its range (a record value outside it would make the
// spinner complain).
void ShowPos(NumSpin* spin, int value)
{
    spin->SetPos(std::clamp(value, spin->Min(), spin->Max()));
}

int Partner(int channel) { return channel ^ 1; }

// The equaliser editor's edits go to the engine's EQ commands; its redraws to the graph.
class EqEditorHost final : public IOutputEditHost {
public:
    EqEditorHost(CEqEdits& edits, CFStatic& graph) : m_edits(edits), m_graph(graph) {}
    void SetBandFrequency(int c, int band, int hz) override { m_edits.SetBandFrequency(c, band, hz); }
    void SetBandWidth(int c, int band, int index) override { m_edits.SetBandWidth(c, band, index); }
    void SetBandGain(int c, int band, int code) override { m_edits.SetBandGain(c, band, code); }
    void SetBandBypass(int c, int band, int bypass) override { m_edits.SetBandBypass(c, band, bypass); }
    void BandDragged(int c, int band) override { m_edits.BandDragged(c, band); }
    bool AllBandsBypassed(int c) override { return m_edits.AllBandsBypassed(c); }
    void SetGroupBypass(int c, bool on) override { m_edits.SetGroupBypass(c, on); }
    void RewriteBypassAll(int c, bool on) override { m_edits.RewriteBypassAll(c, on); }
    void ConvertEqMode(int c, int mode) override { m_edits.ConvertEqMode(c, mode); }
    void RedrawGraph(int filter) override { m_graph.Redraw(filter); }

private:
    CEqEdits& m_edits;
    CFStatic& m_graph;
};

} // namespace

CQamrelView::CQamrelView(ParameterModel& model, LinkFlags& flags, Options options, QWidget* parent)
    : QWidget(parent), m_model(model), m_flags(flags), m_options(std::move(options))
{
    setFixedSize(kWidth, kHeight);
    m_link = std::make_unique<CConsoleLink>(m_model, m_flags, g_csLink, m_options.backend, m_store, m_queue,
                                            *this);
    m_doc = std::make_unique<CQamrelDoc>(m_model, m_link->Command());
    m_link->Command().SetRecordPort(&m_doc->Records());
    m_edits = std::make_unique<CConsoleEdits>(m_model, m_doc->Records(), m_link->Command(), *m_link, g_csLink);
    m_eqEdits = std::make_unique<CEqEdits>(m_model, m_doc->Records(), m_link->Command(), *m_link, g_csLink);
    m_exchange = std::make_unique<CFilterExchange>(m_model, m_doc->Records(), *m_edits, *m_eqEdits);
    // the link posts from its own threads; the messages are handled here, on this thread
    m_queue.SetWakeup([this] { QMetaObject::invokeMethod(this, &CQamrelView::PumpLink, Qt::QueuedConnection); });
}

CQamrelView::~CQamrelView()
{
    StopLink();
    m_queue.Shutdown();
    m_link.reset();
}

void CQamrelView::StopLink()
{
    if (m_linkStopped)
        return;
    m_linkStopped = true;
    m_link->Worker().StopLink();
}

void CQamrelView::PumpLink()
{
    m_queue.Pump([this](const LinkEventMsg& msg) { m_link->HandleEvent(msg); }, std::chrono::milliseconds(0));
}

void CQamrelView::InitialUpdate()
{
    // the data folder and the paths built on the start folder
    m_strStartDir = m_options.startDir.isEmpty() ? QDir::currentPath() : m_options.startDir;
    QDir(m_strStartDir).mkpath(QStringLiteral("DataFile"));
    const QString data = m_strStartDir + QStringLiteral("/DataFile/");
    m_patternSingle = QDir::toNativeSeparators(data + QStringLiteral("*.qxas"));
    m_patternAll = QDir::toNativeSeparators(data + QStringLiteral("*.qxaa"));
    m_settings.firmwarePattern = QDir::toNativeSeparators(data + QStringLiteral("*.bin"));

    m_store.LoadSettings(m_settings);
    UiLanguage language;
    if (m_settings.language.isEmpty()) {
        language = m_options.systemChinese ? UiLanguage::Chinese : UiLanguage::English;
        m_settings.language = LanguageWord(language);
        m_store.SaveSettings(m_settings);
    } else {
        language = LanguageFromWord(m_settings.language);
    }
    SetUiLanguage(language);

    SetUpControls();
    ApplyLanguage();
    // the console starts from the image's program; nothing is marked while not synced
    m_doc->Records().LoadProgramIntoRecords(0);
    RefreshFromImage();
    m_link->WatchDevices();
    SelectChannel(0);
    // no control has the keyboard focus until the user gives it one
    setFocus(Qt::OtherFocusReason);

    m_display = new CDisplayDlg(this, m_flags);
    m_display->Close();

    m_store.LoadSettings(m_settings);
    // the first connection attempt runs once the window is on screen
    m_queue.Post(WM_LINK_AUTOCONNECT, 0, 0);
}

void CQamrelView::SetUpControls()
{
    setFocusPolicy(Qt::ClickFocus);  // a click on the background takes the focus off a field

    // command row
    m_connect = new XPButton(this);
    m_connect->setGeometry(770, 6, 130, 32);
    m_connect->installEventFilter(this);
    connect(m_connect, &QAbstractButton::clicked, this, &CQamrelView::OnConnect);

    m_program = new XPButton(this);
    m_program->setGeometry(906, 6, 100, 32);
    connect(m_program, &QAbstractButton::clicked, this, &CQamrelView::OnProgram);

    m_about = new XPButton(this);
    m_about->setGeometry(1012, 6, 100, 32);
    connect(m_about, &QAbstractButton::clicked, this, &CQamrelView::OnAbout);

    m_minimise = new XPButton(this);
    m_minimise->setGeometry(1180, 6, 40, 32);
    m_minimise->SetCaption(QStringLiteral("–"));
    connect(m_minimise, &QAbstractButton::clicked, this, &CQamrelView::minimiseRequested);

    m_close = new XPButton(this);
    m_close->setGeometry(1226, 6, 40, 32);
    m_close->SetCaption(QStringLiteral("×"));
    connect(m_close, &QAbstractButton::clicked, this, [this] {
        StopLink();  // the worker goes before the window does
        emit closeRequested();
    });

    SetUpMaster();
    SetUpStrips();
    SetUpPanels();

    // the equaliser's tab frame with the equaliser editor on its page
    m_eqTab = new EnTabCtrl(this);
    m_eqTab->setGeometry(kEqTab);
    m_eqPage = new QWidget(m_eqTab);
    m_eqHost = std::make_unique<EqEditorHost>(*m_eqEdits, *m_graph);
    m_outputDlg = new COutputDlg(m_doc->Records(), *m_eqHost, m_bypass, m_eqMode, m_eqPage);
    auto* eqLayout = new QVBoxLayout(m_eqPage);
    eqLayout->setContentsMargins(0, 0, 0, 0);
    eqLayout->addWidget(m_outputDlg);
    m_eqTab->AddTab(m_eqPage, QString());
    m_eqTab->setFocusPolicy(Qt::NoFocus);
    m_eqTab->tabBar()->setFocusPolicy(Qt::NoFocus);

    m_focusRing = new CFocusRing(this);
    connect(qApp, &QApplication::focusChanged, m_focusRing,
            [this](QWidget*, QWidget* now) { m_focusRing->Follow(now); });

    SetUpTabOrder();
    SetConnectLook(ConnectLook::Disconnected);
}

void CQamrelView::SetUpMaster()
{
    m_volumeFader = new BitmapSlider(Qt::Vertical, this);
    m_volumeFader->setGeometry(kVolumeRect.left() + 18, 78, 40, 204);
    m_volumeField = new NumEdit(this);
    m_volumeField->setGeometry(kVolumeRect.left() + 8, 288, 60, 22);
    m_volumeField->setFont(UiFont(14));
    m_volumeField->SetId(1300);
    m_volumeSpin = new NumSpin(this);
    CoupleGain(m_volumeFader, m_volumeField, m_volumeSpin);
    connect(m_volumeSpin, &NumSpin::changed, this, &CQamrelView::OnVolume);
    connect(m_volumeField, &NumEdit::edited, this, &CQamrelView::OnVolume);
    connect(m_volumeFader, &BitmapSlider::moving, this, [this] { OnVolumeFader(false); });
    connect(m_volumeFader, &BitmapSlider::moved, this, [this] { OnVolumeFader(true); });

    for (int k = 0; k < 2; ++k) {
        auto* b = new XPButton(this);
        b->setGeometry(kVolumeRect.left() + 6, 330 + k * 34, 64, 28);
        b->setFont(UiFont(13, true));
        connect(b, &QAbstractButton::clicked, this, [this, k] { OnSelector(k); });
        m_selector[std::size_t(k)] = b;
    }
}

void CQamrelView::SetUpStrips()
{
    for (int c = 0; c < kOutputChannels; ++c) {
        auto* strip = new CChannelStrip(c, this);
        strip->move(kStripX + c * kStripStep, kTopY);
        m_strips[std::size_t(c)] = strip;
        connect(strip->select, &QAbstractButton::clicked, this, [this, c] { SelectChannel(c); });
        connect(strip->on, &QAbstractButton::clicked, this, [this, c] { OnSoundOn(c); });
        connect(strip->polarity, &QAbstractButton::clicked, this, [this, c] { OnPolarity(c); });
        connect(strip->gainSpin, &NumSpin::changed, this, [this, c](int code) { OnGain(c, code); });
        connect(strip->gain, &NumEdit::edited, this, [this, c](int code) { OnGain(c, code); });
        connect(strip->fader, &BitmapSlider::moving, this, [this, c] { OnGainFader(c, false); });
        connect(strip->fader, &BitmapSlider::moved, this, [this, c] { OnGainFader(c, true); });
        connect(strip->delaySpin, &NumSpin::changed, this, [this, c](int code) { OnDelay(c, code); });
        connect(strip->delay, &NumEdit::edited, this, [this, c](int code) { OnDelay(c, code); });
    }
}

void CQamrelView::SetUpPanels()
{
    // response graph
    m_graph = new CFStatic(this);
    m_graph->setGeometry(kGraph);
    m_graph->Attach(&m_doc->Records());
    connect(m_graph, &CFStatic::FilterChanged, this, &CQamrelView::OnFilterChanged);
    connect(m_graph, &CFStatic::ImportFiltersRequested, this, &CQamrelView::OnImportFilters);
    connect(m_graph, &CFStatic::ExportFiltersRequested, this, &CQamrelView::OnExportFilters);
    connect(m_graph, &CFStatic::SaveImageRequested, this, &CQamrelView::OnSaveGraphImage);

    // the equaliser buttons under the graph
    const int buttonWidth = (kGraph.width() - 20) / 3;
    auto eqButton = [&](int k) {
        auto* b = new XPButton(this);
        const int top = kGraph.bottom() + (kGraphPanel.bottom() - kGraph.bottom() - 28) / 2;
        b->setGeometry(kGraph.left() + k * (buttonWidth + 10), top, buttonWidth, 28);
        return b;
    };
    m_bypass = eqButton(0);
    m_eqMode = eqButton(1);
    m_resetEq = eqButton(2);
    connect(m_bypass, &QAbstractButton::clicked, this, &CQamrelView::OnBypassAllEq);
    connect(m_eqMode, &QAbstractButton::clicked, this, &CQamrelView::OnEqMode);
    connect(m_resetEq, &QAbstractButton::clicked, this, &CQamrelView::OnResetAllEq);

    // crossover panels of the selected channel
    m_highPass = new CCrossoverPanel(true, this);
    m_highPass->move(kHighPassAt.topLeft());
    m_lowPass = new CCrossoverPanel(false, this);
    m_lowPass->move(kLowPassAt.topLeft());
    for (CCrossoverPanel* panel : {m_highPass, m_lowPass}) {
        const bool hp = panel->IsHighPass();
        connect(panel->freqSpin, &NumSpin::changed, this, [this, hp](int hz) { OnCrossoverFreq(hp, hz); });
        connect(panel->freq, &NumEdit::edited, this, [this, hp](int hz) { OnCrossoverFreq(hp, hz); });
        for (ComBoxBtn* list : {panel->type, panel->slope}) {
            connect(list, &ComBoxBtn::selected, this, [this, list](int, int index) { OnListChosen(list, index); });
            list->installEventFilter(this);
        }
    }

    // link toggles
    for (int p = 0; p < 3; ++p) {
        auto* b = new XPButton(this);
        b->setGeometry(kLinkPanel.left() + 8, kLinkPanel.top() + 8 + p * 34, kLinkPanel.width() - 16, 28);
        b->setFont(UiFont(13, true));
        connect(b, &QAbstractButton::clicked, this, [this, p] { OnLinkToggle(p); });
        m_linkToggles[std::size_t(p)] = b;
    }

    // the car with the speaker map, and the delay unit
    m_carMap = new CCarMap(this);
    m_carMap->move(kCarMapAt);
    for (int c = 0; c < kOutputChannels; ++c)
        connect(m_carMap->speakers[std::size_t(c)], &QAbstractButton::clicked, this, [this, c] { SelectChannel(c); });
    m_unit = new ComBoxBtn(this);
    m_unit->setGeometry(kUnitPanel.right() - 71, kUnitPanel.top() + 4, 66, 26);
    m_unit->setFont(UiFont(14));
    m_unit->SetNotifyId(5);
    for (const char* u : kUnits)
        m_unit->AddItem(ConsoleText(u));
    m_unit->SetSel(m_delayUnit);
    connect(m_unit, &ComBoxBtn::selected, this, [this](int, int index) { OnListChosen(m_unit, index); });
    m_unit->installEventFilter(this);
}

// Tab goes along the strips (select, on, polarity, fader, gain field, delay for CH1..CH6),
// then the master, the link toggles, the speaker map, the unit list and the graph, the panels
// and the buttons.
void CQamrelView::SetUpTabOrder()
{
    std::vector<QWidget*> chain;
    for (CChannelStrip* s : m_strips)
        chain.insert(chain.end(), {s->select, s->on, s->polarity, s->fader, s->gain, s->delay});
    chain.insert(chain.end(), {m_volumeFader, m_volumeField, m_selector[0], m_selector[1]});
    chain.insert(chain.end(), m_linkToggles.begin(), m_linkToggles.end());
    chain.insert(chain.end(), m_carMap->speakers.begin(), m_carMap->speakers.end());
    chain.insert(chain.end(), {m_unit, m_graph});
    for (CCrossoverPanel* panel : {m_highPass, m_lowPass})
        chain.insert(chain.end(), {panel->type, panel->freq, panel->slope});
    chain.insert(chain.end(), {m_bypass, m_eqMode, m_resetEq});
    const std::vector<QWidget*> bands = m_outputDlg->TabChain();
    chain.insert(chain.end(), bands.begin(), bands.end());
    chain.insert(chain.end(), {m_connect, m_program, m_about, m_minimise, m_close});
    for (std::size_t k = 1; k < chain.size(); ++k)
        setTabOrder(chain[k - 1], chain[k]);
}

void CQamrelView::ApplyLanguage()
{
    m_settings.language = LanguageWord(CurrentUiLanguage());
    RetranslateUi();
    update();
    SaveSettings();
}

void CQamrelView::ToggleLanguage()
{
    SetUiLanguage(CurrentUiLanguage() == UiLanguage::Chinese ? UiLanguage::English : UiLanguage::Chinese);
    ApplyLanguage();
}

void CQamrelView::RetranslateUi()
{
    if (!m_about)
        return;
    auto name = [](QWidget* w, const char* source) { w->setAccessibleName(ConsoleText(source)); };
    m_about->SetCaption(tr("About"));
    m_program->SetCaption(tr("Program"));
    name(m_connect, QT_TRANSLATE_NOOP("ovix::CQamrelView", "Connect"));
    name(m_program, QT_TRANSLATE_NOOP("ovix::CQamrelView", "Program"));
    name(m_about, QT_TRANSLATE_NOOP("ovix::CQamrelView", "About"));
    name(m_minimise, QT_TRANSLATE_NOOP("ovix::CQamrelView", "Minimise"));
    name(m_close, QT_TRANSLATE_NOOP("ovix::CQamrelView", "Close"));
    UpdateConnectText();

    name(m_volumeFader, QT_TRANSLATE_NOOP("ovix::CQamrelView", "Volume"));
    name(m_volumeField, QT_TRANSLATE_NOOP("ovix::CQamrelView", "Volume field"));
    m_selector[0]->SetCaption(tr("1-Way"));
    m_selector[1]->SetCaption(tr("2-Way"));
    name(m_selector[0], QT_TRANSLATE_NOOP("ovix::CQamrelView", "1-Way"));
    name(m_selector[1], QT_TRANSLATE_NOOP("ovix::CQamrelView", "2-Way"));
    for (int p = 0; p < 3; ++p) {
        m_linkToggles[std::size_t(p)]->SetCaption(ConsoleText(kToggleTexts[p]));
        name(m_linkToggles[std::size_t(p)], kToggleTexts[p]);
    }
    for (CChannelStrip* strip : m_strips)
        strip->Retranslate();
    m_carMap->Retranslate();
    m_highPass->Retranslate();
    m_lowPass->Retranslate();

    const int unit = m_unit->GetSel();
    m_unit->Reset();
    for (const char* u : kUnits)
        m_unit->AddItem(ConsoleText(u));
    m_unit->SetSel(unit);
    name(m_unit, QT_TRANSLATE_NOOP("ovix::CQamrelView", "Unit"));

    m_bypass->SetCaption(tr("Bypass All EQ"));
    m_bypass->SetLitCaption(tr("Restore All EQ"));
    m_eqMode->SetCaption(tr("PEQ Mode"));
    m_eqMode->SetLitCaption(tr("GEQ Mode"));
    m_resetEq->SetCaption(tr("Reset All EQ"));
    name(m_bypass, QT_TRANSLATE_NOOP("ovix::CQamrelView", "Bypass All EQ"));
    name(m_eqMode, QT_TRANSLATE_NOOP("ovix::CQamrelView", "PEQ Mode"));
    name(m_resetEq, QT_TRANSLATE_NOOP("ovix::CQamrelView", "Reset All EQ"));
    // the graph's own name, in the graph's own words
    m_graph->setAccessibleName(QCoreApplication::translate("ovix::CFStatic", "Response graph"));
    m_eqTab->setTabText(0, tr("Equaliser"));
    m_outputDlg->RefreshLanguage();
}

void CQamrelView::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LanguageChange)
        RetranslateUi();  // the painted captions follow with the repaint Qt schedules
}

void CQamrelView::SaveSettings()
{
    m_store.SaveSettings(m_settings);
}

// The Connect button names the link's state, and while the pointer is over it what a
// click does.
void CQamrelView::UpdateConnectText()
{
    if (!m_connect)
        return;
    const bool connected = m_link->IsConnected();
    if (connected)
        m_connect->SetCaption(m_connectHover ? tr("Disconnect") : tr("Connected"));
    else
        m_connect->SetCaption(m_connectHover ? tr("Connect...") : tr("Not connect"));
    m_connect->SetLit(connected);
}

QString CQamrelView::ConnectText() const
{
    return m_connect ? m_connect->CurrentText() : QString();
}

bool CQamrelView::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* list = qobject_cast<ComBoxBtn*>(watched);
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (list && (key == Qt::Key_Up || key == Qt::Key_Left || key == Qt::Key_Down || key == Qt::Key_Right)) {
            OnListKey(list, key == Qt::Key_Up || key == Qt::Key_Left ? -1 : +1);
            return true;
        }
    }
    if (watched == m_connect && (event->type() == QEvent::Enter || event->type() == QEvent::Leave)) {
        m_connectHover = event->type() == QEvent::Enter;
        UpdateConnectText();
    }
    return QWidget::eventFilter(watched, event);
}

void CQamrelView::OnConnect()
{
    m_link->ToggleConnection();
}

namespace {

// The preset manager's view of the console: the processor's programs through the program
// manager, the PC group through the console's file operations.
class ProgramHost final : public IProgramHost {
public:
    ProgramHost(CQamrelView& view, CProgramManager& programs) : m_view(view), m_programs(programs) {}
    void SetDialog(QWidget* dialog) { m_dialog = dialog; }

    QString ProgramName(int program) const override
    {
        return QString::fromLatin1(m_programs.ProgramName(program));
    }
    bool Synced() const override { return m_programs.Synced(); }
    Store StoreProgram(int program, const QString& name) override
    {
        // names are single-byte text on the processor
        const StoreOutcome outcome = m_programs.Store(program, name.toLatin1().toStdString());
        if (const auto message = MessageOf(outcome)) {
            m_view.ShowMessage(*message, MessageStyle::Modal);
            return Store::Refused;
        }
        return outcome == StoreOutcome::Stored ? Store::Stored : Store::NotConnected;
    }
    void RecallProgram(int program) override { m_programs.Recall(program); }
    bool Confirm(const QString& question) override
    {
        if (m_view.m_confirmHook)
            return m_view.m_confirmHook(question);
        QMessageBox box(QMessageBox::Question, g_strAppTitle, question, QMessageBox::Ok | QMessageBox::Cancel,
                        m_dialog ? m_dialog : &m_view);
        return box.exec() == QMessageBox::Ok;
    }
    void DeleteProgram(int program) override { m_programs.Delete(program); }
    bool LoadAllPrograms() override { return m_view.OnLoadAllPrograms(); }
    bool LoadSingleProgram() override { return m_view.OnLoadSingleProgram(); }
    bool SaveAllPrograms() override { return m_view.OnSaveAllPrograms(); }
    bool SaveSingleProgram() override { return m_view.OnSaveSingleProgram(); }

private:
    CQamrelView& m_view;
    CProgramManager& m_programs;
    QWidget* m_dialog = nullptr;
};

// The file a file operation works on, from a file dialog that starts in the folder of
// `pattern` and shows `filter`; empty when the user cancels.
QString ChooseFile(QWidget* parent, const CQamrelView& view, bool save, const QString& pattern,
                   const QString& filter, const QString& defaultSuffix = {})
{
    const QString folder = QFileInfo(QDir::fromNativeSeparators(pattern)).path();
    if (view.m_fileDialogHook)
        return view.m_fileDialogHook(save, folder, filter);
    QFileDialog dlg(parent, QString(), folder, filter);
    dlg.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dlg.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!defaultSuffix.isEmpty())
        dlg.setDefaultSuffix(defaultSuffix);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return {};
    return dlg.selectedFiles().front();
}

std::string LocalPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

} // namespace

void CQamrelView::OnProgram()
{
    CProgramManager programs(m_model, m_link->Command(), *m_link);
    ProgramHost host(*this, programs);
    CProgramDlg dlg(host, this);
    host.SetDialog(&dlg);
    // batches started from the manager disable the manager while they run
    m_programDlg = &dlg;
    if (m_programDlgHook)
        m_programDlgHook(dlg);
    else
        dlg.exec();
    m_programDlg = nullptr;
}

bool CQamrelView::OnSaveSingleProgram()
{
    const QString path = ChooseFile(m_programDlg ? static_cast<QWidget*>(m_programDlg) : this, *this, true,
                                    m_patternSingle, QStringLiteral("*.qxas"));
    if (path.isEmpty())
        return false;
    const DocResult r = m_doc->SaveSingleProgram(LocalPath(path));
    if (r.message)
        ShowMessage(*r.message, MessageStyle::Modal);
    return r.ok;
}

bool CQamrelView::OnLoadSingleProgram()
{
    const QString path = ChooseFile(m_programDlg ? static_cast<QWidget*>(m_programDlg) : this, *this, false,
                                    m_patternSingle, QStringLiteral("*.qxas"));
    if (path.isEmpty())
        return false;
    const DocResult r = m_doc->LoadSingleProgram(LocalPath(path));
    if (r.message)
        ShowMessage(*r.message, MessageStyle::Modal);
    if (!r.ok)
        return false;
    RefreshFromImage();  // with the delay fields
    return true;
}

bool CQamrelView::OnSaveAllPrograms()
{
    if (!m_link->IsConnected()) {
        m_link->ShowConnectionFailure();
        return false;
    }
    const QString path = ChooseFile(m_programDlg ? static_cast<QWidget*>(m_programDlg) : this, *this, true,
                                    m_patternAll, QStringLiteral("*.qxaa"), QStringLiteral("qxaa"));
    if (path.isEmpty())
        return false;
    return m_doc->SaveAllPrograms(LocalPath(path)).ok;
}

bool CQamrelView::OnLoadAllPrograms()
{
    const QString path = ChooseFile(m_programDlg ? static_cast<QWidget*>(m_programDlg) : this, *this, false,
                                    m_patternAll, QStringLiteral("*.qxaa"));
    if (path.isEmpty())
        return false;
    const DocResult r = m_doc->LoadAllPrograms(LocalPath(path));
    if (r.message)
        ShowMessage(*r.message, MessageStyle::Modal);
    if (!r.ok)
        return false;
    RefreshFromImage();
    ShowDelayPositions();
    return true;
}

void CQamrelView::OnAbout()
{
    CVersionDlg dlg(this, m_model.image, m_options.systemChinese, [this] { ApplyLanguage(); });
    m_flags.firmwareMode = 0;
    const bool update = m_aboutDlgHook ? (m_aboutDlgHook(dlg), dlg.result() == QDialog::Accepted)
                                       : dlg.exec() == QDialog::Accepted;
    // "Firmware Update" closes the About dialog and opens the update dialog
    if (update)
        OnFirmwareUpdate();
}

namespace {

// The update dialog's way to the link and the settings.
class FirmwareHost final : public IFirmwareHost {
public:
    FirmwareHost(CQamrelView& view, CConsoleLink& link, AppSettings& settings, std::function<void()> save)
        : m_view(view), m_link(link), m_settings(settings), m_save(std::move(save))
    {
    }
    bool StartFirmwareUpdate(const QString& path) override
    {
        m_settings.firmwareFile = path;
        return m_link.StartFirmwareUpdate(LocalPath(path));
    }
    bool AbandonFirmwareUpdate() override { return m_link.AbandonFirmwareUpdate(); }
    bool FirmwareRunning() const override { return m_link.FirmwareRunning(); }
    QString BrowseFirmware(QWidget* parent) override
    {
        const QString path = ChooseFile(parent, m_view, false, m_settings.firmwarePattern, QStringLiteral("*.bin"));
        if (path.isEmpty())
            return {};
        // the next browse starts in the folder of this file
        m_settings.firmwareFile = QDir::toNativeSeparators(path);
        m_settings.firmwarePattern =
            QDir::toNativeSeparators(QFileInfo(path).absolutePath() + QStringLiteral("/*.bin"));
        m_save();
        return m_settings.firmwareFile;
    }

private:
    CQamrelView& m_view;
    CConsoleLink& m_link;
    AppSettings& m_settings;
    std::function<void()> m_save;
};

} // namespace

void CQamrelView::OnFirmwareUpdate()
{
    FirmwareHost host(*this, *m_link, m_settings, [this] { m_store.SaveSettings(m_settings); });
    CUpgradeDlg dlg(this, host, m_settings.firmwareFile);
    m_upgradeDlg = &dlg;
    if (m_upgradeDlgHook)
        m_upgradeDlgHook(dlg);
    else
        dlg.exec();
    m_upgradeDlg = nullptr;
    // leaving the dialog ends whatever update still runs
    m_link->AbandonFirmwareUpdate();
    m_flags.firmwareMode = 0;
}

void CQamrelView::FirmwareStatus(MessageId status)
{
    if (m_upgradeDlg)
        m_upgradeDlg->SetStatus(status);
}

void CQamrelView::FirmwareProgress(int position, int maximum)
{
    if (m_upgradeDlg)
        m_upgradeDlg->SetProgress(position, maximum);
}

void CQamrelView::FirmwareEnded(bool success)
{
    if (m_upgradeDlg)
        m_upgradeDlg->UpdateEnded(success);
}

void CQamrelView::ShowMessage(const UiMessage& message, MessageStyle style)
{
    const QString shown = MessageText(message);
    m_messages << shown;
    if (m_messageHook) {
        m_messageHook(shown, style);
        return;
    }
    // shown once the handler that asked for it has finished, so no message box runs a
    // nested event loop inside the link's message handling
    QTimer::singleShot(0, this, [this, shown, style] {
        if (style == MessageStyle::SelfClosing)
            CMsgBox::ShowText(this, shown);
        else
            QMessageBox::information(this, g_strAppTitle, shown);
    });
}

void CQamrelView::SetConnectLook(ConnectLook)
{
    UpdateConnectText();
    update();
}

int CQamrelView::ChooseDevice(const std::vector<std::string>& entries)
{
    if (m_chooseDeviceHook)
        return m_chooseDeviceHook(entries);
    QMenu menu(this);
    for (std::size_t k = 0; k < entries.size(); ++k)
        menu.addAction(QString::fromStdString(entries[k]))->setData(int(k));
    QAction* chosen = menu.exec(m_connect->mapToGlobal(QPoint(0, m_connect->height())));
    return chosen ? chosen->data().toInt() : -1;
}

void CQamrelView::OpenDataLoadingWindow()
{
    if (m_display)
        m_display->Show(m_programDlg);
}

void CQamrelView::CloseDataLoadingWindow()
{
    if (m_display)
        m_display->Close();
}

void CQamrelView::After(std::chrono::milliseconds delay, std::function<void()> fn)
{
    QTimer::singleShot(int(delay.count()), this, std::move(fn));
}

void CQamrelView::LiveLoaded(int)
{
    RefreshFromImage();
    update();
}

void CQamrelView::ModelVariant(int variant)
{
    m_layoutVariant = variant;
    window()->setWindowTitle(g_strAppTitle);
}

void CQamrelView::ProgramsLoaded()
{
    const DocResult r = m_doc->WriteAllProgramsFile();
    if (r.message)
        ShowMessage(*r.message, MessageStyle::Modal);
}

// ---- what the console shows ---------------------------------------------------------

void CQamrelView::RefreshFromImage()
{
    CKTV_Data& records = m_doc->Records();
    CMusic_InData& music = records.Music();
    ShowPos(m_volumeSpin, music.Volume());
    m_volumeFader->SetValue(music.Volume());
    ShowSelector(music.Selector());
    for (int c = 0; c < kOutputChannels; ++c) {
        const CKTV_OutData& out = records.Out(c);
        CChannelStrip& strip = Strip(c);
        strip.ShowSoundOn(out.SoundOn() != 0);
        RefreshChannelLevel(c);
    }
    ShowDelayPositions();
    // links made on the console last until the next read, load or recall
    m_edits->ResetLinks();
    RefreshLinkToggles();
    LightSelection();
    RefreshSelectedChannel();
    m_graph->Redraw(-1);
}

void CQamrelView::RefreshSelectedChannel()
{
    if (m_selected < 0)
        return;
    CKTV_OutData& out = m_doc->Records().Out(m_selected);
    for (CCrossoverPanel* panel : {m_highPass, m_lowPass}) {
        const CFilter& f = panel->IsHighPass() ? out.HighPass() : out.LowPass();
        panel->type->SetSel(f.Family());
        panel->slope->SetSel(f.Slope());
        ShowPos(panel->freqSpin, f.Freq());
    }
    out.UpdateAllBypass();
    m_bypass->SetLit(out.AllBypass() != 0);
    m_eqMode->SetLit(out.GeqMode() != 0);
    m_outputDlg->LoadChannel();
}

void CQamrelView::SelectChannel(int channel)
{
    if (channel < 0 || channel >= kOutputChannels || channel == m_selected)
        return;
    if (m_layoutVariant != 1 && m_layoutVariant != 2)
        return;
    m_selected = channel;
    g_nCurChannel = channel;
    for (int c = 0; c < kOutputChannels; ++c)
        m_carMap->speakers[std::size_t(c)]->SetLit(c == channel);
    LightSelection();
    m_graph->SelectChannel(channel);
    RefreshSelectedChannel();  // with the equaliser editor
}

void CQamrelView::LightSelection()
{
    for (int c = 0; c < kOutputChannels; ++c) {
        const bool partner = Partner(c) == m_selected && m_edits->IsPairLinked(c / 2);
        Strip(c).select->SetLit(c == m_selected || partner);
    }
}

void CQamrelView::RefreshChannelLevel(int channel)
{
    const CKTV_OutData& out = m_doc->Records().Out(channel);
    Strip(channel).ShowPolarity(out.Polarity() != 0);
    Strip(channel).ShowGain(out.GainOff() ? 0 : out.Gain());
}

void CQamrelView::RefreshGroupGains(int channel)
{
    for (int member : m_edits->GroupMembers(channel)) {
        const CKTV_OutData& out = m_doc->Records().Out(member);
        Strip(member).ShowGain(out.GainOff() ? 0 : out.Gain());
    }
}

void CQamrelView::ShowDelayPositions()
{
    std::array<int, kOutputChannels> delays{};
    {
        ModelLock lock(m_model.lock);
        for (int c = 0; c < kOutputChannels; ++c)
            delays[std::size_t(c)] = m_model.image.current.outputs[c].Delay();
    }
    for (int c = 0; c < kOutputChannels; ++c)
        ShowPos(Strip(c).delaySpin, delays[std::size_t(c)]);
}

void CQamrelView::ShowSelector(int selector)
{
    m_selector[0]->SetLit(selector == 0);
    m_selector[1]->SetLit(selector == 1);
}

void CQamrelView::RefreshLinkToggles()
{
    for (int p = 0; p < 3; ++p)
        m_linkToggles[std::size_t(p)]->SetLit(m_link->LinkToggle(static_cast<LinkPair>(p)));
}

XPButton& CQamrelView::SpeakerButton(int channel) { return *m_carMap->speakers[std::size_t(channel)]; }

// ---- editing commands ------------------------------------------------------------------

void CQamrelView::OnSoundOn(int channel)
{
    m_edits->ToggleSoundOn(channel);
    Strip(channel).ShowSoundOn(m_doc->Records().Out(channel).SoundOn() != 0);
}

void CQamrelView::OnPolarity(int channel)
{
    m_edits->TogglePolarity(channel);
    Strip(channel).ShowPolarity(m_doc->Records().Out(channel).Polarity() != 0);
}

void CQamrelView::OnGain(int channel, int code)
{
    m_edits->SetGain(channel, code);
    Strip(channel).ShowGain(code);
    // the linked channels took the level group: their strips follow at once
    RefreshGroupGains(channel);
}

void CQamrelView::OnGainFader(int channel, bool release)
{
    CChannelStrip& strip = Strip(channel);
    OnGain(channel, strip.fader->Value());
    if (release)
        strip.gain->setFocus(Qt::OtherFocusReason);
}

void CQamrelView::OnDelay(int channel, int code)
{
    m_edits->SetDelay(channel, code);
}

void CQamrelView::OnVolume(int code)
{
    m_edits->SetVolume(code);
    ShowPos(m_volumeSpin, code);
    m_volumeFader->SetValue(code);
}

void CQamrelView::OnVolumeFader(bool release)
{
    OnVolume(m_volumeFader->Value());
    if (release)
        m_volumeField->setFocus(Qt::OtherFocusReason);
}

void CQamrelView::OnSelector(int selector)
{
    if (m_selector[std::size_t(selector)]->IsLit())
        return;  // the state it already has
    m_edits->SetSelector(selector);
    ShowSelector(selector);
}

void CQamrelView::OnCrossoverType(bool highPass, int family)
{
    if (m_selected < 0)
        return;
    if (highPass)
        m_edits->SetHighPassFamily(m_selected, family);
    else
        m_edits->SetLowPassFamily(m_selected, family);
    m_graph->Redraw(highPass ? CFStatic::kHighPassHandle : CFStatic::kLowPassHandle);
}

void CQamrelView::OnCrossoverSlope(bool highPass, int slope)
{
    if (m_selected < 0)
        return;
    if (highPass)
        m_edits->SetHighPassSlope(m_selected, slope);
    else
        m_edits->SetLowPassSlope(m_selected, slope);
    m_graph->Redraw(highPass ? CFStatic::kHighPassHandle : CFStatic::kLowPassHandle);
}

void CQamrelView::OnCrossoverFreq(bool highPass, int hz)
{
    if (m_selected < 0)
        return;
    // the other filter's frequency bounds this one; the field shows what was set
    const int set = highPass ? m_edits->SetHighPassFreq(m_selected, hz) : m_edits->SetLowPassFreq(m_selected, hz);
    ShowPos(CrossoverPanel(highPass).freqSpin, set);
    m_graph->Redraw(highPass ? CFStatic::kHighPassHandle : CFStatic::kLowPassHandle);
}

void CQamrelView::OnFilterChanged(int lastFilter, int)
{
    if (m_selected < 0)
        return;
    if (lastFilter == CFStatic::kHighPassHandle || lastFilter == CFStatic::kLowPassHandle) {
        const bool highPass = lastFilter == CFStatic::kHighPassHandle;
        CKTV_OutData& out = m_doc->Records().Out(m_selected);
        ShowPos(CrossoverPanel(highPass).freqSpin, highPass ? out.HighPass().Freq() : out.LowPass().Freq());
        m_edits->CrossoverDragged(m_selected, lastFilter);
    } else if (lastFilter >= 0 && lastFilter < kOutputBands) {
        m_outputDlg->OnGraphPointMoved(lastFilter);
    }
    m_graph->Redraw(-1);
}

bool CQamrelView::Confirm(const QString& question)
{
    if (m_confirmHook)
        return m_confirmHook(question);
    QMessageBox box(QMessageBox::Question, g_strAppTitle, question, QMessageBox::Ok | QMessageBox::Cancel, this);
    return box.exec() == QMessageBox::Ok;
}

void CQamrelView::OnResetAllEq()
{
    if (m_selected < 0 || !Confirm(tr("Whether the reset all EQ?")))
        return;
    m_edits->ResetAllEq(m_selected);
    if (!m_bypass->IsLit())
        m_bypass->SetLit(true);
    m_outputDlg->LoadChannel();
    m_graph->Redraw(-1);
}

void CQamrelView::ShowText(const QString& text, bool warning)
{
    m_messages << text;
    if (m_messageHook) {
        m_messageHook(text, MessageStyle::Modal);
        return;
    }
    if (warning)
        QMessageBox::warning(this, g_strAppTitle, text);
    else
        QMessageBox::information(this, g_strAppTitle, text);
}

QString CQamrelView::ChooseGraphFile(bool save, const char* folderValue, const QString& filter,
                                     const QString& suffix)
{
    QString folder = m_store.LoadFolder(folderValue);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::homePath();
    const QString path = ChooseFile(this, *this, save, folder + QStringLiteral("/*.") + suffix, filter, suffix);
    if (!path.isEmpty())
        m_store.SaveFolder(folderValue, QFileInfo(path).absolutePath());
    return path;
}

bool CQamrelView::OnImportFilters()
{
    const int channel = m_selected;
    if (channel < 0)
        return false;
    const QString path = ChooseGraphFile(false, kFilterFolderValue,
                                         tr("Filter text (*.txt)") + QStringLiteral(";;") + tr("All files (*)"),
                                         QStringLiteral("txt"));
    if (path.isEmpty())
        return false;
    // a FIFO or a device named like a text file is refused before it is opened; a filter
    // text is small, anything past 1 MiB is no filter text
    constexpr std::size_t kMaxFilterText = 1u << 20;
    std::vector<std::uint8_t> bytes;
    int error = 0;
    if (!ReadRegularFile(LocalPath(path), kMaxFilterText + 1, bytes, error) || bytes.size() > kMaxFilterText) {
        ShowText(MessageText({kMsgFilterFileReadError, {QDir::toNativeSeparators(path).toStdString()}}), true);
        return false;
    }
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    auto errorText = [](const std::vector<FilterTextError>& errors) {
        QString shown = tr("Nothing was imported:");
        for (const FilterTextError& e : errors)
            shown += QStringLiteral("\n") + MessageText(e.message);
        return shown;
    };
    // a text that cannot be used (an unusable line, more filters than bands) changes
    // nothing, not even the EQ mode
    const FilterImportResult checked = CFilterExchange::Check(text);
    if (!checked.ok) {
        ShowText(errorText(checked.errors), true);
        return false;
    }
    if (m_exchange->InGraphicEqMode(channel)) {
        if (!Confirm(MessageText(kMsgFilterImportAskPeq)))
            return false;
        m_exchange->SwitchToParametric(channel);
    }
    const FilterImportResult result = m_exchange->Import(channel, text);
    // the console shows what the records hold now, as after "Reset All EQ"
    for (int c = 0; c < kOutputChannels; ++c)
        RefreshChannelLevel(c);
    RefreshSelectedChannel();
    m_graph->Redraw(-1);
    if (!result.ok) {
        std::vector<FilterTextError> errors = result.errors;
        if (errors.empty() && result.error)
            errors.push_back({result.errorLine, *result.error});
        ShowText(errorText(errors), true);
        return false;
    }
    if (!result.clamped.empty()) {
        QString shown = tr("The filters were imported. Values the processor cannot hold were limited:");
        for (const ClampedValue& c : result.clamped)
            shown += QStringLiteral("\n") + MessageText(MessageOf(c));
        ShowText(shown, false);
    }
    return true;
}

bool CQamrelView::OnExportFilters()
{
    const int channel = m_selected;
    if (channel < 0)
        return false;
    const QString path = ChooseGraphFile(true, kFilterFolderValue,
                                         tr("Filter text (*.txt)") + QStringLiteral(";;") + tr("All files (*)"),
                                         QStringLiteral("txt"));
    if (path.isEmpty())
        return false;
    const std::string text = m_exchange->Export(channel);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.data(), qint64(text.size())) != qint64(text.size()) ||
        !file.commit()) {
        ShowText(MessageText({kMsgFilterFileWriteError, {QDir::toNativeSeparators(path).toStdString()}}), true);
        return false;
    }
    return true;
}

bool CQamrelView::OnSaveGraphImage()
{
    const QString path =
        ChooseGraphFile(true, kImageFolderValue, tr("PNG image (*.png)"), QStringLiteral("png"));
    if (path.isEmpty())
        return false;
    if (!m_graph->grab().save(path, "PNG")) {
        ShowText(tr("The image %1 cannot be written").arg(QDir::toNativeSeparators(path)), true);
        return false;
    }
    return true;
}

void CQamrelView::OnBypassAllEq()
{
    // the editor bypasses or restores the selected channel and lights this button
    m_outputDlg->OnBypassAll();
}

void CQamrelView::OnEqMode()
{
    // the editor asks, switches the selected channel's mode and lights this button
    m_outputDlg->OnEqModeConvert();
}

void CQamrelView::OnLinkToggle(int pair)
{
    if (pair < 0 || pair > 2)
        return;
    if (m_link->LinkToggle(static_cast<LinkPair>(pair))) {
        // unlinking sends nothing
        m_edits->UnlinkPair(pair);
    } else {
        int choice = -1;
        if (m_linkChoiceHook) {
            choice = m_linkChoiceHook(pair);
        } else {
            CCH_Link_Dlg dlg(pair, this);
            if (dlg.exec() == QDialog::Accepted)
                choice = dlg.Choice();
        }
        if (choice != 0 && choice != 1) {
            RefreshLinkToggles();  // Cancel leaves the pair unlinked
            return;
        }
        const int dst = m_edits->LinkPair(pair, choice);
        if (dst >= 0) {
            // the crossover panels and the equaliser editor show the destination's new settings
            if (dst == m_selected)
                RefreshSelectedChannel();
            RefreshChannelLevel(dst);
            m_graph->Redraw(-1);
        }
    }
    RefreshLinkToggles();
    LightSelection();
}

void CQamrelView::OnDelayUnit(int unit)
{
    if (unit < 0 || unit > 2)
        return;
    m_delayUnit = unit;
    for (CChannelStrip* strip : m_strips)
        strip->SetDelayKind(unit);
}

void CQamrelView::OnListKey(ComBoxBtn* list, int step)
{
    if (list->Count() == 0)
        return;
    const int index = std::clamp(list->GetSel() + step, 0, list->Count() - 1);
    if (index == list->GetSel())
        return;
    list->SetSel(index);
    OnListChosen(list, index);
}

void CQamrelView::OnListChosen(ComBoxBtn* list, int index)
{
    if (list == m_unit)
        OnDelayUnit(index);
    else if (list == m_highPass->type || list == m_lowPass->type)
        OnCrossoverType(list == m_highPass->type, index);
    else if (list == m_highPass->slope || list == m_lowPass->slope)
        OnCrossoverSlope(list == m_highPass->slope, index);
}

void CQamrelView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    Skin::PaintConsoleBackground(p, rect());

    // title strip: the product name and the processor's version when connected
    p.setPen(Skin::Accent());
    p.setFont(UiFont(22, true));
    p.drawText(QRect(16, 0, 120, kTitleHeight), Qt::AlignVCenter | Qt::AlignLeft, g_strAppTitle);
    if (m_link->IsConnected()) {
        p.setPen(Skin::TextDim());
        p.setFont(UiFont(13));
        const QString version = QString::fromStdString(DecodeTextField({m_model.image.version, 11}));
        p.drawText(QRect(140, 0, 400, kTitleHeight), Qt::AlignVCenter | Qt::AlignLeft, version);
    }

    Skin::PaintPanel(p, kVolumeRect, tr("Volume"));
    if (m_volumeField)
        Skin::PaintFieldWell(p, QRectF(m_volumeField->geometry()).adjusted(-1, -1, 1, 1));
    Skin::PaintPanel(p, kGraphPanel, QString());
    Skin::PaintPanel(p, kLinkPanel, QString());
    Skin::PaintPanel(p, kUnitPanel, QString());
    p.setFont(UiFont(13, true));
    p.setPen(Skin::TextDim());
    p.drawText(QRect(kUnitPanel.left() + 10, kUnitPanel.top(), 44, kUnitPanel.height()),
               Qt::AlignLeft | Qt::AlignVCenter, tr("Unit"));

    Skin::PaintPanel(p, kEqCaptions, QString());
    p.setFont(UiFont(13));
    p.setPen(Skin::Text());
    for (const Caption& c : kEqRows)
        p.drawText(QRect(kEqCaptions.left() + 4, c.centreY - 10, kEqCaptions.width() - 8, 20), Qt::AlignCenter,
                   c.translated ? tr(c.text) : QString::fromLatin1(c.text));
}

void CQamrelView::mousePressEvent(QMouseEvent* event)
{
    // a press on the console's background drags the whole window
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        m_dragging = true;
        m_dragPoint = event->position().toPoint() + pos();
        grabMouse();
    }
}

void CQamrelView::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragging)
        window()->move(event->globalPosition().toPoint() - m_dragPoint);
}

void CQamrelView::mouseReleaseEvent(QMouseEvent*)
{
    if (m_dragging) {
        m_dragging = false;
        releaseMouse();
    }
}

} // namespace ovix
