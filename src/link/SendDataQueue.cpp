#include "link/SendDataQueue.h"


namespace ovix {

void CSendDataQueue::Enqueue(FramePtr frame)
{
    if (!frame)
        return;
    std::lock_guard lock(m_mutex);
    m_frames.push_back(std::move(frame));
}

FramePtr CSendDataQueue::Head() const
{
    std::lock_guard lock(m_mutex);
    return m_frames.empty() ? nullptr : m_frames.front();
}

void CSendDataQueue::RemoveHead()
{
    std::lock_guard lock(m_mutex);
    if (!m_frames.empty())
        m_frames.pop_front();
}

bool CSendDataQueue::RemoveHeadIf(const CSendData* frame)
{
    std::lock_guard lock(m_mutex);
    if (m_frames.empty() || m_frames.front().get() != frame)
        return false;
    m_frames.pop_front();
    return true;
}

void CSendDataQueue::Clear()
{
    std::deque<FramePtr> old;
    {
        std::lock_guard lock(m_mutex);
        old.swap(m_frames);
    }
    // frames are freed outside the lock
}

int CSendDataQueue::Count() const
{
    std::lock_guard lock(m_mutex);
    return int(m_frames.size());
}

bool CSendDataQueue::Contains(const CSendData* frame) const
{
    std::lock_guard lock(m_mutex);
    for (const FramePtr& f : m_frames)
        if (f.get() == frame)
            return true;
    return false;
}

std::deque<FramePtr> CSendDataQueue::Snapshot() const
{
    std::lock_guard lock(m_mutex);
    return m_frames;
}

} // namespace ovix
