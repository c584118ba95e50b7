#pragma once
// The link worker's three manual-reset events (stop, firmware exchange, normal exchange):
// once set, an event stays set until it is reset, so a waiter wakes at once every time.

#include <array>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace ovix {

class LinkEvents {
public:
    enum Event { Stop = 0, Firmware = 1, Normal = 2, kCount = 3 };

    void Set(Event e);
    void Reset(Event e);
    bool IsSet(Event e) const;
    // Waits until any event is set; returns the first set one in the order stop,
    // firmware, normal, or -1 after the timeout.
    int WaitAny(std::chrono::milliseconds timeout);

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
    std::array<bool, kCount> m_set{};
};

} // namespace ovix
