#include "app/widget_placement.h"

#include <gtest/gtest.h>

namespace {

const PlateSize kPlate = {300, 180};
const ScreenPoint kHome = {533, 40};
// A primary 1366 x 768 monitor with a taskbar below, and a second one to its
// left whose top lies lower.
const std::vector<ScreenRect> kTwoMonitors = {{0, 0, 1366, 728}, {-1280, 100, 0, 1124}};

ScreenPoint Open(const std::string& x, const std::string& y,
                 const std::vector<ScreenRect>& areas = kTwoMonitors) {
  return ChooseOpeningPlace(x, y, kPlate, areas, kHome);
}

void ExpectAt(ScreenPoint got, int x, int y) {
  EXPECT_EQ(got.x, x);
  EXPECT_EQ(got.y, y);
}

TEST(OpeningPlace, TakesASavedPlaceThatLiesWhollyOnOneMonitor) {
  ExpectAt(Open("100", "200"), 100, 200);
  ExpectAt(Open("1066", "548"), 1066, 548);  // touching the work area's far corner
  ExpectAt(Open("-1280", "944"), -1280, 944);
}

TEST(OpeningPlace, FallsBackWhenAnyPartWouldLieOffTheWorkAreas) {
  ExpectAt(Open("1067", "200"), 533, 40);  // one pixel past the right edge
  ExpectAt(Open("100", "549"), 533, 40);   // into the taskbar
  ExpectAt(Open("-150", "200"), 533, 40);  // across two monitors is on neither
  ExpectAt(Open("-1280", "50"), 533, 40);  // above the left monitor's top
  ExpectAt(Open("100", "200", {}), 533, 40);
  // The monitor it was saved on is gone.
  ExpectAt(Open("-1280", "944", {{0, 0, 1366, 728}}), 533, 40);
}

TEST(OpeningPlace, FallsBackUnlessBothKeysAreWholeNumbers) {
  for (const char* bad : {"", "1.5", "12px", "+12", "-", "0x10", "99999999999999999999", "1 2"}) {
    SCOPED_TRACE(bad);
    ExpectAt(Open(bad, "200"), 533, 40);
    ExpectAt(Open("100", bad), 533, 40);
  }
}

}  // namespace
