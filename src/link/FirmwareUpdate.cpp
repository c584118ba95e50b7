#include "link/FirmwareUpdate.h"

#include <algorithm>
#include <thread>

namespace ovix {

using namespace std::chrono;

milliseconds FirmwareTimings::StepWait(int step) const
{
    if (stepWait)
        return *stepWait;
    switch (step) {
    case FW_START: return milliseconds(3000);
    case FW_MCU_HEADER: return milliseconds(8000);
    case FW_MCU_DATA: return milliseconds(2000);
    case FW_FINISH: return milliseconds(2000);
    case FW_DSP_ERASE: return milliseconds(30000);
    case FW_DSP_DATA: return milliseconds(10000);
    default: return milliseconds(8000);
    }
}

CFirmwareUpdate::CFirmwareUpdate(FirmwareImages images, CKTVCommand& command, CUsbTransport& transport,
                                 LinkFlags& flags, LinkSink& sink, FirmwareTimings timings)
    : m_sequence(std::move(images)), m_command(command), m_transport(transport), m_flags(flags),
      m_sink(sink), m_timings(timings), m_steps(m_sequence.Images().Steps())
{
}

bool CFirmwareUpdate::Pause(milliseconds d, const std::function<bool()>& stop) const
{
    // in short slices, so a stopping link never waits out a whole pause
    const auto end = steady_clock::now() + d;
    while (!stop() && m_flags.linkRunning) {
        const auto now = steady_clock::now();
        if (now >= end)
            return true;
        std::this_thread::sleep_for(std::min(milliseconds(20), duration_cast<milliseconds>(end - now) + milliseconds(1)));
    }
    return false;
}

void CFirmwareUpdate::PostStatus(int message)
{
    m_sink.Post(WM_LINK_FIRMWARE_STATUS, message, m_answered.load());
}

void CFirmwareUpdate::BootRequest(steady_clock::time_point start, const std::function<bool()>& stop)
{
    Report report{};
    for (std::size_t i = 1; i < report.size(); ++i)
        report[i] = kBootRequestBytes[(i - 1) % 2];
    PostStatus(kMsgFwConnectedUsb);
    auto next = start;
    while (!stop() && m_flags.linkRunning && steady_clock::now() - start <= m_timings.bootRequest) {
        // the processor may drop off the bus while it restarts: failed writes are expected
        m_transport.WriteReport(report, m_timings.writeWait);
        next += m_timings.bootReportGap;
        std::this_thread::sleep_until(next);
    }
}

ReadOutcome CFirmwareUpdate::Exchange(const std::function<bool()>& stopLink)
{
    const auto start = steady_clock::now();
    const std::function<bool()> stop = [&] { return stopLink() || m_flags.updateClosing != 0; };
    if (!m_flags.linkRunning || !m_transport.IsOpen() || stop()) {
        std::this_thread::sleep_for(milliseconds(10));
        return ReadOutcome::Stopped;
    }
    if (!m_command.Head())
        for (FramePtr& f : m_sequence.Next())
            m_command.Enqueue(std::move(f));
    const FramePtr head = m_command.Head();
    if (!head) {
        std::this_thread::sleep_for(milliseconds(50));
        return ReadOutcome::Stopped;
    }
    const int step = head->Step();
    m_flags.currentStep = step;
    head->SetAttempts(head->Attempts() + 1);
    if (head->Attempts() > 2)
        return m_transport.LinkLost(m_sink, "firmware step refused twice");

    if (step == FW_BOOT_REQUEST) {
        BootRequest(start, stop);
        m_command.Queue().RemoveHeadIf(head.get());
        Pause(m_timings.bootPause, stop);
        return ReadOutcome::Answered;
    }

    Report report;
    while (head->NextReport(report)) {
        m_transport.WriteReport(report, m_timings.writeWait);
        if (!m_flags.linkRunning || stop())
            return ReadOutcome::Stopped;
    }
    if (step == FW_DSP_ERASE)
        PostStatus(kMsgFwErasing);
    LinkTimeouts limits;
    limits.reportWait = m_timings.StepWait(step);
    limits.exchange = m_timings.exchange;
    const ReadOutcome outcome = m_transport.ReadReply(m_command, m_sink, start, stop, limits);
    if (outcome == ReadOutcome::Answered && step == FW_START) {
        // the processor restarts after acknowledging the start: wait, then open it again
        if (!Pause(m_timings.restartPause, stop))
            return ReadOutcome::Stopped;
        m_command.ResetCollector();
        if (!m_transport.ReopenDevice())
            return m_transport.LinkLost(m_sink, "processor not back after its restart");
    }
    return outcome;
}

void CFirmwareUpdate::FirmwareStatus(const CSendData& head)
{
    int status = -1;
    switch (head.Step()) {
    case FW_START:
        status = kMsgFwStarted;
        m_dataTextShown = false;
        break;
    case FW_MCU_HEADER:
        m_dataTextShown = false;
        break;
    case FW_MCU_DATA:
        if (!m_dataTextShown) {
            status = kMsgFwMcuProgramming;
            m_dataTextShown = true;
        }
        break;
    case FW_FINISH:
        status = kMsgFwStepsFinished;
        m_dataTextShown = false;
        break;
    case FW_DSP_ERASE:
        status = kMsgFwTransferring;
        m_dataTextShown = true;
        break;
    case FW_DSP_DATA:
        status = kMsgFwDspProgramming;
        m_dataTextShown = true;
        break;
    default:
        return;
    }
    ++m_answered;
    PostStatus(status);
    if (head.Step() == FW_FINISH) {
        m_flags.firmwareFinished = 1;
        m_sink.Post(WM_LINK_FIRMWARE_DONE, 0, FW_FINISH);
    }
}

} // namespace ovix
