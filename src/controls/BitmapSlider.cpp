#include "controls/BitmapSlider.h"

#include "controls/BitmapSliderAccessible.h"
#include "controls/NumEdit.h"
#include "controls/Skin.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace ovix {

BitmapSlider::BitmapSlider(Qt::Orientation orientation, QWidget* parent)
    : QWidget(parent)
    , m_orientation(orientation)
{
    InstallBitmapSliderAccessibility();
    // Tab and a click give the fader the focus; its keys then move it.
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    m_movingTimer.setInterval(kMovingPeriodMs);
    connect(&m_movingTimer, &QTimer::timeout, this, &BitmapSlider::OnMovingTimer);
}

void BitmapSlider::SetRange(int min, int max)
{
    m_min = min;
    m_max = max;
    m_pos = std::clamp(m_pos, m_min, std::max(m_min, m_max));
    PositionChanged();
}

void BitmapSlider::SetValue(int v)
{
    SetPos(m_max - v);
}

void BitmapSlider::SetPos(int pos)
{
    pos = std::clamp(pos, m_min, std::max(m_min, m_max));
    if (pos != m_pos) {
        m_pos = pos;
        PositionChanged();
    }
}

void BitmapSlider::PositionChanged()
{
    update();
    if (QAccessible::isActive()) {
        QAccessibleValueChangeEvent event(this, Value());
        QAccessible::updateAccessibility(&event);
    }
}

QString BitmapSlider::ValueText() const
{
    return m_linked ? FormatCode(m_linked->Format(), Value()) : QString::number(Value());
}

void BitmapSlider::SetValueByUser(int v)
{
    if (!isEnabled())
        return;
    SetValue(v);
    emit moved(m_pos);
}

void BitmapSlider::SetMargins(int left, int top, int right, int bottom)
{
    m_marginLeft = left;
    m_marginTop = top;
    m_marginRight = right;
    m_marginBottom = bottom;
    update();
}

void BitmapSlider::SetLinkedField(NumEdit* field)
{
    m_linked = field;
    update();
}

void BitmapSlider::Enable(bool enabled)
{
    setEnabled(enabled);
    update();
}

QSize BitmapSlider::sizeHint() const
{
    return m_orientation == Qt::Vertical ? QSize(36, 180) : QSize(180, 36);
}

double BitmapSlider::CentreLow() const
{
    const int start = m_orientation == Qt::Vertical ? m_marginTop : m_marginLeft;
    return start + Skin::kThumbLength / 2.0;
}

double BitmapSlider::CentreHigh() const
{
    const int end = m_orientation == Qt::Vertical ? height() - m_marginBottom : width() - m_marginRight;
    return std::max(CentreLow(), end - Skin::kThumbLength / 2.0);
}

double BitmapSlider::CentreOf(int pos) const
{
    if (m_max <= m_min)
        return CentreLow();
    return CentreLow() + (CentreHigh() - CentreLow()) * (pos - m_min) / double(m_max - m_min);
}

int BitmapSlider::PosAt(double centre) const
{
    const double span = CentreHigh() - CentreLow();
    if (span <= 0 || m_max <= m_min)
        return m_min;
    const double t = (std::clamp(centre, CentreLow(), CentreHigh()) - CentreLow()) / span;
    return m_min + int(std::lround(t * (m_max - m_min)));
}

double BitmapSlider::Along(const QPointF& p) const
{
    return m_orientation == Qt::Vertical ? p.y() : p.x();
}

QRect BitmapSlider::ThumbRect() const
{
    const double c = CentreOf(m_pos);
    const int start = int(std::lround(c - Skin::kThumbLength / 2.0));
    if (m_orientation == Qt::Vertical) {
        const int room = width() - m_marginLeft - m_marginRight;
        const int breadth = std::min(room, Skin::kThumbBreadth);
        return QRect(m_marginLeft + (room - breadth) / 2, start, breadth, Skin::kThumbLength);
    }
    const int room = height() - m_marginTop - m_marginBottom;
    const int breadth = std::min(room, Skin::kThumbBreadth);
    return QRect(start, m_marginTop + (room - breadth) / 2, Skin::kThumbLength, breadth);
}

void BitmapSlider::paintEvent(QPaintEvent* /*e*/)
{
    QPainter p(this);
    const double lo = CentreLow();
    const double hi = CentreHigh();
    QRectF track;
    if (m_orientation == Qt::Vertical)
        track = QRectF(m_marginLeft, lo, width() - m_marginLeft - m_marginRight, hi - lo);
    else
        track = QRectF(lo, m_marginTop, hi - lo, height() - m_marginTop - m_marginBottom);
    Skin::PaintFaderTrack(p, track, m_orientation, isEnabled());
    const bool active = m_dragging || hasFocus() || (m_linked && m_linked->hasFocus());
    Skin::PaintFaderThumb(p, ThumbRect(), m_orientation, active, isEnabled());
}

void BitmapSlider::MoveTo(int pos)
{
    pos = std::clamp(pos, m_min, std::max(m_min, m_max));
    if (pos == m_pos)
        return;
    m_pos = pos;
    m_moved = true;
    PositionChanged();
}

void BitmapSlider::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton || !isEnabled()) {
        e->ignore();
        return;
    }
    setFocus(Qt::MouseFocusReason);
    m_dragging = true;
    const double at = Along(e->position());
    const double centre = CentreOf(m_pos);
    if (std::fabs(at - centre) <= Skin::kThumbLength / 2.0) {
        m_dragOffset = at - centre;  // grabbed the thumb: it keeps its place under the pointer
    } else {
        m_dragOffset = 0.0;          // elsewhere: the thumb jumps under the pointer
        MoveTo(PosAt(at));
    }
    m_movingTimer.start();
    update();
}

void BitmapSlider::mouseMoveEvent(QMouseEvent* e)
{
    if (!m_dragging)
        return;
    MoveTo(PosAt(Along(e->position()) - m_dragOffset));
}

void BitmapSlider::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton || !m_dragging)
        return;
    m_dragging = false;
    m_movingTimer.stop();
    m_moved = false;
    update();
    emit moved(m_pos);
}

void BitmapSlider::OnMovingTimer()
{
    if (!m_moved)
        return;
    m_moved = false;
    emit moving(m_pos);
}

void BitmapSlider::keyPressEvent(QKeyEvent* e)
{
    if (!isEnabled()) {
        e->ignore();
        return;
    }
    int pos = m_pos;
    switch (e->key()) {
    case Qt::Key_Right:
    case Qt::Key_Down: pos += 1; break;
    case Qt::Key_Left:
    case Qt::Key_Up: pos -= 1; break;
    case Qt::Key_PageDown: pos += m_page; break;
    case Qt::Key_PageUp: pos -= m_page; break;
    case Qt::Key_Home: pos = m_min; break;
    case Qt::Key_End: pos = m_max; break;
    default:
        QWidget::keyPressEvent(e);
        return;
    }
    SetPos(pos);
    emit moved(m_pos);
}

void BitmapSlider::wheelEvent(QWheelEvent* e)
{
    if (!isEnabled()) {
        e->ignore();
        return;
    }
    // Whole notches only; fine-grained wheels add up until they make one.
    m_wheelRest += e->angleDelta().y();
    const int notches = m_wheelRest / 120;
    m_wheelRest -= notches * 120;
    if (notches == 0)
        return;
    // A notch towards the user (negative delta) is +1 on the position.
    for (int i = 0; i < std::abs(notches); ++i) {
        SetPos(m_pos + (notches < 0 ? 1 : -1));
        emit moved(m_pos);
    }
}

void BitmapSlider::focusInEvent(QFocusEvent* e)
{
    QWidget::focusInEvent(e);
    update();
    emit moving(m_pos);
}

void BitmapSlider::focusOutEvent(QFocusEvent* e)
{
    QWidget::focusOutEvent(e);
    update();
}

} // namespace ovix
