#pragma once
// The engine side of the console view: the command engine, the transport, the link worker
// and the connection logic — finding and opening a processor, checking its firmware
// generation, reading its state, and going back to the disconnected state when it stops
// answering, reports a fault or is unplugged. The console, the command-line tool and the
// tests share it; each shows what the user must see its own way (IConsoleUi).

#include "link/FirmwareUpdate.h"
#include "link/KTVCommand.h"
#include "link/LinkWorker.h"
#include "link/MessageQueue.h"
#include "link/UsbTransport.h"
#include "tables/Messages.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ovix {

enum class MessageStyle {
    SelfClosing,  // the console's message window that closes itself after about a second
    Modal,        // a message box the user closes
};

enum class ConnectLook { Connected, Disconnected };

class IConsoleUi {
public:
    virtual ~IConsoleUi() = default;
    // Shows a message of the catalogue (tables/Messages.h) in the user's language.
    virtual void ShowMessage(const UiMessage& message, MessageStyle style) = 0;
    virtual void SetConnectLook(ConnectLook look) = 0;
    // The Connect button's popup menu; returns the chosen entry or -1.
    virtual int ChooseDevice(const std::vector<std::string>& entries) = 0;
    virtual void OpenDataLoadingWindow() = 0;
    virtual void CloseDataLoadingWindow() = 0;
    // Runs fn on the window thread after `delay` (the console's timers).
    virtual void After(std::chrono::milliseconds delay, std::function<void()> fn) = 0;
    // The live program has been read and the records rebuilt: refresh every control.
    virtual void LiveLoaded(int /*program*/) {}
    // The processor told its model variant (console layout 1 or 2).
    virtual void ModelVariant(int /*variant*/) {}
    // All programs have been read for the file chosen before.
    virtual void ProgramsLoaded() {}
    // The firmware update: the status line's new text, the progress bar (answered steps of
    // all), and its end (success, or abandoned, lost, not started).
    virtual void FirmwareStatus(MessageId /*status*/) {}
    virtual void FirmwareProgress(int /*position*/, int /*maximum*/) {}
    virtual void FirmwareEnded(bool /*success*/) {}
};

// The console's own firmware generation.
inline constexpr char kReferenceVersion[] = "QX907-V1.00";

class CConsoleLink final : public CommandHostState {
public:
    CConsoleLink(ParameterModel& model, LinkFlags& flags, std::recursive_mutex& batchLock,
                 std::shared_ptr<IHidBackend> backend, IDeviceRecords& records, LinkSink& sink,
                 IConsoleUi& ui);
    ~CConsoleLink() override;

    CKTVCommand& Command() { return m_command; }
    CUsbTransport& Transport() { return m_transport; }
    CLinkWorker& Worker() { return m_worker; }

    // Connection logic, on the window thread.
    void AutoConnect();
    void ToggleConnection();
    bool ConnectTo(const std::string& path);
    void DisconnectUsb();
    // Stops the worker and, after the disconnect pause (at once when it is zero), closes
    // the processor and runs `then`, without blocking the window thread.
    void StopThenDisconnect(std::function<void()> then);
    bool IsDisconnecting() const { return m_bDisconnecting; }
    void OnVersion();
    void OnLinkLost();
    void OnDeviceFault();
    void OnDeviceChange(DeviceEvent event, const std::string& path);

    // Handles one message the link posted (WM_LINK_*), on the window thread.
    void HandleMessage(unsigned message, std::intptr_t wParam, std::intptr_t lParam);
    // The same for a MessageQueue entry (messages and device changes).
    void HandleEvent(const LinkEventMsg& msg);

    // The firmware update, on the window thread. StartFirmwareUpdate reads the file (false
    // with its message shown when it cannot be used; nothing is sent then), disconnects,
    // waits up to 10 s for a processor and starts the link in firmware mode. Nothing
    // happens while an update runs. AbandonFirmwareUpdate ends a running update with the
    // failure message (false when none was running).
    bool StartFirmwareUpdate(const std::string& path);
    bool AbandonFirmwareUpdate();
    bool FirmwareRunning() const { return m_firmwareOpening || m_flags.firmwareMode != 0; }
    // The running update (nullptr when there is none), for tests.
    const CFirmwareUpdate* Firmware() const { return m_firmware.get(); }
    void SetFirmwareTimings(const FirmwareTimings& t) { m_firmwareTimings = t; }
    // How long a processor is waited for before an update, and how often it is looked for.
    void SetFirmwareOpenLimits(std::chrono::milliseconds limit, std::chrono::milliseconds retry)
    {
        m_firmwareOpenLimit = limit;
        m_firmwareOpenRetry = retry;
    }

    // Starts forwarding device arrivals and removals to the sink.
    void WatchDevices();

    // Candidates of the Connect button: listed processors not recorded as open elsewhere.
    std::vector<std::string> Candidates();

    int LayoutVariant() const { return m_layoutVariant; }
    // Batches whose last frame has been answered since the link was made.
    int BatchesCompleted() const { return m_batchesCompleted; }
    bool Synced() const { return m_model.flags.synced != 0; }
    // The delay memory sent back after the live program arrived has been acknowledged.
    bool DelayMemoryReturned() const;

    // How long the Connect button and a lost link wait between stopping the worker and
    // closing the device.
    void SetDisconnectPause(std::chrono::milliseconds pause) { m_disconnectPause = pause; }

    // ICommandHost
    void OpenDataLoadingWindow() override { m_ui.OpenDataLoadingWindow(); }
    void ShowConnectionFailure() override;
    void ShowNameTooLong() override { m_ui.ShowMessage(kMsgCharLenError, MessageStyle::Modal); }

private:
    void BeginSession();
    void StartConnected();
    void OnLiveLoaded(int program);
    void BlankVersion();
    void TryOpenForFirmware(unsigned attempt);
    void BeginFirmware();
    // Forgets the update and tells the UI how it ended; the link is stopped already.
    void ClearFirmware(bool success);

    ParameterModel& m_model;
    LinkFlags& m_flags;
    std::recursive_mutex& m_batchLock;
    IDeviceRecords& m_records;
    LinkSink& m_sink;
    IConsoleUi& m_ui;
    CKTVCommand m_command;
    CUsbTransport m_transport;
    CLinkWorker m_worker;
    std::unique_ptr<IWatchHandle> m_watch;
    std::chrono::milliseconds m_disconnectPause{500};
    bool m_bDisconnecting = false;  // stopped, waiting out the pause before closing
    unsigned m_disconnectSeq = 0;
    int m_layoutVariant = 0;
    int m_batchesCompleted = 0;
    std::weak_ptr<CSendData> m_delayMemoryFrame;
    std::unique_ptr<CFirmwareUpdate> m_firmware;
    std::optional<FirmwareImages> m_firmwareImages;  // read, waiting for the processor
    FirmwareTimings m_firmwareTimings;
    bool m_firmwareOpening = false;
    unsigned m_firmwareOpenSeq = 0;
    std::chrono::steady_clock::time_point m_firmwareOpenStart{};
    std::chrono::milliseconds m_firmwareOpenLimit{10000};
    std::chrono::milliseconds m_firmwareOpenRetry{50};
    bool m_delayMemoryQueued = false;
};

} // namespace ovix
