#include "controls/ComBoxBtn.h"

#include "controls/DropBtn.h"
#include "controls/Skin.h"
#include "controls/UiGlobals.h"

#include <QEnterEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>

namespace ovix {

ComBoxBtn::ComBoxBtn(QWidget* parent)
    : QAbstractButton(parent)
    , m_popup(new DropBtn(this))
{
    setCursor(Qt::PointingHandCursor);
    setFont(UiFont(15));
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (IsPopupOpen())
            HidePopup();
        else
            ShowPopup();
    });
    connect(m_popup, &DropBtn::chosen, this, &ComBoxBtn::Choose);
}

int ComBoxBtn::AddItem(const QString& text)
{
    m_items << text;
    return int(m_items.size()) - 1;
}

void ComBoxBtn::Reset()
{
    HidePopup();
    m_items.clear();
    m_sel = -1;
    setText({});
    update();
}

void ComBoxBtn::SetSel(int index)
{
    if (index < -1 || index >= Count())
        return;
    m_sel = index;
    setText(m_items.value(index));
    update();
}

void ComBoxBtn::ShowPopup()
{
    if (m_items.isEmpty())
        return;
    m_popup->Open(m_items, m_sel);
    update();
}

void ComBoxBtn::HidePopup()
{
    m_popup->hide();
    update();
}

bool ComBoxBtn::IsPopupOpen() const { return m_popup->isVisible(); }

void ComBoxBtn::Choose(int index)
{
    SetSel(index);
    HidePopup();
    emit selected(m_notifyId, m_sel);
}

void ComBoxBtn::wheelEvent(QWheelEvent* e)
{
    if (m_items.isEmpty() || !isEnabled()) {
        e->ignore();
        return;
    }
    // Only when the sum of the wheel's deltas sits at a limit does the selection move:
    // towards the user (-120) the next item, away (+120) the previous one. Turning back
    // from a limit therefore first returns the sum to zero.
    m_wheel = std::clamp(m_wheel + e->angleDelta().y(), -120, 120);
    if (m_wheel == -120)
        Choose(std::clamp(m_sel + 1, 0, Count() - 1));
    else if (m_wheel == 120)
        Choose(std::clamp(m_sel - 1, 0, Count() - 1));
}

QSize ComBoxBtn::sizeHint() const
{
    const QFontMetrics fm(font());
    int w = 40;
    for (const QString& s : m_items)
        w = std::max(w, fm.horizontalAdvance(s));
    return {w + 40, fm.height() + 12};
}

void ComBoxBtn::paintEvent(QPaintEvent* /*e*/)
{
    QPainter p(this);
    const Skin::Face face = Skin::FaceFor(isEnabled(), m_hover, isDown());
    Skin::PaintDropDown(p, rect(), face, IsPopupOpen(), m_items.value(m_sel), font());
}

void ComBoxBtn::enterEvent(QEnterEvent* e)
{
    QAbstractButton::enterEvent(e);
    m_hover = true;
    update();
}

void ComBoxBtn::leaveEvent(QEvent* e)
{
    QAbstractButton::leaveEvent(e);
    m_hover = false;
    update();
}

} // namespace ovix
