#include "dialogs/CH_Link_Dlg.h"

#include "controls/ButtonRadio.h"
#include "controls/UiGlobals.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace ovix {

namespace {
const QColor kDialogBack(227, 228, 238);
} // namespace

CCH_Link_Dlg::CCH_Link_Dlg(int pair, QWidget* parent)
    : QDialog(parent), m_pair(pair)
{
    setModal(true);
    // The caption the dialog has until its texts are applied (below, and on a language
    // change); a pair outside 0..2 keeps it.
    setWindowTitle(QStringLiteral("Link"));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, kDialogBack);
    setPalette(pal);

    m_question = new QLabel(this);
    m_question->setFont(UiFont(14));
    m_first = new ButtonRadio(this);
    m_second = new ButtonRadio(this);
    for (ButtonRadio* r : {m_first, m_second}) {
        r->SetTextColour(Qt::black);
        r->setFont(UiFont(14));
    }
    m_first->setChecked(true);  // the pair's first channel is the reference until chosen otherwise
    m_ok = new QPushButton(this);
    m_cancel = new QPushButton(this);
    m_ok->setDefault(true);
    for (QPushButton* b : {m_ok, m_cancel}) {
        b->setFont(UiFont(14));
        b->setMinimumWidth(80);
    }

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 16, 20, 14);
    layout->setSpacing(10);
    layout->addWidget(m_question);
    layout->addWidget(m_first);
    layout->addWidget(m_second);
    layout->addSpacing(6);
    layout->addLayout(buttons);

    // Each click stores the choice at once.
    connect(m_first, &QRadioButton::clicked, this, [this] { m_choice = 0; });
    connect(m_second, &QRadioButton::clicked, this, [this] { m_choice = 1; });
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);

    Retranslate();
    setFixedSize(sizeHint().expandedTo(QSize(340, 0)));
}

void CCH_Link_Dlg::Retranslate()
{
    m_question->setText(tr("Which channel data should be applied? "));
    m_ok->setText(tr("OK"));
    m_cancel->setText(tr("Cancel"));

    QString caption;
    QString first;
    QString second;
    switch (m_pair) {
    case 0:
        caption = tr("Grouping of Front channel");
        first = tr("CH1.Front Left be applied?");
        second = tr("CH2.Front Right be applied? ");
        break;
    case 1:
        caption = tr("Grouping of Rear channel");
        first = tr("CH3.Rear Left be applied? ");
        second = tr("CH4.Rear Right be applied? ");
        break;
    case 2:
        caption = tr("Grouping of CH5 and CH6 channel");
        first = tr("CH5.Left be applied? ");
        second = tr("CH6.Right be applied? ");
        break;
    default:
        break;
    }
    if (!caption.isEmpty())
        setWindowTitle(caption);
    m_first->SetCaption(first);
    m_second->SetCaption(second);

    // Screen readers name each control by what it says.
    m_first->setAccessibleName(first);
    m_second->setAccessibleName(second);
    m_ok->setAccessibleName(m_ok->text());
    m_cancel->setAccessibleName(m_cancel->text());
    m_question->setAccessibleName(m_question->text());
}

void CCH_Link_Dlg::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::LanguageChange)
        Retranslate();
}

} // namespace ovix
