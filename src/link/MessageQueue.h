#pragma once
// A window thread of its own for programs without windows (ovixctl, the tests): the link
// posts into this queue and the owner pumps it, handling each message on its own thread,
// exactly as the console handles them on its window thread. Delayed calls stand in for the
// console's timers.

#include "link/LinkSink.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

namespace ovix {

struct LinkEventMsg {
    enum Kind { Message, DeviceChange, Call } kind = Message;
    unsigned message = 0;
    std::intptr_t wParam = 0;
    std::intptr_t lParam = 0;
    DeviceEvent event = DeviceEvent::Arrival;
    std::string path;
    std::function<void()> call;
    std::uint64_t sendId = 0;  // nonzero: a synchronous send waits for this one
};

class MessageQueue final : public LinkSink {
public:
    using Handler = std::function<void(const LinkEventMsg&)>;

    void Post(unsigned message, std::intptr_t wParam, std::intptr_t lParam) override;
    void Send(unsigned message, std::intptr_t wParam, std::intptr_t lParam) override;
    void PostDeviceChange(DeviceEvent event, const std::string& path) override;

    void SetSendsAborted(bool aborted) override;

    // Called (on the posting thread) whenever something arrives, so a window thread can
    // schedule a Pump; set before the link starts.
    void SetWakeup(std::function<void()> wakeup) { m_wakeup = std::move(wakeup); }

    // Runs fn on the pumping thread after `delay`.
    void After(std::chrono::milliseconds delay, std::function<void()> fn);

    // Handles what is due, waiting up to `timeout` for something to arrive; Call entries
    // run themselves, everything else goes to the handler. Returns the number handled.
    int Pump(const Handler& handler, std::chrono::milliseconds timeout);

    // Pumps until pred() holds or the timeout passes; returns pred().
    bool PumpUntil(const Handler& handler, const std::function<bool()>& pred,
                   std::chrono::milliseconds timeout);

    // Wakes every waiting Send and makes later ones return at once.
    void Shutdown();

    // Messages handled so far (codes only), for tests.
    std::vector<unsigned> Handled() const;

private:
    struct Timed {
        std::chrono::steady_clock::time_point due;
        std::function<void()> fn;
    };

    void Push(LinkEventMsg msg);

    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
    std::deque<LinkEventMsg> m_queue;
    std::vector<Timed> m_timers;
    std::vector<unsigned> m_handled;
    std::uint64_t m_sendsPosted = 0;
    std::uint64_t m_sendsDone = 0;
    bool m_shutdown = false;
    bool m_sendsAborted = false;
    std::function<void()> m_wakeup;
};

} // namespace ovix
