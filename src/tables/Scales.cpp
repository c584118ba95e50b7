#include "tables/Scales.h"

#include <algorithm>
#include <cmath>

namespace ovix {

const std::array<double, kGridPoints> FreqGrid = {
    19.7, 20.3, 20.9, 21.5, 22.1, 22.7, 23.4, 24.1, 24.8, 25.5,
    26.3, 27, 27.8, 28.7, 29.5, 30.4, 31.3, 32.2, 33.1, 34.1,
    35.1, 36.1, 37.2, 38.3, 39.4, 40.5, 41.7, 42.9, 44.2, 45.5,
    46.8, 48.2, 49.6, 51.1, 52.6, 54.1, 55.7, 57.3, 59, 60.7,
    62.5, 64.3, 66.2, 68.2, 70.2, 72.2, 74.3, 76.5, 78.7, 81.1,
    83.4, 85.9, 88.4, 91, 93.6, 96.4, 99.2, 102, 105, 108,
    111, 115, 118, 121, 125, 129, 132, 136, 140, 144,
    149, 153, 158, 162, 167, 172, 179, 182, 187, 193,
    198, 204, 210, 216, 223, 229, 236, 243, 250, 257,
    265, 273, 281, 289, 297, 306, 315, 324, 334, 344,
    354, 364, 375, 386, 397, 409, 420, 433, 445, 459,
    472, 486, 500, 515, 530, 545, 561, 578, 595, 612,
    630, 648, 667, 687, 707, 728, 749, 771, 794, 817,
    841, 866, 891, 917, 944, 972, 1000, 1030, 1060, 1090,
    1123, 1155, 1190, 1224, 1260, 1297, 1335, 1374, 1414, 1456,
    1498, 1542, 1587, 1634, 1682, 1731, 1782, 1834, 1888, 1943,
    2000, 2059, 2119, 2181, 2245, 2311, 2378, 2448, 2520, 2594,
    2670, 2748, 2828, 2911, 2997, 3084, 3175, 3268, 3364, 3462,
    3564, 3668, 3776, 3886, 4000, 4117, 4238, 4362, 4490, 4621,
    4757, 4896, 5000, 5187, 5339, 5496, 5657, 5823, 5993, 6169,
    6350, 6536, 6727, 6924, 7127, 7336, 7551, 7772, 8000, 8234,
    8476, 8724, 8980, 9243, 9514, 9792, 10079, 10374, 10679, 10992,
    11314, 11645, 11987, 12338, 12699, 13071, 13454, 13849, 14254, 14672,
    15102, 15545, 16000, 16469, 16951, 17448, 17959, 18486, 19027, 19585,
    20000,
};

const std::array<int, 31> IsoBandTable = {
    20, 25, 32, 40, 50, 63, 80, 100, 125, 160, 200, 250, 315, 400, 500, 630,
    800, 1000, 1250, 1600, 2000, 2500, 3150, 4000, 5000, 6300, 8000, 10000, 12500, 16000, 20000,
};

const std::array<double, kBandwidthIndices>& BandwidthQTable()
{
    static const std::array<double, kBandwidthIndices> table = [] {
        std::array<double, kBandwidthIndices> t{};
        for (int i = 0; i < kBandwidthIndices; ++i) {
            const double n = BandwidthOctaves(i);
            const double q = std::pow(2.0, n / 2) / (std::pow(2.0, n) - 1);
            t[i] = std::round(q * 1000) / 1000;
        }
        return t;
    }();
    return table;
}

int NearestGridIndex(double hz)
{
    for (int i = 0; i < kGridPoints; ++i) {
        if (FreqGrid[i] < hz)
            continue;
        if (i == 0)
            return 0;
        // Grid values have at most one decimal; rounding the distances to a millionth of a
        // hertz keeps an exact tie (20 Hz between 19.7 and 20.3) a tie, which goes up.
        const double d1 = std::round((hz - FreqGrid[i - 1]) * 1e6);
        const double d2 = std::round((FreqGrid[i] - hz) * 1e6);
        return d1 < d2 ? i - 1 : i;
    }
    return kGridPoints - 1;
}

int BandwidthIndexFromQ(double q)
{
    const auto& table = BandwidthQTable();
    q = std::clamp(q, table[kMaxBandwidthIndex], table[0]);
    for (int i = 0; i < kBandwidthIndices; ++i)
        if (table[i] <= q)
            return i;
    return kMaxBandwidthIndex;
}

double BandGainDb(int code) { return code * 0.1 - 20.0; }

int BandGainCode(double db)
{
    const double code = std::trunc((db + 20.0) * 10.0 + 0.5);
    return static_cast<int>(std::clamp(code, 0.0, double(kMaxBandGainCode)));
}

double BandwidthOctaves(int index) { return 0.05 + 0.01 * index; }

int BandwidthIndexFromOctaves(double octaves)
{
    const double index = std::trunc((octaves - 0.05) / 0.01 + 0.05);
    return static_cast<int>(std::clamp(index, 0.0, double(kMaxBandwidthIndex)));
}

int OutputGainDb(int code) { return code - 60; }

double DelayMs(int code) { return code / 48.0; }

int CrossoverSlopeDbPerOct(int index)
{
    if (index < 0 || index >= kCrossoverSlopeOff)
        return 0;
    return 12 + 6 * index;
}

double LimiterThresholdDbu(int code) { return code * 0.1 - 30.0; }

double LimiterAttackMs(int code)
{
    if (code <= 6)
        return (code + 3) * 0.1;
    return code - 6;
}

int LimiterReleaseFactor(int code)
{
    static constexpr int kFactors[6] = {2, 4, 6, 8, 16, 32};
    return kFactors[std::clamp(code, 0, 5)];
}

double LimiterReleaseMs(int releaseCode, int attackCode)
{
    return LimiterReleaseFactor(releaseCode) * LimiterAttackMs(attackCode);
}

std::string_view ShelfSlopeText(int slope)
{
    switch (slope) {
    case 0: return "6dB/Oct";
    case 1: return "12dB/Oct";
    default: return {};
    }
}

} // namespace ovix
