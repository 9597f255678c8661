#include <windows.h>

#include <gtest/gtest.h>

#include "services/widget_numbers.h"
#include "services/controls.h"
#include "services/tray.h"
#include "services/windows.h"
#include "tests/support/event_waits.h"
#include "tests/support/resource_counters.h"
#include "tests/support/service_cycles.h"

namespace {

class ServiceLeaks : public ::testing::Test {
 protected:
  void SetUp() override {
    // Keeps the thread's first-window helpers alive across the rounds.
    ASSERT_TRUE(OpenWindowSlot(kMainWindow, 0, 0, 50, 50, "", WS_POPUP | CreateHidden, nullptr));
  }
  void TearDown() override {
    RemoveAllTrayIcons();
    ReleaseControlServices();
    CloseAllWindowSlots();
    DrainEvents();
  }
};

HBITMAP SmallBitmap() {
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 12, 12);
  ReleaseDC(nullptr, screen);
  return bitmap;
}

TEST_F(ServiceLeaks, WindowsWithControlsGiveBackEverythingTheyTake) {
  HBITMAP image = SmallBitmap();
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(WindowWithControlsRound(image));
  DrainEvents();
  ResourceCounts before = TakeResourceCounts();
  for (int i = 0; i < 40; ++i) ASSERT_TRUE(WindowWithControlsRound(image));
  DrainEvents();
  ResourceCounts after = TakeResourceCounts();
  EXPECT_EQ(after.gdiObjects, before.gdiObjects);
  EXPECT_EQ(after.kernelHandles, before.kernelHandles);
  EXPECT_EQ(after.threadWindows, before.threadWindows);
  DeleteObject(image);
}

TEST_F(ServiceLeaks, TrayIconsFromBitmapsAndIconsGiveBackEverythingTheyTake) {
  HWND window = WindowHandle(kMainWindow);
  HBITMAP bitmap = SmallBitmap();
  HICON icon = LoadIconA(nullptr, IDI_APPLICATION);
  ASSERT_TRUE(TrayIconRound(window, bitmap, kTrayIcon));
  ASSERT_TRUE(TrayIconRound(window, icon, kTrayIcon));
  ResourceCounts before = TakeResourceCounts();
  for (int i = 0; i < 50; ++i) {
    ASSERT_TRUE(TrayIconRound(window, bitmap, kTrayIcon));
    ASSERT_TRUE(TrayIconRound(window, icon, kTrayIcon));
  }
  ResourceCounts after = TakeResourceCounts();
  EXPECT_EQ(after.gdiObjects, before.gdiObjects);
  EXPECT_EQ(after.kernelHandles, before.kernelHandles);
  DeleteObject(bitmap);
}

TEST_F(ServiceLeaks, ReplacingATrayIconReleasesTheIconMadeBefore) {
  HWND window = WindowHandle(kMainWindow);
  HBITMAP bitmap = SmallBitmap();
  ASSERT_TRUE(TrayIconRound(window, bitmap, kTrayIcon));
  ASSERT_TRUE(AddTrayIcon(kTrayIcon, window, bitmap));
  long before = CountGdiObjects();
  for (int i = 0; i < 20; ++i) ASSERT_TRUE(AddTrayIcon(kTrayIcon, window, bitmap));
  EXPECT_EQ(CountGdiObjects(), before);
  RemoveAllTrayIcons();
  DeleteObject(bitmap);
}

TEST_F(ServiceLeaks, WaitingWithNothingHappeningUsesNoProcessorTime) {
  DrainEvents();
  const IdleWait wait = WaitEventWhileIdle(1000);
  EXPECT_GE(wait.elapsedMilliseconds, 900u);
  EXPECT_LT(wait.cpuMilliseconds, 50.0);
  EXPECT_LT(wait.otherEvents, 10);
}

}  // namespace
