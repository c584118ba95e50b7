#pragma once
// The About dialog: the software's and the processor's versions, the processor's serial
// text, the language switch, and the way to the firmware update. It returns Accepted when
// the user chose "Firmware Update" and Rejected for "Quit"; Enter and Esc do not close it.
// Beside the console's fixed software text it shows this program's own release.

#include "model/DeviceImage.h"

#include <QDialog>
#include <functional>

class QLabel;
class QLineEdit;

namespace ovix {

class XPButton;

inline constexpr char kSoftwareVersion[] = "LS907-V1.01(F)     2016";

class CVersionDlg final : public QDialog {
    Q_OBJECT
public:
    // systemChinese: the system locale is Chinese (PRC), so the language button offers
    // Chinese by its own name. applyLanguage: the console applies (and saves) the language
    // after the switch.
    CVersionDlg(QWidget* parent, const DeviceImage& image, bool systemChinese,
                std::function<void()> applyLanguage);

    QString SoftwareVersionText() const;
    QString ProgramVersionText() const;
    QString DeviceVersionText() const;
    QString SerialText() const;
    QString LanguageButtonText() const;
    QString FirmwareButtonText() const;
    QString QuitButtonText() const;

    void ToggleLanguage();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

private:
    void SetTexts();

    bool m_systemChinese;
    std::function<void()> m_applyLanguage;
    QLabel* m_software;
    QLabel* m_program;
    QLabel* m_deviceVersion;
    QLineEdit* m_serial;
    XPButton* m_language;
    XPButton* m_firmware;
    XPButton* m_quit;
    bool m_quitting = false;
};

} // namespace ovix
