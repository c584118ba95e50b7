#pragma once
// The filters of one channel (an output: bands 0..30, then the high-pass and the low-pass
// filter) and their summed response as the graph draws it.

#include "model/Filter.h"

#include <memory>
#include <vector>

namespace ovix {

// Stores a record value and marks its group for sending, the value first, so the link
// worker never sends a marked group without it.
inline void StoreAndMark(ParameterModel& model, std::atomic<int>& mark, int& member, int value)
{
    ModelLock lock(model.lock);
    member = value;
    mark = model.flags.synced.load();
}

class CKTVEQ {
public:
    CKTVEQ() = default;
    CKTVEQ(const CKTVEQ&) = delete;
    CKTVEQ& operator=(const CKTVEQ&) = delete;

    CFilter& Add();
    int Count() const { return int(m_filters.size()); }
    CFilter& operator[](int i) { return *m_filters[std::size_t(i)]; }
    const CFilter& operator[](int i) const { return *m_filters[std::size_t(i)]; }
    // The two crossover filters are always the last two.
    CFilter& HighPass() { return *m_filters[m_filters.size() - 2]; }
    CFilter& LowPass() { return *m_filters.back(); }
    const CFilter& HighPass() const { return *m_filters[m_filters.size() - 2]; }
    const CFilter& LowPass() const { return *m_filters.back(); }

    void Attach(ParameterModel* model);

    // The crossover word from the last two filters (device frequencies, families, slopes),
    // and the two filters from a crossover word (target and device frequency; no marks).
    void EncodeCrossover(CrossoverWord& x) const;
    void DecodeCrossover(const CrossoverWord& x);

    // Point-by-point sum of every filter's response, in dB.
    Response Sum() const;
    // Stores the plot size in every filter and lays out the curves.
    void Layout(int width, int height);
    // Recomputes the summed curve from the filters' responses.
    void RefreshCurve();

    const ChannelCurve& Curve() const { return m_curve; }
    const ChannelCurveF& CurveF() const { return m_curveF; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }

private:
    std::vector<std::unique_ptr<CFilter>> m_filters;
    ChannelCurve m_curve{};
    ChannelCurveF m_curveF{};
    int m_width = 0;
    int m_height = 0;
};

} // namespace ovix
