#include "backends/DeviceLock.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ovix {

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept
{
    if (this != &other)
        Reset(other.Release());
    return *this;
}

int UniqueFd::Release()
{
    const int fd = m_fd;
    m_fd = -1;
    return fd;
}

void UniqueFd::Reset(int fd)
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = fd;
}

namespace {

constexpr char kHex[] = "0123456789abcdef";
// Well below NAME_MAX with the prefix and suffix added.
constexpr std::size_t kMaxEncoded = 160;

bool IsPlain(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-';
}

// Plain characters stay, every other byte becomes _XX: reversible, never a separator.
std::string Escape(const std::string& path)
{
    std::string out;
    out.reserve(path.size());
    for (const unsigned char c : path) {
        if (IsPlain(c)) {
            out += char(c);
        } else {
            out += '_';
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        }
    }
    return out;
}

std::uint64_t Fnv1a64(const std::string& s)
{
    std::uint64_t h = 0xcbf29ce484222325ull;
    for (const unsigned char c : s) {
        h ^= c;
        h *= 0x100000001b3ull;
    }
    return h;
}

// A directory only this user can enter: created if missing, otherwise checked, so that a
// directory planted by someone else in /tmp is never used.
bool EnsurePrivateDirectory(const std::string& dir)
{
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat st {};
    if (::lstat(dir.c_str(), &st) != 0)
        return false;
    return S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 077) == 0;
}

bool SameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

} // namespace

std::string DeviceLock::FileNameFor(const std::string& devicePath)
{
    std::string name = Escape(devicePath);
    if (name.size() > kMaxEncoded) {
        // Long paths (Windows interface paths) keep a readable start and a hash of the
        // whole; '~' never comes out of Escape, so these cannot meet a short name.
        name.resize(kMaxEncoded - 17);
        name += '~';
        const std::uint64_t h = Fnv1a64(devicePath);
        for (int shift = 60; shift >= 0; shift -= 4)
            name += kHex[(h >> shift) & 0x0F];
    }
    return "dev-" + name + ".lock";
}

std::string DeviceLock::DefaultDirectory()
{
    if (const char* xdg = std::getenv("XDG_RUNTIME_DIR"); xdg && xdg[0] == '/') {
        std::string dir = std::string(xdg) + "/ovix";
        if (EnsurePrivateDirectory(dir))
            return dir;
    }
    std::string dir = "/tmp/ovix-" + std::to_string(::geteuid());
    if (EnsurePrivateDirectory(dir))
        return dir;
    return {};
}

std::optional<DeviceLock> DeviceLock::TryAcquire(const std::string& devicePath, LockError& error)
{
    const std::string dir = DefaultDirectory();
    if (dir.empty()) {
        error = LockError::Unavailable;
        return std::nullopt;
    }
    return TryAcquireIn(dir, devicePath, error);
}

std::optional<DeviceLock> DeviceLock::TryAcquireIn(const std::string& directory, const std::string& devicePath,
                                                   LockError& error)
{
    const std::string file = directory + "/" + FileNameFor(devicePath);
    // A holder removes the file when it lets go. Whoever locked the file just before it
    // vanished holds a lock on nothing and tries again with the new file.
    for (int attempt = 0; attempt < 16; ++attempt) {
        UniqueFd fd(::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
        if (!fd) {
            if (errno == EINTR)
                continue;
            break;
        }
        int rc;
        do {
            rc = ::flock(fd.Get(), LOCK_EX | LOCK_NB);
        } while (rc != 0 && errno == EINTR);
        if (rc != 0) {
            error = errno == EWOULDBLOCK ? LockError::Busy : LockError::Unavailable;
            return std::nullopt;
        }
        struct stat held {}, named {};
        if (::fstat(fd.Get(), &held) == 0 && ::stat(file.c_str(), &named) == 0 && SameFile(held, named)) {
            error = LockError::None;
            return DeviceLock(std::move(fd), file);
        }
    }
    error = LockError::Unavailable;
    return std::nullopt;
}

DeviceLock& DeviceLock::operator=(DeviceLock&& other) noexcept
{
    if (this != &other) {
        Release();
        m_fd = std::move(other.m_fd);
        m_file = std::move(other.m_file);
    }
    return *this;
}

DeviceLock::~DeviceLock()
{
    Release();
}

void DeviceLock::Release()
{
    if (!m_fd)
        return;
    // Remove the name while still holding the lock, so nobody locks a file that is about
    // to disappear without noticing (see TryAcquireIn).
    ::unlink(m_file.c_str());
    m_fd.Reset();
}

} // namespace ovix
