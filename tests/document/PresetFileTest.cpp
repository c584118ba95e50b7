#include "document/PresetFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <ostream>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace ovix;
namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

namespace {

// Recognisable content that differs between seeds and between neighbouring bytes.
void Fill(std::uint8_t* p, std::size_t n, unsigned seed)
{
    for (std::size_t i = 0; i < n; ++i)
        p[i] = static_cast<std::uint8_t>(i * 7 + (i >> 8) + seed * 31 + 1);
}

// A program whose music input is off, as the console may hold it before a save.
std::unique_ptr<ProgramImage> MakeProgram(unsigned seed)
{
    auto prog = std::make_unique<ProgramImage>();
    Fill(prog->Bytes(), sizeof(ProgramImage), seed);
    prog->Music().SetOn(0);
    return prog;
}

std::unique_ptr<AllProgramsFile> MakeAll(unsigned seed)
{
    auto all = std::make_unique<AllProgramsFile>();
    for (unsigned p = 0; p < kStoredPrograms; ++p) {
        Fill(all->programs[p].Bytes(), sizeof(ProgramImage), seed + p);
        all->programs[p].Music().SetOn(0);
    }
    Fill(all->current.Bytes(), sizeof(ProgramImage), seed + 100);
    all->current.Music().SetOn(0);
    Fill(all->delayMemory.Bytes(), sizeof(DelayMemory), seed + 200);
    return all;
}

Bytes AsBytes(const AllProgramsFile& all)
{
    const auto* p = reinterpret_cast<const std::uint8_t*>(&all);
    return Bytes(p, p + sizeof(AllProgramsFile));
}

Bytes AsBytes(const ProgramImage& prog)
{
    return Bytes(prog.Bytes(), prog.Bytes() + sizeof(ProgramImage));
}

Bytes Slice(const Bytes& b, std::size_t offset, std::size_t size)
{
    return Bytes(b.begin() + static_cast<std::ptrdiff_t>(offset),
                 b.begin() + static_cast<std::ptrdiff_t>(offset + size));
}

void WriteBytes(const fs::path& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

Bytes ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Everything below a folder: relative path -> file content, or "<dir>" / "<link>".
std::map<std::string, std::string> Snapshot(const fs::path& dir)
{
    std::map<std::string, std::string> tree;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        const std::string rel = entry.path().lexically_relative(dir).string();
        if (entry.is_symlink())
            tree[rel] = "<link>";
        else if (entry.is_directory())
            tree[rel] = "<dir>";
        else {
            const Bytes b = ReadBytes(entry.path());
            tree[rel] = std::string(b.begin(), b.end());
        }
    }
    return tree;
}

class PresetFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "ovix-preset-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
    }
    void TearDown() override
    {
        // Folders a test made read-only have to be writable again to be removed.
        std::error_code ec;
        for (const auto& entry : fs::recursive_directory_iterator(m_dir, ec))
            if (!entry.is_symlink(ec) && entry.is_directory(ec))
                fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(m_dir, ec);
    }

    std::string Path(const std::string& name) const { return (m_dir / name).string(); }

    fs::path m_dir;
};

enum class Kind { Single, All };

const char* KindName(Kind kind)
{
    return kind == Kind::Single ? "Single" : "All";
}

Bytes ValidFile(Kind kind)
{
    if (kind == Kind::Single)
        return SerializeSingleProgram(*MakeProgram(3));
    auto all = MakeAll(7);
    return SerializeAllPrograms(all->programs, all->current, all->delayMemory);
}

void PrintTo(Kind kind, std::ostream* os)
{
    *os << KindName(kind);
}

Kind Other(Kind kind)
{
    return kind == Kind::Single ? Kind::All : Kind::Single;
}

PresetStatus Save(Kind kind, const std::string& path)
{
    if (kind == Kind::Single)
        return WriteSingleProgramFile(path, *MakeProgram(11));
    auto all = MakeAll(13);
    return WriteAllProgramsFile(path, all->programs, all->current, all->delayMemory);
}

// Reads with the kind's reader into an object full of other bytes; returns the status and
// whether the object still holds exactly those bytes.
std::pair<PresetStatus, bool> ReadIntoFilled(Kind kind, const std::string& path)
{
    if (kind == Kind::Single) {
        auto prog = MakeProgram(42);
        const Bytes before = AsBytes(*prog);
        const PresetStatus status = ReadSingleProgramFile(path, *prog);
        return {status, AsBytes(*prog) == before};
    }
    auto all = MakeAll(42);
    const Bytes before = AsBytes(*all);
    const PresetStatus status = ReadAllProgramsFile(path, *all);
    return {status, AsBytes(*all) == before};
}

} // namespace

TEST_F(PresetFiles, SingleProgramFileIsTheHeaderThenTheProgram)
{
    auto prog = MakeProgram(5);
    MarkMusicOnForFile(*prog);
    EXPECT_EQ(prog->Music().On(), 1);

    const std::string path = Path("one.qxas");
    ASSERT_EQ(WriteSingleProgramFile(path, *prog), PresetStatus::Ok);
    const Bytes file = ReadBytes(path);
    ASSERT_EQ(file.size(), 2201u);
    EXPECT_EQ(file[0], 16);
    EXPECT_EQ(std::string(file.begin() + 1, file.begin() + 17), "KVT338_File_1.00");
    EXPECT_EQ(Slice(file, 17, 2184), AsBytes(*prog));
    EXPECT_EQ(file[17 + 371], 1);
    EXPECT_EQ(file, SerializeSingleProgram(*prog));

    auto back = MakeProgram(77);
    ASSERT_EQ(ReadSingleProgramFile(path, *back), PresetStatus::Ok);
    EXPECT_EQ(AsBytes(*back), AsBytes(*prog));
    EXPECT_EQ(Snapshot(m_dir).size(), 1u) << "no temporary file is left beside the preset";
}

TEST_F(PresetFiles, AllProgramsFileIsTheHeaderThenTwentyProgramsTheCurrentOneAndTheDelays)
{
    auto all = MakeAll(9);
    for (ProgramImage& prog : all->programs)
        MarkMusicOnForFile(prog);
    MarkMusicOnForFile(all->current);

    const std::string path = Path("all.qxaa");
    ASSERT_EQ(WriteAllProgramsFile(path, all->programs, all->current, all->delayMemory), PresetStatus::Ok);
    const Bytes file = ReadBytes(path);
    ASSERT_EQ(file.size(), 45934u);
    EXPECT_EQ(file[0], 19);
    EXPECT_EQ(std::string(file.begin() + 1, file.begin() + 20), "KVT338_ALLFile_1.00");
    for (std::size_t p = 0; p < 20; ++p) {
        EXPECT_EQ(Slice(file, 20 + p * 2184, 2184), AsBytes(all->programs[p])) << "program " << p + 1;
        EXPECT_EQ(file[20 + p * 2184 + 371], 1) << "program " << p + 1;
    }
    EXPECT_EQ(Slice(file, 43700, 2184), AsBytes(all->current));
    EXPECT_EQ(file[43700 + 371], 1);
    EXPECT_EQ(Slice(file, 45884, 50), Bytes(all->delayMemory.Bytes(), all->delayMemory.Bytes() + 50));

    auto back = MakeAll(123);
    ASSERT_EQ(ReadAllProgramsFile(path, *back), PresetStatus::Ok);
    EXPECT_EQ(AsBytes(*back), AsBytes(*all));
}

TEST_F(PresetFiles, ReadingKeepsTheFileBytesAsTheyAre)
{
    // The reader hands out what the file holds; it sets no byte of its own, not even 371.
    auto prog = MakeProgram(21);
    const std::string path = Path("off.qxas");
    WriteBytes(path, SerializeSingleProgram(*prog));
    auto back = MakeProgram(1);
    ASSERT_EQ(ReadSingleProgramFile(path, *back), PresetStatus::Ok);
    EXPECT_EQ(back->Music().On(), 0);
    EXPECT_EQ(AsBytes(*back), AsBytes(*prog));
}

// ---- files a reader refuses -----------------------------------------------------------

namespace {

struct BadFile {
    const char* name;
    enum class Setup { Missing, Directory, Fifo, DeviceNode, Content } setup;
    // the file's bytes, made from a valid file of the reader's format and one of the other
    std::function<Bytes(Bytes own, Bytes other)> make;
    PresetStatus expected;
};

Bytes Resized(Bytes b, std::size_t size)
{
    b.resize(size, 0);
    return b;
}

std::size_t HeaderSize(const Bytes& b)
{
    return 1u + b[0];
}

const BadFile kBadFiles[] = {
    {"Missing", BadFile::Setup::Missing, nullptr, PresetStatus::OpenFailed},
    {"Directory", BadFile::Setup::Directory, nullptr, PresetStatus::OpenFailed},
    {"Fifo", BadFile::Setup::Fifo, nullptr, PresetStatus::OpenFailed},
    {"DeviceNode", BadFile::Setup::DeviceNode, nullptr, PresetStatus::OpenFailed},
    {"Empty", BadFile::Setup::Content, [](Bytes, Bytes) { return Bytes{}; }, PresetStatus::BadFormat},
    {"HeaderOnly", BadFile::Setup::Content,
     [](Bytes own, Bytes) { return Resized(own, HeaderSize(own)); }, PresetStatus::BadFormat},
    {"OneByteShort", BadFile::Setup::Content,
     [](Bytes own, Bytes) { return Resized(own, own.size() - 1); }, PresetStatus::BadFormat},
    {"OneByteLong", BadFile::Setup::Content,
     [](Bytes own, Bytes) { return Resized(own, own.size() + 1); }, PresetStatus::BadFormat},
    {"TwiceAsLong", BadFile::Setup::Content,
     [](Bytes own, Bytes) {
         Bytes twice = own;
         twice.insert(twice.end(), own.begin(), own.end());
         return twice;
     },
     PresetStatus::BadFormat},
    {"MagicInLowerCase", BadFile::Setup::Content,
     [](Bytes own, Bytes) {
         std::transform(own.begin() + 1, own.begin() + static_cast<std::ptrdiff_t>(HeaderSize(own)),
                        own.begin() + 1, [](std::uint8_t c) { return static_cast<std::uint8_t>(std::tolower(c)); });
         return own;
     },
     PresetStatus::BadFormat},
    {"MagicOfAnotherVersion", BadFile::Setup::Content,
     [](Bytes own, Bytes) {
         own[HeaderSize(own) - 1] = '1';  // "..._1.01"
         return own;
     },
     PresetStatus::BadFormat},
    {"OtherFormatsFile", BadFile::Setup::Content, [](Bytes, Bytes other) { return other; },
     PresetStatus::BadFormat},
    {"OtherFormatsHeaderAtThisLength", BadFile::Setup::Content,
     [](Bytes own, Bytes other) {
         Bytes b = Slice(other, 0, HeaderSize(other));
         b.insert(b.end(), own.begin() + static_cast<std::ptrdiff_t>(HeaderSize(own)), own.end());
         return Resized(b, own.size());
     },
     PresetStatus::BadFormat},
    {"LengthByteOneLess", BadFile::Setup::Content,
     [](Bytes own, Bytes) {
         --own[0];
         return own;
     },
     PresetStatus::BadFormat},
    {"LengthByteOneMore", BadFile::Setup::Content,
     [](Bytes own, Bytes) {
         ++own[0];
         return own;
     },
     PresetStatus::BadFormat},
    {"LengthByteZero", BadFile::Setup::Content,
     [](Bytes own, Bytes) {
         own[0] = 0;
         return own;
     },
     PresetStatus::BadFormat},
    {"NoLengthByte", BadFile::Setup::Content,
     [](Bytes own, Bytes) {
         own.erase(own.begin());
         return Resized(own, own.size() + 1);
     },
     PresetStatus::BadFormat},
};

void PrintTo(const BadFile& bad, std::ostream* os)
{
    *os << bad.name;
}

class RefusedFile : public PresetFiles, public ::testing::WithParamInterface<std::tuple<Kind, BadFile>> {};

} // namespace

TEST_P(RefusedFile, IsRefusedAndChangesNothing)
{
    const auto& [kind, bad] = GetParam();
    const std::string path = Path("bad");
    switch (bad.setup) {
    case BadFile::Setup::Missing:
        break;
    case BadFile::Setup::Directory:
        ASSERT_TRUE(fs::create_directory(path));
        break;
    case BadFile::Setup::Fifo:
        ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);  // no writer: opening it to read would wait
        break;
    case BadFile::Setup::DeviceNode:
        fs::create_symlink("/dev/zero", path);
        break;
    case BadFile::Setup::Content:
        WriteBytes(path, bad.make(ValidFile(kind), ValidFile(Other(kind))));
        break;
    }

    const auto [status, unchanged] = ReadIntoFilled(kind, path);
    EXPECT_EQ(status, bad.expected);
    EXPECT_TRUE(unchanged) << "a refused file must leave the caller's image as it was";
}

INSTANTIATE_TEST_SUITE_P(PresetFiles, RefusedFile,
                         ::testing::Combine(::testing::Values(Kind::Single, Kind::All),
                                            ::testing::ValuesIn(kBadFiles)),
                         [](const auto& info) {
                             return std::string(KindName(std::get<0>(info.param))) + "_"
                                    + std::get<1>(info.param).name;
                         });

// ---- saves that fail ----------------------------------------------------------------

namespace {

const Bytes kOldPreset(3000, 0xAB);

// A file size limit stops every write after its first bytes, as a full disk would.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_saved);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = m_saved;
        lowered.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_saved{};
    void (*m_oldHandler)(int);
};

struct SaveFailure {
    const char* name;
    // Prepares the folder and returns the path to save to.
    std::string (*prepare)(const fs::path& dir);
    bool needsPermissionChecks;  // root may write into read-only folders
    bool cutShort;               // the write stops partway
};

const SaveFailure kSaveFailures[] = {
    {"TargetIsAFolder",
     [](const fs::path& dir) {
         fs::create_directory(dir / "x.preset");
         WriteBytes(dir / "x.preset" / "inside", kOldPreset);
         return (dir / "x.preset").string();
     },
     false, false},
    {"FolderMissing", [](const fs::path& dir) { return (dir / "nowhere" / "x.preset").string(); }, false,
     false},
    {"FolderReadOnly",
     [](const fs::path& dir) {
         fs::create_directory(dir / "ro");
         WriteBytes(dir / "ro" / "x.preset", kOldPreset);
         fs::permissions(dir / "ro", fs::perms::owner_read | fs::perms::owner_exec);
         return (dir / "ro" / "x.preset").string();
     },
     true, false},
    {"WriteCutShort",
     [](const fs::path& dir) {
         WriteBytes(dir / "x.preset", kOldPreset);
         return (dir / "x.preset").string();
     },
     false, true},
};

void PrintTo(const SaveFailure& failure, std::ostream* os)
{
    *os << failure.name;
}

class FailedSave : public PresetFiles,
                   public ::testing::WithParamInterface<std::tuple<Kind, SaveFailure>> {};

} // namespace

TEST_P(FailedSave, ReportsTheFailureAndLeavesTheFolderAsItWas)
{
    const auto& [kind, failure] = GetParam();
    if (failure.needsPermissionChecks && ::geteuid() == 0)
        GTEST_SKIP() << "root is not stopped by folder permissions";
    const std::string target = failure.prepare(m_dir);
    const auto before = Snapshot(m_dir);

    PresetStatus status;
    if (failure.cutShort) {
        FileSizeLimit limit(1000);
        status = Save(kind, target);
    } else {
        status = Save(kind, target);
    }

    EXPECT_EQ(status, PresetStatus::WriteFailed);
    EXPECT_EQ(Snapshot(m_dir), before) << "an existing preset is unchanged and no temporary file is left";
}

INSTANTIATE_TEST_SUITE_P(PresetFiles, FailedSave,
                         ::testing::Combine(::testing::Values(Kind::Single, Kind::All),
                                            ::testing::ValuesIn(kSaveFailures)),
                         [](const auto& info) {
                             return std::string(KindName(std::get<0>(info.param))) + "_"
                                    + std::get<1>(info.param).name;
                         });

// ---- saves that replace a preset -----------------------------------------------------

TEST_F(PresetFiles, SavingOverAPresetReplacesItAndKeepsItsPermissions)
{
    const fs::path target = m_dir / "x.qxaa";
    WriteBytes(target, kOldPreset);
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    ASSERT_EQ(Save(Kind::All, target.string()), PresetStatus::Ok);
    auto all = MakeAll(13);
    EXPECT_EQ(ReadBytes(target), SerializeAllPrograms(all->programs, all->current, all->delayMemory));
    EXPECT_EQ(fs::status(target).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(Snapshot(m_dir).size(), 1u);
}

TEST_F(PresetFiles, ANewPresetGetsTheUsualPermissions)
{
    const mode_t saved = ::umask(027);
    const PresetStatus status = Save(Kind::Single, Path("new.qxas"));
    ::umask(saved);

    ASSERT_EQ(status, PresetStatus::Ok);
    EXPECT_EQ(fs::status(Path("new.qxas")).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

// A save through a symbolic link writes the file at the end of the chain (each link relative
// to its own folder) and leaves every link a link, also when the file does not exist yet.
namespace {

struct LinkCase {
    const char* name;
    // Links and files to make, relative to the test folder: {link, what it points to}.
    std::vector<std::pair<const char*, const char*>> links;
    bool targetExists;   // real/x.qxas holds an old preset before the save
    const char* target;  // the file the save must write, relative to the test folder
};

const LinkCase kLinkCases[] = {
    {"ToAnExistingFile", {{"link.qxas", "real/x.qxas"}}, true, "real/x.qxas"},
    {"Dangling", {{"link.qxas", "real/x.qxas"}}, false, "real/x.qxas"},
    {"DanglingFromAnotherFolder", {{"sub/link.qxas", "../real/x.qxas"}}, false, "real/x.qxas"},
    {"ChainEndingDangling", {{"link.qxas", "sub/second"}, {"sub/second", "../real/x.qxas"}}, false,
     "real/x.qxas"},
};

void PrintTo(const LinkCase& c, std::ostream* os)
{
    *os << c.name;
}

class SaveThroughLink : public PresetFiles, public ::testing::WithParamInterface<LinkCase> {
protected:
    void MakeLinks(const LinkCase& c)
    {
        fs::create_directory(m_dir / "real");
        fs::create_directory(m_dir / "sub");
        if (c.targetExists)
            WriteBytes(m_dir / "real" / "x.qxas", kOldPreset);
        for (const auto& [link, to] : c.links)
            fs::create_symlink(to, m_dir / link);
    }
};

} // namespace

TEST_P(SaveThroughLink, WritesTheFinalTargetAndKeepsTheLinks)
{
    const LinkCase& c = GetParam();
    MakeLinks(c);
    const std::string first = (m_dir / c.links.front().first).string();
    EXPECT_EQ(SaveObstacle(first), 0);

    ASSERT_EQ(Save(Kind::Single, first), PresetStatus::Ok);
    for (const auto& [link, to] : c.links) {
        EXPECT_TRUE(fs::is_symlink(m_dir / link)) << link;
        EXPECT_EQ(fs::read_symlink(m_dir / link), fs::path(to)) << link;
    }
    EXPECT_FALSE(fs::is_symlink(m_dir / c.target));
    EXPECT_EQ(ReadBytes(m_dir / c.target), SerializeSingleProgram(*MakeProgram(11)));
    EXPECT_EQ(Snapshot(m_dir).size(), 3u + c.links.size()) << "real, sub, the target and the links; nothing else";
}

TEST_P(SaveThroughLink, FailingInTheTargetsFolderLeavesTheLinksAndNoTemporaryFile)
{
    const LinkCase& c = GetParam();
    MakeLinks(c);
    fs::remove_all(m_dir / "real");
    WriteBytes(m_dir / "real", kOldPreset);  // the target's folder is a plain file now
    const std::string first = (m_dir / c.links.front().first).string();
    const auto before = Snapshot(m_dir);

    EXPECT_EQ(SaveObstacle(first), ENOTDIR);
    errno = 0;
    EXPECT_EQ(Save(Kind::Single, first), PresetStatus::WriteFailed);
    EXPECT_EQ(errno, ENOTDIR) << "the reason is the target folder's";
    EXPECT_EQ(Snapshot(m_dir), before);
}

INSTANTIATE_TEST_SUITE_P(PresetFiles, SaveThroughLink, ::testing::ValuesIn(kLinkCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PresetFiles, ALinkLoopIsRefused)
{
    fs::create_symlink("b.qxas", m_dir / "a.qxas");
    fs::create_symlink("a.qxas", m_dir / "b.qxas");
    const auto before = Snapshot(m_dir);
    EXPECT_EQ(Save(Kind::Single, Path("a.qxas")), PresetStatus::WriteFailed);
    EXPECT_EQ(errno, ELOOP);
    EXPECT_EQ(SaveObstacle(Path("a.qxas")), ELOOP);
    EXPECT_EQ(Snapshot(m_dir), before);
}

// ---- the save dialogs' extension rule ------------------------------------------------

namespace {

struct ExtensionCase {
    const char* path;
    const char* ext;
    const char* expected;
};

void PrintTo(const ExtensionCase& c, std::ostream* os)
{
    *os << '"' << c.path << "\" + \"" << c.ext << '"';
}

class Extension : public ::testing::TestWithParam<ExtensionCase> {};

} // namespace

TEST_P(Extension, IsAppendedOnlyWhenThePathDoesNotContainIt)
{
    const ExtensionCase& c = GetParam();
    EXPECT_EQ(WithExtension(c.path, c.ext), c.expected);
}

INSTANTIATE_TEST_SUITE_P(PresetFiles, Extension,
                         ::testing::Values(ExtensionCase{"a", ".qxas", "a.qxas"},
                                           ExtensionCase{"a.qxas", ".qxas", "a.qxas"},
                                           ExtensionCase{"a.qxas.bak", ".qxas", "a.qxas.bak"},
                                           ExtensionCase{"dir.qxas/b", ".qxas", "dir.qxas/b"},
                                           ExtensionCase{"a.QXAS", ".qxas", "a.QXAS.qxas"},
                                           ExtensionCase{"a.qxas", ".qxaa", "a.qxas.qxaa"},
                                           ExtensionCase{"/home/u/DataFile/car", ".qxaa",
                                                         "/home/u/DataFile/car.qxaa"},
                                           ExtensionCase{"a.", ".qxaa", "a..qxaa"}));
