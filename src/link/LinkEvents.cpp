#include "link/LinkEvents.h"

namespace ovix {

void LinkEvents::Set(Event e)
{
    {
        std::lock_guard lock(m_mutex);
        m_set[e] = true;
    }
    m_cv.notify_all();
}

void LinkEvents::Reset(Event e)
{
    std::lock_guard lock(m_mutex);
    m_set[e] = false;
}

bool LinkEvents::IsSet(Event e) const
{
    std::lock_guard lock(m_mutex);
    return m_set[e];
}

int LinkEvents::WaitAny(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_mutex);
    auto anySet = [&] { return m_set[Stop] || m_set[Firmware] || m_set[Normal]; };
    if (!m_cv.wait_for(lock, timeout, anySet))
        return -1;
    for (int e = 0; e < kCount; ++e)
        if (m_set[e])
            return e;
    return -1;
}

} // namespace ovix
