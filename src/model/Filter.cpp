#include "model/Filter.h"

#include <algorithm>

#include "response/FilterResponse.h"
#include "response/PixelMap.h"

namespace ovix {

void CFilter::Init(int kind, int freq, int index, bool isEqBand, bool twoSlopeCrossover)
{
    m_kind = kind;
    m_freq = freq;
    m_devFreq = freq;
    m_index = index;
    m_isEqBand = isEqBand;
    m_twoSlopeCrossover = twoSlopeCrossover;
}

void CFilter::SetFrequency(int hz, bool fromEditor)
{
    auto lock = Guard();
    if (!fromEditor) {
        m_freq = hz;
        m_devFreq = hz;
    } else {
        m_freq = hz;
        if (!Synced())
            m_devFreq = hz;
        if (m_devFreq == 0)
            m_devFreq = 20;
        // every lowering and every rise by less than a factor 2 goes to the processor at
        // once; larger rises glide (see Step)
        if (m_freq / m_devFreq < 2)
            m_devFreq = m_freq;
        Mark();
    }
    Invalidate();
}

void CFilter::SetGainCode(int code)
{
    auto lock = Guard();
    code = std::clamp(code, 0, kMaxBandGainCode);
    m_gainDb = BandGainDb(code);
    if (code == kBypassGainCode) {
        m_gainDb = 0.0;
        m_bypass = 1;
    } else {
        m_bypass = 0;
        m_groupBypass = 0;
    }
    Mark();
    Invalidate();
}

void CFilter::SetBandwidthIndex(int index)
{
    auto lock = Guard();
    m_bandwidth = BandwidthOctaves(std::clamp(index, 0, kMaxBandwidthIndex));
    Mark();
    Invalidate();
}

void CFilter::SetKind(int kind)
{
    auto lock = Guard();
    m_kind = kind;
    if (kind == kLowPass)
        m_devFreq = 20000;
    Mark();
    Invalidate();
}

void CFilter::SetFamily(int family, bool mark)
{
    auto lock = Guard();
    m_family = family;
    if (mark)
        Mark();
    Invalidate();
}

void CFilter::SetSlope(int slope, bool mark)
{
    auto lock = Guard();
    m_slope = slope;
    if (mark)
        Mark();
    Invalidate();
}

void CFilter::SetBypass(int bypass)
{
    auto lock = Guard();
    const bool zeroGain = m_gainDb == 0.0;
    if (m_groupBypass) {
        m_groupBypass = 0;
        if (zeroGain) {
            Invalidate();
            return;
        }
    } else if (bypass == m_bypass || zeroGain) {
        return;
    }
    // a band at 0 dB stays bypassed: there is nothing to switch on
    m_bypass = bypass;
    if (bypass == 0)
        m_groupBypass = 0;
    Mark();
    Invalidate();
}

void CFilter::GroupBypass(bool on)
{
    auto lock = Guard();
    if (on) {
        m_savedGroupBypass = m_groupBypass;
        m_groupBypass = 1;
    } else {
        m_groupBypass = m_savedGroupBypass;
    }
    if (!m_bypass)
        Invalidate();
}

void CFilter::ResetBand(int hz)
{
    auto lock = Guard();
    m_freq = hz;
    m_devFreq = hz;
    m_bandwidth = 0.2;
    m_gainDb = 0.0;
    m_bypass = 1;
    Invalidate();
}

void CFilter::Step(int flag)
{
    auto lock = Guard();
    const int dev = m_devFreq;
    if (dev == m_freq) {
        m_dirty = flag;
        return;
    }
    m_dirty = 1;
    if (dev > 0 && m_freq / dev >= 2)
        m_devFreq = dev * 2;
    else if (dev <= 0 || double(m_freq) / dev > 0.5)
        m_devFreq = m_freq;
    else
        m_devFreq = dev / 2;
}

int CFilter::DeviceGainCode() const
{
    return EffectivelyBypassed() ? kBypassGainCode : BandGainCode(m_gainDb);
}

void CFilter::EncodeBand(EqBandWord& word) const
{
    word.SetFreq(std::uint16_t(m_devFreq.load()));
    word.SetGainWord(std::uint16_t(DeviceGainCode() + kGainWordOffset));
    word.SetBandwidthIndex(std::uint16_t(BandwidthIndex()));
    word.SetSlope(std::uint8_t(m_slope));
    word.SetKind(std::uint8_t(m_kind));
}

void CFilter::DecodeBand(const EqBandWord& word)
{
    // the same steps as the gain, bandwidth and kind setters (so a band loaded while synced
    // is marked for sending)
    auto lock = Guard();
    const int code = std::clamp(int(word.GainWord()) - kGainWordOffset, 0, kMaxBandGainCode);
    m_gainDb = code == kBypassGainCode ? 0.0 : BandGainDb(code);
    if (code == kBypassGainCode) {
        m_bypass = 1;
    } else {
        m_bypass = 0;
        m_groupBypass = 0;
    }
    m_bandwidth = BandwidthOctaves(std::min<int>(word.BandwidthIndex(), kMaxBandwidthIndex));
    m_slope = word.Slope();
    m_kind = word.Kind();
    m_freq = word.Freq();
    m_devFreq = word.Freq();
    Mark();
    Invalidate();
}

void CFilter::CopyFrom(const CFilter& other)
{
    auto lock = Guard();
    m_kind = other.m_kind;
    m_freq = other.m_freq;
    m_devFreq = other.m_devFreq.load();
    m_gainDb = other.m_gainDb;
    m_bypass = other.m_bypass;
    m_groupBypass = other.m_groupBypass;
    m_savedGroupBypass = other.m_savedGroupBypass;
    m_bandwidth = other.m_bandwidth;
    m_family = other.m_family;
    m_slope = other.m_slope;
    m_geqFlag = other.m_geqFlag;
    // A copy taken while the other filter glides towards its target is on its way too:
    // it stays marked until its device frequency has reached the target, as after Step.
    if (m_devFreq != m_freq)
        m_dirty = 1;
    Invalidate();
}

void CFilter::SetPlotSize(int width, int height)
{
    auto lock = Guard();
    m_width = width;
    m_height = height;
    Invalidate();
}

const Response& CFilter::ResponseDb() const
{
    Refresh();
    return m_computed->response;
}

const FilterCurve& CFilter::Curve() const
{
    Refresh();
    return m_computed->curve;
}

FilterShape CFilter::Shape() const
{
    FilterShape shape;
    shape.kind = m_kind;
    shape.freq = m_freq;
    shape.gainDb = m_gainDb;
    shape.bandwidth = m_bandwidth;
    shape.slope = m_slope;
    shape.family = m_family;
    shape.bypassed = m_isEqBand && EffectivelyBypassed();
    shape.twoSlopeCrossover = m_twoSlopeCrossover;
    return shape;
}

void CFilter::Refresh() const
{
    if (!m_stale.load(std::memory_order_acquire))
        return;
    // the values are written under the model's lock; reading them under it too gives one
    // consistent set, and two readers never compute into the same arrays at once
    auto lock = Guard();
    if (!m_stale.load(std::memory_order_relaxed))
        return;
    if (!m_computed)
        m_computed = std::make_unique<Computed>();
    ComputeResponse(Shape(), m_computed->response);
    if (m_width > 0 && m_height > 0)
        FilterCurvePoints(m_computed->response, m_width, m_height, m_computed->curve);
    m_stale.store(false, std::memory_order_release);
}

} // namespace ovix
