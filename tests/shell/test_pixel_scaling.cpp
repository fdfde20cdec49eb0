// Whole scale factors: the factors a user sets by hand are rounded the way
// Qt rounds the screen's own.
#include <gtest/gtest.h>

#include "shell/pixel_scaling.h"

namespace {

TEST(PixelScaling, FactorsAreRoundedHalfUpToWholeNumbersOfAtLeastOne) {
  EXPECT_EQ(lynx::WholeScaleFactor("1.5"), "2");
  EXPECT_EQ(lynx::WholeScaleFactor("1.49"), "1");
  EXPECT_EQ(lynx::WholeScaleFactor("2.5"), "3");
  EXPECT_EQ(lynx::WholeScaleFactor("3"), "3");
  EXPECT_EQ(lynx::WholeScaleFactor("0.5"), "1");
  EXPECT_EQ(lynx::WholeScaleFactor("big"), "big");
  EXPECT_EQ(lynx::WholeScreenScaleFactors("HDMI-1=1.5;DP-2=2.25;eDP=x"), "HDMI-1=2;DP-2=2;eDP=x");
  EXPECT_EQ(lynx::WholeScreenScaleFactors("1.75;1"), "2;1");
}

}  // namespace
