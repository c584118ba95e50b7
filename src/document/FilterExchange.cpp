#include "document/FilterExchange.h"

#include "response/FilterFit.h"
#include "tables/Scales.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace ovix {

namespace {


bool IsBandLine(const TextFilter& f)
{
    return f.type == TextFilterType::kPeaking || f.type == TextFilterType::kLowShelf ||
           f.type == TextFilterType::kHighShelf || f.type == TextFilterType::kLowShelfCorner ||
           f.type == TextFilterType::kHighShelfCorner;
}

bool IsHighPassLine(const TextFilter& f)
{
    return f.type == TextFilterType::kHighPass || f.type == TextFilterType::kHighPass1;
}

std::string Number(double v, int decimals)
{
    std::array<char, 48> buf{};
    const auto [p, ec] = std::to_chars(buf.data(), buf.data() + buf.size(), v, std::chars_format::fixed, decimals);
    return ec == std::errc() ? std::string(buf.data(), p) : std::string("?");
}

// A crossover as a text sets: family and slope when a note names them, the frequency.
struct CrossoverPlan {
    bool set = false;
    bool fromNote = false;
    int family = 0, slope = 0, freq = 0;
};

struct BandPlan {
    BandFit fit;
    bool on = true;
};

} // namespace

CFilterExchange::CFilterExchange(ParameterModel& model, CKTV_Data& records, CConsoleEdits& edits, CEqEdits& eqEdits)
    : m_model(model), m_records(records), m_edits(edits), m_eqEdits(eqEdits)
{
}

bool CFilterExchange::InGraphicEqMode(int channel) const
{
    if (channel < 0 || channel >= kOutputChannels)
        return false;
    ModelLock lock(m_model.lock);
    return m_records.Out(channel).GeqMode() != 0;
}

void CFilterExchange::SwitchToParametric(int channel)
{
    m_eqEdits.ConvertEqMode(channel, 0);
}

std::string CFilterExchange::Export(int channel) const
{
    if (channel < 0 || channel >= kOutputChannels)
        return {};
    ModelLock lock(m_model.lock);
    CKTV_OutData& out = m_records.Out(channel);
    FilterText text;
    text.comments.push_back("OVIX filter settings, CH" + std::to_string(channel + 1));
    text.comments.push_back("Standard second-order sections at 96000 Hz with the processor's own shapes");
    text.preampDb = OutputGainDb(out.Gain());
    for (int b = 0; b < kOutputBands; ++b)
        for (const TextFilter& t : FilterAsText(out.Band(b).Shape()))
            text.filters.push_back(t);
    for (CFilter* f : {&out.HighPass(), &out.LowPass()}) {
        CrossoverNote note;
        note.highPass = f == &out.HighPass();
        note.family = f->Family();
        note.slope = f->Slope();
        note.freq = f->Freq();
        note.beforeFilter = text.filters.size();
        text.notes.push_back(note);
        for (const TextFilter& t : FilterAsText(f->Shape()))
            text.filters.push_back(t);
    }
    return WriteFilterText(text);
}

FilterImportResult CFilterExchange::Check(const FilterTextRead& read)
{
    FilterImportResult result;
    if (!read.ok()) {
        result.errors = read.errors;
        result.error = read.errors.front().message;
        result.errorLine = read.errors.front().line;
        return result;
    }
    const auto bandCount = std::count_if(read.text.filters.begin(), read.text.filters.end(), IsBandLine);
    if (bandCount > kOutputBands) {
        result.error = UiMessage(kMsgFilterTooManyBands, {std::to_string(bandCount)});
        result.errors.push_back({0, *result.error});
        return result;
    }
    result.ok = true;
    return result;
}

FilterImportResult CFilterExchange::Check(std::string_view text)
{
    return Check(ReadFilterText(text));
}

FilterImportResult CFilterExchange::Import(int channel, std::string_view input)
{
    FilterImportResult result;
    auto fail = [&](int line, UiMessage message) {
        result.ok = false;
        result.error = message;
        result.errorLine = line;
        if (result.errors.empty())
            result.errors.push_back({line, message});
        return result;
    };
    if (channel < 0 || channel >= kOutputChannels)
        return fail(0, kMsgFilterTextEmpty);
    if (InGraphicEqMode(channel))
        return fail(0, kMsgFilterImportGeqMode);

    const FilterTextRead read = ReadFilterText(input);
    if (const FilterImportResult checked = Check(read); !checked.ok)
        return checked;
    const FilterText& text = read.text;

    // bands: each line fitted, then in order of frequency
    std::vector<BandPlan> bands;
    for (const TextFilter& f : text.filters) {
        if (!IsBandLine(f))
            continue;
        BandPlan plan{FitBand(f), f.on};
        if (plan.fit.freqClamped)
            result.clamped.push_back({f.line, ClampedValue::kFrequency, f.fc, double(plan.fit.freq)});
        if (plan.fit.gainClamped)
            result.clamped.push_back({f.line, ClampedValue::kGain, f.gainDb, BandGainDb(plan.fit.gainCode)});
        if (plan.fit.bandwidthClamped)
            result.clamped.push_back({f.line, ClampedValue::kBandwidth, f.q, BandwidthOctaves(plan.fit.bandwidthIndex)});
        bands.push_back(plan);
    }
    std::stable_sort(bands.begin(), bands.end(),
                     [](const BandPlan& a, const BandPlan& b) { return a.fit.freq < b.fit.freq; });

    // crossovers: a note names family, slope and frequency; plain lines set the frequency
    CrossoverPlan high, low;
    for (const CrossoverNote& n : text.notes) {
        CrossoverPlan& p = n.highPass ? high : low;
        p = {true, true, n.family, n.slope, n.freq};
    }
    for (const TextFilter& f : text.filters) {
        if (IsBandLine(f) || !f.on)
            continue;
        const bool hp = IsHighPassLine(f);
        CrossoverPlan& p = hp ? high : low;
        if (p.fromNote)
            continue;
        const int hz = int(std::lround(std::clamp(f.fc, 20.0, 20000.0)));
        if (f.fc < 19.5 || f.fc > 20000.5)
            result.clamped.push_back({f.line, ClampedValue::kCrossoverFrequency, f.fc, double(hz)});
        // a cascade of plain lines: the outermost corner
        p.freq = p.set ? (hp ? std::max(p.freq, hz) : std::min(p.freq, hz)) : hz;
        p.set = true;
    }

    std::optional<int> gainCode;
    if (text.preampDb) {
        const double db = *text.preampDb;
        const int whole = int(std::lround(std::clamp(db, -1000.0, 1000.0)));
        const int used = std::clamp(whole, -kMaxOutputGain, 0);
        if (used != whole)
            result.clamped.push_back({text.preampLine, ClampedValue::kPreamp, db, double(used)});
        gainCode = used + kMaxOutputGain;
    }

    m_edits.RewriteEqGroup(channel, [&](CKTV_OutData& out) {
        for (int b = 0; b < kOutputBands; ++b) {
            CFilter& band = out.Band(b);
            if (std::size_t(b) >= bands.size()) {
                band.SetKind(kPeaking);
                band.ResetBand(IsoBandTable[std::size_t(b)]);
            } else {
                const BandPlan& p = bands[std::size_t(b)];
                band.SetKind(p.fit.kind);
                if (p.fit.kind != kPeaking)
                    band.SetSlope(p.fit.slope, false);
                band.SetFrequency(p.fit.freq, false);
                band.SetBandwidthIndex(p.fit.bandwidthIndex);
                band.SetGainCode(p.fit.gainCode);
                if (!p.on)
                    band.SetBypass(1);
            }
            band.SetDirty(0);  // the whole record goes to the processor below
        }
        auto setCrossover = [](CFilter& f, const CrossoverPlan& p) {
            if (!p.set)
                return;
            if (p.fromNote) {
                f.SetFamily(p.family, false);
                f.SetSlope(p.slope, false);
            }
            f.SetFrequency(p.freq, false);
            f.SetDirty(0);
        };
        setCrossover(out.HighPass(), high);
        setCrossover(out.LowPass(), low);
        // the high-pass never above the low-pass
        if (out.HighPass().Freq() > out.LowPass().Freq()) {
            if (high.set)
                out.HighPass().SetFrequency(out.LowPass().Freq(), false);
            else
                out.LowPass().SetFrequency(out.HighPass().Freq(), false);
        }
        if (gainCode && out.Gain() != *gainCode) {
            out.SetGain(*gainCode);
            out.m_levelDirty = 0;
        }
        out.UpdateAllBypass();
    });
    result.ok = true;
    return result;
}

UiMessage MessageOf(const ClampedValue& c)
{
    const std::string line = std::to_string(c.line);
    switch (c.what) {
    case ClampedValue::kFrequency:
    case ClampedValue::kCrossoverFrequency:
        return {kMsgFilterFreqClamped, {line, Number(c.given, 1), Number(c.used, 0)}};
    case ClampedValue::kGain:
        return {kMsgFilterGainClamped, {line, Number(c.given, 1), Number(c.used, 1)}};
    case ClampedValue::kBandwidth:
        return {kMsgFilterQClamped, {line, Number(c.given, 3), Number(c.used, 2)}};
    case ClampedValue::kPreamp:
        return {kMsgFilterPreampClamped, {line, Number(c.given, 1), Number(c.used, 0)}};
    }
    return {kMsgFilterTextEmpty};
}

std::string ImportReport(const FilterImportResult& result)
{
    std::string s;
    if (!result.ok) {
        if (result.errors.empty() && result.error)
            s += EnglishText(*result.error) + "\n";
        for (const FilterTextError& e : result.errors)
            s += EnglishText(e.message) + "\n";
        return s;
    }
    for (const ClampedValue& c : result.clamped)
        s += EnglishText(MessageOf(c)) + "\n";
    return s;
}

} // namespace ovix
