// ovixctl's equaliser commands: a channel's filters as filter text, and filter text into a
// channel of a preset file or of the connected processor.

#include "cli/CliSession.h"
#include "cli/Ovixctl.h"
#include "document/FilterExchange.h"
#include "document/PresetFile.h"
#include "protocol/Protocol.h"

#include <charconv>
#include <cstring>
#include <fstream>
#include <memory>
#include <ostream>
#include <sstream>

namespace ovix::cli {

namespace {

struct EqArgs {
    std::vector<std::string> files;
    int channel = 0;  // 1..6, 0: not given
    std::string output;
};

bool ParseEqArgs(const std::vector<std::string>& args, EqArgs& a, std::ostream& err)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--channel" || args[i] == "-o") {
            if (i + 1 >= args.size()) {
                err << "ovixctl eq: " << args[i] << " needs a value\n";
                return false;
            }
            const std::string& v = args[++i];
            if (args[i - 1] == "-o") {
                a.output = v;
                continue;
            }
            auto [p, ec] = std::from_chars(v.data(), v.data() + v.size(), a.channel);
            if (ec != std::errc() || p != v.data() + v.size() || a.channel < 1 || a.channel > kOutputChannels) {
                err << "ovixctl eq: --channel takes 1..6\n";
                return false;
            }
        } else {
            a.files.push_back(args[i]);
        }
    }
    if (a.channel == 0) {
        err << "ovixctl eq: needs --channel N (1..6)\n";
        return false;
    }
    return true;
}

bool ReadText(const std::string& path, std::string& text)
{
    std::vector<std::uint8_t> bytes;
    // filter texts are small; anything that is not a regular file is refused without waiting
    if (ReadFilePrefix(path, 1 << 20, bytes) != PresetStatus::Ok)
        return false;
    text.assign(bytes.begin(), bytes.end());
    return true;
}

// A preset file's stored images, kept whole so that a rewrite changes one channel only.
struct PresetImage {
    bool all = false;
    std::unique_ptr<AllProgramsFile> file = std::make_unique<AllProgramsFile>();
    ProgramImage& Current() { return file->current; }
};

bool ReadPreset(const std::string& path, PresetImage& p, std::ostream& err)
{
    std::vector<std::uint8_t> header;
    ReadFilePrefix(path, 20, header);
    p.all = header.size() > kAllProgramsMagic.size() && header[0] == kAllProgramsMagic.size() &&
            std::equal(kAllProgramsMagic.begin(), kAllProgramsMagic.end(), header.begin() + 1);
    if (header.empty() && path.find(kAllProgramsExtension) != std::string::npos)
        p.all = true;
    const PresetStatus s = p.all ? ReadAllProgramsFile(path, *p.file) : ReadSingleProgramFile(path, p.file->current);
    if (s != PresetStatus::Ok) {
        err << EnglishText(p.all ? kMsgReadAllError : kMsgReadSingleError) << '\n';
        return false;
    }
    return true;
}

// A document of its own around a program: records, edits and the exchange, no processor.
struct OfflineDoc {
    std::unique_ptr<ParameterModel> model = std::make_unique<ParameterModel>();
    LinkFlags flags;
    std::recursive_mutex lock;
    CommandHostState host;
    std::unique_ptr<CKTV_Data> records;
    std::unique_ptr<CKTVCommand> command;
    std::unique_ptr<CConsoleEdits> edits;
    std::unique_ptr<CEqEdits> eqEdits;
    std::unique_ptr<CFilterExchange> exchange;

    explicit OfflineDoc(const ProgramImage& prog)
    {
        ResetImage(model->image);
        model->image.current = prog;
        records = std::make_unique<CKTV_Data>(*model);
        records->LoadProgramIntoRecords(-1);
        command = std::make_unique<CKTVCommand>(*model, flags, lock, host);
        command->SetRecordPort(records.get());
        edits = std::make_unique<CConsoleEdits>(*model, *records, *command, host, lock);
        eqEdits = std::make_unique<CEqEdits>(*model, *records, *command, host, lock);
        exchange = std::make_unique<CFilterExchange>(*model, *records, *edits, *eqEdits);
    }
};

int EqExport(const EqArgs& a, std::ostream& out, std::ostream& err)
{
    if (a.files.size() != 1) {
        err << "ovixctl eq export: usage: eq export PRESET --channel N [-o OUT]\n";
        return kExitUsage;
    }
    PresetImage preset;
    if (!ReadPreset(a.files[0], preset, err))
        return kExitFailure;
    OfflineDoc doc(preset.Current());
    const std::string text = doc.exchange->Export(a.channel - 1);
    if (a.output.empty()) {
        out << text;
        return kExitOk;
    }
    const std::vector<std::uint8_t> bytes(text.begin(), text.end());
    if (WriteFileSafely(a.output, bytes) != PresetStatus::Ok) {
        err << EnglishText(UiMessage(kMsgFilterFileWriteError, {a.output})) << ": " << std::strerror(errno) << '\n';
        return kExitFailure;
    }
    return kExitOk;
}

// The import's outcome: the error lines and false, or the clamped values (to err) and true.
bool Report(const FilterImportResult& r, std::ostream& err)
{
    err << ImportReport(r);
    return r.ok;
}

int EqImportFile(const EqArgs& a, std::ostream& out, std::ostream& err)
{
    if (a.files.size() != 2 || a.output.empty()) {
        err << "ovixctl eq import: usage: eq import PRESET --channel N FILTERTEXT -o OUT\n";
        return kExitUsage;
    }
    PresetImage preset;
    if (!ReadPreset(a.files[0], preset, err))
        return kExitFailure;
    std::string text;
    if (!ReadText(a.files[1], text)) {
        err << EnglishText(UiMessage(kMsgFilterFileReadError, {a.files[1]})) << '\n';
        return kExitFailure;
    }
    OfflineDoc doc(preset.Current());
    const int ch = a.channel - 1;
    if (doc.exchange->InGraphicEqMode(ch)) {
        err << EnglishText(kMsgFilterImportGeqMode) << '\n';
        return kExitFailure;
    }
    if (!Report(doc.exchange->Import(ch, text), err))
        return kExitFailure;
    // only the channel's block changes in the file (a preset file holds no links)
    doc.records->StoreOutputIntoProgram(ch);
    preset.Current().outputs[ch] = doc.model->image.current.outputs[ch];
    const PresetStatus s = preset.all ? WriteAllProgramsFile(a.output, preset.file->programs, preset.file->current,
                                                             preset.file->delayMemory)
                                      : WriteSingleProgramFile(a.output, preset.file->current);
    if (s != PresetStatus::Ok) {
        err << EnglishText(preset.all ? kMsgSaveAllError : kMsgSaveSingleError) << ": " << std::strerror(errno) << '\n';
        return kExitFailure;
    }
    out << "imported " << a.files[1] << " into CH" << a.channel << " of " << a.output << '\n';
    return kExitOk;
}

int EqImportLive(const EqArgs& a, const CommonOptions& opts, std::ostream& out, std::ostream& err)
{
    if (a.files.size() != 1 || !a.output.empty()) {
        err << "ovixctl eq import: usage: --device DEVICE eq import --channel N FILTERTEXT\n";
        return kExitUsage;
    }
    std::string text;
    if (!ReadText(a.files[0], text)) {
        err << EnglishText(UiMessage(kMsgFilterFileReadError, {a.files[0]})) << '\n';
        return kExitFailure;
    }
    // a text the import would refuse (an unusable line, more filters than bands) is refused
    // before the processor is touched
    if (const FilterImportResult checked = CFilterExchange::Check(text); !checked.ok) {
        for (const FilterTextError& e : checked.errors)
            err << EnglishText(e.message) << '\n';
        return kExitFailure;
    }
    int exitCode = kExitOk;
    auto connected = ConnectedSession(opts.link, err, exitCode);
    if (!connected)
        return exitCode;
    CliSession& session = *connected;
    CConsoleEdits edits(session.Model(), session.Records(), session.Link().Command(), session.Link(),
                        session.BatchLock());
    CEqEdits eqEdits(session.Model(), session.Records(), session.Link().Command(), session.Link(),
                     session.BatchLock());
    CFilterExchange exchange(session.Model(), session.Records(), edits, eqEdits);
    const int ch = a.channel - 1;
    if (exchange.InGraphicEqMode(ch)) {
        session.Disconnect();
        err << EnglishText(kMsgFilterImportGeqMode) << '\n';
        return kExitFailure;
    }
    if (!Report(exchange.Import(ch, text), err)) {
        session.Disconnect();
        return kExitFailure;
    }
    // done when everything queued has been answered: only the status poll is left
    CKTVCommand& command = session.Link().Command();
    auto drained = [&] {
        const FramePtr head = command.Head();
        return !head || (head->RecordType() == REC_SYSTEM && head->Index() == SYS_STATUS && command.Count() == 1);
    };
    if (!session.WaitFor(drained, err))
        return kExitFailure;
    session.Disconnect();
    out << "imported " << a.files[0] << " into CH" << a.channel << '\n';
    return kExitOk;
}

} // namespace

int EqCommand(const std::vector<std::string>& args, const CommonOptions& opts, std::ostream& out,
              std::ostream& err)
{
    if (args.empty() || (args[0] != "export" && args[0] != "import")) {
        err << "ovixctl eq: export PRESET --channel N [-o OUT] | import [PRESET] --channel N FILTERTEXT [-o OUT]\n";
        return kExitUsage;
    }
    EqArgs a;
    if (!ParseEqArgs({args.begin() + 1, args.end()}, a, err))
        return kExitUsage;
    if (args[0] == "export")
        return EqExport(a, out, err);
    if (a.files.size() == 1 && a.output.empty())
        return EqImportLive(a, opts, out, err);
    return EqImportFile(a, out, err);
}

} // namespace ovix::cli
