// The preset-file readers on the input bytes: the in-memory parsers of both formats, and the
// document's loaders on the same bytes written to one file in a per-process temporary
// folder (the loaders take a path), overwritten for every input.
#include "ReplyFeed.h"

#include "document/PresetFile.h"
#include "document/QamrelDoc.h"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <span>
#include <string>

namespace {

// The temporary folder, removed with its file when the process ends normally.
struct TempFile {
    TempFile()
    {
        char pattern[] = "/tmp/ovix-fuzz-preset-XXXXXX";
        if (const char* d = mkdtemp(pattern)) {
            dir = d;
            path = dir + "/input.qxas";
        }
    }
    ~TempFile()
    {
        if (!dir.empty()) {
            std::remove(path.c_str());
            rmdir(dir.c_str());
        }
    }
    bool Write(std::span<const std::uint8_t> bytes) const
    {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        if (!f)
            return false;
        const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
        return std::fclose(f) == 0 && ok;
    }
    std::string dir, path;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const TempFile file;
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
