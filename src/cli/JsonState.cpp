#include "cli/JsonState.h"

#include "tables/Scales.h"
#include "tables/TextField.h"

#include <iomanip>
#include <ostream>

namespace ovix::cli {

namespace {

std::string Text(const std::uint8_t* field, std::size_t n)
{
    return DecodeTextField({field, n});
}

std::string JsonName(const std::uint8_t* field, std::size_t n)
{
    return JsonText(Text(field, n));
}

nlohmann::json CrossoverJson(std::uint16_t freq, std::uint8_t family, std::uint8_t slope)
{
    return {{"freq", freq}, {"family", family}, {"slope", slope}};
}

const char* FamilyName(int f)
{
    switch (f) {
    case 0: return "Linkwitz-Riley";
    case 1: return "Bessel";
    case 2: return "Butterworth";
    default: return "?";
    }
}

void PrintCrossover(std::ostream& out, const char* what, int freq, int family, int slope)
{
    out << ' ' << what << ' ';
    if (slope == kCrossoverSlopeOff)
        out << "off";
    else
        out << freq << " Hz " << FamilyName(family) << ' ' << CrossoverSlopeDbPerOct(slope) << " dB/oct";
}

} // namespace

std::string JsonText(std::string_view bytes)
{
    std::string s;
    s.reserve(bytes.size() * 2);
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b < 0x80) {
            s += ch;
        } else {
            s += static_cast<char>(0xC0 | (b >> 6));
            s += static_cast<char>(0x80 | (b & 0x3F));
        }
    }
    return s;
}

nlohmann::json ProgramJson(const ProgramImage& prog)
{
    nlohmann::json outputs = nlohmann::json::array();
    for (const OutputBlock& o : prog.outputs) {
        nlohmann::json bands = nlohmann::json::array();
        for (const EqBandWord& b : o.bands)
            bands.push_back({{"freq", b.Freq()},
                             {"gain", int(b.GainWord()) - kGainWordOffset},
                             {"bandwidth", b.BandwidthIndex()},
                             {"slope", b.Slope()},
                             {"kind", b.Kind()}});
        const CrossoverWord& x = o.crossover;
        outputs.push_back({{"name", JsonName(o.name, sizeof o.name)},
                           {"soundOn", o.soundOn},
                           {"polarity", o.polarity},
                           {"gain", o.Gain()},
                           {"delay", o.Delay()},
                           {"geqMode", o.geqMode},
                           {"bands", bands},
                           {"highPass", CrossoverJson(x.HighPassFreq(), x.HighPassFamily(), x.HighPassSlope())},
                           {"lowPass", CrossoverJson(x.LowPassFreq(), x.LowPassFamily(), x.LowPassSlope())},
                           {"limiter", {{"threshold", o.LimThreshold()},
                                        {"attack", o.limAttack},
                                        {"release", o.limRelease}}}});
    }
    const InputBlock& music = prog.Music();
    return {{"name", JsonName(prog.name, sizeof prog.name)},
            {"music", {{"volume", music.Volume()}, {"on", music.On()}, {"selector", music.Selector()}}},
            {"outputs", outputs}};
}

nlohmann::json DelayMemoryJson(const DelayMemory& dm)
{
    nlohmann::json sets = nlohmann::json::array();
    for (int s = 0; s < kDelaySets; ++s) {
        nlohmann::json set = nlohmann::json::array();
        for (int c = 0; c < kOutputChannels; ++c)
            set.push_back(dm.Delay(s, c));
        sets.push_back(set);
    }
    return {{"sets", sets}, {"current", int(dm.current)}};
}

void PrintProgram(const ProgramImage& prog, std::ostream& out)
{
    const InputBlock& music = prog.Music();
    out << "program name  " << Text(prog.name, sizeof prog.name) << '\n';
    out << "music         volume " << music.Volume() << " (" << OutputGainDb(music.Volume())
        << " dB) on " << int(music.On()) << " selector " << int(music.Selector()) << '\n';
    for (int c = 0; c < kOutputChannels; ++c) {
        const OutputBlock& o = prog.outputs[c];
        const CrossoverWord& x = o.crossover;
        out << "CH" << c + 1 << ' ' << std::left << std::setw(8) << Text(o.name, sizeof o.name) << std::right
            << " on " << int(o.soundOn) << " polarity " << int(o.polarity) << " gain " << o.Gain() << " ("
            << OutputGainDb(o.Gain()) << " dB) delay " << o.Delay() << " (" << std::fixed
            << std::setprecision(2) << DelayMs(o.Delay()) << " ms)" << std::defaultfloat
            << (o.geqMode ? " graphic EQ" : " parametric EQ");
        PrintCrossover(out, "high-pass", x.HighPassFreq(), x.HighPassFamily(), x.HighPassSlope());
        PrintCrossover(out, "low-pass", x.LowPassFreq(), x.LowPassFamily(), x.LowPassSlope());
        out << '\n';
        int active = 0;
        for (const EqBandWord& b : o.bands)
            if (b.GainWord() != 600)
                ++active;
        out << "    EQ bands  " << active << " of 31 not at 0 dB\n";
    }
}

void PrintDelayMemory(const DelayMemory& dm, std::ostream& out)
{
    for (int s = 0; s < kDelaySets; ++s) {
        out << "delay set " << s + 1 << (s == dm.CurrentSet() ? " *" : "  ");
        for (int c = 0; c < kOutputChannels; ++c)
            out << ' ' << dm.Delay(s, c);
        out << '\n';
    }
}

} // namespace ovix::cli
