#include "controls/DropBtn.h"

#include "controls/Skin.h"
#include "controls/UiGlobals.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QListWidget>
#include <QMouseEvent>
#include <QVBoxLayout>

#include <algorithm>

namespace ovix {

namespace {
constexpr int kMaxVisibleRows = 10;
}

DropBtn::DropBtn(QWidget* owner)
    : QFrame(owner, Qt::Popup | Qt::FramelessWindowHint)
    , m_owner(owner)
    , m_list(new QListWidget(this))
{
    setFrameShape(QFrame::NoFrame);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->addWidget(m_list);
    m_list->setFont(UiFont(15));
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setMouseTracking(true);
    m_list->setStyleSheet(QStringLiteral("QListWidget::item { padding-left: 6px; }"));
    m_list->installEventFilter(this);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Skin::PanelEdge());
    pal.setColor(QPalette::Base, Skin::Panel());
    pal.setColor(QPalette::Text, Skin::Text());
    pal.setColor(QPalette::Highlight, Skin::Accent());
    pal.setColor(QPalette::HighlightedText, Skin::AccentText());
    setPalette(pal);
    setAutoFillBackground(true);
    m_list->setPalette(pal);
    // Hovering moves the current row, as in any drop-down list.
    connect(m_list, &QListWidget::itemEntered, m_list,
            [this](QListWidgetItem* item) { m_list->setCurrentItem(item); });
    connect(m_list, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { Choose(m_list->row(item)); });
}

void DropBtn::Open(const QStringList& items, int current)
{
    m_list->clear();
    const int rowHeight = QFontMetrics(m_list->font()).height() + 8;
    for (const QString& text : items) {
        auto* item = new QListWidgetItem(text, m_list);  // owned by the list
        item->setSizeHint(QSize(0, rowHeight));
    }
    if (current >= 0 && current < m_list->count())
        m_list->setCurrentRow(current);
    const int rows = std::clamp(int(items.size()), 1, kMaxVisibleRows);
    const int width = m_owner ? m_owner->width() : 120;
    resize(width, rows * rowHeight + 2);
    if (m_owner)
        move(m_owner->mapToGlobal(QPoint(0, m_owner->height())));
    show();
    m_list->setFocus(Qt::PopupFocusReason);
}

void DropBtn::Choose(int index)
{
    if (!isVisible())
        return;  // one choice per opening
    hide();
    if (index >= 0)
        emit chosen(index);
}

void DropBtn::mousePressEvent(QMouseEvent* e)
{
    // A press outside closes the list. On the owning button it must not reach the button
    // as well, or the button would open the list again at once.
    if (m_owner && !rect().contains(e->position().toPoint())) {
        const QPoint onOwner = m_owner->mapFromGlobal(e->globalPosition().toPoint());
        if (m_owner->rect().contains(onOwner))
            setAttribute(Qt::WA_NoMouseReplay);
    }
    QFrame::mousePressEvent(e);
}

bool DropBtn::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == m_list && e->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(e)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Choose(m_list->currentRow());
            return true;
        }
        if (key == Qt::Key_Escape) {
            hide();
            return true;
        }
    }
    return QFrame::eventFilter(watched, e);
}

} // namespace ovix
