#include "app/widget_layout.h"

#include "services/widget_numbers.h"
#include "services/widget_scale.h"

namespace {
const int kHalfPlateWidth = 150;
}

int MainWindowOpeningLeft(int screenWidth) {
  return screenWidth / 2 - Scaled(kHalfPlateWidth);
}

const WindowOffset kFollowerOffsets[kFollowerCount] = {
    {kForecastWindow, 3, 200},   {kLeftFlipWindow, 22, -25},      {kRightFlipWindow, 151, -25},
    {kClockOverlay, 0, 0},       {kDayIconWindow, 95, 110},       {kForecastOverlay, 3, 200},
    {kTodayIconWindow, 42, 180}, {kTomorrowIconWindow, 200, 180}, {kCloud5Window, -190, 100},
    {kCloud1Window, -190, 200},  {kCloud7Window, -80, 220},       {kCloud6Window, 150, 190},
    {kCloud4Window, 140, 140},   {kNightIconWindow, 95, 110},
};

void PlaceFollowers(const FollowOps& ops) {
  for (const WindowOffset& f : kFollowerOffsets) {
    int x = ops.mainLeft() + Scaled(f.dx);
    int y = ops.mainTop() + Scaled(f.dy);
    ops.place(f.window, x, y);
  }
}

const CloudOpening kCloudOpenings[kCloudCount] = {
    {kCloud4Window, kCloud4Image, 140, 140},  {kCloud5Window, kCloud5Image, -190, 100},
    {kCloud7Window, kCloud7Image, -80, 220},  {kCloud6Window, kCloud6Image, 150, 190},
    {kCloud1Window, kCloud1Image, -190, 100},
};

int FollowerRow(int window) {
  for (const WindowOffset& f : kFollowerOffsets)
    if (f.window == window) return f.dy;
  return 0;
}

int CloudOpeningRow(int window) {
  for (const CloudOpening& c : kCloudOpenings)
    if (c.window == window) return c.dy;
  return 0;
}
