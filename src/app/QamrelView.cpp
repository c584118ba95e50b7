#include "app/QamrelView.h"

#include "controls/CMsgBox.h"
#include "controls/Skin.h"
#include "controls/UiGlobals.h"
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

// The console's regions on its 1278 x 718 background.
struct Region {
    QRect rect;
    const char* en;
    const char* zh;
};

constexpr int kTitleHeight = 44;

const Region kRegions[] = {
    {{8, 52, 92, 350}, "Volume", "音量"},
    {{480, 52, 530, 350}, "", ""},  // response graph
    {{1016, 52, 120, 174}, "High-pass filter", "高通滤波器"},
    {{1016, 230, 120, 172}, "Low-pass filter", "低通滤波器"},
    {{1142, 52, 128, 112}, "", ""},  // link toggles
    {{1142, 170, 128, 190}, "", ""},  // car picture with the speaker map
    {{1142, 366, 128, 36}, "Unit", "单位"},
    {{8, 410, 1262, 300}, "", ""},  // equaliser editor
};

const char* const kStripEn[kOutputChannels] = {"CH1", "CH2", "CH3", "CH4", "CH5", "CH6"};
// where each channel plays, under the strip's caption
const char* const kPlaceEn[kOutputChannels] = {"Front L", "Front R", "Rear L", "Rear R", "Sub L", "Sub R"};
const char* const kPlaceZh[kOutputChannels] = {"前左", "前右", "后左", "后右", "低音左", "低音右"};

QRect StripRect(int channel) { return {106 + channel * 62, 52, 58, 350}; }

struct Caption {
    QPoint at;
    const char* en;
    const char* zh;
};

// Captions inside the regions.
const Caption kCaptions[] = {
    {{1150, 70}, "Group&Front", "组合&前置"},
    {{1150, 104}, "Group&Rear", "组合&后置"},
    {{1150, 138}, "Group&Sub", "组合&低音"},
    {{1024, 100}, "Type", "类型"},
    {{1024, 140}, "Freq", "频率"},
    {{1024, 180}, "Oct", "斜率"},
    {{1024, 278}, "Type", "类型"},
    {{1024, 318}, "Freq", "频率"},
    {{1024, 358}, "Oct", "斜率"},
    {{16, 440}, "ID", "序号"},
    {{16, 480}, "Work", "工作"},
    {{16, 600}, "Freq", "频率"},
    {{16, 640}, "Q", "Q"},
    {{16, 680}, "dB", "dB"},
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
    if (m_settings.language.isEmpty()) {
        m_settings.language = m_options.systemChinese ? QStringLiteral("Chinese") : QStringLiteral("English");
        g_bChineseUi = m_options.systemChinese;
        m_store.SaveSettings(m_settings);
    } else {
        g_bChineseUi = m_settings.language == QStringLiteral("Chinese");
    }

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
    m_about->SetTexts(QStringLiteral("About"), QStringLiteral("关于"));
    connect(m_about, &QAbstractButton::clicked, this, &CQamrelView::OnAbout);

    m_minimise = new XPButton(this);
    m_minimise->setGeometry(1180, 6, 40, 32);
    m_minimise->SetTexts(QStringLiteral("–"), QStringLiteral("–"));
    connect(m_minimise, &QAbstractButton::clicked, this, &CQamrelView::minimiseRequested);

    m_close = new XPButton(this);
    m_close->setGeometry(1226, 6, 40, 32);
    m_close->SetTexts(QStringLiteral("×"), QStringLiteral("×"));
    connect(m_close, &QAbstractButton::clicked, this, [this] {
        StopLink();  // the worker goes before the window does
        emit closeRequested();
    });
    SetConnectLook(ConnectLook::Disconnected);
}

void CQamrelView::ApplyLanguage()
{
    g_strLanguage = g_bChineseUi ? QStringLiteral("Chinese") : QStringLiteral("English");
    m_settings.language = g_strLanguage;
    for (XPButton* b : {m_connect, m_about, m_minimise, m_close})
        if (b)
            b->ApplyLanguage();
    UpdateConnectText();
    update();
    SaveSettings();
}

void CQamrelView::ToggleLanguage()
{
    g_bChineseUi = !g_bChineseUi;
    ApplyLanguage();
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
        m_connect->SetTexts(m_connectHover ? QStringLiteral("Disconnect") : QStringLiteral("Connected"),
                            m_connectHover ? QStringLiteral("断开") : QStringLiteral("已连接"));
    else
        m_connect->SetTexts(m_connectHover ? QStringLiteral("Connect...") : QStringLiteral("Not connect"),
                            m_connectHover ? QStringLiteral("连接...") : QStringLiteral("未连接"));
    m_connect->SetLit(connected);
    m_connect->ApplyLanguage();
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

void CQamrelView::ShowMessage(const UiText& text, MessageStyle style)
{
    const QString shown = QString::fromStdString(text.Get(g_bChineseUi));
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
        ShowMessage(UiText(*r.message), MessageStyle::Modal);
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
        Skin::PaintPanel(p, r.rect, Tr(r.en, r.zh));
    for (int c = 0; c < kOutputChannels; ++c) {
        const QRect strip = StripRect(c);
        Skin::PaintPanel(p, strip, QString::fromLatin1(kStripEn[c]));
        p.setPen(Skin::TextDim());
        p.setFont(UiFont(12));
        p.drawText(QRect(strip.left(), strip.top() + 28, strip.width(), 18), Qt::AlignCenter, Tr(kPlaceEn[c], kPlaceZh[c]));
    }
    p.setFont(UiFont(13));
    p.setPen(Skin::Text());
    for (const Caption& c : kCaptions)
        p.drawText(c.at, Tr(c.en, c.zh));
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
