#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "services/widget_numbers.h"
#include "services/windows.h"
#include "tests/support/event_waits.h"

// What the user sees where the widget's windows overlap: the screen is read
// back (the test display has a compositing manager), because Wine's own
// Z order can be right while the display shows an owner above what it owns.

namespace {

const unsigned kWidgetFlags = WS_POPUP | CreateHidden;

// The widget's layout in small: the clock overlay covers the base plate and
// the lower part of both flip plates; the day icon sits on the left flip
// plate above the overlay's top edge.
const int kLeft = 300;
const int kTop = 200;

struct Plate {
  int window;
  int owner;  // 0: none
  int dx, dy, width, height;
  COLORREF colour;
};

const Plate kBase = {kMainWindow, 0, 0, 0, 300, 200, RGB(200, 0, 0)};
const Plate kLeftFlip = {kLeftFlipWindow, kMainWindow, 22, -25, 127, 110, RGB(0, 200, 0)};
const Plate kRightFlip = {kRightFlipWindow, kLeftFlipWindow, 151, -25, 127, 110, RGB(0, 0, 200)};
const Plate kOverlay = {kClockOverlay, kRightFlipWindow, 0, 0, 300, 200, RGB(200, 200, 0)};
const Plate kDayIcon = {kDayIconWindow, kLeftFlipWindow, 30, -20, 40, 15, RGB(0, 200, 200)};
const Plate kNightIcon = {kNightIconWindow, kLeftFlipWindow, 30, -20, 40, 15, RGB(200, 0, 200)};

// Inside overlay, left flip plate and base plate: an hour digit's place.
const POINT kHourDigit = {kLeft + 40, kTop + 30};
// Inside the day icon and the left flip plate only.
const POINT kIconSpot = {kLeft + 45, kTop - 15};

bool OpenPlate(const Plate& p) {
  const HWND owner = p.owner ? WindowHandle(p.owner) : nullptr;
  if (!OpenWindowSlot(p.window, kLeft + p.dx, kTop + p.dy, p.width, p.height, "", kWidgetFlags,
                      owner))
    return false;
  SetWindowBackground(p.window, static_cast<int>(p.colour));
  return true;
}

COLORREF ScreenColour(POINT at) {
  HDC screen = GetDC(nullptr);
  const COLORREF colour = GetPixel(screen, at.x, at.y);
  ReleaseDC(nullptr, screen);
  return colour;
}

// Paints and lets the compositing manager catch up; a wrong stacking stays,
// so the last colour seen is the answer.
COLORREF SettledColour(POINT at, COLORREF expected) {
  COLORREF seen = CLR_INVALID;
  for (int i = 0; i < 50; ++i) {
    DrainEvents();
    seen = ScreenColour(at);
    if (seen == expected) break;
    Sleep(20);
  }
  return seen;
}

std::string Hex(COLORREF colour) {
  char text[16];
  snprintf(text, sizeof text, "%06lx", static_cast<unsigned long>(colour));
  return text;
}

#define EXPECT_SEEN(at, plate) \
  EXPECT_EQ(Hex(SettledColour(at, (plate).colour)), Hex((plate).colour))

class WindowStacking : public ::testing::Test {
 protected:
  void SetUp() override { DrainEvents(); }
  void TearDown() override {
    CloseAllWindowSlots();
    DrainEvents();
  }

  // Opens and shows the chain 55 -> 57 -> 58 -> 59 as start-up and every
  // refresh do.
  void ShowClockChain() {
    for (const Plate* p : {&kBase, &kLeftFlip, &kRightFlip, &kOverlay}) ASSERT_TRUE(OpenPlate(*p));
    for (const Plate* p : {&kBase, &kLeftFlip, &kRightFlip, &kOverlay})
      SetWindowHidden(p->window, 0);
  }
};

// --- The widget's own sequences ---------------------------------------------

TEST_F(WindowStacking, ClockOverlayStaysAboveTheFlipPlateThroughARefreshOfTheIcons) {
  ShowClockChain();
  EXPECT_SEEN(kHourDigit, kOverlay);
  // Twice, as two refreshes: the second one re-opens (closes) the icons.
  for (int refresh = 0; refresh < 2; ++refresh) {
    ASSERT_TRUE(OpenPlate(kDayIcon));
    SetWindowHidden(kDayIconWindow, 1);
    ASSERT_TRUE(OpenPlate(kNightIcon));
    SetWindowHidden(kNightIconWindow, 1);
    SetWindowHidden(kDayIconWindow, 0);
    EXPECT_SEEN(kHourDigit, kOverlay) << "refresh " << refresh << ", icon shown";
    SetWindowHidden(kNightIconWindow, 1);
    EXPECT_SEEN(kHourDigit, kOverlay) << "refresh " << refresh << ", other icon hidden";
    EXPECT_SEEN(kIconSpot, kDayIcon) << "refresh " << refresh;
  }
  SetWindowHidden(kDayIconWindow, 1);
  SetWindowHidden(kNightIconWindow, 0);
  EXPECT_SEEN(kHourDigit, kOverlay);
  EXPECT_SEEN(kIconSpot, kNightIcon);
}

TEST_F(WindowStacking, ClosingAnOwnedWindowLeavesTheChainInOrder) {
  ShowClockChain();
  ASSERT_TRUE(OpenWindowSlot(kCityWindow, kLeft + 200, kTop + 150, 60, 40, "c", WS_POPUP,
                             WindowHandle(kMainWindow)));
  CloseWindowSlot(kCityWindow);  // activates the base plate
  EXPECT_SEEN(kHourDigit, kOverlay);
  ASSERT_TRUE(OpenPlate(kDayIcon));
  CloseWindowSlot(kDayIconWindow);  // hidden, but still activates the flip plate
  EXPECT_SEEN(kHourDigit, kOverlay);
}

TEST_F(WindowStacking, WinesOwnOrderAndTheScreenAgreeAfterAnIconIsHidden) {
  ShowClockChain();
  ASSERT_TRUE(OpenPlate(kDayIcon));
  SetWindowHidden(kDayIconWindow, 0);
  SetWindowHidden(kDayIconWindow, 1);
  std::vector<HWND> above;  // topmost first
  for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT))
    if (IsWindowVisible(w)) above.push_back(w);
  auto place = [&](int window) {
    for (size_t i = 0; i < above.size(); ++i)
      if (above[i] == WindowHandle(window)) return static_cast<int>(i);
    return -1;
  };
  for (const Plate* p : {&kLeftFlip, &kRightFlip, &kOverlay}) {
    ASSERT_GE(place(p->window), 0);
    EXPECT_LT(place(p->window), place(p->owner)) << "window " << p->window;
  }
  EXPECT_SEEN(kHourDigit, kOverlay);
}

}  // namespace
