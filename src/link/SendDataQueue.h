#pragma once
// The first-in first-out queue of frames waiting for the processor. The window thread
// enqueues (and clears), the link worker takes the head and removes it once answered;
// every operation holds the queue's own mutex, so the three may interleave freely.
//
// The worker holds the head through a shared pointer while the frame is in flight, so a
// Clear on the window thread never frees a frame the worker is still writing, and the
// worker removes the head only if it is still the frame that was answered.

#include "protocol/SendData.h"

#include <deque>
#include <mutex>

namespace ovix {

class CSendDataQueue {
public:
    void Enqueue(FramePtr frame);
    FramePtr Head() const;
    // Removes the first frame; on an empty queue nothing happens.
    void RemoveHead();
    // Removes the first frame only when it is `frame` (the one the worker sent): a reply
    // that arrives after the window thread cleared and refilled the queue removes nothing.
    bool RemoveHeadIf(const CSendData* frame);
    void Clear();
    int Count() const;
    bool Contains(const CSendData* frame) const;
    // A copy of the queued frames, oldest first (for tests and diagnostics).
    std::deque<FramePtr> Snapshot() const;

private:
    mutable std::mutex m_mutex;
    std::deque<FramePtr> m_frames;
};

} // namespace ovix
