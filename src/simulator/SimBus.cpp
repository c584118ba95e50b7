#include "simulator/SimBus.h"

#include <algorithm>

namespace ovix::sim {

namespace {

class CSimDevice final : public IHidDevice {
public:
    CSimDevice(std::shared_ptr<CSimProcessor> processor, std::uint64_t connection)
        : m_processor(std::move(processor)), m_connection(connection)
    {
    }
    ~CSimDevice() override { m_processor->Detach(m_connection); }
    CSimDevice(const CSimDevice&) = delete;
    CSimDevice& operator=(const CSimDevice&) = delete;

    HidIo Write(const Report& report, int timeoutMs) override
    {
        return m_processor->HostWrite(report, timeoutMs, m_connection);
    }
    HidIo Read(Report& report, int timeoutMs) override
    {
        return m_processor->HostRead(report, timeoutMs, m_connection);
    }

private:
    std::shared_ptr<CSimProcessor> m_processor;
    std::uint64_t m_connection;
};

// One registered watcher. Its mutex is held while the watcher runs, so that a handle being
// destroyed on another thread waits for the call to finish; it is recursive so that a
// watcher may drop its own handle.
struct WatchEntry {
    std::recursive_mutex mutex;
    DeviceChangeFn fn;
    bool active = true;
};

} // namespace

struct CSimBus::Watchers {
    std::mutex mutex;
    std::vector<std::shared_ptr<WatchEntry>> entries;
};

namespace {

class CSimWatch final : public IWatchHandle {
public:
    CSimWatch(std::weak_ptr<CSimBus::Watchers> registry, std::shared_ptr<WatchEntry> entry)
        : m_registry(std::move(registry)), m_entry(std::move(entry))
    {
    }
    ~CSimWatch() override
    {
        {
            std::lock_guard lock(m_entry->mutex);
            m_entry->active = false;
        }
        if (auto registry = m_registry.lock()) {
            std::lock_guard lock(registry->mutex);
            std::erase(registry->entries, m_entry);
        }
    }
    CSimWatch(const CSimWatch&) = delete;
    CSimWatch& operator=(const CSimWatch&) = delete;

private:
    std::weak_ptr<CSimBus::Watchers> m_registry;
    std::shared_ptr<WatchEntry> m_entry;
};

} // namespace

CSimBus::CSimBus() : m_watchers(std::make_shared<Watchers>()) {}

CSimBus::~CSimBus() = default;

CSimProcessor& CSimBus::Add(SimOptions options)
{
    auto processor = std::make_shared<CSimProcessor>(std::move(options));
    CSimProcessor& added = *processor;
    std::lock_guard lock(m_mutex);
    const std::string path = "sim:" + std::to_string(m_slots.size() + 1);
    // a processor restarting after a firmware start step leaves the bus and comes back
    processor->SetRestartHook([watchers = std::weak_ptr<Watchers>(m_watchers), path] {
        if (const auto w = watchers.lock()) {
            NotifyWatchers(*w, DeviceEvent::Removal, path);
            NotifyWatchers(*w, DeviceEvent::Arrival, path);
        }
    });
    m_slots.push_back({path, std::move(processor)});
    return added;
}

std::shared_ptr<CSimProcessor> CSimBus::Find(const std::string& path) const
{
    std::lock_guard lock(m_mutex);
    for (const Slot& slot : m_slots)
        if (slot.path == path)
            return slot.processor;
    return nullptr;
}

bool CSimBus::Unplug(const std::string& path)
{
    const auto processor = Find(path);
    if (!processor || !processor->Unplug())
        return false;
    Notify(DeviceEvent::Removal, path);
    return true;
}

bool CSimBus::Replug(const std::string& path)
{
    const auto processor = Find(path);
    if (!processor || !processor->Replug())
        return false;
    Notify(DeviceEvent::Arrival, path);
    return true;
}

std::vector<HidDeviceInfo> CSimBus::Enumerate(std::uint16_t vendorId, std::uint16_t productId)
{
    std::vector<HidDeviceInfo> found;
    if (vendorId != kVendorId || productId != kProductId)
        return found;
    std::lock_guard lock(m_mutex);
    for (const Slot& slot : m_slots) {
        if (!slot.processor->Plugged())
            continue;
        HidDeviceInfo info;
        info.path = slot.path;
        info.vendorId = kVendorId;
        info.productId = kProductId;
        info.release = slot.processor->Release();
        found.push_back(std::move(info));
    }
    return found;
}

std::unique_ptr<IHidDevice> CSimBus::Open(const std::string& path, OpenError& error)
{
    auto processor = Find(path);
    if (!processor) {
        error = OpenError::NotFound;
        return nullptr;
    }
    const std::uint64_t connection = processor->Attach(error);
    if (connection == 0)
        return nullptr;
    return std::make_unique<CSimDevice>(std::move(processor), connection);
}

std::unique_ptr<IWatchHandle> CSimBus::Watch(DeviceChangeFn fn)
{
    auto entry = std::make_shared<WatchEntry>();
    entry->fn = std::move(fn);
    {
        std::lock_guard lock(m_watchers->mutex);
        m_watchers->entries.push_back(entry);
    }
    return std::make_unique<CSimWatch>(m_watchers, std::move(entry));
}

void CSimBus::Notify(DeviceEvent event, const std::string& path)
{
    NotifyWatchers(*m_watchers, event, path);
}

void CSimBus::NotifyWatchers(Watchers& watchers, DeviceEvent event, const std::string& path)
{
    std::vector<std::shared_ptr<WatchEntry>> entries;
    {
        std::lock_guard lock(watchers.mutex);
        entries = watchers.entries;
    }
    for (const auto& entry : entries) {
        std::lock_guard lock(entry->mutex);
        if (entry->active)
            entry->fn(event, path);
    }
}

std::unique_ptr<IHidBackend> MakeDefaultSimBus()
{
    auto bus = std::make_unique<CSimBus>();
    SimOptions options;
    options.eraseTime = std::chrono::milliseconds(1500);  // a firmware update erases for a while
    bus->Add(options);
    return bus;
}

} // namespace ovix::sim
