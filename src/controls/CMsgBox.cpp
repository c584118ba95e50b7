#include "controls/CMsgBox.h"

#include "controls/Skin.h"
#include "controls/UiGlobals.h"
#include "controls/XPButton.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace ovix {

CMsgBox::CMsgBox(QWidget* parent)
    : QDialog(parent)
    , m_label(new QLabel(this))
    , m_ok(new XPButton(this))
{
    setModal(true);
    setWindowTitle(g_strAppTitle);
    m_label->setFont(UiFont(15));
    m_label->setWordWrap(true);
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setMinimumWidth(260);
    QPalette pal = m_label->palette();
    pal.setColor(QPalette::WindowText, Skin::DialogText());
    m_label->setPalette(pal);
    m_ok->SetCaption(tr("OK"));
    m_ok->setFixedSize(96, 32);
    connect(m_ok, &QAbstractButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 18, 20, 14);
    layout->setSpacing(14);
    layout->addWidget(m_label);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(m_ok);
    row->addStretch();
    layout->addLayout(row);

    m_closeTimer.setSingleShot(true);
    m_closeTimer.setInterval(kCloseDelayMs);
    connect(&m_closeTimer, &QTimer::timeout, this, &CMsgBox::OnCloseTimer);
}

QString CMsgBox::Text() const { return m_label->text(); }

int CMsgBox::Show(const QString& text)
{
    m_label->setText(text);
    setWindowTitle(g_strAppTitle);
    adjustSize();
    return exec();
}

void CMsgBox::ShowText(QWidget* parent, const QString& text)
{
    CMsgBox box(parent);
    box.Show(text);
}

void CMsgBox::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    m_closeTimer.start();
    emit shown(Text());
}

void CMsgBox::hideEvent(QHideEvent* e)
{
    m_closeTimer.stop();
    QDialog::hideEvent(e);
}

void CMsgBox::keyPressEvent(QKeyEvent* e)
{
    // Enter closes the box whichever of its parts has the focus.
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        accept();
        return;
    }
    QDialog::keyPressEvent(e);
}

void CMsgBox::changeEvent(QEvent* e)
{
    QDialog::changeEvent(e);
    if (e->type() == QEvent::LanguageChange)
        m_ok->SetCaption(tr("OK"));
}

void CMsgBox::OnCloseTimer()
{
    if (isVisible())
        accept();
}

void CMsgBox::paintEvent(QPaintEvent* /*e*/)
{
    QPainter p(this);
    Skin::PaintDialogBackground(p, rect());
}

} // namespace ovix
