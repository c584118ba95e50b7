#include "document/PresetFile.h"

#include "tables/RegularFile.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ovix {

namespace {

// An open descriptor, closed when it goes out of scope.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : m_fd(fd) {}
    ~FileDescriptor() { Close(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int Get() const { return m_fd; }
    bool Valid() const { return m_fd >= 0; }
    void Reset(int fd)
    {
        Close();
        m_fd = fd;
    }
    // Returns whether the close succeeded: on some file systems a failed write only shows
    // here. The descriptor is gone either way.
    bool Close()
    {
        if (m_fd < 0)
            return true;
        const int rc = ::close(m_fd);
        m_fd = -1;
        return rc == 0;
    }

private:
    int m_fd;
};

// A temporary file that disappears again unless it was renamed into place.
class TemporaryFile {
public:
    TemporaryFile() = default;
    ~TemporaryFile()
    {
        m_fd.Close();
        if (!m_path.empty())
            ::unlink(m_path.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // A new, empty file named after target with a random suffix, in target's folder.
    bool Create(const std::string& target);
    int Fd() const { return m_fd.Get(); }
    bool Close() { return m_fd.Close(); }
    bool RenameTo(const std::string& target)
    {
        if (::rename(m_path.c_str(), target.c_str()) != 0)
            return false;
        m_path.clear();
        return true;
    }

private:
    FileDescriptor m_fd;
    std::string m_path;
};

bool TemporaryFile::Create(const std::string& target)
{
    static std::atomic<unsigned> s_calls{0};
    constexpr std::string_view kMarker = ".tmp-";
    constexpr std::size_t kRandomChars = 6;
    constexpr std::size_t kNameMax = 255;
    constexpr char kAlphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";

    const std::size_t slash = target.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    // Keep the temporary name within the file system's limit even for a very long target.
    const std::size_t nameRoom = kNameMax - kMarker.size() - kRandomChars;
    const std::string stem = target.substr(0, nameStart + std::min(target.size() - nameStart, nameRoom));

    const auto ticks = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    std::minstd_rand rng(static_cast<std::uint32_t>(ticks ^ (ticks >> 32)
                                                    ^ (static_cast<std::uint64_t>(::getpid()) << 12)
                                                    ^ s_calls.fetch_add(1)));
    std::uniform_int_distribution<std::size_t> pick(0, sizeof(kAlphabet) - 2);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string candidate = stem;
        candidate += kMarker;
        for (std::size_t i = 0; i < kRandomChars; ++i)
            candidate += kAlphabet[pick(rng)];
        // 0666 so that the kernel applies the user's umask, as for any new file.
        const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            m_fd.Reset(fd);
            m_path = std::move(candidate);
            return true;
        }
        if (errno != EEXIST)
            return false;
    }
    return false;
}

bool WriteAll(int fd, const std::uint8_t* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// A symbolic link is saved through: the file at the end of the chain is written, the links
// stay links. Each link's text is taken relative to the link's own folder, and the final
// target need not exist yet (a dangling link gets its file). Empty, with errno ELOOP, for a
// loop or a chain longer than any sensible one.
constexpr int kMaxLinks = 16;

std::string SaveTarget(const std::string& path)
{
    std::filesystem::path current = path;
    for (int hop = 0; hop <= kMaxLinks; ++hop) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return current.string();  // not a link: the save itself reports any trouble
        std::error_code ec;
        const std::filesystem::path next = std::filesystem::read_symlink(current, ec);
        if (ec) {
            errno = ec.value();
            return {};
        }
        current = next.is_absolute() ? next : current.parent_path() / next;
    }
    errno = ELOOP;
    return {};
}

// Makes the rename itself durable. Best effort: the new file is already in place.
void SyncFolderOf(const std::string& path)
{
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    const char* folder = parent.empty() ? "." : parent.c_str();
    FileDescriptor dir(::open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.Valid())
        ::fsync(dir.Get());
}

// Reads up to limit bytes of a regular file; anything else is refused before it is opened.
// Callers ask for one byte more than their format, so a longer file is recognised without
// reading all of it.
PresetStatus ReadPrefix(const std::string& path, std::size_t limit, std::vector<std::uint8_t>& out)
{
    int error = 0;
    return ReadRegularFile(path, limit, out, error) ? PresetStatus::Ok : PresetStatus::OpenFailed;
}

void AppendHeader(std::vector<std::uint8_t>& out, std::string_view magic)
{
    out.push_back(static_cast<std::uint8_t>(magic.size()));
    out.insert(out.end(), magic.begin(), magic.end());
}

void AppendBytes(std::vector<std::uint8_t>& out, const std::uint8_t* data, std::size_t size)
{
    out.insert(out.end(), data, data + size);
}

bool IsFormat(std::span<const std::uint8_t> bytes, std::string_view magic, std::size_t fileSize)
{
    return bytes.size() == fileSize && bytes[0] == magic.size()
           && std::equal(magic.begin(), magic.end(), bytes.begin() + 1,
                         [](char m, std::uint8_t b) { return static_cast<std::uint8_t>(m) == b; });
}

} // namespace

void MarkMusicOnForFile(ProgramImage& prog)
{
    prog.Bytes()[kMusicOnByte] = 1;
}

std::string WithExtension(const std::string& path, const std::string& ext)
{
    return path.find(ext) == std::string::npos ? path + ext : path;
}

std::vector<std::uint8_t> SerializeSingleProgram(const ProgramImage& prog)
{
    std::vector<std::uint8_t> out;
    out.reserve(kSingleProgramFileSize);
    AppendHeader(out, kSingleProgramMagic);
    AppendBytes(out, prog.Bytes(), sizeof(ProgramImage));
    return out;
}

std::vector<std::uint8_t> SerializeAllPrograms(const ProgramImage (&programs)[kStoredPrograms],
                                               const ProgramImage& current, const DelayMemory& dm)
{
    std::vector<std::uint8_t> out;
    out.reserve(kAllProgramsFileSize);
    AppendHeader(out, kAllProgramsMagic);
    for (const ProgramImage& prog : programs)
        AppendBytes(out, prog.Bytes(), sizeof(ProgramImage));
    AppendBytes(out, current.Bytes(), sizeof(ProgramImage));
    AppendBytes(out, dm.Bytes(), sizeof(DelayMemory));
    return out;
}

PresetStatus ParseSingleProgram(std::span<const std::uint8_t> bytes, ProgramImage& out)
{
    if (!IsFormat(bytes, kSingleProgramMagic, kSingleProgramFileSize))
        return PresetStatus::BadFormat;
    std::memcpy(out.Bytes(), bytes.data() + 1 + kSingleProgramMagic.size(), sizeof(ProgramImage));
    return PresetStatus::Ok;
}

PresetStatus ParseAllPrograms(std::span<const std::uint8_t> bytes, AllProgramsFile& out)
{
    if (!IsFormat(bytes, kAllProgramsMagic, kAllProgramsFileSize))
        return PresetStatus::BadFormat;
    const std::uint8_t* p = bytes.data() + 1 + kAllProgramsMagic.size();
    for (ProgramImage& prog : out.programs) {
        std::memcpy(prog.Bytes(), p, sizeof(ProgramImage));
        p += sizeof(ProgramImage);
    }
    std::memcpy(out.current.Bytes(), p, sizeof(ProgramImage));
    p += sizeof(ProgramImage);
    std::memcpy(out.delayMemory.Bytes(), p, sizeof(DelayMemory));
    return PresetStatus::Ok;
}

PresetStatus ReadFilePrefix(const std::string& path, std::size_t limit, std::vector<std::uint8_t>& out)
{
    return ReadPrefix(path, limit, out);
}

PresetStatus ReadSingleProgramFile(const std::string& path, ProgramImage& out)
{
    std::vector<std::uint8_t> bytes;
    const PresetStatus status = ReadPrefix(path, kSingleProgramFileSize + 1, bytes);
    return status == PresetStatus::Ok ? ParseSingleProgram(bytes, out) : status;
}

PresetStatus ReadAllProgramsFile(const std::string& path, AllProgramsFile& out)
{
    std::vector<std::uint8_t> bytes;
    const PresetStatus status = ReadPrefix(path, kAllProgramsFileSize + 1, bytes);
    return status == PresetStatus::Ok ? ParseAllPrograms(bytes, out) : status;
}

PresetStatus WriteSingleProgramFile(const std::string& path, const ProgramImage& prog)
{
    return WriteFileSafely(path, SerializeSingleProgram(prog));
}

PresetStatus WriteAllProgramsFile(const std::string& path,
                                  const ProgramImage (&programs)[kStoredPrograms],
                                  const ProgramImage& current, const DelayMemory& dm)
{
    return WriteFileSafely(path, SerializeAllPrograms(programs, current, dm));
}

namespace {

// The save itself; on failure errno says why. The temporary file is gone once this returns.
bool ReplaceFile(const std::string& target, std::span<const std::uint8_t> bytes)
{
    int reason = 0;
    {
        TemporaryFile temp;
        if (!temp.Create(target))
            return false;

        // Replacing a preset must not change who may read it.
        struct stat st {};
        if (::stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode)
            && ::fchmod(temp.Fd(), st.st_mode & 07777) != 0)
            reason = errno;
        else if (!WriteAll(temp.Fd(), bytes.data(), bytes.size()) || ::fsync(temp.Fd()) != 0 || !temp.Close()
                 || !temp.RenameTo(target))
            reason = errno;
    }
    // removing the temporary file must not overwrite the reason
    errno = reason;
    return reason == 0;
}

} // namespace

int SaveObstacle(const std::string& path)
{
    const std::string target = SaveTarget(path);
    if (target.empty())
        return errno;
    const std::filesystem::path parent = std::filesystem::path(target).parent_path();
    const char* folder = parent.empty() ? "." : parent.c_str();
    struct stat st {};
    if (::stat(folder, &st) != 0)
        return errno;
    if (!S_ISDIR(st.st_mode))
        return ENOTDIR;
    return ::access(folder, W_OK | X_OK) == 0 ? 0 : errno;
}

PresetStatus WriteFileSafely(const std::string& path, std::span<const std::uint8_t> bytes)
{
    const std::string target = SaveTarget(path);
    if (target.empty() || !ReplaceFile(target, bytes))
        return PresetStatus::WriteFailed;
    SyncFolderOf(target);
    return PresetStatus::Ok;
}

} // namespace ovix
