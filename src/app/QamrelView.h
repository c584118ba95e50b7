#pragma once
// The console view: the one working surface of the application. It owns the connection to
// the processor (the engine's CConsoleLink, fed by this window thread), the document with
// the records, the editing commands (CConsoleEdits), the settings, and the console's own
// windows. It shows the master volume, the six channel strips, the link toggles, the car
// with the speaker map and the delay unit, the response graph, the crossover panels of the
// selected channel, the equaliser buttons, the equaliser's tab frame and the command row,
// and keeps them in step with the records.

#include "document/ConsoleEdits.h"
#include "document/EqEdits.h"
#include "document/FilterExchange.h"
#include "document/QamrelDoc.h"
#include "document/ProgramManager.h"
#include "app/SettingsStore.h"
#include "link/ConsoleLink.h"
#include "link/MessageQueue.h"

#include <QPoint>
#include <QRect>
#include <QStringList>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>

namespace ovix {

class BitmapSlider;
class CCarMap;
class CChannelStrip;
class CCrossoverPanel;
class CDisplayDlg;
class CFStatic;
class CFocusRing;
class COutputDlg;
class IOutputEditHost;
class CProgramDlg;
class CUpgradeDlg;
class CVersionDlg;
class ComBoxBtn;
class EnTabCtrl;
class NumEdit;
class NumSpin;
class XPButton;

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
    void OnProgram();
    // The console's file operations (the preset manager's PC group): each asks for the file
    // in the "DataFile" folder, reports a failure in a message box and returns success.
    // Saving all programs reads them back from the processor first; the file is written when
    // they have arrived.
    bool OnSaveSingleProgram();
    bool OnLoadSingleProgram();
    bool OnSaveAllPrograms();
    bool OnLoadAllPrograms();
    // Tests choose the file (empty: Cancel) instead of a file dialog, and drive the preset
    // manager instead of running it modally.
    std::function<QString(bool save, const QString& folder, const QString& filter)> m_fileDialogHook;
    std::function<void(CProgramDlg&)> m_programDlgHook;
    void OnAbout();
    // The firmware update dialog (from the About dialog's "Firmware Update"). Tests drive it
    // through the hook instead of running it modally.
    void OnFirmwareUpdate();
    std::function<void(CUpgradeDlg&)> m_upgradeDlgHook;
    std::function<void(CVersionDlg&)> m_aboutDlgHook;

    // ---- what the console shows ----
    // Every control from the records: master volume and selector, every strip, links
    // reset (toggles off, only the selected channel's select button lit), the selected
    // channel's panels, the graph.
    void RefreshFromImage();
    // The crossover panels and the bypass button for the selected channel.
    void RefreshSelectedChannel();
    // The selected channel (0..5) from a select or speaker-map button; selecting the
    // selected channel does nothing.
    void SelectChannel(int channel);
    int SelectedChannel() const { return m_selected; }
    // One channel's polarity button, gain spin, field and fader from its record.
    void RefreshChannelLevel(int channel);
    // Each delay field from its channel's delay word in the current program.
    void ShowDelayPositions();
    int DelayUnit() const { return m_delayUnit; }

    // ---- editing commands ----
    void OnSoundOn(int channel);
    void OnPolarity(int channel);
    void OnGain(int channel, int code);
    // A fader's report; `release` for the reports of a release, a key or a wheel step,
    // which also take the focus to the channel's gain field.
    void OnGainFader(int channel, bool release);
    void OnDelay(int channel, int code);
    void OnVolume(int code);
    void OnVolumeFader(bool release);
    void OnSelector(int selector);
    void OnCrossoverType(bool highPass, int family);
    void OnCrossoverSlope(bool highPass, int slope);
    void OnCrossoverFreq(bool highPass, int hz);
    // The graph reports a dragged handle: 31 high-pass, 32 low-pass, else a band.
    void OnFilterChanged(int lastFilter, int selectionCode);
    void OnResetAllEq();
    // The graph's context menu, for the selected channel: filter text into the channel (a
    // channel in GEQ mode is switched to PEQ first if the user agrees), the channel as filter
    // text, the graph as a PNG picture. Each asks for the file (the dialog starts in the
    // folder used last), tells the user what went wrong or what was limited, and returns
    // success.
    bool OnImportFilters();
    bool OnExportFilters();
    bool OnSaveGraphImage();
    void OnBypassAllEq();
    void OnEqMode();
    void OnLinkToggle(int pair);
    void OnDelayUnit(int unit);

    // ---- controls (for the tests and the equaliser editor) ----
    CChannelStrip& Strip(int channel) { return *m_strips[std::size_t(channel)]; }
    BitmapSlider& VolumeFader() { return *m_volumeFader; }
    NumEdit& VolumeField() { return *m_volumeField; }
    XPButton& SelectorButton(int selector) { return *m_selector[std::size_t(selector)]; }
    XPButton& LinkToggleButton(int pair) { return *m_linkToggles[std::size_t(pair)]; }
    XPButton& SpeakerButton(int channel);
    CCrossoverPanel& CrossoverPanel(bool highPass) { return highPass ? *m_highPass : *m_lowPass; }
    ComBoxBtn& UnitList() { return *m_unit; }
    XPButton& BypassButton() { return *m_bypass; }
    XPButton& EqModeButton() { return *m_eqMode; }
    XPButton& ResetEqButton() { return *m_resetEq; }
    XPButton& ProgramButton() { return *m_program; }
    CFStatic& Graph() { return *m_graph; }
    EnTabCtrl& EqTab() { return *m_eqTab; }
    COutputDlg& OutputEditor() { return *m_outputDlg; }
    CEqEdits& EqEdits() { return *m_eqEdits; }
    CConsoleEdits& Edits() { return *m_edits; }
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
    // Tests answer the grouping dialog (pair 0..2 → choice 0 or 1, -1 for Cancel) and
    // the "Reset All EQ" question (true for OK) without a modal window.
    std::function<int(int)> m_linkChoiceHook;
    std::function<bool(const QString&)> m_confirmHook;

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
    void FirmwareStatus(MessageId status) override;
    void FirmwareProgress(int position, int maximum) override;
    void FirmwareEnded(bool success) override;

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
    void SetUpStrips();
    void SetUpMaster();
    void SetUpPanels();
    void SetUpTabOrder();
    void UpdateConnectText();
    void RetranslateUi();
    void SaveSettings();
    // Lights the select buttons: the selected channel's, and its partner's while their
    // pair is linked.
    void LightSelection();
    void ShowSelector(int selector);
    void RefreshLinkToggles();
    // The other channels of `channel`'s link group take their level controls from the
    // records (after a gain edit copied to them).
    void RefreshGroupGains(int channel);
    // The five lists also follow the arrow keys.
    void OnListKey(ComBoxBtn* list, int step);
    void OnListChosen(ComBoxBtn* list, int index);
    bool Confirm(const QString& question);
    // A message box with a text composed here (several messages), through the tests' hook.
    void ShowText(const QString& text, bool warning);
    // The file of a graph menu command from its dialog, in the folder kept under `folderValue`,
    // which then keeps the chosen file's folder; empty when the user cancels.
    QString ChooseGraphFile(bool save, const char* folderValue, const QString& filter, const QString& suffix);

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
    std::unique_ptr<CConsoleEdits> m_edits;
    std::unique_ptr<CEqEdits> m_eqEdits;
    std::unique_ptr<CFilterExchange> m_exchange;
    std::unique_ptr<IOutputEditHost> m_eqHost;  // the equaliser editor's way to the records and the graph

    int m_selected = -1;      // the selected channel, mirrored in g_nCurChannel
    int m_delayUnit = 0;      // 0 ms, 1 cm, 2 inches; chosen on the console, not stored
    int m_layoutVariant = 1;  // the processor's model variant; selection works for 1 and 2

    std::array<CChannelStrip*, 6> m_strips{};
    BitmapSlider* m_volumeFader = nullptr;
    NumEdit* m_volumeField = nullptr;
    NumSpin* m_volumeSpin = nullptr;
    std::array<XPButton*, 2> m_selector{};
    std::array<XPButton*, 3> m_linkToggles{};
    CCarMap* m_carMap = nullptr;
    ComBoxBtn* m_unit = nullptr;
    CCrossoverPanel* m_highPass = nullptr;
    CCrossoverPanel* m_lowPass = nullptr;
    XPButton* m_bypass = nullptr;
    XPButton* m_eqMode = nullptr;
    XPButton* m_resetEq = nullptr;
    CFStatic* m_graph = nullptr;
    EnTabCtrl* m_eqTab = nullptr;
    QWidget* m_eqPage = nullptr;
    COutputDlg* m_outputDlg = nullptr;
    CFocusRing* m_focusRing = nullptr;

    XPButton* m_connect = nullptr;
    XPButton* m_program = nullptr;
    XPButton* m_about = nullptr;
    XPButton* m_minimise = nullptr;
    XPButton* m_close = nullptr;
    CDisplayDlg* m_display = nullptr;
    CUpgradeDlg* m_upgradeDlg = nullptr;  // the open firmware update dialog
    CProgramDlg* m_programDlg = nullptr;  // the open preset manager, owner of the loading window
    bool m_connectHover = false;
    bool m_linkStopped = false;

    QStringList m_messages;
    bool m_dragging = false;
    QPoint m_dragPoint;
};

} // namespace ovix
