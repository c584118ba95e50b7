#include "model/KTVEQ.h"

namespace ovix {

CFilter& CKTVEQ::Add()
{
    m_filters.push_back(std::make_unique<CFilter>());
    return *m_filters.back();
}

void CKTVEQ::Attach(ParameterModel* model)
{
    for (auto& f : m_filters)
        f->Attach(model);
}

void CKTVEQ::EncodeCrossover(CrossoverWord& x) const
{
    const CFilter& hp = HighPass();
    const CFilter& lp = LowPass();
    x.SetHighPassFreq(std::uint16_t(hp.DevFreq()));
    x.SetHighPassFamily(std::uint8_t(hp.Family()));
    x.SetHighPassSlope(std::uint8_t(hp.Slope()));
    x.SetLowPassFreq(std::uint16_t(lp.DevFreq()));
    x.SetLowPassFamily(std::uint8_t(lp.Family()));
    x.SetLowPassSlope(std::uint8_t(lp.Slope()));
}

void CKTVEQ::DecodeCrossover(const CrossoverWord& x)
{
    CFilter& hp = HighPass();
    CFilter& lp = LowPass();
    hp.SetFrequency(x.HighPassFreq(), false);
    hp.SetFamily(x.HighPassFamily(), false);
    hp.SetSlope(x.HighPassSlope(), false);
    lp.SetFrequency(x.LowPassFreq(), false);
    lp.SetFamily(x.LowPassFamily(), false);
    lp.SetSlope(x.LowPassSlope(), false);
}

Response CKTVEQ::Sum() const
{
    Response sum{};
    for (const auto& f : m_filters) {
        const Response& r = f->ResponseDb();
        for (int i = 0; i < kGridPoints; ++i)
            sum[i] += r[i];
    }
    return sum;
}

void CKTVEQ::Layout(int width, int height)
{
    m_width = width;
    m_height = height;
    for (auto& f : m_filters)
        f->SetPlotSize(width, height);
    RefreshCurve();
}

void CKTVEQ::RefreshCurve()
{
    if (m_width <= 0 || m_height <= 0)
        return;
    ChannelCurvePoints(Sum(), m_width, m_height, m_curve, m_curveF);
}

} // namespace ovix
