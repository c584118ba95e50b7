#include "model/DeviceImage.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

namespace ovix {

static_assert(std::is_trivially_copyable_v<ProgramImage>);
static_assert(std::is_standard_layout_v<ProgramImage>);

void EqBandWord::Reset()
{
    SetFreq(1000);
    SetGainWord(600);
    SetBandwidthIndex(0);
    SetSlope(0);
    SetKind(0);
}

namespace {

void ResetProgramTexts(ProgramImage& prog)
{
    std::memset(prog.name, ' ', 15);
    prog.name[15] = 0;
    std::memset(prog.secondText, ' ', sizeof prog.secondText);
}

} // namespace

void ResetImage(DeviceImage& img)
{
    // Start from a zero-filled image so every field not named below (reserved bytes, the
    // output bands 9..30, the effect parameters) reads zero until the processor or a file
    // fills it.
    img = DeviceImage{};

    std::memset(img.deviceText, ' ', sizeof img.deviceText);

    auto& sys = img.system.sys;
    sys[0] = 1;
    sys[6] = 100;
    sys[7] = 10;
    sys[8] = 90;   // microphone volume maximum
    sys[9] = 40;   // microphone volume minimum
    sys[10] = 100; // effect level maximum
    sys[11] = 40;  // effect level minimum
    sys[12] = 90;  // music volume maximum
    sys[13] = 40;  // music volume minimum
    img.system.SetLimitWord(500);

    ProgramImage& cur = img.current;
    ResetProgramTexts(cur);
    for (auto& band : cur.effect.bands)
        band.Reset();
    for (auto& input : cur.inputs)
        for (auto& band : input.bands)
            band.Reset();
    for (auto& out : cur.outputs)
        for (int b = 0; b < kInputBands; ++b)
            out.bands[b].Reset();

    for (auto& prog : img.programs)
        ResetProgramTexts(prog);
    for (auto& preset : img.effectPresets)
        preset.name[15] = 0;

    img.linkTable = LinkTable{};
}

void ClampLevels(DeviceImage& img)
{
    const auto& sys = img.system.sys;
    auto clamp = [](int v, int lo, int hi) {
        // the bounds come from the processor; a minimum above the maximum wins
        return std::max(std::min(v, hi), lo);
    };
    EffectBlock& fx = img.current.effect;
    fx.SetLevel(static_cast<std::uint8_t>(clamp(fx.Level(), sys[11], sys[10])));
    InputBlock& mic = img.current.Mic();
    mic.SetVolume(static_cast<std::uint16_t>(clamp(mic.Volume(), sys[9], sys[8])));
    InputBlock& music = img.current.Music();
    music.SetVolume(static_cast<std::uint16_t>(clamp(music.Volume(), sys[13], sys[12])));
}

bool ChannelLinked(const DeviceImage& img, int channel)
{
    if (channel < 0 || channel >= kOutputChannels)
        return false;
    const auto& g = img.linkTable.group;
    for (int c = 0; c < kOutputChannels; ++c)
        if (c != channel && g[c] == g[channel])
            return true;
    return false;
}

namespace {
constexpr char kMarker[4] = {'4', '0', 'V', 'S'};
}

void WriteProgramMarker(ProgramImage& prog, int program)
{
    std::uint8_t* name = prog.outputs[0].name;
    std::memcpy(name, kMarker, 4);
    name[4] = static_cast<std::uint8_t>(program);
}

int ReadProgramMarker(const ProgramImage& prog)
{
    const std::uint8_t* name = prog.outputs[0].name;
    if (std::memcmp(name, kMarker, 4) != 0)
        return 0;
    return name[4];
}

void SanitizeDeviceText(std::uint8_t* text, std::size_t len)
{
    for (std::size_t i = 0; i < len; ++i)
        if (text[i] < 0x20)
            text[i] = ' ';
}

void SanitizeDeviceName(std::uint8_t* name, std::size_t len)
{
    for (std::size_t i = 0; i < len && i < 13; ++i)
        if (name[i] < 0x20 || name[i] > 0x7F)
            name[i] = ' ';
    for (std::size_t i = 13; i < 15 && i < len; ++i)
        name[i] = ' ';
}

} // namespace ovix
