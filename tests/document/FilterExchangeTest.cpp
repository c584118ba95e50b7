// A channel's filters as filter text and back: the round trip between channels, the text's
// own response against the console's curve, a REW file's fit, refusals, and the
// whole-channel write the import queues.
#include "document/FilterExchange.h"
#include "response/FilterText.h"

#include "RecordsQueueFixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <random>
#include <sstream>

using namespace ovix;

namespace {

class Exchange : public test::RecordsQueue {
protected:
    void SetUp() override
    {
        RecordsQueue::SetUp();
        edits = std::make_unique<CConsoleEdits>(*model, *records, *command, host, lock);
        eqEdits = std::make_unique<CEqEdits>(*model, *records, *command, host, lock);
        exchange = std::make_unique<CFilterExchange>(*model, *records, *edits, *eqEdits);
    }

    void Randomise(int ch, std::mt19937& rng)
    {
        CKTV_OutData& out = Out(ch);
        for (int b = 0; b < kOutputBands; ++b) {
            CFilter& f = out.Band(b);
            f.SetKind(int(rng() % 3));
            f.SetSlope(int(rng() % 2), false);
            f.SetFrequency(20 + int(rng() % 19981), false);
            f.SetBandwidthIndex(int(rng() % 296));
            f.SetGainCode(int(rng() % 401));
            if (rng() % 5 == 0)
                f.SetBypass(1);
        }
        for (CFilter* f : {&out.HighPass(), &out.LowPass()}) {
            f->SetFamily(int(rng() % 3), false);
            f->SetSlope(int(rng() % 8), false);
        }
        out.HighPass().SetFrequency(20 + int(rng() % 2000), false);
        out.LowPass().SetFrequency(2000 + int(rng() % 18001), false);
        out.SetGain(int(rng() % 61));
    }

    static double Worst(const Response& a, const Response& b)
    {
        double w = 0.0;
        for (int i = 0; i < kGridPoints; ++i)
            w = std::max(w, std::abs(a[std::size_t(i)] - b[std::size_t(i)]));
        return w;
    }
    static Response TextResponse(const std::string& text)
    {
        const FilterTextRead r = ReadFilterText(text);
        Response sum{}, part;
        for (const TextFilter& f : r.text.filters) {
            SectionResponse(TextFilterSection(f), part);
            AddResponse(sum, part);
        }
        return sum;
    }

    std::unique_ptr<CConsoleEdits> edits;
    std::unique_ptr<CEqEdits> eqEdits;
    std::unique_ptr<CFilterExchange> exchange;
};

} // namespace

TEST_F(Exchange, ExportThenImportIntoAnotherChannelGivesTheSameResponse)
{
    std::mt19937 rng(3);
    for (int k = 0; k < 20; ++k) {
        Randomise(0, rng);
        const std::string text = exchange->Export(0);
        const FilterImportResult r = exchange->Import(4, text);
        ASSERT_TRUE(r.ok) << ImportReport(r);
        EXPECT_TRUE(r.clamped.empty()) << ImportReport(r);
        EXPECT_LT(Worst(Out(4).Eq().Sum(), Out(0).Eq().Sum()), 0.01) << text;
        EXPECT_EQ(Out(4).Gain(), Out(0).Gain());
        EXPECT_EQ(Out(4).HighPass().Slope(), Out(0).HighPass().Slope());
        EXPECT_EQ(Out(4).LowPass().Family(), Out(0).LowPass().Family());
    }
}

TEST_F(Exchange, ExportedTextsOwnResponseIsTheConsolesCurve)
{
    std::mt19937 rng(5);
    for (int k = 0; k < 20; ++k) {
        Randomise(1, rng);
        const std::string text = exchange->Export(1);
        EXPECT_LT(Worst(TextResponse(text), Out(1).Eq().Sum()), 0.1) << text;
    }
}

TEST_F(Exchange, RewFileIsFittedAsCloselyAsTheGridAllows)
{
    std::ifstream in(std::string(OVIX_FIXTURES) + "/rew-midbass.txt", std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    const FilterImportResult r = exchange->Import(2, ss.str());
    ASSERT_TRUE(r.ok) << ImportReport(r);
    EXPECT_TRUE(r.clamped.empty());
    const Response want = TextResponse(ss.str());
    const Response got = Out(2).Eq().Sum();
    double worst = 0.0, sq = 0.0;
    for (int i = 0; i < kGridPoints; ++i) {
        const double d = std::abs(got[std::size_t(i)] - want[std::size_t(i)]);
        worst = std::max(worst, d);
        sq += d * d;
    }
    const double rms = std::sqrt(sq / kGridPoints);
    std::cout << "REW fixture: worst " << worst << " dB, rms " << rms << " dB\n";
    EXPECT_LT(worst, 1.0);
    EXPECT_LT(rms, 0.2);
    // bands in order of frequency; the OFF line is a bypassed band; the rest reset
    EXPECT_EQ(Out(2).Band(0).Freq(), 38);
    EXPECT_TRUE(Out(2).Band(13).EffectivelyBypassed());
    EXPECT_EQ(Out(2).Band(14).Freq(), IsoBandTable[14]);
    EXPECT_TRUE(Out(2).Band(14).EffectivelyBypassed());
}

TEST_F(Exchange, ThirtyTwoPeakingFiltersAreRefusedWhole)
{
    std::string text;
    for (int k = 1; k <= 32; ++k)
        text += "Filter " + std::to_string(k) + ": ON PK Fc " + std::to_string(50 * k) + " Hz Gain 3 dB Q 2\n";
    Out(3).Band(0).SetGainCode(250);
    const Response before = Out(3).Eq().Sum();
    const FilterImportResult r = exchange->Import(3, text);
    EXPECT_FALSE(r.ok);
    ASSERT_TRUE(r.error);
    EXPECT_EQ(EnglishText(*r.error), "The text has 32 equaliser filters; a channel has 31 bands. Nothing was imported.");
    EXPECT_EQ(Worst(Out(3).Eq().Sum(), before), 0.0);
}

TEST_F(Exchange, ABadLineChangesNothing)
{
    Out(3).Band(0).SetGainCode(250);
    const FilterImportResult r = exchange->Import(3, "Preamp: -3 dB\nFilter 1: ON PK Fc 100 Hz Gain 2 dB Q 1\nFilter 2: ON PK Fc 1,5 Hz Gain 2 dB Q 1\n");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.errorLine, 3);
    EXPECT_EQ(Out(3).Band(0).GainCode(), 250);
    EXPECT_EQ(Out(3).Gain(), 60);
}

TEST_F(Exchange, GraphicEqChannelIsRefusedUntilSwitched)
{
    eqEdits->ConvertEqMode(1, 1);
    ASSERT_TRUE(exchange->InGraphicEqMode(1));
    const FilterImportResult r = exchange->Import(1, "Filter 1: ON PK Fc 100 Hz Gain 2 dB Q 1\n");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error->id, kMsgFilterImportGeqMode);
    exchange->SwitchToParametric(1);
    EXPECT_TRUE(exchange->Import(1, "Filter 1: ON PK Fc 100 Hz Gain 2 dB Q 1\n").ok);
}

TEST_F(Exchange, PreampIsTheChannelGainNeverAboveZero)
{
    ASSERT_TRUE(exchange->Import(0, "Preamp: -6.6 dB\n").ok);
    EXPECT_EQ(Out(0).Gain(), 60 - 7);
    const FilterImportResult r = exchange->Import(0, "Preamp: 3 dB\n");
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(Out(0).Gain(), 60);
    ASSERT_EQ(r.clamped.size(), 1u);
    EXPECT_EQ(EnglishText(MessageOf(r.clamped[0])), "Line 1: preamp 3.0 dB limited to 0 dB");
}

// The import goes the way of "Reset All EQ": the linked partner follows, and a connected
// processor gets the same frames.
TEST_F(Exchange, LinkedPartnerFollowsAndTheFramesAreResetAllEqs)
{
    Connect();
    model->image.linkTable.group[3] = 2;
    edits->ResetAllEq(2);
    std::vector<std::pair<int, int>> reset;
    for (const auto& f : command->Queue().Snapshot())
        reset.push_back({f->Block(), f->Index()});
    command->Queue().Clear();

    ASSERT_TRUE(exchange->Import(2, "Filter 1: ON PK Fc 100 Hz Gain 2 dB Q 1\n").ok);
    std::vector<std::pair<int, int>> imported;
    for (const auto& f : command->Queue().Snapshot())
        imported.push_back({f->Block(), f->Index()});
    EXPECT_EQ(imported, reset);
    EXPECT_EQ(Out(3).Band(0).Freq(), 100);
    EXPECT_EQ(Out(3).Band(0).GainCode(), 220);
    for (int b = 0; b < Out(2).Eq().Count(); ++b)
        EXPECT_EQ(Out(2).Eq()[b].Dirty(), 0) << "the whole record carries band " << b;
}
