#include "protocol/ProtocolTrace.h"

namespace ovix {

namespace {

const char* IoName(HidIo io)
{
    switch (io) {
    case HidIo::Ok: return "ok";
    case HidIo::Timeout: return "timeout";
    case HidIo::Error: return "error";
    }
    return "?";
}

// A backend that hands out its inner backend's devices and tells the link about its trace.
class CTracedBackend final : public IHidBackend {
public:
    CTracedBackend(std::shared_ptr<IHidBackend> inner, std::shared_ptr<CProtocolTrace> trace)
        : m_inner(std::move(inner)), m_trace(std::move(trace))
    {
    }
    std::vector<HidDeviceInfo> Enumerate(std::uint16_t vendorId, std::uint16_t productId) override
    {
        return m_inner->Enumerate(vendorId, productId);
    }
    std::unique_ptr<IHidDevice> Open(const std::string& path, OpenError& error) override
    {
        return m_inner->Open(path, error);
    }
    std::unique_ptr<IWatchHandle> Watch(DeviceChangeFn fn) override { return m_inner->Watch(std::move(fn)); }
    std::shared_ptr<CProtocolTrace> Trace() const override { return m_trace; }

private:
    std::shared_ptr<IHidBackend> m_inner;
    std::shared_ptr<CProtocolTrace> m_trace;
};

} // namespace

std::shared_ptr<CProtocolTrace> CProtocolTrace::Open(const std::string& path)
{
    std::FILE* f = std::fopen(path.c_str(), "a");
    if (!f)
        return nullptr;
    return std::shared_ptr<CProtocolTrace>(new CProtocolTrace(f));
}

CProtocolTrace::CProtocolTrace(std::FILE* file) : m_file(file), m_start(std::chrono::steady_clock::now()) {}

CProtocolTrace::~CProtocolTrace()
{
    std::fclose(m_file);
}

void CProtocolTrace::Line(std::string_view tag, std::string_view text, const Report* report)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string body;
    body.reserve(16 + text.size() + (report ? 2 * report->size() : 0));
    body += tag;
    if (!text.empty()) {
        body += ' ';
        body += text;
    }
    if (report) {
        body += ' ';
        for (std::uint8_t b : *report) {
            body += kDigits[b >> 4];
            body += kDigits[b & 0x0F];
        }
    }
    std::lock_guard lock(m_mutex);
    // stamped under the lock, so the times in the file never go backwards
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - m_start).count();
    std::fprintf(m_file, "%.3f %s\n", ms, body.c_str());
    // a trace is read while the link runs, and must survive a crash
    std::fflush(m_file);
}

void CProtocolTrace::Written(const Report& report, HidIo result)
{
    if (result == HidIo::Ok)
        Line("W", {}, &report);
    else
        Line("W-FAILED", IoName(result), &report);
}

void CProtocolTrace::Read(const Report& report)
{
    Line("R", {}, &report);
}

void CProtocolTrace::Dropped(const FrameError& reason)
{
    Line("DROP", Describe(reason), nullptr);
}

void CProtocolTrace::Lost(std::string_view why)
{
    Line("LOST", why, nullptr);
}

std::shared_ptr<IHidBackend> WithTrace(std::shared_ptr<IHidBackend> backend,
                                       std::shared_ptr<CProtocolTrace> trace)
{
    if (!backend || !trace)
        return backend;
    return std::make_shared<CTracedBackend>(std::move(backend), std::move(trace));
}

} // namespace ovix
