#include "app/widget_layout.h"

#include <gtest/gtest.h>

#include <vector>

#include "services/widget_numbers.h"

namespace {

struct Placed {
  int window, x, y;
};
std::vector<Placed> placed;
int left = 0, top = 0, reads = 0;

// Every read moves the main window on by one pixel, as a drag in progress
// would between two placements.
int MovingLeft() {
  return left + reads++;
}
int FixedTop() {
  return top;
}
void Record(int window, int x, int y) {
  placed.push_back({window, x, y});
}

TEST(MainWindowOpening, CentresThePlateOnTheScreen) {
  EXPECT_EQ(MainWindowOpeningLeft(1366), 533);
  EXPECT_EQ(MainWindowOpeningLeft(1365), 532);
  EXPECT_EQ(MainWindowOpeningLeft(1920), 810);
  EXPECT_EQ(kMainWindowTop, 40);
}

TEST(FollowPlacement, MovesAllFourteenInOrderReadingTheEdgeAfresh) {
  placed.clear();
  left = 1000;
  top = 300;
  reads = 0;
  PlaceFollowers({MovingLeft, FixedTop, Record});
  const Placed expected[] = {
      {kForecastWindow, 3, 200},   {kLeftFlipWindow, 22, -25},      {kRightFlipWindow, 151, -25},
      {kClockOverlay, 0, 0},       {kDayIconWindow, 95, 110},       {kForecastOverlay, 3, 200},
      {kTodayIconWindow, 42, 180}, {kTomorrowIconWindow, 200, 180}, {kCloud5Window, -190, 100},
      {kCloud1Window, -190, 200},  {kCloud7Window, -80, 220},       {kCloud6Window, 150, 190},
      {kCloud4Window, 140, 140},   {kNightIconWindow, 95, 110},
  };
  ASSERT_EQ(placed.size(), 14u);
  for (int i = 0; i < 14; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(placed[i].window, expected[i].window);
    EXPECT_EQ(placed[i].x, 1000 + i + expected[i].x);
    EXPECT_EQ(placed[i].y, 300 + expected[i].y);
  }
}

TEST(Rows, CloudSixtyFiveDropsFromItsOpeningRowToItsFollowRow) {
  EXPECT_EQ(CloudOpeningRow(kCloud1Window), 100);
  EXPECT_EQ(FollowerRow(kCloud1Window), 200);
  for (int cloud : {kCloud5Window, kCloud7Window, kCloud6Window, kCloud4Window})
    EXPECT_EQ(CloudOpeningRow(cloud), FollowerRow(cloud)) << cloud;
  EXPECT_EQ(FollowerRow(kMainWindow), 0);
  EXPECT_EQ(CloudOpeningRow(kForecastWindow), 0);
}

}  // namespace
