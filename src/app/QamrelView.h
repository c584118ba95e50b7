#pragma once
// The console view: the one working surface of the application. It owns the connection to
// the processor (the engine's CConsoleLink, fed by this window thread), the document with
// the records, the settings, and the console's own windows; it paints the console's
// background regions and carries the command row.

#include "document/QamrelDoc.h"
#include "app/SettingsStore.h"
#include "link/ConsoleLink.h"
#include "link/MessageQueue.h"

#include <QPoint>
#include <QRect>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>

namespace ovix {

class XPButton;
class CDisplayDlg;

class CQamrelView final : public QWidget, public IConsoleUi {
    Q_OBJECT
public:
    static constexpr int kWidth = 1278;
    static constexpr int kHeight = 718;

    struct Options {
        std::shared_ptr<IHidBackend> backend;
        QString startDir;            // the working folder; "DataFile" lives in it
        bool systemChinese = false;  // the system locale is Chinese (PRC)
    };

    CQamrelView(ParameterModel& model, LinkFlags& flags, Options options, QWidget* parent = nullptr);
    ~CQamrelView() override;

    // The start-up steps of the console: data folder, settings, language, controls,
    // device notices, and the first connection attempt once the window is on screen.
    void InitialUpdate();

    // Keeps the language of the moment in the settings (saved at once) and re-texts the
    // console; ToggleLanguage switches to the other language first.
    void ApplyLanguage();
    void ToggleLanguage();

    // Command row.
    void OnConnect();
    void OnAbout();
    // Stops the link worker; the main window then closes.
    void StopLink();

    CConsoleLink& Link() { return *m_link; }
    CQamrelDoc& Doc() { return *m_doc; }
    CDisplayDlg& DisplayDlg() { return *m_display; }
    const AppSettings& Settings() const { return m_settings; }
    const QString& StartDir() const { return m_strStartDir; }
    XPButton& ConnectButton() { return *m_connect; }
    QString ConnectText() const;

    // Everything the console showed the user, in the language of the moment.
    const QStringList& MessagesShown() const { return m_messages; }
    // Tests replace the message boxes and the popup menu.
    std::function<void(const QString&, MessageStyle)> m_messageHook;
    std::function<int(const std::vector<std::string>&)> m_chooseDeviceHook;

    // IConsoleUi
    void ShowMessage(const UiMessage& message, MessageStyle style) override;
    void SetConnectLook(ConnectLook look) override;
    int ChooseDevice(const std::vector<std::string>& entries) override;
    void OpenDataLoadingWindow() override;
    void CloseDataLoadingWindow() override;
    void After(std::chrono::milliseconds delay, std::function<void()> fn) override;
    void LiveLoaded(int program) override;
    void ModelVariant(int variant) override;
    void ProgramsLoaded() override;

signals:
    void minimiseRequested();
    void closeRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void PumpLink();
    void SetUpControls();
    void UpdateConnectText();
    void RetranslateUi();
    void SaveSettings();

    ParameterModel& m_model;
    LinkFlags& m_flags;
    Options m_options;
    SettingsStore m_store;
    AppSettings m_settings;
    QString m_strStartDir;
    QString m_patternSingle;
    QString m_patternAll;

    MessageQueue m_queue;  // declared before the link: the link stops before the queue goes
    std::unique_ptr<CConsoleLink> m_link;
    std::unique_ptr<CQamrelDoc> m_doc;

    XPButton* m_connect = nullptr;
    XPButton* m_about = nullptr;
    XPButton* m_minimise = nullptr;
    XPButton* m_close = nullptr;
    CDisplayDlg* m_display = nullptr;
    bool m_connectHover = false;
    bool m_linkStopped = false;

    QStringList m_messages;
    bool m_dragging = false;
    QPoint m_dragPoint;
};

} // namespace ovix
