#include "controls/GradientProgressCtrl.h"

#include "controls/Skin.h"
#include "controls/UiGlobals.h"

#include <QLinearGradient>
#include <QPainter>

#include <algorithm>

namespace ovix {

GradientProgressCtrl::GradientProgressCtrl(QWidget* parent)
    : QProgressBar(parent)
    , m_start(Skin::Accent().darker(150))
    , m_end(Skin::Accent().lighter(130))
    , m_back(Skin::ProgressBack())
    , m_text(Skin::Text())
{
    setFont(UiFont(13, true));
    setTextVisible(false);
}

void GradientProgressCtrl::SetColours(const QColor& start, const QColor& end)
{
    m_start = start;
    m_end = end;
    update();
}

void GradientProgressCtrl::SetBackColour(const QColor& back)
{
    m_back = back;
    update();
}

void GradientProgressCtrl::SetTextColour(const QColor& text)
{
    m_text = text;
    update();
}

double GradientProgressCtrl::Fraction() const
{
    const double span = double(maximum()) - minimum();
    if (span <= 0)
        return 0.0;
    return std::clamp((double(value()) - minimum()) / span, 0.0, 1.0);
}

void GradientProgressCtrl::paintEvent(QPaintEvent* /*e*/)
{
    QPainter p(this);
    const QRectF r = rect();
    p.fillRect(r, m_back);
    const double filled = r.width() * Fraction();
    if (filled > 0) {
        // The gradient spans the whole bar, so a colour always stands for the same share.
        QLinearGradient g(r.topLeft(), r.topRight());
        g.setColorAt(0.0, m_start);
        g.setColorAt(1.0, m_end);
        p.fillRect(QRectF(r.left(), r.top(), filled, r.height()), g);
    }
    if (isTextVisible()) {
        p.setFont(font());
        p.setPen(m_text);
        p.drawText(r, Qt::AlignCenter, QStringLiteral("%1%").arg(int(Fraction() * 100.0 + 0.5)));
    }
}

} // namespace ovix
