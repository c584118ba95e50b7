#pragma once
// One equaliser band or crossover filter of a channel, in engineering values, with its
// response and the frequency last handed to the processor.
//
// The response and the plotted curve are computed when first asked for after a change, not
// by every setter: loading a program or a reply rewrites hundreds of filters that nobody
// draws, and a filter edited several times between two paints is computed once.
//
// Frequency changes reach the processor in octave steps: the target m_freq may be far from
// m_devFreq, the frequency the processor has; each send doubles m_devFreq until the rest of
// the way is less than a factor 2 (a lowering is sent at once).

#include "model/DeviceImage.h"
#include "tables/Scales.h"
#include "response/FilterResponse.h"
#include "response/PixelMap.h"

#include <array>
#include <atomic>
#include <memory>

namespace ovix {

class CFilter {
public:
    CFilter() = default;
    CFilter(const CFilter&) = delete;
    CFilter& operator=(const CFilter&) = delete;

    // The model whose synced flag decides marking and whose lock guards the values the link
    // worker reads; set once by the record that owns the filter.
    void Attach(ParameterModel* model) { m_model = model; }

    // Construction-time settings (no marking).
    void Init(int kind, int freq, int index, bool isEqBand, bool twoSlopeCrossover = false);

    // Operations. All but the raw accessors leave the response to be recomputed.
    void SetFrequency(int hz, bool fromEditor);
    void SetGainCode(int code);
    void SetGainDb(double db) { SetGainCode(BandGainCode(db)); }
    void SetBandwidthIndex(int index);
    void SetKind(int kind);
    void SetFamily(int family, bool mark);
    void SetSlope(int slope, bool mark);
    void SetBypass(int bypass);
    void GroupBypass(bool on);
    // Back to a flat band at hz; marks nothing.
    void ResetBand(int hz);
    // Advances the processor's frequency one step towards the target; the mark stays set
    // while the filter is on its way.
    void Step(int flag);

    // Values.
    int Kind() const { return m_kind; }
    int Freq() const { return m_freq; }
    int DevFreq() const { return m_devFreq; }
    double GainDb() const { return m_gainDb; }
    int GainCode() const { return BandGainCode(m_gainDb); }
    int Bypass() const { return m_bypass; }
    int GroupBypassed() const { return m_groupBypass; }
    bool EffectivelyBypassed() const { return m_groupBypass ? true : m_bypass != 0; }
    double Bandwidth() const { return m_bandwidth; }
    int Family() const { return m_family; }
    int Slope() const { return m_slope; }
    int Index() const { return m_index; }
    bool IsEqBand() const { return m_isEqBand; }
    int GeqFlag() const { return m_geqFlag; }
    void SetGeqFlag(int flag) { m_geqFlag = flag; }

    // The code the processor gets: 200 (0 dB) for a bypassed band.
    int DeviceGainCode() const;
    int BandwidthIndex() const { return BandwidthIndexFromOctaves(m_bandwidth); }

    int Dirty() const { return m_dirty; }
    void SetDirty(int d) { m_dirty = d; }
    // Clears the mark; true when it was set.
    bool TakeDirty() { return m_dirty.exchange(0) != 0; }

    // Band word as the processor stores it (device frequency, gain word, bandwidth index,
    // slope, kind).
    void EncodeBand(EqBandWord& word) const;
    // Reads a band word: gain, bandwidth, slope and kind through the setters, then the
    // frequency as target and device frequency.
    void DecodeBand(const EqBandWord& word);
    // Copies every value of another filter; marks nothing, except that a copy whose device
    // frequency is still on its way to the target stays marked until it gets there.
    void CopyFrom(const CFilter& other);

    // The response for the current values, computed here when a value changed since the
    // last call; the reference stays valid for the filter's lifetime.
    // What the response math needs of this filter (a bypassed band has a flat shape).
    FilterShape Shape() const;
    const Response& ResponseDb() const;
    // The filter's own curve: 243 points, 0 and 242 the baseline anchors; all zero until a
    // plot size is set.
    const FilterCurve& Curve() const;
    void SetPlotSize(int width, int height);

private:
    // The response and the curve no longer match the values.
    void Invalidate() { m_stale.store(true, std::memory_order_release); }
    void Refresh() const;

    void Mark() { m_dirty = Synced(); }
    std::unique_lock<std::recursive_mutex> Guard() const
    {
        return m_model ? std::unique_lock(m_model->lock) : std::unique_lock<std::recursive_mutex>();
    }
    int Synced() const { return m_model ? m_model->flags.synced.load() : 0; }

    ParameterModel* m_model = nullptr;
    int m_kind = kPeaking;
    int m_freq = 1000;
    std::atomic<int> m_devFreq{20};
    double m_gainDb = 0.0;
    int m_bypass = 1;
    int m_groupBypass = 0;
    int m_savedGroupBypass = 0;
    double m_bandwidth = 0.2;
    int m_family = 2;
    int m_slope = 2;
    int m_index = 0;
    bool m_isEqBand = true;
    bool m_twoSlopeCrossover = false;
    std::atomic<int> m_dirty{0};
    int m_geqFlag = 0;
    // Computed on demand (Refresh, under the model's lock); allocated on the first demand,
    // since most filters of a record tree are never drawn.
    struct Computed {
        Response response{};
        FilterCurve curve{};
    };
    mutable std::unique_ptr<Computed> m_computed;
    mutable std::atomic<bool> m_stale{true};
    int m_width = 0;
    int m_height = 0;
};

} // namespace ovix
