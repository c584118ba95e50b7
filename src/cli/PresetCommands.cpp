// ovixctl commands for preset files: show a file as stored, compute the response of its
// program (as numbers or as an SVG plot), write its tuning sheet, push a file to a processor
// and pull one from it.

#include "document/PresetFile.h"
#include "document/QamrelDoc.h"
#include "document/ResponsePlot.h"
#include "document/TuningSheet.h"
#include "cli/CliSession.h"
#include "cli/JsonState.h"
#include "cli/Ovixctl.h"
#include "tables/Scales.h"

#include "tables/TextField.h"

#include <algorithm>
#include <charconv>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <cstdio>
#include <iomanip>
#include <iterator>
#include <ostream>
#include <sstream>

namespace ovix::cli {

namespace {

enum class FileKind { Single, All, Unknown };

// Which format a file claims to be, from its header (or, failing that, its name). Only a
// regular file is looked into: a FIFO or a device is judged by its name and then refused
// by the reader, without waiting.
FileKind KindOf(const std::string& path)
{
    std::vector<std::uint8_t> header;
    ReadFilePrefix(path, 20, header);
    auto starts = [&](std::string_view magic) {
        return header.size() > magic.size() && header[0] == magic.size() &&
               std::equal(magic.begin(), magic.end(), header.begin() + 1);
    };
    if (starts(kSingleProgramMagic))
        return FileKind::Single;
    if (starts(kAllProgramsMagic))
        return FileKind::All;
    if (path.find(kAllProgramsExtension) != std::string::npos)
        return FileKind::All;
    if (path.find(kSingleProgramExtension) != std::string::npos)
        return FileKind::Single;
    return FileKind::Unknown;
}

void PrintReadError(FileKind kind, std::ostream& err)
{
    err << EnglishText(kind == FileKind::All ? kMsgReadAllError : kMsgReadSingleError) << '\n';
}

// The program a file carries as it is stored; false (and the message printed) for a bad file.
bool ReadProgramOfFile(const std::string& path, ProgramImage& prog, std::ostream& err)
{
    const FileKind kind = KindOf(path);
    if (kind == FileKind::All) {
        auto file = std::make_unique<AllProgramsFile>();
        if (ReadAllProgramsFile(path, *file) != PresetStatus::Ok) {
            PrintReadError(kind, err);
            return false;
        }
        prog = file->current;
        return true;
    }
    if (ReadSingleProgramFile(path, prog) != PresetStatus::Ok) {
        PrintReadError(FileKind::Single, err);
        return false;
    }
    return true;
}

// The console's save message, then the system's reason after a colon.
void PrintSaveError(MessageId message, int reason, std::ostream& err)
{
    err << EnglishText(message);
    if (reason != 0)
        err << ": " << std::strerror(reason);
    err << '\n';
}

std::string Db(double v)
{
    std::ostringstream s;
    s << std::fixed << std::setprecision(2) << (std::abs(v) < 0.005 ? 0.0 : v);
    return s.str();
}

int PresetShow(const std::vector<std::string>& args, const CommonOptions& opts, std::ostream& out,
               std::ostream& err)
{
    if (args.size() != 1) {
        err << "ovixctl preset show: needs one FILE\n";
        return kExitUsage;
    }
    const std::string& path = args[0];
    const FileKind kind = KindOf(path);
    if (kind == FileKind::All) {
        auto file = std::make_unique<AllProgramsFile>();
        if (ReadAllProgramsFile(path, *file) != PresetStatus::Ok) {
            PrintReadError(kind, err);
            return kExitFailure;
        }
        if (opts.json) {
            nlohmann::json programs = nlohmann::json::array();
            for (const ProgramImage& p : file->programs)
                programs.push_back(ProgramJson(p));
            out << nlohmann::json{{"programs", programs},
                                  {"current", ProgramJson(file->current)},
                                  {"delayMemory", DelayMemoryJson(file->delayMemory)}}
                       .dump(2)
                << '\n';
            return kExitOk;
        }
        for (int p = 0; p < kStoredPrograms; ++p)
            out << "program " << std::setw(2) << p + 1 << "    "
                << DecodeTextField({file->programs[p].name, 16}) << '\n';
        PrintDelayMemory(file->delayMemory, out);
        out << "current program:\n";
        PrintProgram(file->current, out);
        return kExitOk;
    }
    auto prog = std::make_unique<ProgramImage>();
    if (ReadSingleProgramFile(path, *prog) != PresetStatus::Ok) {
        PrintReadError(FileKind::Single, err);
        return kExitFailure;
    }
    if (opts.json)
        out << ProgramJson(*prog).dump(2) << '\n';
    else
        PrintProgram(*prog, out);
    return kExitOk;
}

// A file's program in records, built as the console builds them after loading the file.
struct FileProgram {
    std::unique_ptr<ParameterModel> model;
    std::unique_ptr<CKTV_Data> records;  // refers to *model: declared after it, gone before it
    std::string name;                    // the program's name bytes
};

bool LoadFileProgram(const std::string& path, FileProgram& out, std::ostream& err)
{
    out.model = std::make_unique<ParameterModel>();
    ResetImage(out.model->image);
    ProgramImage& prog = out.model->image.current;
    if (!ReadProgramOfFile(path, prog, err))
        return false;
    // as the console loads a file: no stored-program marker, records rebuilt from it
    std::fill(std::begin(prog.outputs[0].name), std::end(prog.outputs[0].name), 0);
    out.name = DecodeTextField({prog.name, sizeof prog.name});
    out.records = std::make_unique<CKTV_Data>(*out.model);
    out.records->LoadProgramIntoRecords(-1);
    return true;
}

// Writes text to path ("-": to out) through a temporary file, so a failed write leaves an
// existing file as it was.
bool WriteTextFile(const char* command, const std::string& path, const std::string& text, std::ostream& out,
                   std::ostream& err)
{
    if (path == "-") {
        out << text;
        return true;
    }
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    if (WriteFileSafely(path, {bytes, text.size()}) != PresetStatus::Ok) {
        err << "ovixctl " << command << ": cannot write '" << path << "': " << std::strerror(errno) << '\n';
        return false;
    }
    out << "wrote " << path << '\n';
    return true;
}

} // namespace

int ResponseCommand(const std::vector<std::string>& args, const CommonOptions& opts, std::ostream& out,
                    std::ostream& err)
{
    constexpr const char* kUsageLine = "ovixctl response: usage: response FILE [--channel N] [--json | --svg OUT.svg]\n";
    std::string path;
    std::string svgPath;
    int channel = 0;  // 0: all six
    for (std::size_t i = 0; i < args.size(); ++i) {
        const bool operand = i >= args.size() - opts.operands;  // after "--": a file
        if (!operand && args[i] == "--channel" && i + 1 < args.size()) {
            const std::string& v = args[++i];
            auto [p, ec] = std::from_chars(v.data(), v.data() + v.size(), channel);
            if (ec != std::errc() || p != v.data() + v.size() || channel < 1 || channel > kOutputChannels) {
                err << "ovixctl response: --channel takes 1..6\n";
                return kExitUsage;
            }
        } else if (!operand && args[i] == "--svg" && i + 1 < args.size() && svgPath.empty()) {
            svgPath = args[++i];
        } else if (path.empty() && (operand || args[i].rfind("--", 0) != 0)) {
            path = args[i];
        } else {
            err << kUsageLine;
            return kExitUsage;
        }
    }
    if (path.empty()) {
        err << "ovixctl response: needs a FILE\n";
        return kExitUsage;
    }
    if (!svgPath.empty() && opts.json) {
        err << kUsageLine;
        return kExitUsage;
    }

    FileProgram file;
    if (!LoadFileProgram(path, file, err))
        return kExitFailure;

    std::vector<int> channels;
    for (int c = 1; c <= kOutputChannels; ++c)
        if (channel == 0 || channel == c)
            channels.push_back(c);

    if (!svgPath.empty()) {
        const std::vector<PlotCurve> all = ChannelCurves(*file.records);
        std::vector<PlotCurve> curves;
        for (int c : channels)
            curves.push_back(all[std::size_t(c - 1)]);
        return WriteTextFile("response", svgPath, ResponseSvgDocument(curves), out, err) ? kExitOk
                                                                                           : kExitFailure;
    }

    std::vector<Response> sums;
    for (int c : channels)
        sums.push_back(file.records->Out(c - 1).Eq().Sum());

    if (opts.json) {
        nlohmann::json list = nlohmann::json::array();
        for (std::size_t k = 0; k < channels.size(); ++k) {
            nlohmann::json db = nlohmann::json::array();
            for (double v : sums[k])
                db.push_back(std::round(v * 100) / 100);
            list.push_back({{"channel", channels[k]}, {"db", db}});
        }
        out << nlohmann::json{{"channels", list}}.dump() << '\n';
        return kExitOk;
    }
    for (int i = 0; i < kGridPoints; ++i) {
        out << FreqGrid[i];
        for (const Response& s : sums)
            out << ' ' << Db(s[i]);
        out << '\n';
    }
    return kExitOk;
}

int ReportCommand(const std::vector<std::string>& args, const CommonOptions& opts, std::ostream& out,
                  std::ostream& err)
{
    std::string path;
    std::string outPath = "-";
    bool outGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const bool operand = i >= args.size() - opts.operands;  // after "--": a file
        if (!operand && (args[i] == "-o" || args[i] == "--output") && i + 1 < args.size() && !outGiven) {
            outPath = args[++i];
            outGiven = true;
        } else if (path.empty() && (operand || args[i].rfind("-", 0) != 0)) {
            path = args[i];
        } else {
            err << "ovixctl report: usage: report FILE [-o OUT.html]\n";
            return kExitUsage;
        }
    }
    if (path.empty()) {
        err << "ovixctl report: needs a FILE\n";
        return kExitUsage;
    }
    if (opts.json) {
        err << "ovixctl report: writes HTML only (no --json)\n";
        return kExitUsage;
    }
    FileProgram file;
    if (!LoadFileProgram(path, file, err))
        return kExitFailure;
    const std::string html = TuningSheetHtml(SheetFromRecords(*file.records, file.name));
    return WriteTextFile("report", outPath, html, out, err) ? kExitOk : kExitFailure;
}

namespace {

int PresetPush(const std::vector<std::string>& args, const CommonOptions& opts, std::ostream& out,
               std::ostream& err)
{
    if (args.size() != 1) {
        err << "ovixctl preset push: needs one FILE\n";
        return kExitUsage;
    }
    const std::string& path = args[0];
    const FileKind kind = KindOf(path);
    // refuse a bad file before touching the processor
    {
        auto check = std::make_unique<AllProgramsFile>();
        const bool ok = kind == FileKind::All ? ReadAllProgramsFile(path, *check) == PresetStatus::Ok
                                              : ReadSingleProgramFile(path, check->current) == PresetStatus::Ok;
        if (!ok) {
            PrintReadError(kind == FileKind::All ? FileKind::All : FileKind::Single, err);
            return kExitFailure;
        }
    }
    int exitCode = kExitOk;
    auto connected = ConnectedSession(opts.link, err, exitCode);
    if (!connected)
        return exitCode;
    CliSession& session = *connected;

    const int batchesBefore = session.Link().BatchesCompleted();
    const DocResult r = kind == FileKind::All ? session.Doc().LoadAllPrograms(path)
                                              : session.Doc().LoadSingleProgram(path);
    if (!r.ok) {
        err << (r.message ? EnglishText(*r.message) : "the file could not be loaded") << '\n';
        return kExitFailure;
    }
    FramePtr delayFrame = session.Doc().LastDelayMemoryFrame();
    auto done = [&] {
        if (session.Link().BatchesCompleted() <= batchesBefore)
            return false;
        return kind == FileKind::All || !delayFrame ||
               !session.Link().Command().Queue().Contains(delayFrame.get());
    };
    if (!session.WaitFor(done, err))
        return kExitFailure;
    session.Disconnect();
    out << "pushed " << path << '\n';
    return kExitOk;
}

int PresetPull(const std::vector<std::string>& args, const CommonOptions& opts, std::ostream& out,
               std::ostream& err)
{
    if (args.size() != 1) {
        err << "ovixctl preset pull: needs one FILE\n";
        return kExitUsage;
    }
    const std::string& path = args[0];
    const bool all = path.find(kAllProgramsExtension) != std::string::npos;
    if (!all && path.find(kSingleProgramExtension) == std::string::npos) {
        err << "ovixctl preset pull: FILE must end in .qxas (the live program) or .qxaa (all programs)\n";
        return kExitUsage;
    }
    const MessageId saveError = all ? kMsgSaveAllError : kMsgSaveSingleError;
    // a file that cannot be written is refused before anything is read from the processor
    if (const int obstacle = SaveObstacle(path); obstacle != 0) {
        PrintSaveError(saveError, obstacle, err);
        return kExitFailure;
    }
    int exitCode = kExitOk;
    auto connected = ConnectedSession(opts.link, err, exitCode);
    if (!connected)
        return exitCode;
    CliSession& session = *connected;

    DocResult r;
    int reason = 0;  // errno of a failed write, taken at once
    if (all) {
        session.Ui().ResetProgramsLoaded();
        r = session.Doc().SaveAllPrograms(path);
        if (r.ok) {
            if (!session.WaitFor([&] { return session.Ui().ProgramsLoadedSeen(); }, err))
                return kExitFailure;
            r = session.Doc().WriteAllProgramsFile();
            reason = errno;
        }
    } else {
        r = session.Doc().SaveSingleProgram(path);
        reason = errno;
    }
    session.Disconnect();
    if (!r.ok) {
        if (r.message == saveError)
            PrintSaveError(saveError, reason, err);
        else
            err << EnglishText(r.message ? *r.message : kMsgConnectionFailure) << '\n';
        return kExitFailure;
    }
    if (r.message)
        err << EnglishText(*r.message) << '\n';  // a name that did not fit; the file is written
    out << "pulled " << path << '\n';
    return kExitOk;
}

} // namespace

int PresetCommand(const std::vector<std::string>& args, const CommonOptions& opts, std::ostream& out,
                  std::ostream& err)
{
    if (args.empty()) {
        err << "ovixctl preset: show FILE | push FILE | pull FILE\n";
        return kExitUsage;
    }
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (args[0] == "show")
        return PresetShow(rest, opts, out, err);
    if (args[0] == "push")
        return PresetPush(rest, opts, out, err);
    if (args[0] == "pull")
        return PresetPull(rest, opts, out, err);
    err << "ovixctl preset: unknown subcommand '" << args[0] << "'\n";
    return kExitUsage;
}

} // namespace ovix::cli
