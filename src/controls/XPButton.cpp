#include "controls/XPButton.h"

#include "controls/Skin.h"
#include "controls/UiGlobals.h"

#include <QEnterEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

namespace ovix {

XPButton::XPButton(QWidget* parent)
    : QAbstractButton(parent)
{
    setCursor(Qt::PointingHandCursor);
    setFont(UiFont(15, true));
    setMouseTracking(true);
}

void XPButton::SetCaption(const QString& text)
{
    m_caption = text;
    ShowCaption();
}

void XPButton::SetLitCaption(const QString& text)
{
    m_litCaption = text;
    ShowCaption();
}

void XPButton::SetLit(bool lit)
{
    if (lit == m_lit)
        return;
    m_lit = lit;
    ShowCaption();
}

QString XPButton::CurrentText() const
{
    if (m_lit && !m_litCaption.isEmpty())
        return m_litCaption;
    return m_caption;
}

void XPButton::ShowCaption()
{
    setText(CurrentText());
    // Captions such as "Group&Front" are plain text, not keyboard mnemonics.
    setShortcut(QKeySequence());
    update();
}

QSize XPButton::sizeHint() const
{
    const QFontMetrics fm(font());
    return {fm.horizontalAdvance(CurrentText()) + 24, fm.height() + 14};
}

void XPButton::paintEvent(QPaintEvent* /*e*/)
{
    QPainter p(this);
    const Skin::Face face = Skin::FaceFor(isEnabled(), m_hover, isDown());
    Skin::PaintButton(p, rect(), m_lit, face, CurrentText(), font());
}

void XPButton::enterEvent(QEnterEvent* e)
{
    QAbstractButton::enterEvent(e);
    m_hover = true;
    update();
}

void XPButton::leaveEvent(QEvent* e)
{
    QAbstractButton::leaveEvent(e);
    m_hover = false;
    update();
}

void XPButton::mouseMoveEvent(QMouseEvent* e)
{
    // The first move over the button counts as hover even without an enter (a button that
    // appeared under the pointer); a held button follows the pointer in and out.
    const bool over = rect().contains(e->position().toPoint());
    if (over != m_hover) {
        m_hover = over;
        update();
    }
    QAbstractButton::mouseMoveEvent(e);
}

void XPButton::changeEvent(QEvent* e)
{
    QAbstractButton::changeEvent(e);
    if (e->type() == QEvent::EnabledChange && !isEnabled())
        m_hover = false;
}

} // namespace ovix
