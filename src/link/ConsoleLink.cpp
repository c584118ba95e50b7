#include "link/ConsoleLink.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <thread>

namespace ovix {

namespace {

bool SamePath(const std::string& a, const std::string& b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

} // namespace

CConsoleLink::CConsoleLink(ParameterModel& model, LinkFlags& flags, std::recursive_mutex& batchLock,
                           std::shared_ptr<IHidBackend> backend, IDeviceRecords& records,
                           LinkSink& sink, IConsoleUi& ui)
    : m_model(model), m_flags(flags), m_batchLock(batchLock), m_records(records), m_sink(sink),
      m_ui(ui), m_command(model, flags, batchLock, *this),
      m_transport(std::move(backend), flags, records), m_worker(m_command, m_transport, flags, sink)
{
    m_command.SetSink(&m_sink);
}

CConsoleLink::~CConsoleLink()
{
    m_watch.reset();
    m_worker.StopLink();
    m_transport.CloseDevice();
}

void CConsoleLink::ShowConnectionFailure()
{
    m_ui.ShowMessage(kMsgConnectionFailure, MessageStyle::SelfClosing);
}

void CConsoleLink::WatchDevices()
{
    m_watch = m_transport.Watch([this](DeviceEvent event, const std::string& path) {
        m_sink.PostDeviceChange(event, path);
    });
}

void CConsoleLink::BeginSession()
{
    // a new connection starts from an empty queue with no change marks
    m_command.Clear();
    m_command.Records().MarkAll(0);
    m_nBatchCount = 0;
    m_bConnected = true;
    m_delayMemoryQueued = false;
}

void CConsoleLink::StartConnected()
{
    m_ui.SetConnectLook(ConnectLook::Connected);
    m_worker.StartLink();
}

void CConsoleLink::AutoConnect()
{
    if (m_bConnected || m_firmwareOpening)
        return;
    if (!m_transport.OpenFirstDevice())
        return;  // no processor: stay disconnected, silently
    BeginSession();
    {
        std::lock_guard lock(m_batchLock);
        m_command.ReadVersion();
    }
    StartConnected();
}

std::vector<std::string> CConsoleLink::Candidates()
{
    std::vector<std::string> candidates;
    if (!m_transport.ListDevices())
        return candidates;
    for (const std::string& path : m_transport.Devices())
        if (m_records.IsDeviceUnrecorded(path))
            candidates.push_back(path);
    return candidates;
}

void CConsoleLink::ToggleConnection()
{
    if (m_bDisconnecting)
        return;  // the processor is being let go already
    if (m_bConnected) {
        StopThenDisconnect({});
        return;
    }
    const std::vector<std::string> candidates = Candidates();
    if (candidates.empty()) {
        m_ui.ShowMessage(kMsgNoConnection, MessageStyle::Modal);
        return;
    }
    std::string chosen;
    if (candidates.size() == 1) {
        chosen = candidates.front();
    } else {
        std::vector<std::string> entries;
        for (std::size_t k = 1; k <= candidates.size(); ++k)
            entries.push_back("USB" + std::to_string(k));
        const int pick = m_ui.ChooseDevice(entries);
        if (pick < 0 || pick >= int(candidates.size()))
            return;
        chosen = candidates[std::size_t(pick)];
    }
    if (!ConnectTo(chosen))
        m_ui.ShowMessage(kMsgCannotOpen, MessageStyle::Modal);
}

bool CConsoleLink::ConnectTo(const std::string& path)
{
    if (!m_records.IsDeviceUnrecorded(path))
        return false;
    m_transport.SetDevicePath(path);
    if (!m_transport.OpenDevice(path))
        return false;
    BeginSession();
    {
        std::lock_guard lock(m_batchLock);
        m_command.ReadVersion();
        m_command.ReadLive();
    }
    StartConnected();
    return true;
}

void CConsoleLink::StopThenDisconnect(std::function<void()> then)
{
    m_worker.StopLink();
    if (m_disconnectPause.count() <= 0) {
        DisconnectUsb();
        if (then)
            then();
        return;
    }
    // The processor is given a moment after the last exchange before it is closed; the
    // window thread does not wait for it, it comes back when the moment is over.
    m_bDisconnecting = true;
    const unsigned seq = ++m_disconnectSeq;
    m_ui.After(m_disconnectPause, [this, seq, then = std::move(then)] {
        if (seq != m_disconnectSeq || !m_bDisconnecting)
            return;
        m_bDisconnecting = false;
        DisconnectUsb();
        if (then)
            then();
    });
}

void CConsoleLink::DisconnectUsb()
{
    m_bDisconnecting = false;
    m_worker.StopLink();  // stopped already on every path here; the queue is cleared below
    m_transport.CloseDevice();
    // every way a connection ends comes here: nothing queued for this connection may go
    // out on the next one
    m_command.Clear();
    m_bConnected = false;
    m_flags.busy = 0;
    m_model.flags.synced = 0;
    m_model.flags.delayMemory = 0;
    m_command.Records().MarkAll(0);
    m_ui.CloseDataLoadingWindow();
    m_ui.SetConnectLook(ConnectLook::Disconnected);
    m_records.ForgetOpenDevice(m_transport.DevicePath());
}

void CConsoleLink::BlankVersion()
{
    std::memset(m_model.image.version, ' ', sizeof m_model.image.version);
}

void CConsoleLink::OnVersion()
{
    const std::uint8_t* v = m_model.image.version;
    if (std::memcmp(v, kReferenceVersion, 7) != 0) {
        // another family of processor: leave it alone without a word
        ToggleConnection();
        m_command.Clear();
        BlankVersion();
        return;
    }
    if (v[7] == std::uint8_t(kReferenceVersion[7])) {
        std::lock_guard lock(m_batchLock);
        m_command.ReadDeviceInfo();
        m_command.ReadLive();
        return;
    }
    const char deviceMajor = char(v[7]);
    ToggleConnection();
    m_command.Clear();
    m_ui.ShowMessage(CompatibilityMessage(deviceMajor, kReferenceVersion[7]), MessageStyle::Modal);
    BlankVersion();
}

void CConsoleLink::OnLinkLost()
{
    if (!m_bConnected || m_bDisconnecting)
        return;
    m_flags.firmwareMode = 0;
    StopThenDisconnect([this] {
        m_command.Clear();
        if (m_firmware)
            ClearFirmware(false);
        m_ui.ShowMessage(kMsgConnectionFailure, MessageStyle::SelfClosing);
    });
}

void CConsoleLink::OnDeviceFault()
{
    if (!m_bConnected)
        return;
    m_worker.StopLink();
    m_flags.firmwareMode = 0;
    DisconnectUsb();
    if (m_firmware)
        ClearFirmware(false);
    m_ui.ShowMessage(kMsgDeviceFault, MessageStyle::Modal);
}

bool CConsoleLink::StartFirmwareUpdate(const std::string& path)
{
    if (FirmwareRunning())
        return false;
    m_flags.updateClosing = 0;
    FirmwareLoad load = LoadFirmwareFile(path);
    if (!load.images) {
        m_ui.ShowMessage(load.error.value_or(kMsgFwBinFileError), MessageStyle::Modal);
        return false;
    }
    if (m_bConnected || m_bDisconnecting) {
        m_worker.StopLink();
        DisconnectUsb();
    }
    m_firmwareImages = std::move(load.images);
    m_firmwareOpening = true;
    m_firmwareOpenStart = std::chrono::steady_clock::now();
    m_ui.FirmwareProgress(0, m_firmwareImages->Steps());
    TryOpenForFirmware(++m_firmwareOpenSeq);
    return true;
}

void CConsoleLink::TryOpenForFirmware(unsigned attempt)
{
    if (!m_firmwareOpening || attempt != m_firmwareOpenSeq)
        return;  // abandoned meanwhile
    if (m_transport.OpenFirstDevice()) {
        BeginFirmware();
        return;
    }
    m_ui.FirmwareStatus(kMsgFwConnectedUsb);
    if (std::chrono::steady_clock::now() - m_firmwareOpenStart >= m_firmwareOpenLimit) {
        m_firmwareOpening = false;
        m_firmwareImages.reset();
        m_flags.firmwareMode = 0;
        m_command.Clear();
        m_ui.FirmwareEnded(false);
        m_ui.ShowMessage(kMsgConnectionFailure, MessageStyle::SelfClosing);
        return;
    }
    // looked for again on a timer, so the window stays responsive while it waits
    m_ui.After(m_firmwareOpenRetry, [this, attempt] { TryOpenForFirmware(attempt); });
}

void CConsoleLink::BeginFirmware()
{
    m_firmwareOpening = false;
    m_command.Clear();
    m_firmware = std::make_unique<CFirmwareUpdate>(std::move(*m_firmwareImages), m_command, m_transport,
                                                   m_flags, m_sink, m_firmwareTimings);
    m_firmwareImages.reset();
    CFirmwareUpdate* update = m_firmware.get();
    m_command.SetStepObserver([update](const CSendData& head) { update->FirmwareStatus(head); });
    m_worker.SetFirmwareExchange([update](const std::function<bool()>& stop) { return update->Exchange(stop); });
    m_flags.firmwareFinished = 0;
    m_flags.currentStep = 0;
    m_flags.firmwareMode = 1;
    m_bConnected = true;
    m_ui.FirmwareProgress(0, update->Steps());
    StartConnected();
}

void CConsoleLink::ClearFirmware(bool success)
{
    m_command.SetStepObserver({});
    m_worker.SetFirmwareExchange({});
    m_firmware.reset();
    m_firmwareImages.reset();
    m_firmwareOpening = false;
    m_flags.currentStep = 0;
    m_flags.firmwareMode = 0;
    m_ui.FirmwareEnded(success);
}

bool CConsoleLink::AbandonFirmwareUpdate()
{
    if (!FirmwareRunning())
        return false;
    m_flags.updateClosing = 1;
    if (m_bConnected || m_bDisconnecting) {
        m_worker.StopLink();
        DisconnectUsb();
    }
    ClearFirmware(false);
    m_ui.ShowMessage(kMsgFwUpdateFailed, MessageStyle::Modal);
    m_flags.updateClosing = 0;
    return true;
}

void CConsoleLink::OnDeviceChange(DeviceEvent event, const std::string& path)
{
    if (!SamePath(path, m_transport.DevicePath()))
        return;
    if (event == DeviceEvent::Arrival) {
        if (!m_bConnected)
            AutoConnect();
        return;
    }
    const int step = m_flags.currentStep;
    if (!m_flags.linkRunning || step == 54 || step == 255)
        return;  // during those firmware steps the processor restarts on purpose
    m_flags.linkRunning = 0;
    m_flags.firmwareMode = 0;
    if (m_bConnected) {
        m_worker.StopLink();
        DisconnectUsb();
    }
    if (m_firmware)
        ClearFirmware(false);
    m_ui.ShowMessage(kMsgConnectionFailure, MessageStyle::SelfClosing);
}

void CConsoleLink::OnLiveLoaded(int program)
{
    m_command.Records().LoadProgramIntoRecords(program);
    m_ui.LiveLoaded(program);
    m_model.flags.synced = 1;
    m_flags.busy = 0;
    DeviceImage& img = m_model.image;
    const int set = img.delayMemory.CurrentSet();
    for (int ch = 0; ch < kOutputChannels; ++ch)
        img.delayMemory.SetDelay(set, ch, img.current.outputs[ch].Delay());
    m_delayMemoryFrame = m_command.SendSystemItem(SYS_DELAY_MEMORY, 0);
    m_delayMemoryQueued = true;
}

bool CConsoleLink::DelayMemoryReturned() const
{
    if (!m_delayMemoryQueued)
        return false;
    const FramePtr frame = m_delayMemoryFrame.lock();
    return !frame || !m_command.Queue().Contains(frame.get());
}

void CConsoleLink::HandleMessage(unsigned message, std::intptr_t wParam, std::intptr_t lParam)
{
    switch (message) {
    case WM_LINK_LIVE_LOADED:
        OnLiveLoaded(int(wParam));
        break;
    case WM_LINK_PROGRAMS_LOADED:
        m_ui.ProgramsLoaded();
        m_flags.busy = 0;
        break;
    case WM_LINK_DELAY_MEMORY:
        if (m_model.image.delayMemory.current > 3)
            m_model.image.delayMemory.current = 3;
        break;
    case WM_LINK_EFFECT_LOADED:
    case WM_LINK_PRESETS_LOADED:
        break;  // the console does not edit the effect section
    case WM_LINK_MODEL:
        m_layoutVariant = int(wParam);
        m_ui.ModelVariant(m_layoutVariant);
        break;
    case WM_LINK_BATCH_DONE:
        if (lParam == 1)
            ++m_batchesCompleted;
        m_ui.After(std::chrono::milliseconds(1000), [this] { m_flags.busy = 0; });
        break;
    case WM_LINK_LOST:
        OnLinkLost();
        break;
    case WM_LINK_FIRMWARE_STATUS:
        if (m_firmware) {
            if (wParam >= 0 && wParam < kMessageCount)
                m_ui.FirmwareStatus(MessageId(wParam));
            m_ui.FirmwareProgress(int(lParam), m_firmware->Steps());
        }
        break;
    case WM_LINK_FIRMWARE_DONE:
        if (lParam == FW_FINISH && m_firmware) {
            m_worker.StopLink();
            m_flags.firmwareMode = 0;
            DisconnectUsb();
            ClearFirmware(true);
            m_ui.ShowMessage(kMsgFwUpdateDone, MessageStyle::Modal);
        }
        break;
    case WM_LINK_AUTOCONNECT:
        AutoConnect();
        break;
    case WM_LINK_DEVICE_FAULT:
        OnDeviceFault();
        break;
    case WM_LINK_VERSION:
        OnVersion();
        break;
    default:
        break;
    }
}

void CConsoleLink::HandleEvent(const LinkEventMsg& msg)
{
    if (msg.kind == LinkEventMsg::DeviceChange)
        OnDeviceChange(msg.event, msg.path);
    else if (msg.kind == LinkEventMsg::Message)
        HandleMessage(msg.message, msg.wParam, msg.lParam);
}

} // namespace ovix
