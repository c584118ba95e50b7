#include "app/QamrelView.h"

#include "controls/CMsgBox.h"
#include "controls/Skin.h"
#include "controls/UiGlobals.h"
#include "controls/UiLanguage.h"
#include "controls/XPButton.h"
#include "dialogs/DisplayDlg.h"
#include "dialogs/VersionDlg.h"
#include "tables/TextField.h"

#include <QDir>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

namespace ovix {

namespace {

// The console's regions on its 1278 x 718 background, with their captions (English source
// texts, translated when painted).
struct Region {
    QRect rect;
    const char* caption;
};

constexpr int kTitleHeight = 44;

const Region kRegions[] = {
    {{8, 52, 92, 350}, QT_TRANSLATE_NOOP("ovix::CQamrelView", "Volume")},
    {{480, 52, 530, 350}, ""},  // response graph
    {{1016, 52, 120, 174}, QT_TRANSLATE_NOOP("ovix::CQamrelView", "High-pass filter")},
    {{1016, 230, 120, 172}, QT_TRANSLATE_NOOP("ovix::CQamrelView", "Low-pass filter")},
    {{1142, 52, 128, 112}, ""},   // link toggles
    {{1142, 170, 128, 190}, ""},  // car picture with the speaker map
    {{1142, 366, 128, 36}, QT_TRANSLATE_NOOP("ovix::CQamrelView", "Unit")},
    {{8, 410, 1262, 300}, ""},  // equaliser editor
};

const char* const kStripEn[kOutputChannels] = {"CH1", "CH2", "CH3", "CH4", "CH5", "CH6"};
// where each channel plays, under the strip's caption
const char* const kPlace[kOutputChannels] = {
    QT_TRANSLATE_NOOP("ovix::CQamrelView", "Front L"), QT_TRANSLATE_NOOP("ovix::CQamrelView", "Front R"),
    QT_TRANSLATE_NOOP("ovix::CQamrelView", "Rear L"),  QT_TRANSLATE_NOOP("ovix::CQamrelView", "Rear R"),
    QT_TRANSLATE_NOOP("ovix::CQamrelView", "Sub L"),   QT_TRANSLATE_NOOP("ovix::CQamrelView", "Sub R"),
};

QRect StripRect(int channel) { return {106 + channel * 62, 52, 58, 350}; }

struct Caption {
    QPoint at;
    const char* text;
    bool translated;  // false: the same in every language
};

// Captions inside the regions.
const Caption kCaptions[] = {
    {{1150, 70}, QT_TRANSLATE_NOOP("ovix::CQamrelView", "Group&Front"), true},
    {{1150, 104}, QT_TRANSLATE_NOOP("ovix::CQamrelView", "Group&Rear"), true},
    {{1150, 138}, QT_TRANSLATE_NOOP("ovix::CQamrelView", "Group&Sub"), true},
    {{1024, 100}, QT_TRANSLATE_NOOP("ovix::CQamrelView", "Type"), true},
    {{1024, 140}, QT_TRANSLATE_NOOP("ovix::CQamrelView", "Freq"), true},
    {{1024, 180}, QT_TRANSLATE_NOOP("ovix::CQamrelView", "Oct"), true},
    {{1024, 278}, QT_TRANSLATE_NOOP("ovix::CQamrelView", "Type"), true},
    {{1024, 318}, QT_TRANSLATE_NOOP("ovix::CQamrelView", "Freq"), true},
    {{1024, 358}, QT_TRANSLATE_NOOP("ovix::CQamrelView", "Oct"), true},
    {{16, 440}, QT_TRANSLATE_NOOP("ovix::CQamrelView", "ID"), true},
    {{16, 480}, QT_TRANSLATE_NOOP("ovix::CQamrelView", "Work"), true},
    {{16, 600}, QT_TRANSLATE_NOOP("ovix::CQamrelView", "Freq"), true},
    {{16, 640}, "Q", false},
    {{16, 680}, "dB", false},
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
    m_link->WatchDevices();

    m_display = new CDisplayDlg(this, m_flags);
    m_display->Close();

    m_store.LoadSettings(m_settings);
    // the first connection attempt runs once the window is on screen
    m_queue.Post(WM_LINK_AUTOCONNECT, 0, 0);
}

void CQamrelView::SetUpControls()
{
    m_connect = new XPButton(this);
    m_connect->setGeometry(880, 6, 130, 32);
    m_connect->installEventFilter(this);
    connect(m_connect, &QAbstractButton::clicked, this, &CQamrelView::OnConnect);

    m_about = new XPButton(this);
    m_about->setGeometry(1016, 6, 100, 32);
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
    SetConnectLook(ConnectLook::Disconnected);
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
    if (m_about)
        m_about->SetCaption(tr("About"));
    UpdateConnectText();
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

void CQamrelView::OnAbout()
{
    CVersionDlg dlg(this, m_model.image, m_options.systemChinese, [this] { ApplyLanguage(); });
    m_flags.firmwareMode = 0;
    // The firmware update itself is not available yet: "Firmware Update" closes the
    // dialog like "Quit".
    dlg.exec();
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
        m_display->Show();
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
    update();
}

void CQamrelView::ModelVariant(int variant)
{
    if (variant == 1 || variant == 2)
        window()->setWindowTitle(g_strAppTitle);
}

void CQamrelView::ProgramsLoaded()
{
    const DocResult r = m_doc->WriteAllProgramsFile();
    if (r.message)
        ShowMessage(*r.message, MessageStyle::Modal);
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

    for (const Region& r : kRegions)
        Skin::PaintPanel(p, r.rect, *r.caption ? tr(r.caption) : QString());
    for (int c = 0; c < kOutputChannels; ++c) {
        const QRect strip = StripRect(c);
        Skin::PaintPanel(p, strip, QString::fromLatin1(kStripEn[c]));
        p.setPen(Skin::TextDim());
        p.setFont(UiFont(12));
        p.drawText(QRect(strip.left(), strip.top() + 28, strip.width(), 18), Qt::AlignCenter, tr(kPlace[c]));
    }
    p.setFont(UiFont(13));
    p.setPen(Skin::Text());
    for (const Caption& c : kCaptions)
        p.drawText(c.at, c.translated ? tr(c.text) : QString::fromLatin1(c.text));
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
