#pragma once
// The link worker: one thread that performs one exchange with the processor per cycle —
// write the frame at the head of the queue, read until its reply has been dispatched,
// pause 10 ms — for as long as the link runs. It decides what is sent: the queue's head, or
// when the queue is empty the next changed group or a status poll (queued for the next
// exchange); the transport only moves the reports.

#include "link/KTVCommand.h"
#include "link/LinkSink.h"
#include "link/LinkEvents.h"
#include "link/UsbTransport.h"

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

namespace ovix {

class CLinkWorker {
public:
    CLinkWorker(CKTVCommand& command, CUsbTransport& transport, LinkFlags& flags, LinkSink& sink);
    ~CLinkWorker();

    // Clears the device-fault flag, starts the worker when there is none, and sets the
    // exchange event of the current mode and the link-running flag.
    void StartLink();
    // Ends the worker and waits for it to leave; resets the events and the link-running flag.
    void StopLink();
    bool Alive() const { return m_alive; }

    // One firmware exchange, supplied by the update procedure while there is one; it is
    // told through its argument when the link is stopping. Set only while stopped.
    using FirmwareExchange = std::function<ReadOutcome(const std::function<bool()>& stop)>;
    void SetFirmwareExchange(FirmwareExchange exchange) { m_firmwareExchange = std::move(exchange); }

    // Exchanges performed, for tests and benchmarks.
    long Exchanges() const { return m_exchanges; }

private:
    void Run();
    void NormalExchange();

    CKTVCommand& m_command;
    CUsbTransport& m_transport;
    LinkFlags& m_flags;
    LinkSink& m_sink;
    std::unique_ptr<LinkEvents> m_events;
    std::thread m_thread;
    std::atomic<bool> m_alive{false};
    std::atomic<bool> m_stopping{false};
    // Set once the link was lost: the worker then leaves the device alone until stopped.
    std::atomic<bool> m_lost{false};
    std::atomic<long> m_exchanges{0};
    FirmwareExchange m_firmwareExchange;
};

} // namespace ovix
