#pragma once
// The worker's side of a firmware update: one exchange per cycle with the processor's
// loader, and the progress of the answered steps.
//
// Exchange: with an empty queue the sequence queues its next frames. The boot request
// writes its own reports ('C' 0x11 repeated) every 5 ms for a second, then pauses 2 s and
// reads nothing. Every other step is written with 5 ms per report and its answer read
// with the step's own wait (the erase takes up to 30 s) within 10 s per exchange; after the
// start step is answered the processor restarts, so the worker pauses 3 s and opens it
// again. A step frame refused a second time ends the link as lost.

#include "link/Firmware.h"
#include "link/KTVCommand.h"
#include "link/LinkFlags.h"
#include "link/LinkSink.h"
#include "link/UsbTransport.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <optional>

namespace ovix {

struct FirmwareTimings {
    std::chrono::milliseconds bootRequest{1000};   // how long the boot request is repeated
    std::chrono::milliseconds bootReportGap{5};    // between two of its reports
    std::chrono::milliseconds bootPause{2000};     // after it, while the loader starts
    std::chrono::milliseconds restartPause{3000};  // after the start step, before reopening
    std::chrono::milliseconds exchange{10000};     // one exchange, from its start
    std::chrono::milliseconds writeWait{5};        // one output report
    // One wait for every step's input report instead of the steps' own (tests).
    std::optional<std::chrono::milliseconds> stepWait;

    // How long one input report is waited for after a frame of `step`.
    std::chrono::milliseconds StepWait(int step) const;
};

class CFirmwareUpdate {
public:
    CFirmwareUpdate(FirmwareImages images, CKTVCommand& command, CUsbTransport& transport,
                    LinkFlags& flags, LinkSink& sink, FirmwareTimings timings = {});

    // One exchange, on the link worker; stop() turns true when the link is stopping.
    ReadOutcome Exchange(const std::function<bool()>& stop);

    // A reply acknowledged the head frame of a step (worker side, before the reply is
    // dispatched): the status line and the progress follow, and the finish step ends the
    // update with WM_LINK_FIRMWARE_DONE.
    void FirmwareStatus(const CSendData& head);

    // The progress bar's maximum and position.
    int Steps() const { return m_steps; }
    int Answered() const { return m_answered; }
    const FirmwareImages& Images() const { return m_sequence.Images(); }

private:
    bool Pause(std::chrono::milliseconds d, const std::function<bool()>& stop) const;
    void BootRequest(std::chrono::steady_clock::time_point start, const std::function<bool()>& stop);
    void PostStatus(int message);

    CFirmwareSequence m_sequence;
    CKTVCommand& m_command;
    CUsbTransport& m_transport;
    LinkFlags& m_flags;
    LinkSink& m_sink;
    const FirmwareTimings m_timings;
    const int m_steps;
    std::atomic<int> m_answered{0};
    bool m_dataTextShown = false;  // the data-transfer status is on the line; worker side
};

} // namespace ovix
