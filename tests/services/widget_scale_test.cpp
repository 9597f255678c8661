#include "services/widget_scale.h"

#include <gtest/gtest.h>

namespace {

// Every figure rounds to nearest with halves away from zero, as MulDiv does,
// whatever its sign: the clouds start left of the main window.
TEST(ScaledPixels, RoundsLikeMulDivAtEveryScale) {
  struct Case {
    int pixels, dpi, scaled;
  } cases[] = {
      {306, 96, 306}, {-190, 96, -190}, {306, 144, 459}, {194, 192, 388},
      {1, 144, 2},    {-1, 144, -2},    {3, 144, 5},     {-25, 144, -38},
      {5, 120, 6},    {2, 120, 3},      {-2, 120, -3},   {83, 168, 145},
      {83, 240, 208}, {48, 288, 144},   {150, 110, 172}, {0, 288, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ScaledPixels(c.pixels, c.dpi), c.scaled) << c.pixels << " at " << c.dpi;
}

TEST(ScaledPixels, TheWidgetScaleDefaultsTo96AndRefusesNonsense) {
  EXPECT_EQ(Scaled(-190), -190);
  SetWidgetDpi(144);
  EXPECT_EQ(Scaled(151), 227);
  SetWidgetDpi(0);
  EXPECT_EQ(WidgetDpi(), kBaseDpi);
}

}  // namespace
