#include "tables/RegularFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ovix {

namespace {

class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return m_fd; }

private:
    int m_fd;
};

} // namespace

bool ReadRegularFile(const std::string& path, std::size_t limit, std::vector<std::uint8_t>& out,
                     int& error)
{
    out.clear();
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        error = errno;
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        error = EINVAL;
        return false;
    }
    // Should the name be swapped for a FIFO meanwhile, O_NONBLOCK keeps the open from
    // waiting and the descriptor is checked again.
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.Get() < 0) {
        error = errno;
        return false;
    }
    if (::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        error = EINVAL;
        return false;
    }
    out.resize(limit);
    std::size_t got = 0;
    while (got < limit) {
        const ssize_t n = ::read(fd.Get(), out.data() + got, limit - got);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            out.clear();
            return false;
        }
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    out.resize(got);
    error = 0;
    return true;
}

} // namespace ovix
