#include "backends/DeviceLock.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace ovix;
namespace fs = std::filesystem;

namespace {

class LockDir : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "ovix-lock-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }

    std::optional<DeviceLock> Acquire(const std::string& devicePath, LockError& error)
    {
        return DeviceLock::TryAcquireIn(m_dir, devicePath, error);
    }
    LockError AcquireError(const std::string& devicePath)
    {
        LockError error = LockError::None;
        Acquire(devicePath, error);
        return error;
    }

    std::string m_dir;
};

const std::string kLongWindowsPath =
    "\\\\?\\hid#vid_0483&pid_5750&mi_00#7&2c3a1f&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}"
    + std::string(300, 'x') + "#tail";

// Paths as the platforms spell them, and a few awkward ones.
const std::vector<std::pair<const char*, std::string>> kOddPaths = {
    {"Hidraw", "/dev/hidraw0"},
    {"Windows", "\\\\?\\hid#vid_0483&pid_5750#7&2c3a1f&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}"},
    {"MacOS", "IOService:/AppleACPIPlatformExpert/PCI0@0/XHC1@14/HS01@14100000"},
    {"UnixSocket", "unix:/tmp/rig one/dsp.sock"},
    {"Backslashes", "C:\\dev\\x"},
    {"DotDot", ".."},
    {"Empty", ""},
    {"NonAscii", "/dev/\xc3\xbc\x01\x7f"},
    {"VeryLong", kLongWindowsPath},
};

class OddPath : public LockDir, public ::testing::WithParamInterface<std::pair<const char*, std::string>> {};

} // namespace

TEST_P(OddPath, HeldExclusivelyAndFreeAgainAfterRelease)
{
    const std::string& path = GetParam().second;
    const std::string name = DeviceLock::FileNameFor(path);
    EXPECT_EQ(name.find('/'), std::string::npos) << "the lock file must sit directly in the lock directory";
    EXPECT_EQ(name.find('\0'), std::string::npos);
    EXPECT_LE(name.size(), 255u) << "must fit a file name";

    LockError error = LockError::Unavailable;
    std::optional<DeviceLock> first = Acquire(path, error);
    ASSERT_TRUE(first) << "error " << int(error);
    EXPECT_EQ(error, LockError::None);
    EXPECT_EQ(fs::path(first->FilePath()).parent_path(), fs::path(m_dir));

    EXPECT_EQ(AcquireError(path), LockError::Busy)
        << "a second lock object on its own file description must be refused, even in the same process";

    first.reset();
    EXPECT_TRUE(fs::is_empty(m_dir)) << "a released lock leaves no file behind";
    EXPECT_EQ(AcquireError(path), LockError::None);
}

INSTANTIATE_TEST_SUITE_P(DeviceLock, OddPath, ::testing::ValuesIn(kOddPaths),
                         [](const auto& info) { return std::string(info.param.first); });

TEST_F(LockDir, DistinctPathsDoNotShareALock)
{
    const std::vector<std::pair<std::string, std::string>> pairs = {
        {"/dev/hidraw1", "/dev/hidraw10"},
        {"a/b", "a_2fb"},            // an escape sequence spelled out literally
        {"a:b", "a/b"},
        {kLongWindowsPath, kLongWindowsPath + "2"},  // differ only past the readable part
        {kLongWindowsPath, std::string(kLongWindowsPath).replace(200, 1, "y")},
    };
    for (const auto& [a, b] : pairs) {
        EXPECT_NE(DeviceLock::FileNameFor(a), DeviceLock::FileNameFor(b)) << a << " | " << b;
        LockError ea = LockError::Unavailable, eb = LockError::Unavailable;
        std::optional<DeviceLock> la = Acquire(a, ea);
        std::optional<DeviceLock> lb = Acquire(b, eb);
        EXPECT_TRUE(la && lb) << a << " | " << b;
    }
}

TEST_F(LockDir, MovedLockStaysHeldUntilItsLastOwnerGoes)
{
    LockError error = LockError::None;
    std::optional<DeviceLock> original = Acquire("/dev/hidraw3", error);
    ASSERT_TRUE(original);
    DeviceLock moved = std::move(*original);
    original.reset();
    EXPECT_EQ(AcquireError("/dev/hidraw3"), LockError::Busy) << "destroying a moved-from lock releases nothing";

    std::optional<DeviceLock> other = Acquire("/dev/hidraw4", error);
    ASSERT_TRUE(other);
    moved = std::move(*other);
    EXPECT_EQ(AcquireError("/dev/hidraw3"), LockError::None) << "assigning over a lock releases it";
    EXPECT_EQ(AcquireError("/dev/hidraw4"), LockError::Busy);
}

TEST_F(LockDir, AnotherProcessIsRefused)
{
    LockError error = LockError::None;
    std::optional<DeviceLock> held = Acquire("/dev/hidraw0", error);
    ASSERT_TRUE(held);

    auto childResult = [this] {
        const pid_t pid = ::fork();
        if (pid == 0) {
            LockError e = LockError::None;
            const bool got = DeviceLock::TryAcquireIn(m_dir, "/dev/hidraw0", e).has_value();
            ::_exit(got ? 0 : e == LockError::Busy ? 1 : 2);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    EXPECT_EQ(childResult(), 1) << "the child must see the lock as busy";
    held.reset();
    EXPECT_EQ(childResult(), 0) << "the child takes the lock once it is free";
}

TEST_F(LockDir, MissingDirectoryIsNotMistakenForBusy)
{
    LockError error = LockError::None;
    EXPECT_FALSE(DeviceLock::TryAcquireIn(m_dir + "/missing", "/dev/hidraw0", error));
    EXPECT_EQ(error, LockError::Unavailable);
}

TEST(DeviceLock, DefaultDirectoryIsPrivateAndUsable)
{
    const std::string dir = DeviceLock::DefaultDirectory();
    ASSERT_FALSE(dir.empty());
    struct stat st {};
    ASSERT_EQ(::lstat(dir.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 077, 0u) << "nobody else may enter the lock directory";
    EXPECT_EQ(st.st_uid, ::geteuid());

    const std::string path = "ovix-test-" + std::to_string(::getpid());
    LockError error = LockError::Unavailable;
    std::optional<DeviceLock> lock = DeviceLock::TryAcquire(path, error);
    ASSERT_TRUE(lock);
    EXPECT_EQ(fs::path(lock->FilePath()).parent_path(), fs::path(dir));
    DeviceLock::TryAcquire(path, error);
    EXPECT_EQ(error, LockError::Busy);
}
