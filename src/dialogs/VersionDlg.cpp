#include "dialogs/VersionDlg.h"

#include "controls/SN_Edit.h"
#include "controls/UiGlobals.h"
#include "controls/UiLanguage.h"
#include "controls/XPButton.h"
#include "tables/TextField.h"

#include "OvixVersion.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>

namespace ovix {

namespace {

const QColor kDialogBack(227, 228, 238);

QString Trimmed(const std::uint8_t* text, std::size_t n)
{
    return QString::fromStdString(DecodeTextField({text, n}));
}

} // namespace

CVersionDlg::CVersionDlg(QWidget* parent, const DeviceImage& image, bool systemChinese,
                         std::function<void()> applyLanguage)
    : QDialog(parent), m_systemChinese(systemChinese), m_applyLanguage(std::move(applyLanguage))
{
    setFixedSize(420, 260);
    setModal(true);

    m_software = new QLabel(QString::fromLatin1(kSoftwareVersion), this);
    m_software->setFont(UiFont(14));
    m_software->setGeometry(150, 40, 250, 22);

    // the release of this program, the same in both languages
    m_program = new QLabel(QStringLiteral("OVIX ") + QString::fromLatin1(kOvixVersion), this);
    m_program->setFont(UiFont(12));
    m_program->setGeometry(150, 94, 250, 18);

    m_deviceVersion = new QLabel(Trimmed(image.version, 11), this);
    m_deviceVersion->setFont(UiFont(14));
    m_deviceVersion->setGeometry(150, 68, 250, 22);

    m_serial = new SN_Edit(this);
    m_serial->setText(QStringLiteral("S/N:") + Trimmed(image.deviceInfo, sizeof image.deviceInfo));
    m_serial->setAlignment(Qt::AlignCenter);
    m_serial->setFont(UiFont(14));
    m_serial->setGeometry(20, 120, 380, 26);

    m_language = new XPButton(this);
    m_language->setGeometry(20, 200, 110, 36);
    m_firmware = new XPButton(this);
    m_firmware->setGeometry(145, 200, 140, 36);
    m_quit = new XPButton(this);
    m_quit->setGeometry(300, 200, 100, 36);

    connect(m_language, &QAbstractButton::clicked, this, &CVersionDlg::ToggleLanguage);
    connect(m_firmware, &QAbstractButton::clicked, this, &QDialog::accept);
    connect(m_quit, &QAbstractButton::clicked, this, [this] {
        m_quitting = true;
        QDialog::reject();
    });
    SetTexts();
}

void CVersionDlg::SetTexts()
{
    setWindowTitle(tr("About"));
    m_quit->SetCaption(tr("Quit"));
    m_firmware->SetCaption(tr("Firmware Update"));
    // The button names the other language: Chinese by its own name on a Chinese system,
    // English in the Chinese interface (the translation of both).
    m_language->SetCaption(m_systemChinese ? tr("中文", "language button on a Chinese system: names the other language")
                                           : tr("Chinese", "language button: names the other language"));
    update();
}

void CVersionDlg::ToggleLanguage()
{
    SetUiLanguage(CurrentUiLanguage() == UiLanguage::Chinese ? UiLanguage::English : UiLanguage::Chinese);
    if (m_applyLanguage)
        m_applyLanguage();
}

void CVersionDlg::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::LanguageChange)
        SetTexts();
}

QString CVersionDlg::SoftwareVersionText() const { return m_software->text(); }
QString CVersionDlg::ProgramVersionText() const { return m_program->text(); }
QString CVersionDlg::DeviceVersionText() const { return m_deviceVersion->text(); }
QString CVersionDlg::SerialText() const { return m_serial->text(); }
QString CVersionDlg::LanguageButtonText() const { return m_language->CurrentText(); }
QString CVersionDlg::FirmwareButtonText() const { return m_firmware->CurrentText(); }
QString CVersionDlg::QuitButtonText() const { return m_quit->CurrentText(); }

void CVersionDlg::keyPressEvent(QKeyEvent* event)
{
    // Enter and Esc only bring the focus to the dialog
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Escape) {
        setFocus();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CVersionDlg::reject()
{
    // only "Quit" (and closing the window) leave with Cancel
    if (m_quitting)
        QDialog::reject();
}

void CVersionDlg::closeEvent(QCloseEvent* event)
{
    m_quitting = true;  // the window's own close box quits like "Quit"
    QDialog::closeEvent(event);
}

void CVersionDlg::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), kDialogBack);
    // the product logo
    QRect logo(20, 30, 110, 70);
    p.setBrush(QColor(38, 44, 56));
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(logo, 10, 10);
    p.setPen(QColor(255, 170, 40));
    p.setFont(UiFont(30, true));
    p.drawText(logo, Qt::AlignCenter, QStringLiteral("OVIX"));
}

} // namespace ovix
