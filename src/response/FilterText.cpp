#include "response/FilterText.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <numbers>

namespace ovix {

namespace {

constexpr double kDefaultQ = 0.70710678118654752;  // second-order Butterworth
constexpr double kCentreShelfSlope = 0.9;          // LS / HS without a slope
constexpr double kTwoPi = 2.0 * std::numbers::pi;
constexpr double kEvalTwoPi = 6.2831852;           // the console's evaluation angle factor
constexpr double kEvalRate = 96000.0;
// What a line may hold: beyond these no section makes sense at 96 kHz (and each survives
// being written with the writer's decimals).
constexpr double kMinFc = 1.0, kMaxFc = 40000.0;
constexpr double kMinQ = 0.01, kMaxQ = 1000.0;

constexpr std::array<std::string_view, 3> kFamilyNames = {"Linkwitz-Riley", "Bessel", "Butterworth"};

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

bool Same(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return Lower(x) == Lower(y);
           });
}

bool StartsWith(std::string_view s, std::string_view prefix)
{
    return s.size() >= prefix.size() && Same(s.substr(0, prefix.size()), prefix);
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && IsSpace(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsSpace(s.back()))
        s.remove_suffix(1);
    return s;
}

std::vector<std::string_view> Words(std::string_view s)
{
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && IsSpace(s[i]))
            ++i;
        const std::size_t start = i;
        while (i < s.size() && !IsSpace(s[i]))
            ++i;
        if (i > start)
            out.push_back(s.substr(start, i - start));
    }
    return out;
}

enum class NumberStatus { kOk, kComma, kBad };

// A plain decimal number (sign, digits, point, exponent); "inf", "nan" and trailing
// characters are refused, a comma among digits is told apart.
NumberStatus ParseNumber(std::string_view w, double& v)
{
    if (w.empty())
        return NumberStatus::kBad;
    std::string_view digits = w;
    if (digits.front() == '+')
        digits.remove_prefix(1);
    const auto [p, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v);
    if (ec == std::errc() && p == digits.data() + digits.size() && std::isfinite(v))
        return NumberStatus::kOk;
    const bool comma = w.find(',') != std::string_view::npos &&
                       std::all_of(w.begin(), w.end(), [](char c) {
                           return (c >= '0' && c <= '9') || c == ',' || c == '-' || c == '+' || c == '.';
                       }) &&
                       std::any_of(w.begin(), w.end(), [](char c) { return c >= '0' && c <= '9'; });
    return comma ? NumberStatus::kComma : NumberStatus::kBad;
}

std::string LineText(int line) { return std::to_string(line); }

struct TypeWord {
    std::string_view word;
    TextFilterType type;
};
constexpr std::array<TypeWord, 13> kTypes = {{
    {"PK", TextFilterType::kPeaking},
    {"PEQ", TextFilterType::kPeaking},
    {"LS", TextFilterType::kLowShelf},
    {"HS", TextFilterType::kHighShelf},
    {"LSC", TextFilterType::kLowShelfCorner},
    {"HSC", TextFilterType::kHighShelfCorner},
    {"HP", TextFilterType::kHighPass},
    {"HPQ", TextFilterType::kHighPass},
    {"LP", TextFilterType::kLowPass},
    {"LPQ", TextFilterType::kLowPass},
    {"HP1", TextFilterType::kHighPass1},
    {"LP1", TextFilterType::kLowPass1},
    {"HP2", TextFilterType::kHighPass},
}};

bool IsShelf(TextFilterType t)
{
    return t == TextFilterType::kLowShelf || t == TextFilterType::kHighShelf ||
           t == TextFilterType::kLowShelfCorner || t == TextFilterType::kHighShelfCorner;
}

class LineReader {
public:
    LineReader(int line, std::vector<FilterTextError>& errors) : m_line(line), m_errors(errors) {}

    void Error(MessageId id, std::vector<std::string> more = {})
    {
        more.insert(more.begin(), LineText(m_line));
        m_errors.push_back({m_line, UiMessage(id, std::move(more))});
    }

    // A number word; false (and the error recorded) when it is not one.
    bool Number(const std::vector<std::string_view>& w, std::size_t i, std::string_view name, double& v)
    {
        if (i >= w.size()) {
            Error(kMsgFilterValueMissing, {std::string(name)});
            return false;
        }
        switch (ParseNumber(w[i], v)) {
        case NumberStatus::kOk:
            return true;
        case NumberStatus::kComma:
            Error(kMsgFilterDecimalComma, {std::string(w[i])});
            return false;
        default:
            Error(kMsgFilterValueInvalid, {std::string(name), std::string(w[i])});
            return false;
        }
    }

    // "Filter[ n]: ON|OFF TYPE ..." after the colon. Returns the filter when the line is
    // usable; nothing (no error) for a None slot or an OFF line of a type not read.
    std::optional<TextFilter> Filter(std::string_view rest)
    {
        const std::vector<std::string_view> w = Words(rest);
        if (w.empty() || !(Same(w[0], "ON") || Same(w[0], "OFF"))) {
            Error(kMsgFilterLineUnknown);
            return std::nullopt;
        }
        TextFilter f;
        f.line = m_line;
        f.on = Same(w[0], "ON");
        if (w.size() < 2 || Same(w[1], "None"))
            return std::nullopt;
        const auto type = std::find_if(kTypes.begin(), kTypes.end(), [&](const TypeWord& t) { return Same(t.word, w[1]); });
        if (type == kTypes.end()) {
            if (f.on)
                Error(kMsgFilterTypeUnsupported, {std::string(w[1])});
            return std::nullopt;
        }
        f.type = type->type;
        std::size_t i = 2;
        // a shelf's slope right after its type: "LS 6dB", "LSC 12 dB"
        if (IsShelf(f.type) && i < w.size() && !Same(w[i], "Fc")) {
            std::string_view word = w[i];
            bool unitAttached = false;
            if (word.size() > 2 && Same(word.substr(word.size() - 2), "dB")) {
                word.remove_suffix(2);
                unitAttached = true;
            }
            double slope = 0.0;
            if (!Number({word}, 0, "slope", slope))
                return std::nullopt;
            if (!(slope >= 1.0 && slope <= 48.0)) {
                Error(kMsgFilterValueInvalid, {"slope", std::string(w[i])});
                return std::nullopt;
            }
            f.slopeDb = slope;
            i += unitAttached ? 1 : 2;
            if (!unitAttached && (i > w.size() || !Same(w[i - 1], "dB"))) {
                Error(kMsgFilterLineUnknown);
                return std::nullopt;
            }
        }
        bool haveFc = false, haveGain = false;
        while (i < w.size()) {
            const std::string_view key = w[i];
            if (Same(key, "Fc")) {
                if (!Number(w, i + 1, "Fc", f.fc))
                    return std::nullopt;
                haveFc = true;
                i += 2;
                if (i < w.size() && Same(w[i], "Hz"))
                    ++i;
            } else if (Same(key, "Gain")) {
                if (!Number(w, i + 1, "Gain", f.gainDb))
                    return std::nullopt;
                haveGain = true;
                i += 2;
                if (i < w.size() && Same(w[i], "dB"))
                    ++i;
            } else if (Same(key, "Q")) {
                if (!Number(w, i + 1, "Q", f.q))
                    return std::nullopt;
                if (!(f.q >= kMinQ && f.q <= kMaxQ)) {
                    Error(kMsgFilterValueInvalid, {"Q", std::string(w[i + 1])});
                    return std::nullopt;
                }
                i += 2;
            } else if (Same(key, "BW")) {
                // "BW Oct N": the standard bell of N octaves
                std::size_t at = i + 1;
                if (at < w.size() && Same(w[at], "Oct"))
                    ++at;
                double oct = 0.0;
                if (!Number(w, at, "BW", oct))
                    return std::nullopt;
                if (!(oct > 0.0 && oct <= 10.0)) {
                    Error(kMsgFilterValueInvalid, {"BW", std::string(w[at])});
                    return std::nullopt;
                }
                const double p = std::pow(2.0, oct);
                f.q = std::sqrt(p) / (p - 1.0);
                if (!(f.q >= kMinQ && f.q <= kMaxQ)) {
                    Error(kMsgFilterValueInvalid, {"BW", std::string(w[at])});
                    return std::nullopt;
                }
                i = at + 1;
            } else {
                Error(kMsgFilterLineUnknown);
                return std::nullopt;
            }
        }
        if (!haveFc) {
            Error(kMsgFilterValueMissing, {"Fc"});
            return std::nullopt;
        }
        if (!(f.fc >= kMinFc && f.fc <= kMaxFc)) {
            Error(kMsgFilterValueInvalid, {"Fc", std::to_string(int(std::clamp(f.fc, -1e9, 1e9)))});
            return std::nullopt;
        }
        const bool needsGain = f.type == TextFilterType::kPeaking || IsShelf(f.type);
        if (needsGain && !haveGain) {
            Error(kMsgFilterValueMissing, {"Gain"});
            return std::nullopt;
        }
        if (std::abs(f.gainDb) > 100.0) {
            Error(kMsgFilterValueInvalid, {"Gain", std::to_string(int(std::clamp(f.gainDb, -1e9, 1e9)))});
            return std::nullopt;
        }
        if (f.type == TextFilterType::kPeaking && !f.qGiven()) {
            Error(kMsgFilterValueMissing, {"Q"});
            return std::nullopt;
        }
        return f;
    }

private:
    int m_line;
    std::vector<FilterTextError>& m_errors;
};

// "Crossover: high-pass Butterworth 24 dB/oct 80 Hz" (after the "#"); nothing when the
// comment is any other.
std::optional<CrossoverNote> ReadNote(std::string_view comment)
{
    const std::vector<std::string_view> w = Words(comment);
    if (w.size() < 5 || !Same(w[0], "Crossover:"))
        return std::nullopt;
    CrossoverNote n;
    if (Same(w[1], "high-pass"))
        n.highPass = true;
    else if (Same(w[1], "low-pass"))
        n.highPass = false;
    else
        return std::nullopt;
    const auto fam = std::find_if(kFamilyNames.begin(), kFamilyNames.end(), [&](std::string_view s) { return Same(s, w[2]); });
    if (fam == kFamilyNames.end())
        return std::nullopt;
    n.family = int(fam - kFamilyNames.begin());
    std::size_t i = 3;
    if (Same(w[i], "off")) {
        n.slope = kCrossoverSlopeOff;
        ++i;
    } else {
        double db = 0.0;
        if (ParseNumber(w[i], db) != NumberStatus::kOk || i + 1 >= w.size() || !Same(w[i + 1], "dB/oct"))
            return std::nullopt;
        const int slope = int(std::lround((db - 12.0) / 6.0));
        if (slope < 0 || slope > 6 || 12.0 + 6.0 * slope != db)
            return std::nullopt;
        n.slope = slope;
        i += 2;
    }
    double hz = 0.0;
    if (i + 1 >= w.size() || ParseNumber(w[i], hz) != NumberStatus::kOk || !Same(w[i + 1], "Hz") ||
        hz != std::floor(hz) || hz < 20 || hz > 20000 || i + 2 != w.size())
        return std::nullopt;
    n.freq = int(hz);
    return n;
}

std::string Fixed(double v, int decimals)
{
    std::array<char, 64> buf{};
    if (std::abs(v) < 0.5 * std::pow(10.0, -decimals))
        v = 0.0;  // no "-0.0"
    const auto [p, ec] = std::to_chars(buf.data(), buf.data() + buf.size(), v, std::chars_format::fixed, decimals);
    return ec == std::errc() ? std::string(buf.data(), p) : std::string("0");
}

std::string_view TypeWordOf(TextFilterType t)
{
    switch (t) {
    case TextFilterType::kPeaking: return "PK";
    case TextFilterType::kLowShelf: return "LS";
    case TextFilterType::kHighShelf: return "HS";
    case TextFilterType::kLowShelfCorner: return "LSC";
    case TextFilterType::kHighShelfCorner: return "HSC";
    case TextFilterType::kHighPass: return "HPQ";
    case TextFilterType::kLowPass: return "LPQ";
    case TextFilterType::kHighPass1: return "HP1";
    case TextFilterType::kLowPass1: return "LP1";
    }
    return "PK";
}

std::string NoteLine(const CrossoverNote& n)
{
    std::string s = "# Crossover: ";
    s += n.highPass ? "high-pass " : "low-pass ";
    s += CrossoverFamilyName(n.family);
    if (n.slope == kCrossoverSlopeOff)
        s += " off ";
    else
        s += " " + std::to_string(12 + 6 * n.slope) + " dB/oct ";
    s += std::to_string(n.freq) + " Hz\n";
    return s;
}


} // namespace

std::string_view CrossoverFamilyName(int family)
{
    return family >= 0 && family < int(kFamilyNames.size()) ? kFamilyNames[std::size_t(family)] : "Butterworth";
}

FilterTextRead ReadFilterText(std::string_view text)
{
    FilterTextRead out;
    if (text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    bool inBody = false;  // a Filter or Preamp line was seen: free lines are errors now
    int line = 0;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view raw = text.substr(pos, end - pos);
        ++line;
        pos = end + 1;
        if (end < text.size() && text[end] == '\r' && pos < text.size() && text[pos] == '\n')
            ++pos;
        if (end == text.size() && raw.empty())
            break;

        const std::string_view s = Trim(raw);
        if (s.empty())
            continue;
        if (s.front() == '#') {
            if (auto note = ReadNote(s.substr(1))) {
                note->line = line;
                note->beforeFilter = out.text.filters.size();
                out.text.notes.push_back(*note);
            }
            continue;
        }
        LineReader reader(line, out.errors);
        if (StartsWith(s, "Preamp")) {
            const std::string_view rest = Trim(s.substr(6));
            inBody = true;
            if (rest.empty() || rest.front() != ':') {
                reader.Error(kMsgFilterLineUnknown);
                continue;
            }
            const std::vector<std::string_view> w = Words(rest.substr(1));
            double db = 0.0;
            if (!reader.Number(w, 0, "Preamp", db))
                continue;
            if (w.size() > 2 || (w.size() == 2 && !Same(w[1], "dB")) || std::abs(db) > 200.0) {
                reader.Error(kMsgFilterLineUnknown);
                continue;
            }
            out.text.preampDb = out.text.preampDb.value_or(0.0) + db;
            out.text.preampLine = line;
            continue;
        }
        if (StartsWith(s, "Filter") && !StartsWith(s, "Filter Settings")) {
            // "Filter:", "Filter 12:", "Filter12 :"
            std::string_view rest = Trim(s.substr(6));
            while (!rest.empty() && rest.front() >= '0' && rest.front() <= '9')
                rest.remove_prefix(1);
            rest = Trim(rest);
            inBody = true;
            if (rest.empty() || rest.front() != ':') {
                reader.Error(kMsgFilterLineUnknown);
                continue;
            }
            if (auto f = reader.Filter(rest.substr(1)))
                out.text.filters.push_back(*f);
            continue;
        }
        if (inBody)
            reader.Error(kMsgFilterLineUnknown);
    }
    if (out.errors.empty() && out.text.filters.empty() && !out.text.preampDb && out.text.notes.empty())
        out.errors.push_back({0, UiMessage(kMsgFilterTextEmpty)});
    return out;
}

std::string WriteFilterText(const FilterText& text)
{
    std::string s;
    for (const std::string& c : text.comments)
        s += "# " + c + "\n";
    if (text.preampDb)
        s += "Preamp: " + Fixed(*text.preampDb, 1) + " dB\n";
    auto notesBefore = [&](std::size_t index) {
        for (const CrossoverNote& n : text.notes)
            if (n.beforeFilter == index)
                s += NoteLine(n);
    };
    for (std::size_t k = 0; k < text.filters.size(); ++k) {
        notesBefore(k);
        const TextFilter& f = text.filters[k];
        s += "Filter " + std::to_string(k + 1) + ": " + (f.on ? "ON " : "OFF ") + std::string(TypeWordOf(f.type));
        if (IsShelf(f.type) && f.slopeDb > 0.0 && !f.qGiven())
            s += " " + Fixed(f.slopeDb, 1) + " dB";
        s += " Fc " + Fixed(f.fc, 3) + " Hz";
        if (f.type == TextFilterType::kPeaking || IsShelf(f.type))
            s += " Gain " + Fixed(f.gainDb, 1) + " dB";
        const bool hasQ = f.type == TextFilterType::kPeaking || f.type == TextFilterType::kHighPass ||
                          f.type == TextFilterType::kLowPass || (IsShelf(f.type) && f.slopeDb <= 0.0);
        if (hasQ)
            s += " Q " + Fixed(f.qGiven() ? f.q : kDefaultQ, 5);
        s += "\n";
    }
    notesBefore(text.filters.size());
    return s;
}

Biquad TextFilterSection(const TextFilter& f, double sampleRate)
{
    if (!f.on)
        return {};
    double fc = f.fc;
    const double a = std::pow(10.0, f.gainDb / 40.0);
    switch (f.type) {
    case TextFilterType::kPeaking: {
        const double w0 = kTwoPi * fc / sampleRate;
        const double alpha = std::sin(w0) / (2.0 * f.q);
        const double c2 = -2.0 * std::cos(w0);
        return {1.0 + alpha * a, c2, 1.0 - alpha * a, 1.0 + alpha / a, c2, 1.0 - alpha / a};
    }
    case TextFilterType::kLowShelf:
    case TextFilterType::kHighShelf:
    case TextFilterType::kLowShelfCorner:
    case TextFilterType::kHighShelfCorner: {
        if (f.gainDb == 0.0)
            return {};
        const bool low = f.type == TextFilterType::kLowShelf || f.type == TextFilterType::kLowShelfCorner;
        const bool centre = f.type == TextFilterType::kLowShelf || f.type == TextFilterType::kHighShelf;
        double alphaRoot;  // alpha / sin w0
        double slope = 0.0;
        if (f.slopeDb > 0.0)
            slope = f.slopeDb / 12.0;
        else if (centre && !f.qGiven())
            slope = kCentreShelfSlope;
        if (slope > 0.0)
            alphaRoot = 0.5 * std::sqrt(std::max(0.0, (a + 1.0 / a) * (1.0 / slope - 1.0) + 2.0));
        else
            alphaRoot = 1.0 / (2.0 * (f.qGiven() ? f.q : kDefaultQ));
        if (centre) {
            // the text names the middle of the transition; the section wants its corner
            const double s = slope > 0.0 ? slope : 1.0;
            const double factor = std::pow(10.0, std::abs(f.gainDb) / (80.0 * s));
            fc = low ? fc * factor : fc / factor;
            fc = std::min(fc, sampleRate * 0.49);
        }
        const double w0 = kTwoPi * fc / sampleRate;
        return CookbookShelf(low, w0, f.gainDb, std::sin(w0) * alphaRoot);
    }
    case TextFilterType::kHighPass:
    case TextFilterType::kLowPass: {
        const double w0 = kTwoPi * fc / sampleRate;
        const double q = f.qGiven() ? f.q : kDefaultQ;
        const double alpha = std::sin(w0) / (2.0 * q);
        const double c0 = std::cos(w0);
        if (f.type == TextFilterType::kHighPass)
            return {(1.0 + c0) / 2.0, -(1.0 + c0), (1.0 + c0) / 2.0, 1.0 + alpha, -2.0 * c0, 1.0 - alpha};
        return {(1.0 - c0) / 2.0, 1.0 - c0, (1.0 - c0) / 2.0, 1.0 + alpha, -2.0 * c0, 1.0 - alpha};
    }
    case TextFilterType::kHighPass1:
    case TextFilterType::kLowPass1: {
        const double k = std::tan(kTwoPi * fc / sampleRate / 2.0);
        if (f.type == TextFilterType::kHighPass1)
            return {1.0, -1.0, 0.0, k + 1.0, k - 1.0, 0.0};
        return {k, k, 0.0, k + 1.0, k - 1.0, 0.0};
    }
    }
    return {};
}

void SectionResponse(const Biquad& s, Response& out)
{
    for (int i = 0; i < kGridPoints; ++i)
        out[std::size_t(i)] = SectionLevelDb(s, FreqGrid[std::size_t(i)] * kEvalTwoPi / kEvalRate);
}

} // namespace ovix
