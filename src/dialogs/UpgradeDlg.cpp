#include "dialogs/UpgradeDlg.h"

#include "controls/GradientProgressCtrl.h"
#include "controls/SxGroupBox.h"
#include "controls/UiGlobals.h"
#include "controls/UiLanguage.h"
#include "controls/XPButton.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

#include <algorithm>

namespace ovix {

namespace {
const QColor kDialogBack(227, 228, 238);
} // namespace

CUpgradeDlg::CUpgradeDlg(QWidget* parent, IFirmwareHost& host, const QString& firmwareFile)
    : QDialog(parent), m_host(host)
{
    setModal(true);
    setFixedSize(385, 220);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, kDialogBack);
    setPalette(pal);
    const QFont font = UiFont(12);

    m_group = new SxGroupBox(this);
    m_group->setGeometry(12, 8, 361, 64);
    m_path = new QLineEdit(this);
    m_path->setGeometry(24, 34, 255, 26);
    m_path->setFont(font);
    m_path->setText(firmwareFile);
    m_browse = new XPButton(this);
    m_browse->setGeometry(287, 30, 76, 32);

    m_progress = new GradientProgressCtrl(this);
    m_progress->setGeometry(12, 84, 361, 22);
    m_progress->SetShowPercent(true);
    m_progress->setRange(0, 100);
    m_progress->setValue(0);

    m_status = new QLabel(this);
    m_status->setGeometry(12, 114, 361, 22);
    m_status->setFont(font);

    m_update = new XPButton(this);
    m_update->setGeometry(60, 162, 110, 36);
    m_quit = new XPButton(this);
    m_quit->setGeometry(215, 162, 110, 36);

    connect(m_browse, &QAbstractButton::clicked, this, &CUpgradeDlg::OnBrowse);
    connect(m_update, &QAbstractButton::clicked, this, &CUpgradeDlg::OnUpdate);
    connect(m_quit, &QAbstractButton::clicked, this, &CUpgradeDlg::OnQuit);
    setTabOrder(m_path, m_browse);
    setTabOrder(m_browse, m_update);
    setTabOrder(m_update, m_quit);
    SetTexts();
}

void CUpgradeDlg::SetTexts()
{
    setWindowTitle(tr("Device Firmware Update"));
    m_group->SetCaption(tr("Update File"));
    m_browse->SetCaption(tr("Browse"));
    m_update->SetCaption(tr("Update"));
    m_quit->SetCaption(tr("Quit"));
    m_path->setAccessibleName(tr("Firmware file"));
    m_progress->setAccessibleName(tr("Firmware update progress"));
    m_status->setAccessibleName(tr("Firmware update status"));
    if (m_statusMessage >= 0)
        SetStatus(MessageId(m_statusMessage));
}

void CUpgradeDlg::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::LanguageChange)
        SetTexts();
}

void CUpgradeDlg::OnBrowse()
{
    const QString chosen = m_host.BrowseFirmware(this);
    if (!chosen.isEmpty())
        m_path->setText(chosen);
}

void CUpgradeDlg::OnUpdate()
{
    if (m_host.FirmwareRunning())
        return;  // one update at a time
    SetStatusText({});
    m_progress->setValue(0);
    const QString path = m_path->text();
    if (!m_host.StartFirmwareUpdate(path)) {
        m_path->setText(path);
        return;
    }
    m_path->setEnabled(false);
    m_browse->setEnabled(false);
}

void CUpgradeDlg::OnQuit()
{
    m_host.AbandonFirmwareUpdate();  // nothing when no update runs
    done(QDialog::Rejected);
}

void CUpgradeDlg::reject()
{
    OnQuit();  // Esc quits like "Quit"
}

void CUpgradeDlg::closeEvent(QCloseEvent* event)
{
    // the close box quits like "Quit"; a running update then fails
    m_host.AbandonFirmwareUpdate();
    QDialog::closeEvent(event);
}

void CUpgradeDlg::keyPressEvent(QKeyEvent* event)
{
    // Enter on the path field does not start an update by surprise: only "Update" does
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (auto* button = qobject_cast<QAbstractButton*>(focusWidget()))
            button->click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CUpgradeDlg::SetStatus(MessageId status)
{
    // the Chinese console says a little more than the English one, which keeps its line
    if (IsChineseOnlyStatus(status) && CurrentUiLanguage() != UiLanguage::Chinese)
        return;
    m_statusMessage = status;
    m_status->setText(MessageText(status));
}

void CUpgradeDlg::SetStatusText(const QString& text)
{
    m_statusMessage = -1;
    m_status->setText(text);
}

void CUpgradeDlg::SetProgress(int position, int maximum)
{
    if (maximum > 0 && m_progress->maximum() != maximum)
        m_progress->setRange(0, maximum);
    m_progress->setValue(std::clamp(position, 0, m_progress->maximum()));
}

void CUpgradeDlg::UpdateEnded(bool /*success*/)
{
    m_path->setEnabled(true);
    m_browse->setEnabled(true);
}

QString CUpgradeDlg::PathText() const { return m_path->text(); }
void CUpgradeDlg::SetPathText(const QString& path) { m_path->setText(path); }
QString CUpgradeDlg::StatusText() const { return m_status->text(); }
int CUpgradeDlg::ProgressValue() const { return m_progress->value(); }
int CUpgradeDlg::ProgressMaximum() const { return m_progress->maximum(); }
QString CUpgradeDlg::UpdateButtonText() const { return m_update->CurrentText(); }
QString CUpgradeDlg::BrowseButtonText() const { return m_browse->CurrentText(); }
QString CUpgradeDlg::QuitButtonText() const { return m_quit->CurrentText(); }
QString CUpgradeDlg::GroupCaption() const { return m_group->Caption(); }

} // namespace ovix
