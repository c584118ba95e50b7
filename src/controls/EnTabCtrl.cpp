#include "controls/EnTabCtrl.h"

#include "controls/Skin.h"
#include "controls/UiGlobals.h"

#include <QFontMetrics>
#include <QPainter>

namespace ovix {

namespace {
QFont TabFont()
{
    QFont f = UiFont(20);
    QStringList families = f.families();
    families.prepend(QStringLiteral("Verdana"));
    f.setFamilies(families);
    return f;
}
} // namespace

EnTabBar::EnTabBar(QWidget* parent)
    : QTabBar(parent)
{
    setFont(TabFont());
    setDrawBase(false);
    setExpanding(false);
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_Hover);
}

QSize EnTabBar::tabSizeHint(int index) const
{
    const QFontMetrics fm(font());
    return {fm.horizontalAdvance(tabText(index)) + 36, fm.height() + 12};
}

void EnTabBar::paintEvent(QPaintEvent* /*e*/)
{
    QPainter p(this);
    p.fillRect(rect(), Skin::DialogBack());
    const QPoint mouse = mapFromGlobal(QCursor::pos());
    for (int i = 0; i < count(); ++i) {
        const QRect r = tabRect(i);
        const bool hover = underMouse() && r.contains(mouse);
        Skin::PaintTab(p, r, tabText(i), i == currentIndex(), hover, font());
    }
}

EnTabCtrl::EnTabCtrl(QWidget* parent)
    : QTabWidget(parent)
{
    setTabBar(new EnTabBar(this));
    setDocumentMode(true);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Skin::DialogBack());
    pal.setColor(QPalette::WindowText, Skin::DialogText());
    setPalette(pal);
}

int EnTabCtrl::AddTab(QWidget* page, const QString& caption) { return addTab(page, caption); }

void EnTabCtrl::paintEvent(QPaintEvent* /*e*/)
{
    QPainter p(this);
    Skin::PaintDialogBackground(p, rect());
    // A line under the tabs joins them to the page.
    const int y = tabBar()->geometry().bottom();
    p.setPen(QColor(150, 156, 176));
    p.drawLine(0, y, width(), y);
}

} // namespace ovix
