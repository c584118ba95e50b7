#pragma once
// The protocol trace (--trace FILE): every report written and read, every reply the
// collector dropped with the decoder's reason, and every write that failed, appended to a
// file one line each:
//
//     12.345 W 007d7d7deea201...      a report written (all 65 bytes, hex)
//     13.402 R 007d7d7dee5301...      a report read
//     14.000 W-FAILED timeout 007d... a report whose write did not complete
//     15.020 DROP bad checksum (computed 0x12, received 0xed)
//     3012.7 LOST no complete reply within 3000 ms
//
// The first column is the time in milliseconds since the trace was opened. Tracing is off
// unless a trace was opened: the link then holds a null pointer and formats nothing.
// Any thread may write to it; lines never interleave.

#include "protocol/FrameDecoder.h"
#include "protocol/HidBackend.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

namespace ovix {

class CProtocolTrace {
public:
    // Opens (creates or appends to) path; nullptr when it cannot be opened.
    static std::shared_ptr<CProtocolTrace> Open(const std::string& path);
    ~CProtocolTrace();
    CProtocolTrace(const CProtocolTrace&) = delete;
    CProtocolTrace& operator=(const CProtocolTrace&) = delete;

    void Written(const Report& report, HidIo result);
    void Read(const Report& report);
    void Dropped(const FrameError& reason);
    // The read phase gave up: why.
    void Lost(std::string_view why);

private:
    explicit CProtocolTrace(std::FILE* file);
    void Line(std::string_view tag, std::string_view text, const Report* report);

    std::mutex m_mutex;
    std::FILE* m_file;
    const std::chrono::steady_clock::time_point m_start;
};

// The same backend, carrying a trace: every link made over it traces its reports into it.
// With a null trace the backend is returned as it is.
std::shared_ptr<IHidBackend> WithTrace(std::shared_ptr<IHidBackend> backend,
                                       std::shared_ptr<CProtocolTrace> trace);

} // namespace ovix
