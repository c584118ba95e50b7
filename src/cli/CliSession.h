#pragma once
// One connection to a processor for a command-line run: the console's link logic with a
// message loop of this process's own and a UI that remembers what the console would have
// shown.

#include "backends/DeviceOption.h"
#include "link/ConsoleLink.h"
#include "link/NullConsoleUi.h"
#include "link/MessageQueue.h"
#include "document/QamrelDoc.h"

#include <chrono>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>

namespace ovix::cli {

class CliUi final : public NullConsoleUi {
public:
    explicit CliUi(MessageQueue& queue) : m_queue(queue) {}
    void ShowMessage(const UiMessage& message, MessageStyle) override { m_message = EnglishText(message); }
    void After(std::chrono::milliseconds delay, std::function<void()> fn) override
    {
        m_queue.After(delay, std::move(fn));
    }
    void ProgramsLoaded() override { m_programsLoaded = true; }

    // What the English update dialog would show: its status line (the texts only the
    // Chinese one shows leave the line as it was), its progress bar and how the update ended.
    struct FirmwareView {
        std::optional<MessageId> status;
        int position = 0;
        int maximum = 0;
        std::optional<bool> ended;  // true: finished, false: failed or abandoned
    };
    void FirmwareStatus(MessageId status) override
    {
        if (!IsChineseOnlyStatus(status))
            m_firmware.status = status;
        FirmwareChanged();
    }
    void FirmwareProgress(int position, int maximum) override
    {
        m_firmware.position = position;
        m_firmware.maximum = maximum;
        FirmwareChanged();
    }
    void FirmwareEnded(bool success) override
    {
        m_firmware.ended = success;
        FirmwareChanged();
    }
    const FirmwareView& Firmware() const { return m_firmware; }
    // Called after every change of the firmware view.
    void OnFirmwareChange(std::function<void()> fn) { m_onFirmwareChange = std::move(fn); }

    // The last message the console would have shown.
    const std::optional<std::string>& Message() const { return m_message; }
    bool ProgramsLoadedSeen() const { return m_programsLoaded; }
    void ResetProgramsLoaded() { m_programsLoaded = false; }

private:
    void FirmwareChanged()
    {
        if (m_onFirmwareChange)
            m_onFirmwareChange();
    }

    MessageQueue& m_queue;
    std::optional<std::string> m_message;
    bool m_programsLoaded = false;
    FirmwareView m_firmware;
    std::function<void()> m_onFirmwareChange;
};

class CliSession {
public:
    // A session on link.device; its link traces into link.traceFile when that is open.
    explicit CliSession(const LinkOptions& link);
    ~CliSession();

    bool Valid() const { return m_link != nullptr; }
    CConsoleLink& Link() { return *m_link; }
    ParameterModel& Model() { return *m_model; }
    CQamrelDoc& Doc() { return *m_doc; }
    CKTV_Data& Records() { return m_doc->Records(); }
    CliUi& Ui() { return m_ui; }
    // The link lock (g_csLink) the whole-channel edits hold while they queue.
    std::recursive_mutex& BatchLock() { return m_batchLock; }

    // Connects as the console does at start-up and waits until the live state is read and
    // the delay memory has gone back. On failure prints the console's message and returns
    // false.
    bool ConnectAndRead(std::ostream& err);
    // Pumps messages until pred() holds; false (and the message printed) when the link
    // failed or the time ran out first.
    bool WaitFor(const std::function<bool()>& pred, std::ostream& err,
                 std::chrono::milliseconds timeout = std::chrono::seconds(60));
    // Pumps messages until pred() holds or the time runs out, whatever else happens on the
    // way; returns pred().
    bool PumpUntil(const std::function<bool()>& pred, std::chrono::milliseconds timeout);
    void Disconnect();

private:
    bool ReportFailure(std::ostream& err);

    std::unique_ptr<ParameterModel> m_model;

    LinkFlags m_flags;
    std::recursive_mutex m_batchLock;
    MemoryDeviceRecords m_records;
    MessageQueue m_queue;
    CliUi m_ui{m_queue};
    std::unique_ptr<CConsoleLink> m_link;
    std::unique_ptr<CQamrelDoc> m_doc;
};

// A session on opts.link, connected and read as the console does at start-up; nullptr with
// the message printed and `exitCode` set when that fails.
std::unique_ptr<CliSession> ConnectedSession(const LinkOptions& link, std::ostream& err, int& exitCode);

} // namespace ovix::cli
