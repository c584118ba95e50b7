#pragma once
// How the link worker talks to the window thread: posted messages (the worker goes on at
// once) and one synchronous send (the worker waits until the window thread handled it).
// The console implements it with queued Qt calls, the command-line tool and the tests
// with a MessageQueue.

#include "protocol/HidBackend.h"

#include <cstdint>
#include <string>

namespace ovix {

class LinkSink {
public:
    virtual ~LinkSink() = default;
    virtual void Post(unsigned message, std::intptr_t wParam, std::intptr_t lParam) = 0;
    // Returns once the window thread has handled the message, or at once when the sink
    // is shutting down (a stopping link must never wait on a window thread that is
    // itself waiting for the link to stop).
    virtual void Send(unsigned message, std::intptr_t wParam, std::intptr_t lParam) = 0;
    // A device arrived or went away (from the backend's watch thread).
    virtual void PostDeviceChange(DeviceEvent event, const std::string& path) = 0;
    // While aborted, a waiting Send returns at once and new ones do not wait: the link sets
    // it while it stops, so a worker blocked in Send can leave.
    virtual void SetSendsAborted(bool /*aborted*/) {}
};

} // namespace ovix
