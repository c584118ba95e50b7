// The factor the console opens at, as a pure choice from the screen's own factor and its
// available area in device pixels.

#include "app/QamrelApp.h"

#include <gtest/gtest.h>

namespace ovix {
namespace {

struct ScaleCase {
    const char* name;
    double screenFactor;
    QSize available;  // device pixels
    double expected;
};

class ScreenScale : public ::testing::TestWithParam<ScaleCase> {};

TEST_P(ScreenScale, TheScreensFactorLoweredToFitNeverBelowOne)
{
    const ScaleCase& c = GetParam();
    const double f = CQamrelApp::ChooseScaleFactor(c.screenFactor, c.available);
    EXPECT_NEAR(f, c.expected, 1e-9);
    EXPECT_GE(f, 1.0) << "never below 1";
    if (f > 1.0 && !c.available.isEmpty()) {
        EXPECT_LE(1282 * f, c.available.width() + 1e-9) << "the window fits across";
        EXPECT_LE(722 * f, c.available.height() + 1e-9) << "and down";
    }
}

INSTANTIATE_TEST_SUITE_P(Screens, ScreenScale, ::testing::Values(
    ScaleCase{"Plain1080p", 1.0, {1920, 1040}, 1.0},
    ScaleCase{"Qhd150Fits", 1.5, {2560, 1400}, 1.5},
    ScaleCase{"Uhd200Fits", 2.0, {3840, 2110}, 2.0},
    ScaleCase{"Uhd150Fits", 1.5, {3840, 2110}, 1.5},
    ScaleCase{"FullHd150TooTallTakesTheHeight", 1.5, {1920, 1080}, 1080.0 / 722},
    ScaleCase{"FullHd150WithTaskBar", 1.5, {1920, 1032}, 1032.0 / 722},
    ScaleCase{"NarrowPanel125TakesTheWidth", 1.25, {1440, 1200}, 1440.0 / 1282},
    ScaleCase{"SmallLaptop200", 2.0, {1366, 728}, 728.0 / 722},
    ScaleCase{"TooSmallEvenAtOneStaysOne", 1.5, {1280, 720}, 1.0},
    ScaleCase{"ScreenBelowOneIsOne", 0.75, {1920, 1080}, 1.0},
    ScaleCase{"UnknownAreaKeepsTheScreensFactor", 1.5, {0, 0}, 1.5}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace ovix
