#include "link/LinkWorker.h"

#include <chrono>

namespace ovix {

using namespace std::chrono_literals;

CLinkWorker::CLinkWorker(CKTVCommand& command, CUsbTransport& transport, LinkFlags& flags,
                         LinkSink& sink)
    : m_command(command), m_transport(transport), m_flags(flags), m_sink(sink)
{
}

CLinkWorker::~CLinkWorker()
{
    StopLink();
}

void CLinkWorker::StartLink()
{
    m_flags.deviceFault = 0;
    if (!m_thread.joinable()) {
        m_events = std::make_unique<LinkEvents>();
        m_stopping = false;
        m_lost = false;
        m_alive = true;
        m_events->Set(m_flags.firmwareMode ? LinkEvents::Firmware : LinkEvents::Normal);
        m_thread = std::thread([this] { Run(); });
    }
    m_flags.linkRunning = 1;
}

void CLinkWorker::StopLink()
{
    if (m_thread.joinable()) {
        m_stopping = true;
        m_sink.SetSendsAborted(true);  // a worker waiting on the window thread must not block us
        m_events->Set(LinkEvents::Stop);
        m_thread.join();
        m_sink.SetSendsAborted(false);
        m_events->Reset(LinkEvents::Stop);
        m_events->Reset(LinkEvents::Firmware);
        m_events->Reset(LinkEvents::Normal);
    }
    m_alive = false;
    m_flags.linkRunning = 0;
}

void CLinkWorker::Run()
{
    for (;;) {
        const int e = m_events->WaitAny(3000ms);
        if (e == LinkEvents::Stop) {
            m_alive = false;
            return;
        }
        if (e == LinkEvents::Firmware) {
            if (m_flags.firmwareFinished || !m_firmwareExchange) {
                m_events->Reset(LinkEvents::Firmware);
            } else if (m_lost) {
                std::this_thread::sleep_for(10ms);
            } else {
                if (m_firmwareExchange([this] { return m_stopping.load(); }) == ReadOutcome::Lost)
                    m_lost = true;
                ++m_exchanges;
            }
        } else if (e == LinkEvents::Normal) {
            if (!m_flags.updateClosing && !m_flags.deviceFault && !m_lost)
                NormalExchange();
            std::this_thread::sleep_for(10ms);
        }
    }
}

void CLinkWorker::NormalExchange()
{
    const auto start = std::chrono::steady_clock::now();
    if (!m_flags.linkRunning || !m_transport.IsOpen())
        return;
    FramePtr head = m_command.Head();
    if (!head) {
        // Nothing queued: the next changed group, or else a status poll. It goes out in the
        // next exchange, so a batch the window thread is queueing right now still comes first.
        m_command.Enqueue(m_command.NextPendingFrame());
        return;
    }
    // A frame whose reports all went out before (its answer was lost) is not written again.
    Report report;
    while (head->NextReport(report)) {
        // A report that does not arrive gets no answer, so the read phase ends as link lost;
        // during some firmware steps writes fail by design. Either way the trace shows it.
        m_transport.WriteReport(report);
        if (!m_flags.linkRunning)
            return;
    }
    const ReadOutcome outcome =
        m_transport.ReadReply(m_command, m_sink, start, [this] { return m_stopping.load(); });
    if (outcome == ReadOutcome::Lost)
        m_lost = true;
    if (outcome == ReadOutcome::Answered && m_command.TakeResendLimitReached()) {
        // refused once too often: as lost as a frame without an answer (traced, reported)
        m_lost = true;
        m_transport.LinkLost(m_sink, "frame still refused after 3 resends");
    }
    ++m_exchanges;
}

} // namespace ovix
