#pragma once
// A HID bus of simulated processors, seen through the same report-level backend interface
// as real USB devices. Processors are listed as "sim:1", "sim:2", ... in the order they
// were added, with the processor's vendor and product id and their own release number.
// A device opened from the bus keeps its processor alive, so it may outlive the bus.

#include "protocol/HidBackend.h"
#include "simulator/SimProcessor.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace ovix::sim {

class CSimBus : public IHidBackend {
public:
    CSimBus();
    ~CSimBus() override;
    CSimBus(const CSimBus&) = delete;
    CSimBus& operator=(const CSimBus&) = delete;

    // Plugs in a new processor; the reference stays valid as long as the bus lives.
    CSimProcessor& Add(SimOptions options = {});
    // The processor listed under a path, or nullptr.
    std::shared_ptr<CSimProcessor> Find(const std::string& path) const;

    // Unplugging: open devices of that processor fail from now on (a waiting read wakes
    // with Error), it leaves the listing and watchers hear of its removal. Replugging
    // lists it again with its memory kept, ready for a fresh open; watchers hear of its
    // arrival. False for an unknown path or when nothing changed.
    bool Unplug(const std::string& path);
    bool Replug(const std::string& path);

    std::vector<HidDeviceInfo> Enumerate(std::uint16_t vendorId, std::uint16_t productId) override;
    // Exclusive: Busy while another device object of the same path is alive (and the
    // processor has not been unplugged since); NotFound for unknown or unplugged paths.
    std::unique_ptr<IHidDevice> Open(const std::string& path, OpenError& error) override;
    // Watchers are called on the thread that unplugs or replugs, outside the bus's lock.
    // Destroying a handle while its watcher runs on another thread waits for that call.
    std::unique_ptr<IWatchHandle> Watch(DeviceChangeFn fn) override;

    struct Watchers;

private:
    struct Slot {
        std::string path;
        std::shared_ptr<CSimProcessor> processor;
    };

    void Notify(DeviceEvent event, const std::string& path);
    static void NotifyWatchers(Watchers& watchers, DeviceEvent event, const std::string& path);

    mutable std::mutex m_mutex;
    std::vector<Slot> m_slots;
    std::shared_ptr<Watchers> m_watchers;
};

// A bus with one processor of default options: what `--device sim` talks to.
std::unique_ptr<IHidBackend> MakeDefaultSimBus();

} // namespace ovix::sim
