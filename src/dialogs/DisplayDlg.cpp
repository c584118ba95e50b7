#include "dialogs/DisplayDlg.h"

#include "controls/UiGlobals.h"

#include <QEvent>
#include <QKeyEvent>
#include <QPainter>

namespace ovix {

namespace {
constexpr int kTickMs = 200;
const QColor kBackground(229, 229, 229);
const QColor kLabel(0, 0, 128);
const QColor kBlinkLight(240, 240, 240);
const QColor kBlinkGreen(40, 150, 76);
} // namespace

CDisplayDlg::CDisplayDlg(QWidget* console, LinkFlags& flags)
    : QWidget(console, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_console(console), m_flags(flags)
{
    setFixedSize(200, 64);
    setAttribute(Qt::WA_ShowWithoutActivating);
    m_timer.setInterval(kTickMs);
    connect(&m_timer, &QTimer::timeout, this, &CDisplayDlg::Tick);
}

void CDisplayDlg::Show(QWidget* owner)
{
    m_owner = owner ? owner : m_console;
    const QRect r(m_console->mapToGlobal(QPoint(0, 0)), m_console->size());
    move(r.left() + r.width() / 2 - 60, r.top() + r.height() / 2);
    m_ended = false;
    m_colour = kLabel;
    if (m_owner)
        m_owner->setEnabled(false);
    show();
    raise();
    m_timer.start();  // showing again restarts the timer
    update();
}

void CDisplayDlg::Close()
{
    m_timer.stop();
    if (m_owner)
        m_owner->setEnabled(true);
    m_owner = nullptr;
    m_blink = false;
    hide();
}

void CDisplayDlg::Tick()
{
    if (m_flags.busy) {
        m_blink = !m_blink;
        m_colour = m_blink ? kBlinkLight : kBlinkGreen;
        update();
        return;
    }
    m_ended = true;
    Close();
}

QString CDisplayDlg::Text() const
{
    return m_ended ? tr("End of ") : tr("Load Data");
}

void CDisplayDlg::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), kBackground);
    p.setPen(QColor(160, 160, 170));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    p.setPen(m_colour);
    p.setFont(UiFont(18, true));
    p.drawText(rect(), Qt::AlignCenter, Text());
}

void CDisplayDlg::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LanguageChange)
        update();  // the label is painted in the new language
}

void CDisplayDlg::keyPressEvent(QKeyEvent* event)
{
    setFocus();  // keys only bring the focus here
    event->accept();
}

} // namespace ovix
