#include "app/ConsoleParts.h"

#include "controls/BitmapSlider.h"
#include "controls/ComBoxBtn.h"
#include "controls/NumEdit.h"
#include "controls/NumFormat.h"
#include "controls/NumSpin.h"
#include "controls/Skin.h"
#include "controls/UiGlobals.h"
#include "controls/XPButton.h"

#include <QCoreApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace ovix {

namespace {

constexpr char kContext[] = "ovix::CQamrelView";

// Where each channel plays, under its select button.
const char* const kPlace[6] = {
    QT_TRANSLATE_NOOP("ovix::CQamrelView", "Front L"), QT_TRANSLATE_NOOP("ovix::CQamrelView", "Front R"),
    QT_TRANSLATE_NOOP("ovix::CQamrelView", "Rear L"),  QT_TRANSLATE_NOOP("ovix::CQamrelView", "Rear R"),
    QT_TRANSLATE_NOOP("ovix::CQamrelView", "Sub L"),   QT_TRANSLATE_NOOP("ovix::CQamrelView", "Sub R"),
};

const char* const kFamilies[3] = {
    QT_TRANSLATE_NOOP("ovix::CQamrelView", "Link-Ril"),
    QT_TRANSLATE_NOOP("ovix::CQamrelView", "Bessel"),
    QT_TRANSLATE_NOOP("ovix::CQamrelView", "Butter-W"),
};

// Slopes 12..48 dB/Oct read the same in both languages; the last entry is "OFF".
const char* const kSlopes[7] = {"12dB/Oct", "18dB/Oct", "24dB/Oct", "30dB/Oct",
                                "36dB/Oct", "42dB/Oct", "48dB/Oct"};

QString ChannelName(int channel) { return QStringLiteral("CH%1").arg(channel + 1); }

// "CH3 gain": a control's name with its channel.
QString ChannelControlName(const char* source, int channel)
{
    return ConsoleText(source).arg(channel + 1);
}

void PaintRowCaption(QPainter& p, const QRect& r, const QString& text)
{
    p.setFont(UiFont(12));
    p.setPen(Skin::TextDim());
    p.drawText(r, Qt::AlignLeft | Qt::AlignVCenter, text);
}

// Keeps the selection of a list across a refill.
void Refill(ComBoxBtn* box, const QStringList& items)
{
    const int sel = box->GetSel();
    box->Reset();
    for (const QString& s : items)
        box->AddItem(s);
    box->SetSel(sel);
}

} // namespace

QString ConsoleText(const char* source) { return QCoreApplication::translate(kContext, source); }

void CoupleGain(BitmapSlider* fader, NumEdit* field, NumSpin* spin)
{
    field->SetKind(kKindGainDb);
    field->SetScaleOffset(1.0, 60.0);
    field->setMaxLength(6);
    spin->SetBuddy(field);
    spin->SetRange(0, 60);
    spin->hide();  // the field's Up and Down keys step it
    fader->SetRange(0, 60);
    fader->SetPageSize(6);
    fader->SetLinkedField(field);
    field->SetLinkedWindow(fader);
}

// ---- CChannelStrip ---------------------------------------------------------------------

CChannelStrip::CChannelStrip(int channel, QWidget* parent)
    : QWidget(parent)
    , select(new XPButton(this))
    , on(new XPButton(this))
    , polarity(new XPButton(this))
    , fader(new BitmapSlider(Qt::Vertical, this))
    , gain(new NumEdit(this))
    , gainSpin(new NumSpin(this))
    , delay(new NumEdit(this))
    , delaySpin(new NumSpin(this))
    , m_channel(channel)
{
    setFixedSize(kWidth, kHeight);
    select->setGeometry(5, 6, 48, 26);
    select->SetCaption(ChannelName(channel));
    on->setGeometry(7, 54, 44, 22);
    on->setFont(UiFont(12, true));
    polarity->setGeometry(7, 80, 44, 22);
    polarity->setFont(UiFont(12, true));
    polarity->SetCaption(QStringLiteral("0°"));
    polarity->SetLitCaption(QStringLiteral("180°"));
    fader->setGeometry(9, 108, 40, 172);
    gain->setGeometry(3, 284, 52, 22);
    gain->setFont(UiFont(14));
    gain->SetId(1000 + channel);
    CoupleGain(fader, gain, gainSpin);

    delay->setGeometry(3, 326, 52, 22);
    delay->setFont(UiFont(14));
    delay->SetId(1100 + channel);
    delay->setMaxLength(10);
    delay->SetKind(kKindDelayMs);
    delaySpin->SetBuddy(delay);
    delaySpin->SetRange(0, 960);
    delaySpin->hide();
    Retranslate();
}

void CChannelStrip::Retranslate()
{
    const int c = m_channel;
    on->SetCaption(ConsoleText(QT_TRANSLATE_NOOP("ovix::CQamrelView", "Off")));
    on->SetLitCaption(ConsoleText(QT_TRANSLATE_NOOP("ovix::CQamrelView", "On")));
    select->setAccessibleName(ChannelControlName(QT_TRANSLATE_NOOP("ovix::CQamrelView", "CH%1 select"), c));
    on->setAccessibleName(ChannelControlName(QT_TRANSLATE_NOOP("ovix::CQamrelView", "CH%1 on"), c));
    polarity->setAccessibleName(ChannelControlName(QT_TRANSLATE_NOOP("ovix::CQamrelView", "CH%1 polarity"), c));
    fader->setAccessibleName(ChannelControlName(QT_TRANSLATE_NOOP("ovix::CQamrelView", "CH%1 gain"), c));
    gain->setAccessibleName(ChannelControlName(QT_TRANSLATE_NOOP("ovix::CQamrelView", "CH%1 gain field"), c));
    delay->setAccessibleName(ChannelControlName(QT_TRANSLATE_NOOP("ovix::CQamrelView", "CH%1 delay"), c));
    update();
}

void CChannelStrip::ShowSoundOn(bool lit) { on->SetLit(lit); }

void CChannelStrip::ShowPolarity(bool inverted) { polarity->SetLit(inverted); }

void CChannelStrip::ShowGain(int code)
{
    gainSpin->SetPos(code);
    fader->SetValue(code);
}

void CChannelStrip::ShowDelay(int code) { delaySpin->SetPos(code); }

void CChannelStrip::SetDelayKind(int unit)
{
    const int code = delay->Code();
    delay->SetKind(unit);
    delay->SetCode(code);
}

void CChannelStrip::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    Skin::PaintPanel(p, rect(), QString());
    p.setFont(UiFont(12));
    p.setPen(Skin::TextDim());
    p.drawText(QRect(0, 34, width(), 16), Qt::AlignCenter, ConsoleText(kPlace[m_channel]));
    p.drawText(QRect(0, 308, width(), 16), Qt::AlignCenter,
               ConsoleText(QT_TRANSLATE_NOOP("ovix::CQamrelView", "Delay")));
    // the numeric fields sit on wells
    Skin::PaintFieldWell(p, QRectF(gain->geometry()).adjusted(-1, -1, 1, 1));
    Skin::PaintFieldWell(p, QRectF(delay->geometry()).adjusted(-1, -1, 1, 1));
}

// ---- CCarMap ---------------------------------------------------------------------------

namespace {
// Speaker buttons on the car, in the map's own coordinates.
const QRect kSpeakerAt[6] = {
    {4, 54, 34, 20},   {78, 54, 34, 20},    // front doors
    {4, 112, 34, 20},  {78, 112, 34, 20},   // rear doors
    {24, 160, 34, 20}, {58, 160, 34, 20},   // subwoofers in the boot
};
} // namespace

CCarMap::CCarMap(QWidget* parent) : QWidget(parent)
{
    setFixedSize(kWidth, kHeight);
    for (int c = 0; c < 6; ++c) {
        auto* b = new XPButton(this);
        b->setGeometry(kSpeakerAt[c]);
        b->setFont(UiFont(11, true));
        b->SetCaption(ChannelName(c));
        speakers[std::size_t(c)] = b;
    }
    Retranslate();
}

void CCarMap::Retranslate()
{
    for (int c = 0; c < 6; ++c)
        speakers[std::size_t(c)]->setAccessibleName(
            ChannelControlName(QT_TRANSLATE_NOOP("ovix::CQamrelView", "CH%1 speaker"), c));
}

void CCarMap::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    Skin::PaintPanel(p, rect(), QString());

    // the body, front at the top
    const QRectF body(24, 10, 68, 178);
    QLinearGradient g(body.topLeft(), body.topRight());
    g.setColorAt(0.0, QColor(70, 76, 88));
    g.setColorAt(0.5, QColor(98, 105, 120));
    g.setColorAt(1.0, QColor(70, 76, 88));
    // wheels first, so the body covers their inner halves
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(16, 17, 20));
    for (qreal y : {34.0, 142.0}) {
        p.drawRoundedRect(QRectF(body.left() - 5, y, 10, 26), 3, 3);
        p.drawRoundedRect(QRectF(body.right() - 5, y, 10, 26), 3, 3);
    }
    p.setPen(QPen(QColor(130, 138, 154), 1.2));
    p.setBrush(g);
    p.drawRoundedRect(body, 22, 30);

    // windscreen, roof and rear window
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 56, 74));
    QPainterPath screen;
    screen.moveTo(body.left() + 9, 62);
    screen.quadTo(body.center().x(), 46, body.right() - 9, 62);
    screen.lineTo(body.right() - 13, 80);
    screen.lineTo(body.left() + 13, 80);
    screen.closeSubpath();
    p.drawPath(screen);
    QPainterPath rear;
    rear.moveTo(body.left() + 13, 134);
    rear.lineTo(body.right() - 13, 134);
    rear.lineTo(body.right() - 10, 148);
    rear.quadTo(body.center().x(), 156, body.left() + 10, 148);
    rear.closeSubpath();
    p.drawPath(rear);
    p.setBrush(QColor(84, 90, 104));
    p.drawRoundedRect(QRectF(body.left() + 13, 84, body.width() - 26, 46), 5, 5);

    // headlights
    p.setBrush(QColor(220, 222, 200, 180));
    p.drawEllipse(QRectF(body.left() + 8, 14, 12, 6));
    p.drawEllipse(QRectF(body.right() - 20, 14, 12, 6));
}

// ---- CCrossoverPanel -------------------------------------------------------------------

CCrossoverPanel::CCrossoverPanel(bool highPass, QWidget* parent)
    : QWidget(parent)
    , type(new ComBoxBtn(this))
    , freq(new NumEdit(this))
    , freqSpin(new NumSpin(this))
    , slope(new ComBoxBtn(this))
    , m_highPass(highPass)
{
    setFixedSize(kWidth, kHeight);
    type->setGeometry(8, 44, 104, 26);
    freq->setGeometry(8, 92, 104, 26);
    slope->setGeometry(8, 140, 104, 26);
    type->setFont(UiFont(14));
    slope->setFont(UiFont(14));
    type->SetNotifyId(highPass ? 1 : 3);
    slope->SetNotifyId(highPass ? 2 : 4);
    freq->SetId(highPass ? 1201 : 1202);
    freq->SetKind(kKindFrequency);
    freqSpin->SetBuddy(freq);
    freqSpin->SetRange(20, 20000);
    freqSpin->hide();  // the field's Up and Down keys step along the frequency grid
    Retranslate();
}

void CCrossoverPanel::Retranslate()
{
    QStringList families;
    for (const char* f : kFamilies)
        families << ConsoleText(f);
    Refill(type, families);
    QStringList slopes;
    for (const char* s : kSlopes)
        slopes << QString::fromLatin1(s);
    slopes << ConsoleText(QT_TRANSLATE_NOOP("ovix::CQamrelView", "OFF"));
    Refill(slope, slopes);

    if (m_highPass) {
        type->setAccessibleName(ConsoleText(QT_TRANSLATE_NOOP("ovix::CQamrelView", "High-pass type")));
        freq->setAccessibleName(ConsoleText(QT_TRANSLATE_NOOP("ovix::CQamrelView", "High-pass frequency")));
        slope->setAccessibleName(ConsoleText(QT_TRANSLATE_NOOP("ovix::CQamrelView", "High-pass slope")));
    } else {
        type->setAccessibleName(ConsoleText(QT_TRANSLATE_NOOP("ovix::CQamrelView", "Low-pass type")));
        freq->setAccessibleName(ConsoleText(QT_TRANSLATE_NOOP("ovix::CQamrelView", "Low-pass frequency")));
        slope->setAccessibleName(ConsoleText(QT_TRANSLATE_NOOP("ovix::CQamrelView", "Low-pass slope")));
    }
    update();
}

void CCrossoverPanel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    Skin::PaintPanel(p, rect(),
                     ConsoleText(m_highPass ? QT_TRANSLATE_NOOP("ovix::CQamrelView", "High-pass filter")
                                            : QT_TRANSLATE_NOOP("ovix::CQamrelView", "Low-pass filter")));
    PaintRowCaption(p, QRect(10, 27, 100, 16), ConsoleText(QT_TRANSLATE_NOOP("ovix::CQamrelView", "Type")));
    PaintRowCaption(p, QRect(10, 75, 100, 16), ConsoleText(QT_TRANSLATE_NOOP("ovix::CQamrelView", "Freq")));
    PaintRowCaption(p, QRect(10, 123, 100, 16), ConsoleText(QT_TRANSLATE_NOOP("ovix::CQamrelView", "Oct")));
    // the frequency field sits on a well like the strips' fields
    Skin::PaintFieldWell(p, QRectF(freq->geometry()).adjusted(-1, -1, 1, 1));
}

// ---- CFocusRing ------------------------------------------------------------------------

CFocusRing::CFocusRing(QWidget* host) : QWidget(host)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    hide();
}

void CFocusRing::Follow(QWidget* focused)
{
    QWidget* host = parentWidget();
    if (!focused || !host || !host->isAncestorOf(focused) || !focused->isVisible() ||
        qobject_cast<NumEdit*>(focused)) {
        hide();
        return;
    }
    const QRect r(focused->mapTo(host, QPoint(0, 0)), focused->size());
    setGeometry(r.adjusted(-3, -3, 3, 3));
    raise();
    show();
    update();
}

void CFocusRing::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QColor c = Skin::Accent().lighter(135);
    p.setPen(QPen(c, 2.0));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 5, 5);
}

} // namespace ovix
