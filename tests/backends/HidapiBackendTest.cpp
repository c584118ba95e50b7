// Without a processor attached: what must hold on any machine.

#include "backends/DeviceLock.h"
#include "backends/HidapiBackend.h"

#include <gtest/gtest.h>

using namespace ovix;

TEST(HidapiBackend, EnumerationListsOnlyTheIdsAskedFor)
{
    HidapiBackend backend;
    for (const HidDeviceInfo& d : backend.Enumerate(kVendorId, kProductId)) {
        EXPECT_FALSE(d.path.empty());
        EXPECT_EQ(d.vendorId, kVendorId);
        EXPECT_EQ(d.productId, kProductId);
    }
}

TEST(HidapiBackend, OpenOfAMissingNodeIsNotFound)
{
    HidapiBackend backend;
    OpenError error = OpenError::None;
    EXPECT_FALSE(backend.Open("/dev/ovix-no-such-hidraw", error));
    EXPECT_EQ(error, OpenError::NotFound);
}

TEST(HidapiBackend, OpenOfALockedPathIsBusy)
{
    const std::string path = "/dev/ovix-locked-hidraw";
    LockError lockError = LockError::None;
    std::optional<DeviceLock> held = DeviceLock::TryAcquire(path, lockError);
    ASSERT_TRUE(held);

    HidapiBackend backend;
    OpenError error = OpenError::None;
    EXPECT_FALSE(backend.Open(path, error));
    EXPECT_EQ(error, OpenError::Busy) << "the lock is checked before the device";
}

class HidapiWatch : public ::testing::TestWithParam<HidapiBackend::WatchMode> {};

TEST_P(HidapiWatch, StartsAndStops)
{
    HidapiBackend backend(GetParam());
    std::unique_ptr<IWatchHandle> watch = backend.Watch([](DeviceEvent, const std::string&) {});
    ASSERT_TRUE(watch);
    watch.reset();  // must return: the watch thread wakes up and is joined
}

INSTANTIATE_TEST_SUITE_P(HidapiBackend, HidapiWatch,
                         ::testing::Values(HidapiBackend::WatchMode::Auto, HidapiBackend::WatchMode::Poll),
                         [](const auto& info) {
                             return info.param == HidapiBackend::WatchMode::Auto ? "Auto" : "Poll";
                         });
