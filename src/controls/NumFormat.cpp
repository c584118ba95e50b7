#include "controls/NumFormat.h"

#include "tables/Scales.h"

#include <QByteArray>
#include <QCoreApplication>

#include <algorithm>
#include <cmath>

namespace ovix {

namespace {

constexpr double kInchesPerMetre = 3.2808 * 12;

// One speed of sound both ways, so that a shown distance typed back in gives a code that
// shows the same distance.
double SoundSpeed(const NumFormat& f) { return 331.0 + 0.6 * (f.temperatureCode - 50); }

double DelayMsOf(const NumFormat& f, int code)
{
    return code == f.max ? kDelayMaxMs : code / kDelayCodesPerMs;
}

// printf-style number without a lone minus sign in front of a zero.
QString Fixed(double v, int decimals)
{
    if (std::fabs(v) < 0.5 * std::pow(10.0, -decimals))
        v = 0.0;
    return QString::asprintf("%0.*f", decimals, v);
}

// Truncation of a value computed from a typed decimal: a typed -10.3 must not become
// 96.9999... codes because of binary fractions, so the last bits are forgiven.
int TruncCode(double x) { return int(std::trunc(x + (x >= 0 ? 1e-7 : -1e-7))); }

int Clamp(const NumFormat& f, long long code)
{
    const int lo = std::min(f.min, f.max);
    const int hi = std::max(f.min, f.max);
    return int(std::clamp<long long>(code, lo, hi));
}

// The shown value range of a linear kind, low end first.
std::pair<double, double> ShownRange(const NumFormat& f)
{
    const double a = f.min * f.scale - f.offset;
    const double b = f.max * f.scale - f.offset;
    return {std::min(a, b), std::max(a, b)};
}

int LinearCode(const NumFormat& f, double v)
{
    const auto [lo, hi] = ShownRange(f);
    v = std::clamp(v, lo, hi);
    if (f.scale == 0.0)
        return Clamp(f, f.min);
    return Clamp(f, TruncCode((v + f.offset) * 10.0 / (f.scale * 10.0)));
}

// The nearest code: a shown time or distance is the code's own value rounded to the shown
// decimals, so rounding back lands on a code that shows the same text.
int DelayCodeFromMs(const NumFormat& f, double ms)
{
    if (ms >= kDelayMaxMs)
        return Clamp(f, f.max);
    return Clamp(f, std::llround(ms * kDelayCodesPerMs));
}

// The bandwidth index whose quality factor is nearest to q (the narrower one on a tie).
// A shown Q is its entry rounded to two or three decimals; no other entry is nearer to
// that text than the half step the rounding allows, so the text reads back to an entry
// that shows it.
int NearestBandwidthIndex(double q)
{
    const auto& table = BandwidthQTable();
    int best = 0;
    for (int i = 1; i <= kMaxBandwidthIndex; ++i)
        if (std::fabs(table[i] - q) < std::fabs(table[best] - q))
            best = i;
    return best;
}

bool IsOffWord(const QString& text)
{
    const QString t = text.trimmed();
    return t.compare(QStringLiteral("OFF"), Qt::CaseInsensitive) == 0 || t == QStringLiteral("关闭");
}

} // namespace

double LeadingNumber(const QString& text)
{
    // The longest prefix that reads as a decimal number, in the C locale whatever the
    // user's locale is: sign, digits, point, digits, exponent.
    int i = 0;
    const int n = int(text.size());
    while (i < n && text[i].isSpace())
        ++i;
    const int start = i;
    if (i < n && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    int digits = 0;
    while (i < n && text[i] >= u'0' && text[i] <= u'9') {
        ++i;
        ++digits;
    }
    if (i < n && text[i] == u'.') {
        ++i;
        while (i < n && text[i] >= u'0' && text[i] <= u'9') {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return 0.0;
    int end = i;
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        int j = i + 1;
        if (j < n && (text[j] == u'+' || text[j] == u'-'))
            ++j;
        if (j < n && text[j] >= u'0' && text[j] <= u'9') {
            while (j < n && text[j] >= u'0' && text[j] <= u'9')
                ++j;
            end = j;
        }
    }
    const double v = text.mid(start, end - start).toLatin1().toDouble();
    return std::isfinite(v) ? v : 0.0;
}

QString FormatCode(const NumFormat& f, int code)
{
    switch (f.kind) {
    case kKindDelayMs:
        return Fixed(DelayMsOf(f, code), 3) + f.suffix;
    case kKindDelayCm:
        return Fixed(SoundSpeed(f) / 1000.0 * DelayMsOf(f, code) * 100.0, 0) + f.suffix;
    case kKindDelayInch:
        return Fixed(SoundSpeed(f) / 1000.0 * DelayMsOf(f, code) * kInchesPerMetre, 0) + f.suffix;
    case kKindFrequency:
        return QString::asprintf("%dHz", code);
    case kKindLinear:
        return Fixed(code * f.scale - f.offset, 1);
    case kKindQ: {
        const auto& q = BandwidthQTable();
        const double v = q[std::clamp(code, 0, kMaxBandwidthIndex)];
        return Fixed(v, v > 10.0 ? 2 : 3);
    }
    case kKindGainDb:
        if (code == f.min)
            return QCoreApplication::translate("ovix::NumFormat", "OFF");
        return Fixed(code * f.scale - f.offset, 0) + QStringLiteral("dB");
    default:
        return QString::number(code);
    }
}

int ParseText(const NumFormat& f, const QString& text)
{
    switch (f.kind) {
    case kKindDelayMs: {
        const double ms = LeadingNumber(text);
        if (ms < 0)
            return Clamp(f, f.min);
        return DelayCodeFromMs(f, ms);
    }
    case kKindDelayCm: {
        const double c = SoundSpeed(f);
        const double cm = std::clamp(LeadingNumber(text), 0.0, c / 1000.0 * kDelayMaxMs * 100.0);
        return DelayCodeFromMs(f, cm / 100.0 * 1000.0 / c);
    }
    case kKindDelayInch: {
        const double c = SoundSpeed(f);
        const double in = std::clamp(LeadingNumber(text), 0.0, c / 1000.0 * kDelayMaxMs * kInchesPerMetre);
        return DelayCodeFromMs(f, in / kInchesPerMetre * 1000.0 / c);
    }
    case kKindFrequency:
        // Whole hertz: whatever follows the digits ("Hz", a fraction) is ignored.
        return Clamp(f, static_cast<long long>(std::trunc(std::clamp(LeadingNumber(text), -1e9, 1e9))));
    case kKindLinear:
        return LinearCode(f, LeadingNumber(text));
    case kKindQ:
        return Clamp(f, NearestBandwidthIndex(LeadingNumber(text)));
    case kKindGainDb:
        if (IsOffWord(text))
            return LinearCode(f, f.min * f.scale - f.offset);
        return LinearCode(f, LeadingNumber(text));
    default:
        return Clamp(f, static_cast<long long>(std::trunc(std::clamp(LeadingNumber(text), -1e9, 1e9))));
    }
}

} // namespace ovix
