#include "controls/SxGroupBox.h"

#include "controls/Skin.h"
#include "controls/UiGlobals.h"

#include <QPainter>

namespace ovix {

SxGroupBox::SxGroupBox(QWidget* parent)
    : QWidget(parent)
    , m_fill(Skin::GroupFill())
    , m_edge(Skin::GroupFill().darker(150))
    , m_text(Skin::DialogText())
{
    setFont(UiFont(14, true));
}

void SxGroupBox::SetCaption(const QString& text)
{
    m_caption = text;
    update();
}

void SxGroupBox::SetColours(const QColor& fill, const QColor& edge, const QColor& text)
{
    m_fill = fill;
    m_edge = edge;
    m_text = text;
    update();
}

void SxGroupBox::SetFontHeight(int pixels, bool bold)
{
    setFont(UiFont(pixels, bold));
    update();
}

void SxGroupBox::paintEvent(QPaintEvent* /*e*/)
{
    QPainter p(this);
    Skin::PaintPanel(p, rect(), m_caption, m_fill, m_edge, m_text, font());
}

} // namespace ovix
