#pragma once
// State shared by the window thread and the link worker.

#include <atomic>
#include <mutex>

namespace ovix {

struct LinkFlags {
    // Set while the device is open and the link is started; every exchange step checks it
    // and gives up when it is 0.
    std::atomic<int> linkRunning{0};
    // 1 while the link serves a firmware update.
    std::atomic<int> firmwareMode{0};
    // The processor answered a read with an empty payload; normal exchanges pause.
    std::atomic<int> deviceFault{0};
    // The firmware dialog is being closed during an update.
    std::atomic<int> updateClosing{0};
    // The last firmware step has been answered.
    std::atomic<int> firmwareFinished{0};
    // A batch is being transferred: the data-loading window blinks while it is 1.
    std::atomic<int> busy{0};
    // Firmware step of the frame being exchanged (0 outside an update); the processor
    // restarts during some steps, so its removal then is expected.
    std::atomic<int> currentStep{0};
};

// The console's one set of link flags.
extern LinkFlags g_linkFlags;

// Taken by the window thread around the building and enqueueing of a whole batch, so the
// batch's frames stay together. The link worker never takes it. Recursive, because a
// locked sequence may run inside a caller's locked bracket (mute, operation, restore).
extern std::recursive_mutex g_csLink;

} // namespace ovix
