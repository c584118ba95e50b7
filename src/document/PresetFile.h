#pragma once
// The two preset file kinds the console keeps on the PC:
//
//   ".qxas"  one program:   16, "KVT338_File_1.00", one ProgramImage            (2201 bytes)
//   ".qxaa"  all programs:  19, "KVT338_ALLFile_1.00", stored programs 1..20,
//                           the current ProgramImage, the DelayMemory          (45934 bytes)
//
// A header is one length byte and that many ASCII bytes of magic (no terminating zero); the
// payload follows byte for byte as the image holds it, with no gaps and nothing after it.
//
// Reading is all-or-nothing: the whole file is read and checked (magic and exact length)
// before anything is handed out, so a short, long or foreign file leaves the caller's image
// as it was. Saving goes through a temporary file in the target's folder that is renamed
// over the target only once every byte is on disk, so a failed save never damages an
// existing preset.

#include "model/DeviceImage.h"
#include "tables/Messages.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ovix {

inline constexpr std::string_view kSingleProgramMagic = "KVT338_File_1.00";
inline constexpr std::string_view kAllProgramsMagic = "KVT338_ALLFile_1.00";
inline constexpr std::string_view kSingleProgramExtension = ".qxas";
inline constexpr std::string_view kAllProgramsExtension = ".qxaa";

inline constexpr std::size_t kSingleProgramFileSize =
    1 + kSingleProgramMagic.size() + sizeof(ProgramImage);
inline constexpr std::size_t kAllProgramsFileSize =
    1 + kAllProgramsMagic.size() + (kStoredPrograms + 1) * sizeof(ProgramImage) + sizeof(DelayMemory);
static_assert(kSingleProgramFileSize == 2201);
static_assert(kAllProgramsFileSize == 45934);

// The music input's on/off byte inside a ProgramImage; every program written to a preset
// file carries 1 there.
inline constexpr std::size_t kMusicOnByte = 371;

// What the console shows when an operation fails: kMsgSaveSingleError, kMsgReadSingleError,
// kMsgSaveAllError and kMsgReadAllError of the message catalogue (tables/Messages.h).

enum class PresetStatus {
    Ok,
    OpenFailed,   // the file cannot be opened or read (missing, no permission, not a file)
    BadFormat,    // read, but the magic or the length is not the format's
    WriteFailed,  // nothing was saved; an existing target is unchanged
};

// The content of an all-programs file. About 46 KB: allocate it on the heap.
struct AllProgramsFile {
    ProgramImage programs[kStoredPrograms];  // stored programs 1..20
    ProgramImage current;
    DelayMemory delayMemory;
};

// Sets the music input's on byte (371) to 1, as it has to be in every saved program.
void MarkMusicOnForFile(ProgramImage& prog);

// The save dialogs' extension rule: ext is appended unless the path already contains it
// anywhere (a plain, case-sensitive substring test over the whole path).
std::string WithExtension(const std::string& path, const std::string& ext);

// The exact file bytes. They carry the images as given; call MarkMusicOnForFile first.
std::vector<std::uint8_t> SerializeSingleProgram(const ProgramImage& prog);
std::vector<std::uint8_t> SerializeAllPrograms(const ProgramImage (&programs)[kStoredPrograms],
                                               const ProgramImage& current, const DelayMemory& dm);

// Ok or BadFormat; out is written only on Ok.
PresetStatus ParseSingleProgram(std::span<const std::uint8_t> bytes, ProgramImage& out);
PresetStatus ParseAllPrograms(std::span<const std::uint8_t> bytes, AllProgramsFile& out);

// Up to limit bytes from the start of a regular file, for a look at its header: Ok, or
// OpenFailed at once for a missing file or anything that is not a regular file (a FIFO is
// never opened, so nothing waits for a writer).
PresetStatus ReadFilePrefix(const std::string& path, std::size_t limit, std::vector<std::uint8_t>& out);

// Ok, OpenFailed or BadFormat; out is written only on Ok.
PresetStatus ReadSingleProgramFile(const std::string& path, ProgramImage& out);
PresetStatus ReadAllProgramsFile(const std::string& path, AllProgramsFile& out);

// Ok or WriteFailed; after WriteFailed errno holds the system's reason.
PresetStatus WriteSingleProgramFile(const std::string& path, const ProgramImage& prog);
PresetStatus WriteAllProgramsFile(const std::string& path,
                                  const ProgramImage (&programs)[kStoredPrograms],
                                  const ProgramImage& current, const DelayMemory& dm);

// Replaces path with exactly these bytes, or leaves it as it was: a temporary file beside
// the target is written, flushed to disk and renamed over it. An existing target keeps its
// permission bits; a new one gets the usual 0666 less the umask. A symbolic link is
// written through: the file at the end of the chain of links (each relative to its own
// folder) is replaced, or created when the link dangles, the temporary file lies beside
// that file, and every link stays a link. A loop of links fails with ELOOP.
// After WriteFailed errno holds the system's reason.
PresetStatus WriteFileSafely(const std::string& path, std::span<const std::uint8_t> bytes);

// Why a file could not be saved at path before anything is written: 0 when its folder
// (through links, the final target's folder) exists and may be written, else the system's error number (ENOENT, ENOTDIR, EACCES...).
int SaveObstacle(const std::string& path);

} // namespace ovix
