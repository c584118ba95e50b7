#include "graph/FStatic.h"

#include "model/KTV_Data.h"

#include <QPainter>

namespace ovix {

CFStatic::CFStatic(QWidget* parent) : QWidget(parent)
{
    setAccessibleName(tr("Response graph"));
}

CFStatic::~CFStatic() = default;

void CFStatic::Attach(CKTV_Data* root)
{
    m_root = root;
    update();
}

void CFStatic::SelectChannel(int channel)
{
    m_channel = channel;
    m_mode = kModeChannelEdit;
    update();
}

void CFStatic::SetMode(int mode)
{
    m_mode = mode;
    update();
}

void CFStatic::Redraw(int filterToShow)
{
    m_filterToShow = filterToShow;
    update();
}

void CFStatic::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
}

void CFStatic::resizeEvent(QResizeEvent*) {}
void CFStatic::mousePressEvent(QMouseEvent*) {}
void CFStatic::mouseMoveEvent(QMouseEvent*) {}
void CFStatic::mouseReleaseEvent(QMouseEvent*) {}

void CFStatic::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
}

} // namespace ovix
