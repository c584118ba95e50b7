#include "controls/Skin.h"

#include "controls/UiGlobals.h"

#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <algorithm>
#include <cmath>

namespace ovix::Skin {

namespace {

constexpr qreal kButtonRadius = 4.0;
constexpr qreal kPanelRadius = 7.0;

// Colours of one button look: top and bottom of the fill, outline, caption.
struct Look {
    QColor top;
    QColor bottom;
    QColor edge;
    QColor text;
};

Look LookFor(bool lit, Face face)
{
    const QColor a = Accent();
    if (lit) {
        switch (face) {
        case Face::Normal: return {a.lighter(118), a, a.darker(140), AccentText()};
        case Face::Hover: return {a.lighter(140), a.lighter(115), a.lighter(160), AccentText()};
        case Face::Pressed: return {a.darker(135), a.darker(120), a.darker(170), AccentText()};
        case Face::Disabled:
            return {QColor(58, 78, 102), QColor(54, 72, 94), QColor(66, 86, 110), QColor(150, 162, 178)};
        }
    }
    switch (face) {
    case Face::Normal: return {QColor(76, 82, 94), QColor(60, 65, 75), QColor(90, 97, 111), Text()};
    case Face::Hover: return {QColor(94, 101, 115), QColor(74, 80, 92), a.lighter(110), Text()};
    case Face::Pressed: return {QColor(40, 44, 51), QColor(50, 54, 62), QColor(30, 33, 38), Text()};
    case Face::Disabled: return {QColor(48, 51, 58), QColor(48, 51, 58), QColor(58, 62, 70), TextDisabled()};
    }
    return {};
}

QRectF Inset(const QRectF& r) { return r.adjusted(0.5, 0.5, -0.5, -0.5); }

void FillRounded(QPainter& p, const QRectF& r, qreal radius, const Look& look)
{
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0.0, look.top);
    g.setColorAt(1.0, look.bottom);
    p.setPen(QPen(look.edge, 1.0));
    p.setBrush(g);
    p.drawRoundedRect(Inset(r), radius, radius);
}

void DrawTriangle(QPainter& p, const QPointF& centre, qreal half, bool up, const QColor& c)
{
    const qreal h = half * 0.6;
    QPolygonF tri;
    if (up)
        tri << QPointF(centre.x() - half, centre.y() + h) << QPointF(centre.x() + half, centre.y() + h)
            << QPointF(centre.x(), centre.y() - h);
    else
        tri << QPointF(centre.x() - half, centre.y() - h) << QPointF(centre.x() + half, centre.y() - h)
            << QPointF(centre.x(), centre.y() + h);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPolygon(tri);
}

} // namespace

Face FaceFor(bool enabled, bool hover, bool pressed)
{
    if (!enabled)
        return Face::Disabled;
    if (pressed)
        return Face::Pressed;
    return hover ? Face::Hover : Face::Normal;
}

void PaintButton(QPainter& p, const QRectF& r, bool lit, Face face, const QString& text,
                 const QFont& font)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const Look look = LookFor(lit, face);
    FillRounded(p, r, kButtonRadius, look);
    if (face != Face::Pressed && face != Face::Disabled) {
        // A thin highlight along the top edge gives the face some lift.
        p.setPen(QPen(QColor(255, 255, 255, lit ? 70 : 28), 1.0));
        p.drawLine(QPointF(r.left() + kButtonRadius, r.top() + 1.5),
                   QPointF(r.right() - kButtonRadius, r.top() + 1.5));
    }
    if (!text.isEmpty()) {
        p.setFont(font);
        p.setPen(look.text);
        QRectF tr = r.adjusted(4, 0, -4, 0);
        if (face == Face::Pressed)
            tr.translate(0, 1);  // the caption sinks with the face
        const QString shown = QFontMetrics(font).elidedText(text, Qt::ElideRight, int(tr.width()));
        p.drawText(tr, Qt::AlignCenter, shown);
    }
    p.restore();
}

void PaintConsoleBackground(QPainter& p, const QRectF& r)
{
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0.0, ConsoleBack().lighter(112));
    g.setColorAt(1.0, ConsoleBack());
    p.fillRect(r, g);
}

void PaintDialogBackground(QPainter& p, const QRectF& r) { p.fillRect(r, DialogBack()); }

void PaintPanel(QPainter& p, const QRectF& r, const QString& caption)
{
    PaintPanel(p, r, caption, Panel(), PanelEdge(), TextDim(), UiFont(13, true));
}

void PaintPanel(QPainter& p, const QRectF& r, const QString& caption, const QColor& fill,
                const QColor& edge, const QColor& captionColour, const QFont& captionFont)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(edge, 1.0));
    p.setBrush(fill);
    p.drawRoundedRect(Inset(r), kPanelRadius, kPanelRadius);
    if (!caption.isEmpty()) {
        // A short accent bar marks the caption; a hairline separates it from the contents.
        const QRectF bar(r.left() + 8, r.top() + 6, 3, kPanelCaptionHeight - 11);
        p.setPen(Qt::NoPen);
        p.setBrush(Accent());
        p.drawRoundedRect(bar, 1.5, 1.5);
        p.setFont(captionFont);
        p.setPen(captionColour);
        const QRectF tr(r.left() + 16, r.top() + 1, r.width() - 24, kPanelCaptionHeight - 2);
        const QString shown =
            QFontMetrics(captionFont).elidedText(caption, Qt::ElideRight, int(tr.width()));
        p.drawText(tr, Qt::AlignLeft | Qt::AlignVCenter, shown);
        QColor line = edge;
        line.setAlpha(150);
        p.setPen(QPen(line, 1.0));
        const qreal y = r.top() + kPanelCaptionHeight + 0.5;
        p.drawLine(QPointF(r.left() + 6, y), QPointF(r.right() - 6, y));
    }
    p.restore();
}

void PaintFieldWell(QPainter& p, const QRectF& r)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(16, 17, 21), 1.0));
    p.setBrush(Well());
    p.drawRoundedRect(Inset(r), 3, 3);
    p.setPen(QPen(QColor(255, 255, 255, 22), 1.0));
    p.drawLine(QPointF(r.left() + 3, r.bottom() - 0.5), QPointF(r.right() - 3, r.bottom() - 0.5));
    p.restore();
}

void PaintFaderTrack(QPainter& p, const QRectF& r, Qt::Orientation o, bool enabled)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const bool vertical = o == Qt::Vertical;
    // Scale ticks: eleven on each side of the groove, the middle and the ends longer.
    QColor tick = enabled ? TextDim() : TextDisabled();
    tick.setAlpha(140);
    p.setPen(QPen(tick, 1.0));
    for (int i = 0; i <= 10; ++i) {
        const qreal t = i / 10.0;
        const qreal len = (i % 5 == 0) ? 7.0 : 4.0;
        if (vertical) {
            const qreal y = std::round(r.top() + t * r.height()) + 0.5;
            const qreal cx = r.center().x();
            p.drawLine(QPointF(cx - 6 - len, y), QPointF(cx - 6, y));
            p.drawLine(QPointF(cx + 6, y), QPointF(cx + 6 + len, y));
        } else {
            const qreal x = std::round(r.left() + t * r.width()) + 0.5;
            const qreal cy = r.center().y();
            p.drawLine(QPointF(x, cy - 6 - len), QPointF(x, cy - 6));
            p.drawLine(QPointF(x, cy + 6), QPointF(x, cy + 6 + len));
        }
    }
    // The groove itself.
    const QRectF groove = vertical ? QRectF(r.center().x() - 3, r.top() - 2, 6, r.height() + 4)
                                   : QRectF(r.left() - 2, r.center().y() - 3, r.width() + 4, 6);
    p.setPen(QPen(QColor(14, 15, 18), 1.0));
    p.setBrush(Well());
    p.drawRoundedRect(groove, 3, 3);
    p.restore();
}

void PaintFaderThumb(QPainter& p, const QRectF& r, Qt::Orientation o, bool active, bool enabled)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const Face face = enabled ? Face::Normal : Face::Disabled;
    Look look = LookFor(false, face);
    look.top = look.top.lighter(118);
    if (active && enabled)
        look.edge = Accent();
    FillRounded(p, r, 3.0, look);
    // The grip line across the thumb, in the accent while the thumb is active.
    const QColor grip = !enabled ? TextDisabled() : active ? Accent().lighter(120) : Text();
    p.setPen(QPen(grip, 2.0));
    if (o == Qt::Vertical)
        p.drawLine(QPointF(r.left() + 4, r.center().y()), QPointF(r.right() - 4, r.center().y()));
    else
        p.drawLine(QPointF(r.center().x(), r.top() + 4), QPointF(r.center().x(), r.bottom() - 4));
    p.restore();
}

void PaintSpinArrow(QPainter& p, const QRectF& r, bool up, Face face)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const Look look = LookFor(false, face);
    FillRounded(p, r, 2.5, look);
    const qreal half = std::max<qreal>(2.0, std::min(r.width(), r.height()) * 0.28);
    QPointF c = r.center();
    if (face == Face::Pressed)
        c += QPointF(0, 0.5);
    DrawTriangle(p, c, half, up, face == Face::Hover ? Accent().lighter(130) : look.text);
    p.restore();
}

void PaintDropDown(QPainter& p, const QRectF& r, Face face, bool open, const QString& text,
                   const QFont& font)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const Look look = LookFor(false, face);
    FillRounded(p, r, kButtonRadius, look);
    const qreal arrowW = std::min<qreal>(22.0, r.height());
    // The chevron sits in its own cell, separated by a hairline.
    const QRectF cell(r.right() - arrowW, r.top(), arrowW, r.height());
    p.setPen(QPen(QColor(255, 255, 255, 30), 1.0));
    p.drawLine(QPointF(cell.left() + 0.5, r.top() + 4), QPointF(cell.left() + 0.5, r.bottom() - 4));
    const QColor chevron = face == Face::Disabled ? TextDisabled() : open ? Accent().lighter(125) : look.text;
    DrawTriangle(p, cell.center(), 4.0, open, chevron);
    p.setFont(font);
    p.setPen(look.text);
    const QRectF tr(r.left() + 8, r.top(), r.width() - arrowW - 12, r.height());
    const QString shown = QFontMetrics(font).elidedText(text, Qt::ElideRight, int(tr.width()));
    p.drawText(tr, Qt::AlignLeft | Qt::AlignVCenter, shown);
    p.restore();
}

void PaintTab(QPainter& p, const QRectF& r, const QString& text, bool selected, bool hover,
              const QFont& font)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    QColor fill = selected ? TabSelected() : DialogBack().darker(hover ? 104 : 108);
    QPainterPath path;
    const qreal rad = 5.0;
    const QRectF b = Inset(r);
    // Rounded on top, square at the bottom where the tab meets its page.
    path.moveTo(b.bottomLeft());
    path.lineTo(b.left(), b.top() + rad);
    path.quadTo(b.topLeft(), QPointF(b.left() + rad, b.top()));
    path.lineTo(b.right() - rad, b.top());
    path.quadTo(b.topRight(), QPointF(b.right(), b.top() + rad));
    path.lineTo(b.bottomRight());
    p.setPen(QPen(QColor(150, 156, 176), 1.0));
    p.setBrush(fill);
    p.drawPath(path);
    p.setFont(font);
    p.setPen(DialogText());
    const QString shown = QFontMetrics(font).elidedText(text, Qt::ElideRight, int(r.width() - 8));
    p.drawText(r, Qt::AlignCenter, shown);
    p.restore();
}

} // namespace ovix::Skin
