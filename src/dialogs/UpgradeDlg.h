#pragma once
// The firmware update dialog: the firmware file, "Browse", "Update", "Quit", a progress bar
// and a status line. The update itself runs in the console's link; the dialog starts it,
// shows its progress and ends it when the user quits or closes the window (the update then
// fails). It stays responsive throughout: nothing here waits for the processor.

#include "tables/Messages.h"

#include <QDialog>

class QLabel;
class QLineEdit;

namespace ovix {

class GradientProgressCtrl;
class SxGroupBox;
class XPButton;

// What the dialog needs of the console.
class IFirmwareHost {
public:
    virtual ~IFirmwareHost() = default;
    // Reads the file and starts the update; false (its message shown) when it cannot start.
    virtual bool StartFirmwareUpdate(const QString& path) = 0;
    // Ends a running update with the failure message; false when none runs.
    virtual bool AbandonFirmwareUpdate() = 0;
    virtual bool FirmwareRunning() const = 0;
    // The file-open dialog for "*.bin" starting in the remembered folder; the chosen file
    // (the settings then remember it and its folder) or an empty string.
    virtual QString BrowseFirmware(QWidget* parent) = 0;
};

class CUpgradeDlg final : public QDialog {
    Q_OBJECT
public:
    CUpgradeDlg(QWidget* parent, IFirmwareHost& host, const QString& firmwareFile);

    void OnBrowse();
    void OnUpdate();
    void OnQuit();

    // From the console while the update runs.
    void SetStatus(MessageId status);
    void SetStatusText(const QString& text);
    void SetProgress(int position, int maximum);
    void UpdateEnded(bool success);

    QString PathText() const;
    void SetPathText(const QString& path);
    QString StatusText() const;
    int ProgressValue() const;
    int ProgressMaximum() const;
    QString UpdateButtonText() const;
    QString BrowseButtonText() const;
    QString QuitButtonText() const;
    QString GroupCaption() const;

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void SetTexts();

    IFirmwareHost& m_host;
    SxGroupBox* m_group;
    QLineEdit* m_path;
    XPButton* m_browse;
    XPButton* m_update;
    XPButton* m_quit;
    GradientProgressCtrl* m_progress;
    QLabel* m_status;
    // the status line's message, so it follows a language switch; -1 for a literal text
    int m_statusMessage = -1;
};

} // namespace ovix
