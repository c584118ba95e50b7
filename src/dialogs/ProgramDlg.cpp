#include "dialogs/ProgramDlg.h"

#include "controls/UiGlobals.h"
#include "controls/UiLanguage.h"

#include <QButtonGroup>
#include <QEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>

#include <algorithm>

namespace ovix {

namespace {
const QColor kDialogBack(227, 228, 238);
const QColor kListBack(247, 247, 255);
const QColor kListText(0, 0, 255);
constexpr int kNameChars = 13;
constexpr int kRowHeight = 22;
constexpr int kHeaderHeight = 24;
} // namespace

CProgramDlg::CProgramDlg(IProgramHost& host, QWidget* parent)
    : QDialog(parent), m_host(host)
{
    setModal(true);
    setFixedSize(kWidth, kHeight);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, kDialogBack);
    setPalette(pal);
    const QFont font = UiFont(12);

    // The list: ID and Name, ten rows, whole rows selected, grid lines.
    m_list = new QTableWidget(kRows, 2, this);
    m_list->setGeometry(12, 12, 222, 26 + kRows * kRowHeight);
    m_list->setFont(font);
    m_list->verticalHeader()->hide();
    m_list->verticalHeader()->setDefaultSectionSize(kRowHeight);
    m_list->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_list->horizontalHeader()->setStretchLastSection(false);
    m_list->horizontalHeader()->setFixedHeight(kHeaderHeight);  // the same in both languages
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setShowGrid(true);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setTabKeyNavigation(false);
    QPalette lp = m_list->palette();
    lp.setColor(QPalette::Base, kListBack);
    lp.setColor(QPalette::Text, kListText);
    m_list->setPalette(lp);
    for (int r = 0; r < kRows; ++r) {
        auto* id = new QTableWidgetItem(QString::number(r + 1));
        id->setForeground(kListText);
        id->setBackground(kListBack);
        m_list->setItem(r, 0, id);
        auto* name = new QTableWidgetItem;
        name->setForeground(kListText);
        name->setBackground(kListBack);
        m_list->setItem(r, 1, name);
    }

    m_idLabel = new QLabel(this);
    m_idLabel->setGeometry(250, 18, 60, 22);
    m_number = new QLabel(this);
    m_number->setGeometry(312, 18, 60, 22);
    m_nameLabel = new QLabel(this);
    m_nameLabel->setGeometry(250, 52, 60, 24);
    m_name = new QLineEdit(this);
    m_name->setGeometry(312, 52, 164, 24);
    m_name->setMaxLength(kNameChars);
    for (QWidget* w : std::initializer_list<QWidget*>{m_idLabel, m_number, m_nameLabel, m_name})
        w->setFont(font);

    auto button = [&](QWidget* parentWidget, QRect at) {
        auto* b = new QPushButton(parentWidget);
        b->setGeometry(at);
        b->setFont(font);
        b->setAutoDefault(false);  // Enter never presses a button of this dialog
        return b;
    };
    m_store = button(this, {250, 96, 70, 28});
    m_recall = button(this, {328, 96, 70, 28});
    m_delete = button(this, {406, 96, 70, 28});

    // The PC group: where a PC recall and a PC store take their programs from or to.
    m_pcGroup = new QGroupBox(this);
    m_pcGroup->setGeometry(12, 274, 466, 86);
    m_pcGroup->setFont(font);
    auto* recallGroup = new QButtonGroup(this);
    auto* storeGroup = new QButtonGroup(this);
    for (int k = 0; k < 2; ++k) {
        m_recallChoice[k] = new QRadioButton(m_pcGroup);
        m_recallChoice[k]->setGeometry(10, 24 + 28 * k, 168, 24);
        m_recallChoice[k]->setFont(font);
        recallGroup->addButton(m_recallChoice[k], k);
        m_storeChoice[k] = new QRadioButton(m_pcGroup);
        m_storeChoice[k]->setGeometry(244, 24 + 28 * k, 158, 24);
        m_storeChoice[k]->setFont(font);
        storeGroup->addButton(m_storeChoice[k], k);
    }
    m_recallChoice[0]->setChecked(true);
    m_storeChoice[0]->setChecked(true);
    m_pcRecall = button(m_pcGroup, {180, 36, 56, 28});
    m_pcStore = button(m_pcGroup, {404, 36, 56, 28});

    connect(m_list, &QTableWidget::currentCellChanged, this, [this](int row, int, int, int) {
        if (row >= 0)
            Select(row + 1);
    });
    connect(m_store, &QPushButton::clicked, this, &CProgramDlg::OnStore);
    connect(m_recall, &QPushButton::clicked, this, &CProgramDlg::OnRecall);
    connect(m_delete, &QPushButton::clicked, this, &CProgramDlg::OnDelete);
    connect(m_pcRecall, &QPushButton::clicked, this, &CProgramDlg::OnPcRecall);
    connect(m_pcStore, &QPushButton::clicked, this, &CProgramDlg::OnPcStore);

    setTabOrder(m_list, m_name);
    setTabOrder(m_name, m_store);
    setTabOrder(m_store, m_recall);
    setTabOrder(m_recall, m_delete);
    setTabOrder(m_delete, m_recallChoice[0]);
    setTabOrder(m_recallChoice[0], m_recallChoice[1]);
    setTabOrder(m_recallChoice[1], m_pcRecall);
    setTabOrder(m_pcRecall, m_storeChoice[0]);
    setTabOrder(m_storeChoice[0], m_storeChoice[1]);
    setTabOrder(m_storeChoice[1], m_pcStore);

    Retranslate();
    FillRows();
    Select(1);
}

void CProgramDlg::FillRows()
{
    for (int r = 0; r < kRows; ++r)
        m_list->item(r, 1)->setText(m_host.ProgramName(r + 1));
}

QString CProgramDlg::RowName(int program) const
{
    return m_list->item(program - 1, 1)->text();
}

void CProgramDlg::Select(int program)
{
    m_selected = std::clamp(program, 1, kRows);
    if (m_list->currentRow() != m_selected - 1)
        m_list->setCurrentCell(m_selected - 1, 0);  // comes back here through the list's signal
    ShowSelected();
}

void CProgramDlg::ShowSelected()
{
    m_number->setText(QString::number(m_selected));
    m_name->setText(RowName(m_selected));
}

void CProgramDlg::OnStore()
{
    const QString text = m_name->text();
    switch (m_host.StoreProgram(m_selected, text)) {
    case IProgramHost::Store::Stored:
        m_list->item(m_selected - 1, 1)->setText(text);
        break;
    case IProgramHost::Store::Refused:
        // an empty name stays as it is; a blank or taken one is cleared for a new try
        if (!text.isEmpty())
            m_name->clear();
        m_name->setFocus();
        break;
    case IProgramHost::Store::NotConnected:
        break;
    }
}

void CProgramDlg::OnRecall()
{
    if (!m_host.Synced())
        return;
    m_host.RecallProgram(m_selected);
}

void CProgramDlg::OnDelete()
{
    if (!m_host.Confirm(tr("Are you delete this Data?")))
        return;
    if (!m_host.Synced())
        return;
    m_name->clear();
    m_host.DeleteProgram(m_selected);
    m_list->item(m_selected - 1, 1)->setText(QString());
}

void CProgramDlg::OnPcRecall()
{
    if (m_recallChoice[0]->isChecked()) {
        if (m_host.LoadAllPrograms()) {
            FillRows();
            ShowSelected();
        }
    } else {
        m_host.LoadSingleProgram();
    }
}

void CProgramDlg::OnPcStore()
{
    if (m_storeChoice[0]->isChecked())
        m_host.SaveAllPrograms();
    else
        m_host.SaveSingleProgram();
}

void CProgramDlg::Retranslate()
{
    setWindowTitle(tr("File"));
    m_list->setHorizontalHeaderLabels({tr("ID"), tr("Name")});
    // the Name column is a little wider in Chinese; the list fits its two columns
    const int nameWidth = CurrentUiLanguage() == UiLanguage::Chinese ? 180 : 176;
    m_list->setColumnWidth(0, 30);
    m_list->setColumnWidth(1, nameWidth);
    m_list->resize(30 + nameWidth + 2 * m_list->frameWidth(), kHeaderHeight + kRows * kRowHeight + 2 * m_list->frameWidth());
    m_idLabel->setText(tr("ID:"));
    m_nameLabel->setText(tr("Name:"));
    m_store->setText(tr("Store"));
    m_recall->setText(tr("Recall"));
    m_delete->setText(tr("Delete"));
    m_pcGroup->setTitle(tr("PC Program"));
    m_recallChoice[0]->setText(tr("Recall all data from PC"));
    m_recallChoice[1]->setText(tr("Recall data from PC"));
    m_storeChoice[0]->setText(tr("Store all data to PC"));
    m_storeChoice[1]->setText(tr("Store data to PC"));
    m_pcRecall->setText(tr("Recall"));
    m_pcStore->setText(tr("Store"));

    // Screen readers name each control by what it does.
    m_list->setAccessibleName(tr("Program list"));
    m_name->setAccessibleName(tr("Name"));
    m_store->setAccessibleName(tr("Store"));
    m_recall->setAccessibleName(tr("Recall"));
    m_delete->setAccessibleName(tr("Delete"));
    for (int k = 0; k < 2; ++k) {
        m_recallChoice[k]->setAccessibleName(m_recallChoice[k]->text());
        m_storeChoice[k]->setAccessibleName(m_storeChoice[k]->text());
    }
    m_pcRecall->setAccessibleName(tr("PC recall"));
    m_pcStore->setAccessibleName(tr("PC store"));
    m_number->setAccessibleName(m_idLabel->text());
}

void CProgramDlg::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        setFocus();  // Enter and Esc never close the dialog
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void CProgramDlg::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::LanguageChange)
        Retranslate();
}

} // namespace ovix
