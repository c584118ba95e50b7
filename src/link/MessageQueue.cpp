#include "link/MessageQueue.h"

#include <algorithm>

namespace ovix {

void MessageQueue::Push(LinkEventMsg msg)
{
    {
        std::lock_guard lock(m_mutex);
        m_queue.push_back(std::move(msg));
    }
    m_cv.notify_all();
    if (m_wakeup)
        m_wakeup();
}

void MessageQueue::SetSendsAborted(bool aborted)
{
    {
        std::lock_guard lock(m_mutex);
        m_sendsAborted = aborted;
    }
    m_cv.notify_all();
}

void MessageQueue::Post(unsigned message, std::intptr_t wParam, std::intptr_t lParam)
{
    LinkEventMsg m;
    m.message = message;
    m.wParam = wParam;
    m.lParam = lParam;
    Push(std::move(m));
}

void MessageQueue::Send(unsigned message, std::intptr_t wParam, std::intptr_t lParam)
{
    std::unique_lock lock(m_mutex);
    if (m_shutdown || m_sendsAborted)
        return;
    LinkEventMsg m;
    m.message = message;
    m.wParam = wParam;
    m.lParam = lParam;
    m.sendId = ++m_sendsPosted;
    const std::uint64_t id = m.sendId;
    m_queue.push_back(std::move(m));
    m_cv.notify_all();
    if (m_wakeup) {
        lock.unlock();
        m_wakeup();
        lock.lock();
    }
    m_cv.wait(lock, [&] { return m_shutdown || m_sendsAborted || m_sendsDone >= id; });
}

void MessageQueue::PostDeviceChange(DeviceEvent event, const std::string& path)
{
    LinkEventMsg m;
    m.kind = LinkEventMsg::DeviceChange;
    m.event = event;
    m.path = path;
    Push(std::move(m));
}

void MessageQueue::After(std::chrono::milliseconds delay, std::function<void()> fn)
{
    {
        std::lock_guard lock(m_mutex);
        m_timers.push_back({std::chrono::steady_clock::now() + delay, std::move(fn)});
    }
    m_cv.notify_all();
}

int MessageQueue::Pump(const Handler& handler, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    int handled = 0;
    for (;;) {
        LinkEventMsg msg;
        bool have = false;
        {
            std::unique_lock lock(m_mutex);
            for (;;) {
                const auto now = std::chrono::steady_clock::now();
                auto due = std::find_if(m_timers.begin(), m_timers.end(),
                                        [&](const Timed& t) { return t.due <= now; });
                if (due != m_timers.end()) {
                    msg.kind = LinkEventMsg::Call;
                    msg.call = std::move(due->fn);
                    m_timers.erase(due);
                    have = true;
                    break;
                }
                if (!m_queue.empty()) {
                    msg = std::move(m_queue.front());
                    m_queue.pop_front();
                    have = true;
                    break;
                }
                if (handled > 0 || now >= deadline)
                    break;
                auto wakeAt = deadline;
                for (const Timed& t : m_timers)
                    wakeAt = std::min(wakeAt, t.due);
                m_cv.wait_until(lock, wakeAt);
            }
        }
        if (!have)
            return handled;
        if (msg.kind == LinkEventMsg::Call) {
            msg.call();
        } else {
            if (handler)
                handler(msg);
            std::lock_guard lock(m_mutex);
            if (msg.kind == LinkEventMsg::Message)
                m_handled.push_back(msg.message);
        }
        if (msg.sendId != 0) {
            {
                std::lock_guard lock(m_mutex);
                m_sendsDone = std::max(m_sendsDone, msg.sendId);
            }
            m_cv.notify_all();
        }
        ++handled;
    }
}

bool MessageQueue::PumpUntil(const Handler& handler, const std::function<bool()>& pred,
                             std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!pred()) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline)
            return pred();
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now);
        Pump(handler, std::min(left, std::chrono::milliseconds(20)));
    }
    return true;
}

void MessageQueue::Shutdown()
{
    {
        std::lock_guard lock(m_mutex);
        m_shutdown = true;
    }
    m_cv.notify_all();
}

std::vector<unsigned> MessageQueue::Handled() const
{
    std::lock_guard lock(m_mutex);
    return m_handled;
}

} // namespace ovix
