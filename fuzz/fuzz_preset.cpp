// The preset-file readers on the input bytes: the in-memory parsers of both formats, and the
// document's loaders on the same bytes as a file (the loaders take a path). The file is an
// anonymous in-memory one (memfd, reached as /proc/self/fd/N), rewritten for every input, so
// no disk file system takes part; where that is unavailable, one file in a per-process
// temporary folder.
#include "ReplyFeed.h"

#include "document/PresetFile.h"
#include "document/QamrelDoc.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>

namespace {

// The file the loaders read, open for writing for the whole run; removed (with its
// temporary folder, if any) when the process ends normally.
struct InputFile {
    InputFile()
    {
        fd = memfd_create("ovix-fuzz-preset", MFD_CLOEXEC);
        if (fd >= 0) {
            path = "/proc/self/fd/" + std::to_string(fd);
            if (::access(path.c_str(), R_OK) == 0)
                return;
            ::close(fd);
        }
        char pattern[] = "/tmp/ovix-fuzz-preset-XXXXXX";
        if (const char* d = mkdtemp(pattern)) {
            dir = d;
            path = dir + "/input.qxas";
            fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        }
        if (fd < 0)
            path.clear();
    }
    ~InputFile()
    {
        if (fd >= 0)
            ::close(fd);
        if (!dir.empty()) {
            std::remove(path.c_str());
            ::rmdir(dir.c_str());
        }
    }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    bool Write(std::span<const std::uint8_t> bytes) const
    {
        if (::ftruncate(fd, off_t(bytes.size())) != 0)
            return false;
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done, off_t(done));
            if (n <= 0)
                return false;
            done += std::size_t(n);
        }
        return true;
    }

    int fd = -1;
    std::string dir, path;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const InputFile file;
    std::span<const std::uint8_t> in(data, size);

    ovix::ProgramImage prog{};
    (void)ovix::ParseSingleProgram(in, prog);
    auto all = std::make_unique<ovix::AllProgramsFile>();
    (void)ovix::ParseAllPrograms(in, *all);

    if (file.path.empty() || !file.Write(in))
        return 0;
    ovix::fuzz::ReplyFeed feed;
    ovix::CQamrelDoc doc(*feed.model, *feed.cmd);
    (void)doc.LoadSingleProgram(file.path);
    (void)doc.LoadAllPrograms(file.path);
    return 0;
}
