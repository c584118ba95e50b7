#pragma once
// Exclusive use of a processor. The HID stacks let several processes open the same device
// node, so opening also takes an advisory lock: a lock file named after the device path in
// the user's runtime directory, held with flock() for as long as the device is open. A
// second console or ovixctl (or a second open in this process) cannot take it.

#include <optional>
#include <string>

namespace ovix {

// Owns one POSIX file descriptor; closes it when destroyed.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : m_fd(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : m_fd(other.Release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { Reset(); }

    int Get() const { return m_fd; }
    explicit operator bool() const { return m_fd >= 0; }
    int Release();
    void Reset(int fd = -1);

private:
    int m_fd = -1;
};

enum class LockError {
    None,
    Busy,         // another holder has it
    Unavailable,  // the lock file could not be created or locked
};

class DeviceLock {
public:
    // Takes the lock for devicePath in DefaultDirectory().
    static std::optional<DeviceLock> TryAcquire(const std::string& devicePath, LockError& error);
    // The same in a given directory (which must exist).
    static std::optional<DeviceLock> TryAcquireIn(const std::string& directory, const std::string& devicePath,
                                                  LockError& error);

    // $XDG_RUNTIME_DIR/ovix, else /tmp/ovix-<uid>; created with mode 0700 when missing and
    // refused unless it is a directory of ours that nobody else may enter. Empty when
    // neither can be used.
    static std::string DefaultDirectory();
    // The lock file's name for a device path: a single path component, distinct for
    // distinct paths, readable for short ones.
    static std::string FileNameFor(const std::string& devicePath);

    DeviceLock(DeviceLock&& other) noexcept = default;
    DeviceLock& operator=(DeviceLock&& other) noexcept;
    DeviceLock(const DeviceLock&) = delete;
    DeviceLock& operator=(const DeviceLock&) = delete;
    ~DeviceLock();

    const std::string& FilePath() const { return m_file; }

private:
    DeviceLock(UniqueFd fd, std::string file) : m_fd(std::move(fd)), m_file(std::move(file)) {}
    void Release();

    UniqueFd m_fd;
    std::string m_file;
};

} // namespace ovix
