#pragma once
// A simulated processor: the device side of the frame protocol, with its own parameter
// memory, running in process. It collects the console's frames from 65-byte output
// reports, answers every complete frame with exactly one reply frame cut into 65-byte
// input reports, and can be told to misbehave (silence, resend requests, bad checksums,
// empty data replies, other version strings and model variants).
//
// The link worker drives it through HostWrite/HostRead while tests or a window thread
// inject faults, unplug it and look into its memory, so every call is thread-safe: one
// mutex guards the whole state and a condition variable wakes a waiting read.

#include "protocol/FrameDecoder.h"
#include "protocol/HidBackend.h"
#include "model/DeviceImage.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace ovix::sim {

struct SimOptions {
    // SYS_VERSION answer; 11 characters on the wire (padded with spaces or cut).
    std::string version = "QX907-V1.00";
    // SYS_MODEL answer (the console's layout variant).
    int model = 1;
    // Time one report takes on the wire, in each direction. 0 for fast tests.
    std::chrono::microseconds reportDelay{1000};
    // USB release number a bus lists the processor with; the console only takes 0x0200.
    std::uint16_t release = kReleaseNumber;
    // How long the loader takes to erase the DSP flash before it answers.
    std::chrono::milliseconds eraseTime{0};
};

// What the processor's loader received during firmware updates, for tests.
struct LoaderState {
    bool inLoader = false;      // restarted into the loader by a boot request
    int bootRequests = 0;       // boot requests recognised
    int starts = 0;             // start steps (each restarts the processor)
    int erases = 0;
    int restarts = 0;
    std::vector<std::uint8_t> dsp;        // DSP flash as written, by load address
    std::vector<std::uint8_t> mcuHeader;  // the MCU header step's four bytes
    std::vector<std::uint8_t> mcu;        // MCU data steps in order, fill bytes included
    std::optional<std::uint8_t> checksum; // the finish step's byte
    int finishes = 0;
};

// Memory of a factory-fresh processor: ISO band frequencies on every output band at 0 dB,
// 0 dB outputs switched on, 20 Hz .. 20 kHz Butterworth crossovers (500 Hz low-pass on the
// subwoofer channels), music volume 60, programs named "PROGRAM 01".."PROGRAM 20".
// The version string is left as ResetImage leaves it.
void LoadFactoryMemory(DeviceImage& img);

class CSimProcessor {
public:
    explicit CSimProcessor(SimOptions options = {});
    ~CSimProcessor();
    CSimProcessor(const CSimProcessor&) = delete;
    CSimProcessor& operator=(const CSimProcessor&) = delete;

    // ---- host side (the link worker) ----
    // One output report: byte 0 the report id, bytes 1..64 frame data (the last report of a
    // frame zero-padded). Takes reportDelay. A frame completed by this report is executed
    // and its reply queued. Error while unplugged or when `connection` is no longer the
    // open one; connection 0 is the bare wire (tests), good whenever plugged in.
    HidIo HostWrite(const Report& report, int timeoutMs, std::uint64_t connection = 0);
    // The next input report (report id 0, 64 data bytes). Waits up to timeoutMs (negative:
    // no limit); each reply report becomes available reportDelay after the one before it.
    // Timeout when nothing came, Error while unplugged or after the connection ended.
    HidIo HostRead(Report& report, int timeoutMs, std::uint64_t connection = 0);

    // ---- connections (the bus) ----
    // Opens the one connection this processor allows: its number, or 0 with NotFound
    // (unplugged) or Busy (already open). A new connection starts with empty buffers.
    std::uint64_t Attach(OpenError& error);
    // Ends a connection; replies not yet read are dropped.
    void Detach(std::uint64_t connection);
    // Unplugging ends the open connection, wakes a waiting read with Error and drops all
    // buffered bytes; the memory is kept. Both return false when nothing changed.
    bool Unplug();
    bool Replug();
    bool Plugged() const;
    std::uint16_t Release() const { return m_release; }

    // ---- fault injection (any thread) ----
    // Frames are received (and logged) but nothing is answered.
    void SetSilent(bool silent);
    // The next n verified frames are answered REPLY_RESEND with an empty payload and not
    // executed; then normal answers again.
    void ResendNext(int n);
    // The next reply goes out with a wrong checksum.
    void CorruptNextChecksum();
    // The next read is answered REPLY_DATA with payload length 0 (and has no effect).
    void EmptyNextRead();
    void SetVersion(const std::string& version);
    void SetModel(int model);

    // ---- firmware ----
    // Called (outside the lock, on the thread that read the start step's answer) when the
    // processor restarts after that answer: the bus tells its watchers of the removal and
    // the arrival. The open connection has ended by then.
    void SetRestartHook(std::function<void()> hook);
    LoaderState Loader() const;

    // ---- for tests ----
    DeviceImage Memory() const;
    // Runs fn on the memory under the lock; fn must not call back into this processor.
    void Edit(const std::function<void(DeviceImage&)>& fn);
    // Every complete frame received, in order, as sent (bad ones and swallowed ones too);
    // the newest kMaxLoggedFrames, so an idle `--device sim` console does not grow forever.
    static constexpr std::size_t kMaxLoggedFrames = 100000;
    std::vector<std::vector<std::uint8_t>> ReceivedFrames() const;
    void ClearReceivedFrames();

private:
    struct PendingReport {
        Report report;
        std::chrono::steady_clock::time_point ready;
    };
    struct Reply {
        std::uint8_t command;
        std::vector<std::uint8_t> payload;
    };

    bool Reachable(std::uint64_t connection) const;
    void ClearBuffers();
    void ReceiveByte(std::uint8_t b);
    void ReceiveFrame(std::vector<std::uint8_t> frame, const FrameResult& decoded);
    Reply Execute(const DecodedFrame& frame);
    void Write(int program, int type, int index, int block, const std::uint8_t* data, int n);
    bool Read(int program, int type, int index, int block, std::vector<std::uint8_t>& out);
    bool ReadItem(int item, int program, std::vector<std::uint8_t>& out) const;
    void QueueReply(const Reply& reply, const DecodedFrame& request);
    Reply LoaderStep(const DecodedFrame& frame);

    const std::chrono::microseconds m_reportDelay;
    const std::uint16_t m_release;

    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
    std::unique_ptr<DeviceImage> m_memory;
    int m_model;
    bool m_plugged = true;
    std::uint64_t m_connection = 0;      // the open connection, 0 when closed
    std::uint64_t m_lastConnection = 0;
    int m_syncCount = 0;                 // 0x7D bytes seen while looking for a start
    std::vector<std::uint8_t> m_rx;      // the frame being collected, from its sync bytes
    std::deque<PendingReport> m_tx;      // reply reports not yet read
    bool m_silent = false;
    int m_resend = 0;
    bool m_corrupt = false;
    bool m_emptyRead = false;
    std::deque<std::vector<std::uint8_t>> m_log;
    const std::chrono::milliseconds m_eraseTime;
    std::chrono::milliseconds m_replyDelay{0};  // for the reply being queued
    LoaderState m_loader;
    bool m_restartPending = false;
    std::function<void()> m_restartHook;
};

} // namespace ovix::sim
