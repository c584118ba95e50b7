#include "controls/HyLink.h"

#include "controls/Skin.h"
#include "controls/UiGlobals.h"

#include <QDesktopServices>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QUrl>

namespace ovix {

HyLink::HyLink(QWidget* parent)
    : QLabel(parent)
    , m_normal(Skin::Accent().lighter(125))
    , m_hoverColour(Skin::Accent().lighter(160))
{
    setAutoFillBackground(false);
    setCursor(Qt::PointingHandCursor);
    setTextFormat(Qt::PlainText);
    ApplyLook();
}

void HyLink::SetColours(const QColor& normal, const QColor& hover)
{
    m_normal = normal;
    m_hoverColour = hover;
    ApplyLook();
}

void HyLink::ApplyLook()
{
    QFont f = UiFont(20);
    f.setWeight(QFont::Light);
    f.setUnderline(m_hover);
    setFont(f);
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, m_hover ? m_hoverColour : m_normal);
    setPalette(pal);
}

void HyLink::enterEvent(QEnterEvent* e)
{
    QLabel::enterEvent(e);
    m_hover = true;
    ApplyLook();
}

void HyLink::leaveEvent(QEvent* e)
{
    QLabel::leaveEvent(e);
    m_hover = false;
    ApplyLook();
}

void HyLink::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()) && !text().isEmpty()) {
        const bool opened = QDesktopServices::openUrl(QUrl::fromUserInput(text()));
        emit activated(opened);
        return;
    }
    QLabel::mouseReleaseEvent(e);
}

} // namespace ovix
