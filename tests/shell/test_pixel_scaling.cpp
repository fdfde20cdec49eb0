// Whole scale factors: the factor a user asks for is rounded up, and comes
// down where the table would not fit the screen at it.
#include <gtest/gtest.h>

#include "shell/pixel_scaling.h"

namespace {

TEST(PixelScaling, FactorsAreRoundedUpToWholeNumbersOfAtLeastOne) {
  EXPECT_EQ(lynx::WholeScaleFactor("1.25"), "2");
  EXPECT_EQ(lynx::WholeScaleFactor("1.5"), "2");
  EXPECT_EQ(lynx::WholeScaleFactor("2"), "2");
  EXPECT_EQ(lynx::WholeScaleFactor("2.0000001"), "2");
  EXPECT_EQ(lynx::WholeScaleFactor("2.01"), "3");
  EXPECT_EQ(lynx::WholeScaleFactor(" 1 "), "1");
  EXPECT_EQ(lynx::WholeScaleFactor("0.5"), "1");
  EXPECT_EQ(lynx::WholeScaleFactor("big"), "big");
  EXPECT_EQ(lynx::WholeScaleFactor("-2"), "-2");
  EXPECT_EQ(lynx::WholeScreenScaleFactors("HDMI-1=1.5;DP-2=2.25;eDP=x"), "HDMI-1=2;DP-2=3;eDP=x");
  EXPECT_EQ(lynx::WholeScreenScaleFactors("1.25;1"), "2;1");
}

TEST(PixelScaling, TheFactorComesDownUntilTheWindowFits) {
  const QSize table(550, 420);
  // 1920x1080 less a panel: twice fits, three times does not.
  EXPECT_EQ(lynx::FittingFactor(2, {1920, 1050}, table), 2);
  EXPECT_EQ(lynx::FittingFactor(3, {1920, 1050}, table), 2);
  // A 1366x768 laptop: the table fits only unscaled.
  EXPECT_EQ(lynx::FittingFactor(2, {1366, 740}, table), 1);
  // Exactly the size fits; one pixel short in either direction does not.
  EXPECT_EQ(lynx::FittingFactor(2, {1100, 840}, table), 2);
  EXPECT_EQ(lynx::FittingFactor(2, {1099, 840}, table), 1);
  EXPECT_EQ(lynx::FittingFactor(2, {1100, 839}, table), 1);
  // Never below 1, even where nothing fits.
  EXPECT_EQ(lynx::FittingFactor(4, {320, 240}, table), 1);
  EXPECT_EQ(lynx::FittingFactor(0, {1920, 1080}, table), 1);
}

}  // namespace
