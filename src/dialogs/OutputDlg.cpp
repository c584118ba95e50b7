#include "dialogs/OutputDlg.h"

#include "controls/BitmapSlider.h"
#include "controls/NumEdit.h"
#include "controls/NumSpin.h"
#include "controls/Skin.h"
#include "controls/UiGlobals.h"
#include "controls/UiLanguage.h"
#include "controls/XPButton.h"
#include "model/KTV_Data.h"
#include "tables/Scales.h"

#include <QEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPainter>

#include <algorithm>

namespace ovix {

namespace {

// Rows of a strip, from the top of the panel; the console's captions ("ID", "Work",
// "Freq", "Q", "dB") stand beside them.
constexpr int kLeft = 9;
constexpr int kNumberTop = 10;
constexpr int kBypassTop = 40;
constexpr int kSliderTop = 66;
constexpr int kSliderHeight = 120;
constexpr int kFreqTop = 188;
constexpr int kQTop = 216;
constexpr int kGainTop = 244;
constexpr int kFieldHeight = 20;
constexpr int kPanelHeight = 268;
constexpr int kLowestHz = 20;
constexpr int kHighestHz = 20000;

constexpr QColor kNumber(255, 255, 255);
constexpr QColor kNumberHighlighted(255, 0, 0);

void ShowPos(NumSpin* spin, int value)
{
    spin->SetPos(std::clamp(value, spin->Min(), spin->Max()));
}

bool IsEnter(int key) { return key == Qt::Key_Return || key == Qt::Key_Enter; }

} // namespace

COutputDlg::COutputDlg(CKTV_Data& records, IOutputEditHost& host, XPButton* bypassAll, XPButton* eqMode,
                       QWidget* parent)
    : QWidget(parent), m_records(records), m_host(host), m_bypassAll(bypassAll), m_eqMode(eqMode)
{
    // a click on the panel's background, Enter or Esc take the focus off the strips
    setFocusPolicy(Qt::ClickFocus);
    for (int k = 0; k < kBands; ++k)
        BuildStrip(k);
    const std::vector<QWidget*> chain = TabChain();
    for (std::size_t i = 1; i < chain.size(); ++i)
        setTabOrder(chain[i - 1], chain[i]);
    RefreshLanguage();
}

std::vector<QWidget*> COutputDlg::TabChain() const
{
    std::vector<QWidget*> chain;
    for (const BandStrip& s : m_strips)
        chain.insert(chain.end(), {s.slider, s.bypass, s.freq, s.q, s.gain});
    return chain;
}

QSize COutputDlg::sizeHint() const { return {2 * kLeft + kBands * kStripWidth, kPanelHeight}; }

void COutputDlg::BuildStrip(int k)
{
    BandStrip& s = m_strips[std::size_t(k)];
    const int x = kLeft + k * kStripWidth;
    const int w = kStripWidth - 2;
    auto field = [&](int top, int id) {
        auto* f = new NumEdit(this);
        f->setGeometry(x + 1, top, w, kFieldHeight);
        f->setFont(UiFont(10));
        f->SetId(id);
        f->installEventFilter(this);
        return f;
    };

    s.bypass = new XPButton(this);
    s.bypass->setGeometry(x + 4, kBypassTop, w - 6, 22);
    s.bypass->setFont(UiFont(11, true));
    s.bypass->SetCaption(QStringLiteral("BY"));
    connect(s.bypass, &QAbstractButton::clicked, this, [this, k] { OnBypass(k); });

    s.slider = new BitmapSlider(Qt::Vertical, this);
    s.slider->setGeometry(x + 1, kSliderTop, w, kSliderHeight);
    s.slider->SetRange(0, kMaxBandGainCode);
    s.slider->SetPageSize(10);
    s.slider->installEventFilter(this);
    connect(s.slider, &BitmapSlider::moving, this, [this, k] { OnSlider(k); });
    connect(s.slider, &BitmapSlider::moved, this, [this, k] { OnSlider(k); });

    s.freq = field(kFreqTop, 2000 + k);
    s.freq->SetKind(kKindFrequency);
    QFont narrow = UiFont(9);  // "20000Hz" fits the strip
    narrow.setLetterSpacing(QFont::PercentageSpacing, 90);
    s.freq->setFont(narrow);
    s.freq->setGeometry(x, kFreqTop, kStripWidth, kFieldHeight);
    s.freqSpin = new NumSpin(this);
    s.freqSpin->SetBuddy(s.freq);
    s.freqSpin->SetRange(kLowestHz, kHighestHz);
    s.freqSpin->hide();  // the field's Up and Down keys step it along the grid

    s.q = field(kQTop, 2100 + k);
    s.q->SetKind(kKindQ);
    s.qSpin = new NumSpin(this);
    s.qSpin->SetBuddy(s.q);
    s.qSpin->SetRange(0, kMaxBandwidthIndex);
    s.qSpin->hide();

    s.gain = field(kGainTop, 2200 + k);
    s.gain->SetKind(kKindLinear);
    s.gain->SetScaleOffset(0.1, 20.0);
    s.gainSpin = new NumSpin(this);
    s.gainSpin->SetBuddy(s.gain);
    s.gainSpin->SetRange(0, kMaxBandGainCode);
    s.gainSpin->hide();
    s.slider->SetLinkedField(s.gain);
    s.gain->SetLinkedWindow(s.slider);

    connect(s.freq, &NumEdit::edited, this, [this, k] { OnFreq(k); });
    connect(s.freq, &NumEdit::clicked, this, [this, k] { OnFreq(k); });
    connect(s.freqSpin, &NumSpin::changed, this, [this, k] { OnFreq(k); });
    connect(s.q, &NumEdit::edited, this, [this, k] { OnQ(k); });
    connect(s.q, &NumEdit::clicked, this, [this, k] { OnQ(k); });
    connect(s.qSpin, &NumSpin::changed, this, [this, k] { OnQ(k); });
    connect(s.gain, &NumEdit::edited, this, [this, k] { OnGain(k); });
    connect(s.gain, &NumEdit::clicked, this, [this, k] { OnGain(k); });
    connect(s.gainSpin, &NumSpin::changed, this, [this, k] { OnGain(k); });
}

int COutputDlg::Channel() const { return std::clamp(g_nCurChannel, 0, kOutputChannels - 1); }

void COutputDlg::RefreshLanguage()
{
    for (int k = 0; k < kBands; ++k) {
        BandStrip& s = m_strips[std::size_t(k)];
        const int n = k + 1;
        s.slider->setAccessibleName(tr("Band %1 gain").arg(n));
        s.gain->setAccessibleName(tr("Band %1 gain field").arg(n));
        s.freq->setAccessibleName(tr("Band %1 frequency").arg(n));
        s.q->setAccessibleName(tr("Band %1 Q").arg(n));
        s.bypass->setAccessibleName(tr("Band %1 bypass").arg(n));
        s.bypass->SetCaption(QStringLiteral("BY"));
    }
    update();
}

void COutputDlg::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LanguageChange)
        RefreshLanguage();
}

// ---- showing the channel -----------------------------------------------------------------

void COutputDlg::LoadChannel()
{
    const int ch = Channel();
    CKTV_OutData& out = Records().Out(ch);
    m_geqMode = out.GeqMode() ? 1 : 0;
    if (m_eqMode)
        m_eqMode->SetLit(m_geqMode != 0);
    LockFields(m_geqMode != 0);
    for (int k = 0; k < kBands; ++k) {
        BandStrip& s = m_strips[std::size_t(k)];
        const CFilter& band = out.Band(k);
        ShowPos(s.freqSpin, band.Freq());
        ShowPos(s.qSpin, band.BandwidthIndex());
        ShowGainCode(k, band.EffectivelyBypassed() ? kBypassGainCode : band.GainCode());
        ShowBypassState(k);
    }
    ClearHighlight();
}

void COutputDlg::ShowGainCode(int band, int code)
{
    BandStrip& s = m_strips[std::size_t(band)];
    ShowPos(s.gainSpin, code);
    s.slider->SetValue(code);
}

void COutputDlg::ShowBypassState(int band)
{
    BandStrip& s = m_strips[std::size_t(band)];
    if (Records().Out(Channel()).Band(band).EffectivelyBypassed()) {
        // the stored gain stays; the strip shows what the processor plays: 0 dB
        s.bypass->SetLit(true);
        ShowGainCode(band, kBypassGainCode);
    } else {
        s.bypass->SetLit(false);
    }
}

void COutputDlg::UpdateAllBypassIndicator()
{
    const bool all = m_host.AllBandsBypassed(Channel());
    if (m_bypassAll)
        m_bypassAll->SetLit(all);
}

void COutputDlg::LockFields(bool locked)
{
    for (BandStrip& s : m_strips) {
        for (NumEdit* f : {s.freq, s.q}) {
            f->SetNoFocus(locked);
            f->setReadOnly(locked);
        }
        s.freqSpin->setEnabled(!locked);
        s.qSpin->setEnabled(!locked);
    }
}

void COutputDlg::Highlight(int band, NumEdit* field)
{
    if (m_highlightField && m_highlightField != field)
        m_highlightField->SetFocusedLook(false);
    m_highlightField = field;
    if (field)
        field->SetFocusedLook(true);
    if (m_highlightBand != band) {
        const int old = m_highlightBand;
        m_highlightBand = band;
        if (old >= 0)
            update(NumberRect(old));
        update(NumberRect(band));
    }
}

void COutputDlg::ClearHighlight()
{
    if (m_highlightField)
        m_highlightField->SetFocusedLook(false);
    m_highlightField = nullptr;
    m_highlightBand = -1;
    update();
}

// ---- per-band edits ------------------------------------------------------------------------

void COutputDlg::OnFreq(int band)
{
    BandStrip& s = m_strips[std::size_t(band)];
    if (m_geqMode)
        return;  // the locked field shows its value and takes nothing
    m_host.SetBandFrequency(Channel(), band, s.freqSpin->Pos());
    m_host.RedrawGraph(band);
    Highlight(band, s.freq);
}

void COutputDlg::OnQ(int band)
{
    BandStrip& s = m_strips[std::size_t(band)];
    if (m_geqMode)
        return;
    m_host.SetBandWidth(Channel(), band, s.qSpin->Pos());
    m_host.RedrawGraph(band);
    Highlight(band, s.q);
}

void COutputDlg::OnGain(int band)
{
    BandStrip& s = m_strips[std::size_t(band)];
    const int code = s.gainSpin->Pos();
    s.slider->SetValue(code);
    GainEdited(band, code);
}

void COutputDlg::OnSlider(int band)
{
    BandStrip& s = m_strips[std::size_t(band)];
    const int code = s.slider->Value();
    ShowPos(s.gainSpin, code);
    GainEdited(band, code);
}

void COutputDlg::GainEdited(int band, int code)
{
    m_host.SetBandGain(Channel(), band, code);
    ShowBypassState(band);
    UpdateAllBypassIndicator();
    m_host.RedrawGraph(band);
    Highlight(band, m_strips[std::size_t(band)].gain);
}

void COutputDlg::OnBypass(int band)
{
    BandStrip& s = m_strips[std::size_t(band)];
    const int ch = Channel();
    const int v = s.bypass->IsLit() ? 0 : 1;
    m_host.SetBandBypass(ch, band, v);
    const CFilter& f = Records().Out(ch).Band(band);
    if (f.EffectivelyBypassed()) {
        ShowBypassState(band);
    } else {
        ShowGainCode(band, f.GainCode());
        s.bypass->SetLit(false);
    }
    UpdateAllBypassIndicator();
    m_host.RedrawGraph(band);
    Highlight(band, s.gain);
}

void COutputDlg::OnGraphPointMoved(int band)
{
    if (band < 0 || band >= kBands)
        return;
    BandStrip& s = m_strips[std::size_t(band)];
    const int ch = Channel();
    const CFilter& f = Records().Out(ch).Band(band);
    ShowPos(s.freqSpin, f.Freq());
    ShowPos(s.qSpin, f.BandwidthIndex());
    ShowGainCode(band, f.EffectivelyBypassed() ? kBypassGainCode : f.GainCode());
    ShowBypassState(band);
    m_host.BandDragged(ch, band);
    m_host.RedrawGraph(-1);
    UpdateAllBypassIndicator();
    Highlight(band, s.gain);
}

// ---- whole-EQ requests ---------------------------------------------------------------------

bool COutputDlg::Ask(const QString& question, bool yesNo)
{
    if (m_askHook)
        return m_askHook(question);
    const bool chinese = CurrentUiLanguage() == UiLanguage::Chinese;
    const bool useYesNo = yesNo && chinese;
    const auto buttons = useYesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok | QMessageBox::Cancel;
    QMessageBox box(QMessageBox::Question, g_strAppTitle, question, buttons, this);
    const int answer = box.exec();
    return answer == (useYesNo ? QMessageBox::Yes : QMessageBox::Ok);
}

void COutputDlg::OnBypassAll()
{
    const int ch = Channel();
    bool on = !(m_bypassAll && m_bypassAll->IsLit());
    m_host.SetGroupBypass(ch, on);
    if (!on && m_host.AllBandsBypassed(ch)) {
        // every band is bypassed by its own 0 dB or switch: there is nothing to restore
        m_host.SetGroupBypass(ch, true);
        if (m_bypassAll)
            m_bypassAll->SetLit(true);
        return;
    }
    on = m_host.AllBandsBypassed(ch);
    const QString question = on ? tr("Whether ByPass All EQ?") : tr("Whether Restore All EQ?");
    if (!Ask(question, true)) {
        m_host.SetGroupBypass(ch, !on);
        if (m_bypassAll)
            m_bypassAll->SetLit(!on);
        return;
    }
    CKTV_OutData& out = Records().Out(ch);
    for (int k = 0; k < kBands; ++k) {
        if (!on)
            ShowGainCode(k, out.Band(k).GainCode());
        ShowBypassState(k);
    }
    m_host.RewriteBypassAll(ch, on);
    if (m_bypassAll)
        m_bypassAll->SetLit(on);
    m_host.RedrawGraph(-1);
}

void COutputDlg::OnEqModeConvert()
{
    const int mode = m_geqMode ? 0 : 1;
    const QString question =
        mode ? tr("Whether the PEQMode convert to GEQMode?") : tr("Whether the GEQMode convert to PEQMode?");
    if (!Ask(question, false))
        return;
    m_geqMode = mode;
    if (m_eqMode)
        m_eqMode->SetLit(mode != 0);
    LockFields(mode != 0);
    m_host.ConvertEqMode(Channel(), mode);
    LoadChannel();
    m_host.RedrawGraph(-1);
}

// ---- keyboard and painting -----------------------------------------------------------------

bool COutputDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    for (int k = 0; k < kBands; ++k) {
        BandStrip& s = m_strips[std::size_t(k)];
        if (watched == s.slider && (key->key() == Qt::Key_Left || key->key() == Qt::Key_Right)) {
            // the arrows across the bands move between the faders and leave the value alone
            const int next = (k + (key->key() == Qt::Key_Left ? kBands - 1 : 1)) % kBands;
            m_strips[std::size_t(next)].slider->setFocus(Qt::TabFocusReason);
            return true;
        }
        if (!IsEnter(key->key()))
            continue;
        if (watched == s.freq) {
            s.q->setFocus(Qt::TabFocusReason);
            return true;
        }
        if (watched == s.q) {
            s.gain->setFocus(Qt::TabFocusReason);
            return true;
        }
        if (watched == s.gain) {
            s.slider->setFocus(Qt::TabFocusReason);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void COutputDlg::keyPressEvent(QKeyEvent* event)
{
    // Enter and Esc never close anything here: they only put the focus on the panel
    if (IsEnter(event->key()) || event->key() == Qt::Key_Escape) {
        setFocus(Qt::OtherFocusReason);
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

QRect COutputDlg::NumberRect(int band) const
{
    return {kLeft + band * kStripWidth, kNumberTop, kStripWidth, 24};
}

void COutputDlg::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), Skin::Panel());
    // the 0 dB line across every fader, and the wells behind the fields
    const int centre = kSliderTop + kSliderHeight / 2;
    p.setPen(QPen(Skin::PanelEdge(), 1, Qt::DashLine));
    p.drawLine(kLeft, centre, kLeft + kBands * kStripWidth, centre);
    for (int k = 0; k < kBands; ++k) {
        const BandStrip& s = m_strips[std::size_t(k)];
        for (const NumEdit* f : {s.freq, s.q, s.gain})
            Skin::PaintFieldWell(p, QRectF(f->geometry()).adjusted(-0.5, -0.5, 0.5, 0.5));
        if (k > 0) {
            p.setPen(QPen(Skin::PanelEdge(), 1));
            const int x = kLeft + k * kStripWidth;
            p.drawLine(x, kNumberTop, x, kGainTop + kFieldHeight);
        }
    }
    p.setFont(UiFont(13, true));
    for (int k = 0; k < kBands; ++k) {
        p.setPen(k == m_highlightBand ? kNumberHighlighted : kNumber);
        p.drawText(NumberRect(k), Qt::AlignCenter, QString::number(k + 1));
    }
}

} // namespace ovix
