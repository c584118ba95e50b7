#include "simulator/SimBus.h"

#include "SimWire.h"
#include "link/CommandBuilder.h"

#include <gtest/gtest.h>

#include <future>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace ovix::sim::test {
namespace {

using Event = std::pair<DeviceEvent, std::string>;

// Collects device notices from whatever thread they come on.
struct Recorder {
    std::mutex mutex;
    std::vector<Event> events;

    DeviceChangeFn Fn()
    {
        return [this](DeviceEvent e, const std::string& path) {
            std::lock_guard lock(mutex);
            events.emplace_back(e, path);
        };
    }
    std::vector<Event> Events()
    {
        std::lock_guard lock(mutex);
        return events;
    }
};

std::vector<std::string> Paths(IHidBackend& bus)
{
    std::vector<std::string> paths;
    for (const auto& info : bus.Enumerate(kVendorId, kProductId))
        paths.push_back(info.path);
    return paths;
}

std::string Version(IHidDevice& device)
{
    const auto reply = Exchange(device, ReadSystemItem(SYS_VERSION, 0));
    return reply ? std::string(reply->payload.begin(), reply->payload.end()) : std::string();
}

TEST(SimBusTest, ListsPluggedProcessorsInOrderWithTheirRelease)
{
    CSimBus bus;
    bus.Add(Fast());
    SimOptions old = Fast();
    old.release = 0x0100;
    bus.Add(old);
    bus.Add(Fast());

    const auto infos = bus.Enumerate(kVendorId, kProductId);
    ASSERT_EQ(infos.size(), 3u);
    const std::uint16_t releases[] = {0x0200, 0x0100, 0x0200};
    for (std::size_t i = 0; i < infos.size(); ++i) {
        EXPECT_EQ(infos[i].path, "sim:" + std::to_string(i + 1));
        EXPECT_EQ(infos[i].vendorId, kVendorId);
        EXPECT_EQ(infos[i].productId, kProductId);
        EXPECT_EQ(infos[i].release, releases[i]) << "the console must see the other release number";
    }
    EXPECT_TRUE(bus.Enumerate(kVendorId, 0x1234).empty());

    ASSERT_TRUE(bus.Unplug("sim:2"));
    EXPECT_EQ(Paths(bus), (std::vector<std::string>{"sim:1", "sim:3"}));
}

TEST(SimBusTest, OpenIsExclusiveUntilTheDeviceIsDestroyed)
{
    CSimBus bus;
    bus.Add(Fast());
    OpenError error = OpenError::None;
    auto first = bus.Open("sim:1", error);
    ASSERT_TRUE(first);
    EXPECT_EQ(error, OpenError::None);

    EXPECT_FALSE(bus.Open("sim:1", error));
    EXPECT_EQ(error, OpenError::Busy);
    EXPECT_FALSE(bus.Open("sim:9", error));
    EXPECT_EQ(error, OpenError::NotFound);

    EXPECT_EQ(Version(*first), "QX907-V1.00");
    first.reset();
    auto second = bus.Open("sim:1", error);
    ASSERT_TRUE(second);
    EXPECT_EQ(Version(*second), "QX907-V1.00");
}

TEST(SimBusTest, UnplugWakesAWaitingReadAndReplugGivesAFreshConnection)
{
    CSimBus bus;
    CSimProcessor& sim = bus.Add(Fast());
    sim.Edit([](DeviceImage& m) { m.current.outputs[2].SetGain(7); });
    Recorder recorder;
    auto watch = bus.Watch(recorder.Fn());
    OpenError error = OpenError::None;
    auto device = bus.Open("sim:1", error);
    ASSERT_TRUE(device);

    std::promise<void> started;
    auto read = std::async(std::launch::async, [&] {
        Report report{};
        started.set_value();
        return device->Read(report, 30000);  // nothing is coming: only the unplug ends it
    });
    started.get_future().wait();
    ASSERT_TRUE(bus.Unplug("sim:1"));
    EXPECT_EQ(read.get(), HidIo::Error);

    Report report{};
    EXPECT_EQ(device->Write(report, 20), HidIo::Error);
    EXPECT_TRUE(Paths(bus).empty());
    EXPECT_FALSE(bus.Open("sim:1", error));
    EXPECT_EQ(error, OpenError::NotFound);
    EXPECT_FALSE(bus.Unplug("sim:1")) << "already unplugged";

    ASSERT_TRUE(bus.Replug("sim:1"));
    EXPECT_EQ(Paths(bus), std::vector<std::string>{"sim:1"});
    EXPECT_EQ(device->Read(report, 20), HidIo::Error) << "a handle from before the unplug stays dead";
    auto fresh = bus.Open("sim:1", error);
    ASSERT_TRUE(fresh);
    const auto live = Exchange(*fresh, ReadRecord(0, REC_OUTPUT, 2, false));
    ASSERT_TRUE(live);
    EXPECT_EQ(live->payload[250], 7) << "the memory survives the unplug";

    EXPECT_EQ(recorder.Events(),
              (std::vector<Event>{{DeviceEvent::Removal, "sim:1"}, {DeviceEvent::Arrival, "sim:1"}}));
    watch.reset();
    bus.Unplug("sim:1");
    EXPECT_EQ(recorder.Events().size(), 2u) << "no notices after the watch ended";
}

TEST(SimBusTest, WatcherMayEndItsOwnWatch)
{
    CSimBus bus;
    bus.Add(Fast());
    int calls = 0;
    std::unique_ptr<IWatchHandle> watch;
    watch = bus.Watch([&](DeviceEvent, const std::string&) {
        ++calls;
        watch.reset();
    });
    bus.Unplug("sim:1");
    bus.Replug("sim:1");
    EXPECT_EQ(calls, 1);
}

TEST(SimBusTest, DeviceOutlivesItsBus)
{
    auto bus = std::make_shared<CSimBus>();
    bus->Add(Fast());
    OpenError error = OpenError::None;
    auto device = bus->Open("sim:1", error);
    ASSERT_TRUE(device);
    bus.reset();
    EXPECT_EQ(Version(*device), "QX907-V1.00");
}

TEST(SimBusTest, DefaultBusHasOneProcessorAtRealisticSpeed)
{
    const auto bus = MakeDefaultSimBus();
    const auto infos = bus->Enumerate(kVendorId, kProductId);
    ASSERT_EQ(infos.size(), 1u);
    EXPECT_EQ(infos[0].path, "sim:1");
    EXPECT_EQ(infos[0].release, kReleaseNumber);
    OpenError error = OpenError::None;
    auto device = bus->Open(infos[0].path, error);
    ASSERT_TRUE(device);
    EXPECT_EQ(Version(*device), "QX907-V1.00");
    const auto output = Exchange(*device, ReadRecord(0, REC_OUTPUT, 0, false));
    ASSERT_TRUE(output);
    EXPECT_EQ(output->payload.size(), sizeof(OutputBlock));
}

} // namespace
} // namespace ovix::sim::test
