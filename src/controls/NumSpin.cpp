#include "controls/NumSpin.h"

#include "controls/ControlMessage.h"
#include "controls/NumEdit.h"
#include "controls/Skin.h"
#include "controls/UiGlobals.h"
#include "tables/Scales.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace ovix {

NumSpin::NumSpin(QWidget* parent)
    : QWidget(parent)
{
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    m_notify.setInterval(kNotifyPeriodMs);
    m_repeat.setInterval(kRepeatDelayMs);
    connect(&m_notify, &QTimer::timeout, this, &NumSpin::OnNotifyTimer);
    connect(&m_repeat, &QTimer::timeout, this, &NumSpin::OnRepeatTimer);
}

void NumSpin::SetBuddy(NumEdit* buddy)
{
    if (m_buddy)
        m_buddy->removeEventFilter(this);
    m_buddy = buddy;
    if (m_buddy) {
        m_buddy->installEventFilter(this);
        m_buddyKind = m_buddy->Kind();
    }
}

void NumSpin::SetRange(int min, int max)
{
    m_min = min;
    m_max = max;
    m_pos = std::clamp(m_pos, std::min(min, max), std::max(min, max));
    if (m_buddy) {
        m_buddy->SetRange(min, max);
        m_buddyKind = m_buddy->Kind();
        m_pos = m_buddy->Code();
    }
    update();
}

int NumSpin::Pos()
{
    // The field is what the user sees, so a code typed into it is the position.
    if (m_buddy)
        m_pos = m_buddy->Code();
    return m_pos;
}

void NumSpin::SetPos(int p)
{
    if (p < m_min || p > m_max) {
        const int id = m_buddy ? m_buddy->Id() : 0;
        ShowControlMessage(this, QString::asprintf("%dID:", id) + tr("Set Pos Error!"));
        return;
    }
    m_pos = p;
    if (m_buddy)
        m_buddy->SetCode(p);
}

int NumSpin::StepTarget(int base, int delta) const
{
    const int target = std::clamp(base + delta, m_min, m_max);
    if (m_buddyKind != 8)
        return target;
    // Frequencies move from the grid point nearest to the stepped value to its neighbour,
    // never below 20 Hz (point 1), and show whole hertz.
    const int nearest = NearestGridIndex(target);
    if (delta > 0) {
        const int i = std::min(nearest + 1, kGridPoints - 1);
        return std::min(int(std::trunc(FreqGrid[i])), m_max);
    }
    const int i = std::max(nearest - 1, 1);
    return std::max(int(std::trunc(FreqGrid[i])), m_min);
}

bool NumSpin::StepBy(int delta)
{
    if (!isEnabled() || delta == 0)
        return false;
    const int next = StepTarget(Pos(), delta);
    if (next == m_pos)
        return false;
    m_pos = next;
    m_changed = true;
    if (m_buddy)
        m_buddy->SetCode(next);
    return true;
}

void NumSpin::Notify()
{
    m_changed = false;
    emit changed(m_pos);
}

void NumSpin::Step(int delta)
{
    if (StepBy(delta))
        Notify();
}

int NumSpin::ArrowAt(const QPoint& pos) const
{
    if (!rect().contains(pos))
        return 0;
    return pos.y() < height() / 2 ? +1 : -1;
}

void NumSpin::mousePressEvent(QMouseEvent* e)
{
    const int arrow = ArrowAt(e->position().toPoint());
    if (e->button() != Qt::LeftButton || arrow == 0 || !isEnabled()) {
        e->ignore();
        return;
    }
    m_heldDelta = arrow;
    m_changed = false;
    StepBy(arrow);  // told when the notify period ends or the arrow is released
    m_notify.start();
    m_repeat.start(kRepeatDelayMs);
    update();
}

void NumSpin::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton || m_heldDelta == 0)
        return;
    m_heldDelta = 0;
    m_repeat.stop();
    m_notify.stop();
    if (m_changed)
        Notify();
    update();
}

void NumSpin::mouseMoveEvent(QMouseEvent* e)
{
    const int arrow = ArrowAt(e->position().toPoint());
    if (arrow != m_hoverArrow) {
        m_hoverArrow = arrow;
        update();
    }
}

void NumSpin::leaveEvent(QEvent* /*e*/)
{
    m_hoverArrow = 0;
    update();
}

void NumSpin::OnRepeatTimer()
{
    if (m_heldDelta == 0) {
        m_repeat.stop();
        return;
    }
    m_repeat.setInterval(kRepeatPeriodMs);
    StepBy(m_heldDelta);
}

void NumSpin::OnNotifyTimer()
{
    if (m_heldDelta != 0 && m_changed)
        Notify();
}

bool NumSpin::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == m_buddy && e->type() == QEvent::KeyPress) {
        const auto* k = static_cast<QKeyEvent*>(e);
        if (k->modifiers() == Qt::NoModifier || k->modifiers() == Qt::KeypadModifier) {
            if (k->key() == Qt::Key_Up || k->key() == Qt::Key_Down) {
                Step(k->key() == Qt::Key_Up ? +1 : -1);
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, e);
}

void NumSpin::paintEvent(QPaintEvent* /*e*/)
{
    QPainter p(this);
    const int half = height() / 2;
    const QRectF up(0, 0, width(), half);
    const QRectF down(0, half, width(), height() - half);
    auto face = [this](int arrow) {
        return Skin::FaceFor(isEnabled(), m_hoverArrow == arrow, m_heldDelta == arrow);
    };
    Skin::PaintSpinArrow(p, up, true, face(+1));
    Skin::PaintSpinArrow(p, down, false, face(-1));
}

} // namespace ovix
