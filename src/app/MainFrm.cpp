#include "app/MainFrm.h"

#include "controls/UiGlobals.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QRegion>
#include <QScreen>

namespace ovix {

CMainFrame::CMainFrame(ParameterModel& model, LinkFlags& flags, CQamrelView::Options options)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint)
{
    setWindowTitle(g_strAppTitle);
    setFixedSize(kWidth, kHeight);
    m_view = new CQamrelView(model, flags, std::move(options), this);
    m_view->move(2, 2);
    connect(m_view, &CQamrelView::minimiseRequested, this, &QWidget::showMinimized);
    connect(m_view, &CQamrelView::closeRequested, this, &QWidget::close);
}

void CMainFrame::CentreOnScreen()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(kWidth / 2, kHeight / 2));
    }
}

void CMainFrame::resizeEvent(QResizeEvent* event)
{
    setWindowTitle(g_strAppTitle);
    setMask(QRegion(rect().adjusted(2, 2, -2, -2)));
    QWidget::resizeEvent(event);
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    // the link worker stops before the window goes
    m_view->StopLink();
    QWidget::closeEvent(event);
}

} // namespace ovix
