// `ovixctl firmware`: a firmware update through the console's own link logic, with a
// progress bar on stderr, and `--check`, which shows what a firmware file holds and the
// frames it would go out as, without opening a processor.

#include "cli/CliSession.h"
#include "cli/Ovixctl.h"
#include "link/Firmware.h"

#include <nlohmann/json.hpp>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <iomanip>
#include <iostream>
#include <map>
#include <sstream>

namespace ovix::cli {

namespace {

constexpr const char* kUsageLine = "ovixctl firmware: usage: firmware FILE [--device DEVICE] | firmware --check FILE [--json]\n";

// Frames of each step an update of `images` sends, by step code, from the sequence itself.
std::map<int, int> FramesByStep(const FirmwareImages& images)
{
    std::map<int, int> count;
    CFirmwareSequence seq(images);
    for (int guard = 0; !seq.Done() && guard < 1'000'000; ++guard) {
        const auto frames = seq.Next();
        if (frames.empty())
            break;
        for (const FramePtr& f : frames)
            ++count[f->Step()];
    }
    return count;
}

struct StepName {
    int step;
    const char* text;  // plain output
    const char* key;   // JSON
};

constexpr StepName kStepNames[] = {
    {FW_BOOT_REQUEST, "boot request", "bootRequest"}, {FW_START, "start", "start"},
    {FW_DSP_ERASE, "DSP erase", "dspErase"},           {FW_DSP_DATA, "DSP data", "dspData"},
    {FW_MCU_HEADER, "MCU header", "mcuHeader"},        {FW_MCU_DATA, "MCU data", "mcuData"},
    {FW_FINISH, "finish", "finish"},
};

std::string Hex(std::span<const std::uint8_t> bytes, const char* separator)
{
    std::ostringstream s;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        s << (i ? separator : "") << std::hex << std::setw(2) << std::setfill('0') << int(bytes[i]);
    return s.str();
}

std::string HexByte(std::uint8_t b)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%02x", b);
    return text;
}

const char* ShapeName(const FirmwareImages& images)
{
    if (images.HasDsp() && images.HasMcu())
        return "DSP and MCU";
    return images.HasDsp() ? "DSP only" : "MCU only";
}

// The file's message, with the system's reason after it when there is one.
void PrintLoadError(const FirmwareLoad& load, std::ostream& err)
{
    err << EnglishText(load.error.value_or(kMsgFwBinFileError));
    if (!load.reason.empty())
        err << ": " << load.reason;
    err << '\n';
}

int Check(const std::string& path, bool json, std::ostream& out, std::ostream& err)
{
    const FirmwareLoad load = LoadFirmwareFile(path);
    if (!load.images) {
        PrintLoadError(load, err);
        return kExitFailure;
    }
    const FirmwareImages& fw = *load.images;
    const std::map<int, int> frames = FramesByStep(fw);
    int total = 0;
    for (const auto& [step, n] : frames)
        total += n;
    const std::size_t mcuData = fw.HasMcu() ? fw.mcu.size() - kFirmwareMcuHeader : 0;
    const std::span<const std::uint8_t> header =
        fw.HasMcu() ? std::span<const std::uint8_t>(fw.mcu.data(), kFirmwareMcuHeader) : std::span<const std::uint8_t>();

    if (json) {
        nlohmann::json j;
        j["size"] = fw.fileLength;
        j["shape"] = ShapeName(fw);
        j["dsp"] = fw.HasDsp() ? nlohmann::json{{"size", fw.dsp.size()}, {"dataFrames", fw.DspFrames()}}
                               : nlohmann::json(nullptr);
        j["mcu"] = fw.HasMcu() ? nlohmann::json{{"size", fw.mcu.size()},
                                                {"header", Hex(header, "")},
                                                {"dataBytes", mcuData},
                                                {"dataFrames", fw.McuFrames()},
                                                {"fillBytes", fw.McuFrames() * kFirmwareMcuChunk - mcuData}}
                               : nlohmann::json(nullptr);
        j["checksum"] = fw.checksum;
        nlohmann::json perStep = nlohmann::json::object();
        for (const StepName& s : kStepNames) {
            const auto it = frames.find(s.step);
            perStep[s.key] = it == frames.end() ? 0 : it->second;
        }
        j["frames"] = perStep;
        j["totalFrames"] = total;
        j["steps"] = fw.Steps();
        out << j.dump(2) << '\n';
        return kExitOk;
    }

    out << "file          " << fw.fileLength << " bytes, " << ShapeName(fw) << '\n';
    if (fw.HasDsp())
        out << "DSP section   " << fw.dsp.size() << " bytes in " << fw.DspFrames() << " data frames\n";
    if (fw.HasMcu()) {
        out << "MCU section   " << fw.mcu.size() << " bytes: header " << Hex(header, " ") << ", " << mcuData
            << " data bytes in " << fw.McuFrames() << " data frames";
        if (const std::size_t fill = fw.McuFrames() * kFirmwareMcuChunk - mcuData; fill > 0)
            out << " (" << fill << " fill bytes 0xff)";
        out << '\n';
    }
    out << "checksum      " << HexByte(fw.checksum) << '\n';
    out << "frames        " << total << ':';
    bool first = true;
    for (const StepName& s : kStepNames) {
        const auto it = frames.find(s.step);
        if (it == frames.end())
            continue;
        out << (first ? " " : ", ") << s.text << ' ' << it->second;
        first = false;
    }
    out << '\n';
    out << "steps         " << fw.Steps() << " acknowledged by the processor\n";
    return kExitOk;
}

bool IsTerminal(const std::ostream& s)
{
    return (&s == &std::cerr || &s == &std::clog) && ::isatty(STDERR_FILENO) == 1;
}

// The update dialog's progress bar and status line on a stream: redrawn in place on a
// terminal, otherwise one line per tenth of the way so a log stays short.
class ProgressLine {
public:
    ProgressLine(std::ostream& err, bool terminal) : m_err(err), m_terminal(terminal) {}

    void Show(const CliUi::FirmwareView& view)
    {
        const int max = std::max(view.maximum, 1);
        const int pos = std::clamp(view.position, 0, max);
        const int percent = pos * 100 / max;
        const std::string status = view.status ? EnglishText(*view.status) : std::string();
        std::ostringstream line;
        line << std::setw(3) << percent << "%  " << pos << '/' << view.maximum;
        if (!status.empty())
            line << "  " << status;
        if (m_terminal) {
            constexpr int kWidth = 30;
            const int filled = pos * kWidth / max;
            std::string text = "\r[" + std::string(std::size_t(filled), '#') +
                               std::string(std::size_t(kWidth - filled), '-') + "] " + line.str();
            const std::size_t length = text.size();
            if (length < m_lastLength)
                text.append(m_lastLength - length, ' ');  // wipe the rest of a longer line
            m_lastLength = length;
            if (text != m_lastText) {
                m_err << text << std::flush;
                m_lastText = text;
                m_open = true;
            }
            return;
        }
        if (percent / 10 > m_lastTenth) {
            m_lastTenth = percent / 10;
            m_err << line.str() << '\n';
        }
    }

    // Ends the redrawn line, so what follows starts on a line of its own.
    void Finish()
    {
        if (m_open)
            m_err << '\n';
        m_open = false;
    }

private:
    std::ostream& m_err;
    const bool m_terminal;
    int m_lastTenth = -1;
    std::size_t m_lastLength = 0;
    std::string m_lastText;
    bool m_open = false;
};

int Update(const std::string& path, const CommonOptions& opts, std::ostream& out, std::ostream& err)
{
    CliSession session(opts.link);
    if (!session.Valid()) {
        err << "ovixctl: unknown device '" << opts.link.device << "'\n";
        return kExitUsage;
    }
    // the file is checked here for the system's reason; the link reads it again itself
    const FirmwareLoad load = LoadFirmwareFile(path);
    if (!load.images) {
        PrintLoadError(load, err);
        return kExitFailure;
    }
    const int steps = load.images->Steps();

    CConsoleLink& link = session.Link();
    CliUi& ui = session.Ui();
    ProgressLine bar(err, IsTerminal(err));
    ui.OnFirmwareChange([&] { bar.Show(ui.Firmware()); });
    link.WatchDevices();
    if (!link.StartFirmwareUpdate(path)) {
        bar.Finish();
        err << ui.Message().value_or(EnglishText(kMsgFwUpdateFailed)) << '\n';
        return kExitFailure;
    }

    // Every wait of the update has its own limit (10 s per exchange, the erase's 30 s, 10 s
    // for the processor to appear), so it always ends; this guard only catches a link that
    // never says so: two minutes plus one second per step, far beyond a real update.
    const auto guard = std::chrono::minutes(2) + std::chrono::seconds(steps);
    bool opened = link.IsConnected();
    const bool ended = session.PumpUntil(
        [&] {
            opened = opened || link.IsConnected();
            return ui.Firmware().ended.has_value();
        },
        guard);
    if (!ended) {
        link.AbandonFirmwareUpdate();
        bar.Finish();
        err << EnglishText(kMsgFwUpdateFailed) << " (no end in time)\n";
        return kExitFailure;
    }
    bar.Finish();
    if (*ui.Firmware().ended) {
        out << ui.Message().value_or(EnglishText(kMsgFwUpdateDone)) << '\n';
        return kExitOk;
    }
    err << ui.Message().value_or(EnglishText(kMsgFwUpdateFailed));
    if (!opened)
        err << " (no processor found)";
    err << '\n';
    return kExitFailure;
}

} // namespace

int FirmwareCommand(const std::vector<std::string>& args, const CommonOptions& opts, std::ostream& out,
                    std::ostream& err)
{
    std::string path;
    bool check = false;
    for (const std::string& a : args) {
        if (a == "--check" && !check) {
            check = true;
        } else if (path.empty() && a.rfind("--", 0) != 0) {
            path = a;
        } else {
            err << kUsageLine;
            return kExitUsage;
        }
    }
    if (path.empty()) {
        err << "ovixctl firmware: needs a FILE\n";
        return kExitUsage;
    }
    if (opts.json && !check) {
        err << "ovixctl firmware: --json goes with --check\n";
        return kExitUsage;
    }
    return check ? Check(path, opts.json, out, err) : Update(path, opts, out, err);
}

} // namespace ovix::cli
