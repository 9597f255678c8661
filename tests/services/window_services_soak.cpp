#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "services/widget_numbers.h"
#include "services/controls.h"
#include "services/tray.h"
#include "services/windows.h"
#include "tests/support/event_waits.h"
#include "tests/support/resource_counters.h"
#include "tests/support/service_cycles.h"

namespace {

void Print(const char* what, const ResourceCounts& before, const ResourceCounts& after) {
  std::printf(
      "%s: GDI %ld -> %ld, handles %ld -> %ld, windows %ld -> %ld, private bytes %lld -> %lld\n",
      what, before.gdiObjects, after.gdiObjects, before.kernelHandles, after.kernelHandles,
      before.threadWindows, after.threadWindows, before.privateBytes, after.privateBytes);
}

class WindowServicesSoak : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(OpenWindowSlot(kMainWindow, 0, 0, 50, 50, "", WS_POPUP | CreateHidden, nullptr));
  }
  void TearDown() override {
    RemoveAllTrayIcons();
    ReleaseControlServices();
    CloseAllWindowSlots();
    DrainEvents();
  }
};

TEST_F(WindowServicesSoak, ThousandWindowsWithControls) {
  HDC screen = GetDC(nullptr);
  HBITMAP image = CreateCompatibleBitmap(screen, 12, 12);
  ReleaseDC(nullptr, screen);
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(WindowWithControlsRound(image));
  DrainEvents();
  ResourceCounts before = TakeResourceCounts();
  DWORD start = GetTickCount();
  for (int i = 0; i < 1000; ++i) {
    ASSERT_TRUE(WindowWithControlsRound(image));
    if (i % 50 == 0) DrainEvents();
  }
  DrainEvents();
  ResourceCounts after = TakeResourceCounts();
  std::printf("1000 windows with controls in %lu ms\n", GetTickCount() - start);
  Print("windows", before, after);
  EXPECT_EQ(after.gdiObjects, before.gdiObjects);
  EXPECT_EQ(after.kernelHandles, before.kernelHandles);
  EXPECT_EQ(after.threadWindows, before.threadWindows);
  DeleteObject(image);
}

TEST_F(WindowServicesSoak, ThousandTrayIcons) {
  HWND window = WindowHandle(kMainWindow);
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 16, 16);
  ReleaseDC(nullptr, screen);
  ASSERT_TRUE(TrayIconRound(window, bitmap, kTrayIcon));
  ResourceCounts before = TakeResourceCounts();
  DWORD start = GetTickCount();
  for (int i = 0; i < 1000; ++i) ASSERT_TRUE(TrayIconRound(window, bitmap, kTrayIcon));
  ResourceCounts after = TakeResourceCounts();
  std::printf("1000 tray icons from a bitmap in %lu ms\n", GetTickCount() - start);
  Print("tray", before, after);
  EXPECT_EQ(after.gdiObjects, before.gdiObjects);
  EXPECT_EQ(after.kernelHandles, before.kernelHandles);
  DeleteObject(bitmap);
}

TEST_F(WindowServicesSoak, TenSecondsInWaitEventWithNothingHappening) {
  DrainEvents();
  const IdleWait wait = WaitEventWhileIdle(10000);
  std::printf("WaitEvent for %lu ms: %.1f ms of CPU, %d other events\n", wait.elapsedMilliseconds,
              wait.cpuMilliseconds, wait.otherEvents);
  EXPECT_LT(wait.cpuMilliseconds, 50.0);
}

}  // namespace
