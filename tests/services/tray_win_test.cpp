#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "services/widget_numbers.h"
#include "services/tray.h"
#include "services/windows.h"
#include "tests/support/event_waits.h"
#include "tests/support/resource_counters.h"

namespace {

class TrayAndMenu : public ::testing::Test {
 protected:
  void SetUp() override {
    DrainEvents();
    ASSERT_TRUE(OpenWindowSlot(kMainWindow, 200, 100, 120, 80, "", WS_POPUP, nullptr));
    window_ = WindowHandle(kMainWindow);
    icon_ = LoadIconA(nullptr, IDI_APPLICATION);
  }
  void TearDown() override {
    RemoveAllTrayIcons();
    DestroyAllMenuSlots();
    CloseAllWindowSlots();
    DrainEvents();
  }

  HWND window_ = nullptr;
  HICON icon_ = nullptr;
};

// Asks the shell to drop an icon behind the service's back; true when the
// shell had it, which is how these tests see what is in the notification area.
bool ShellDropsIcon(HWND window, int number) {
  NOTIFYICONDATAA data = {};
  data.cbSize = NOTIFYICONDATAA_V1_SIZE;
  data.hWnd = window;
  data.uID = static_cast<UINT>(number);
  return Shell_NotifyIconA(NIM_DELETE, &data) != FALSE;
}

// A 32-bit top-down DIB section whose top half is fully transparent.
HBITMAP HalfTransparentBitmap(int width, int height) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  uint8_t* pixel = static_cast<uint8_t*>(bits);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x, pixel += 4) {
      pixel[0] = 200;
      pixel[1] = 100;
      pixel[2] = 50;
      pixel[3] = y < height / 2 ? 0 : 255;
    }
  return bitmap;
}

int TrayEventsWithin(int limitMs, std::vector<int>* subtypes) {
  int count = 0;
  DWORD start = GetTickCount();
  while (static_cast<int>(GetTickCount() - start) < limitMs) {
    int event = PollEvent();
    if (event == EventTray) {
      ++count;
      EXPECT_EQ(EventId(), kTrayIcon);
      if (subtypes) subtypes->push_back(EventSubtype());
    } else if (event == 0) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
  }
  return count;
}

// --- Tray icons ------------------------------------------------------------

TEST_F(TrayAndMenu, PressesOnTheIconBecomeTrayEventsWithTheirSubtype) {
  ASSERT_TRUE(AddTrayIcon(kTrayIcon, window_, icon_));
  DrainEvents();
  const UINT actions[] = {WM_RBUTTONDOWN, WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, WM_RBUTTONDBLCLK};
  for (UINT action : actions) PostMessageA(window_, TrayCallbackMessage, kTrayIcon, action);
  std::vector<int> subtypes;
  EXPECT_EQ(TrayEventsWithin(200, &subtypes), 4);
  EXPECT_EQ(subtypes, (std::vector<int>{TrayRightPress, TrayLeftPress, TrayLeftDoubleClick,
                                        TrayRightDoubleClick}));
  EXPECT_EQ(EventWindowNumber(), kMainWindow);
}

TEST_F(TrayAndMenu, MovesAndReleasesOverTheIconGiveNoTrayEvent) {
  ASSERT_TRUE(AddTrayIcon(kTrayIcon, window_, icon_));
  DrainEvents();
  PostMessageA(window_, TrayCallbackMessage, kTrayIcon, WM_MOUSEMOVE);
  PostMessageA(window_, TrayCallbackMessage, kTrayIcon, WM_RBUTTONUP);
  EXPECT_EQ(TrayEventsWithin(150, nullptr), 0);
}

TEST_F(TrayAndMenu, AddingUnderAUsedNumberLeavesOneIcon) {
  ASSERT_TRUE(OpenWindowSlot(kForecastWindow, 0, 0, 10, 10, "", WS_POPUP | CreateHidden, nullptr));
  HWND other = WindowHandle(kForecastWindow);
  ASSERT_TRUE(AddTrayIcon(kTrayIcon, window_, icon_));
  ASSERT_TRUE(AddTrayIcon(kTrayIcon, other, icon_));
  EXPECT_FALSE(ShellDropsIcon(window_, kTrayIcon)) << "the first icon was removed";
  EXPECT_TRUE(ShellDropsIcon(other, kTrayIcon));
  ASSERT_TRUE(AddTrayIcon(kTrayIcon, window_, icon_));
  ASSERT_TRUE(AddTrayIcon(kTrayIcon, window_, icon_)) << "the same icon twice";
  EXPECT_TRUE(ShellDropsIcon(window_, kTrayIcon));
  EXPECT_FALSE(ShellDropsIcon(window_, kTrayIcon));
}

TEST_F(TrayAndMenu, ShutdownRemovesEveryIcon) {
  ASSERT_TRUE(AddTrayIcon(kTrayIcon, window_, icon_));
  ASSERT_TRUE(AddTrayIcon(3, window_, icon_));
  RemoveAllTrayIcons();
  EXPECT_FALSE(ShellDropsIcon(window_, kTrayIcon));
  EXPECT_FALSE(ShellDropsIcon(window_, 3));
}

TEST_F(TrayAndMenu, RecreatedTaskbarGetsTheIconBack) {
  ASSERT_TRUE(AddTrayIcon(kTrayIcon, window_, icon_));
  ASSERT_TRUE(ShellDropsIcon(window_, kTrayIcon));  // the taskbar went away
  ASSERT_FALSE(ShellDropsIcon(window_, kTrayIcon));
  SendMessageA(window_, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
  EXPECT_TRUE(ShellDropsIcon(window_, kTrayIcon));
}

TEST_F(TrayAndMenu, MissingWindowOrImageFails) {
  EXPECT_FALSE(AddTrayIcon(kTrayIcon, nullptr, icon_));
  EXPECT_FALSE(AddTrayIcon(kTrayIcon, window_, nullptr));
  EXPECT_FALSE(ShellDropsIcon(window_, kTrayIcon));
}

TEST_F(TrayAndMenu, BitmapBecomesAnIconThatGoesWithTheTrayIcon) {
  HBITMAP bitmap = HalfTransparentBitmap(16, 16);
  ASSERT_TRUE(bitmap);
  // The first read of a bitmap's pixels sets up objects the system keeps.
  ASSERT_TRUE(AddTrayIcon(kTrayIcon, window_, bitmap));
  RemoveTrayIcon(kTrayIcon);
  long before = CountGdiObjects();
  ASSERT_TRUE(AddTrayIcon(kTrayIcon, window_, bitmap));
  EXPECT_GT(CountGdiObjects(), before) << "an icon was made of the bitmap";
  RemoveTrayIcon(kTrayIcon);
  EXPECT_EQ(CountGdiObjects(), before);
  EXPECT_EQ(GetObjectType(bitmap), static_cast<DWORD>(OBJ_BITMAP)) << "the caller keeps the bitmap";
  EXPECT_FALSE(ShellDropsIcon(window_, kTrayIcon));
  DeleteObject(bitmap);
}

COLORREF PixelOfIconOnWhite(HICON icon, int x, int y) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP canvas = CreateCompatibleBitmap(screen, 16, 16);
  HGDIOBJ old = SelectObject(dc, canvas);
  RECT all = {0, 0, 16, 16};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  DrawIconEx(dc, 0, 0, icon, 16, 16, 0, nullptr, DI_NORMAL);
  COLORREF pixel = GetPixel(dc, x, y);
  SelectObject(dc, old);
  DeleteObject(canvas);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return pixel;
}

TEST_F(TrayAndMenu, BitmapIconLeavesOutFullyTransparentPixels) {
  HBITMAP bitmap = HalfTransparentBitmap(16, 16);
  ASSERT_TRUE(AddTrayIcon(kTrayIcon, window_, bitmap));
  HICON icon = TrayIconImage(kTrayIcon);
  ASSERT_TRUE(icon);
  EXPECT_NE(icon, reinterpret_cast<HICON>(bitmap));
  ICONINFO info = {};
  ASSERT_TRUE(GetIconInfo(icon, &info));
  EXPECT_TRUE(info.fIcon) << "an icon, not a cursor";
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  EXPECT_EQ(PixelOfIconOnWhite(icon, 8, 2), RGB(255, 255, 255)) << "top half left out";
  EXPECT_EQ(PixelOfIconOnWhite(icon, 8, 13), RGB(50, 100, 200)) << "bottom half shown";
  RemoveTrayIcon(kTrayIcon);
  DeleteObject(bitmap);
}

TEST_F(TrayAndMenu, IconImageIsUsedAsItIs) {
  ASSERT_TRUE(AddTrayIcon(kTrayIcon, window_, icon_));
  EXPECT_EQ(TrayIconImage(kTrayIcon), icon_);
  RemoveTrayIcon(kTrayIcon);
  EXPECT_EQ(TrayIconImage(kTrayIcon), nullptr);
}

TEST_F(TrayAndMenu, TheStructureHandedToTheShellIsTheFirstVersion) {
  // 88 bytes on the 32-bit product; the 64-bit test build has wider handles.
  EXPECT_EQ(NOTIFYICONDATAA_V1_SIZE, sizeof(void*) == 4 ? 88u : 104u);
}

// --- Menus -----------------------------------------------------------------

TEST_F(TrayAndMenu, MenuHoldsTheExitItemAndASeparator) {
  HMENU menu = CreatePopupMenuSlot(kTrayMenu);
  ASSERT_TRUE(menu);
  AppendMenuItem(kExitMenuItem, "Выход");
  AppendMenuSeparator();
  ASSERT_EQ(GetMenuItemCount(menu), 2);
  char text[16] = {};
  GetMenuStringA(menu, 0, text, sizeof text, MF_BYPOSITION);
  EXPECT_STREQ(text, "Выход");
  EXPECT_EQ(GetMenuItemID(menu, 0), static_cast<UINT>(kExitMenuItem));
  EXPECT_TRUE(GetMenuState(menu, 1, MF_BYPOSITION) & MF_SEPARATOR);
  EXPECT_EQ(MenuHandle(kTrayMenu), menu);
}

TEST_F(TrayAndMenu, ReusingAMenuNumberDestroysTheOldMenu) {
  HMENU first = CreatePopupMenuSlot(kTrayMenu);
  HMENU second = CreatePopupMenuSlot(kTrayMenu);
  EXPECT_FALSE(IsMenu(first));
  EXPECT_TRUE(IsMenu(second));
  DestroyAllMenuSlots();
  EXPECT_FALSE(IsMenu(second));
  AppendMenuItem(1, "x");  // no current menu any more: nothing happens
  EXPECT_EQ(MenuHandle(kTrayMenu), nullptr);
}

// Keys posted before the menu opens are read by the menu's own loop.
void PostKey(HWND window, UINT key) {
  PostMessageA(window, WM_KEYDOWN, key, 1);
  PostMessageA(window, WM_KEYUP, key, 0xC0000001);
}

TEST_F(TrayAndMenu, ChoosingTheItemGivesAMenuEventWithItsNumber) {
  CreatePopupMenuSlot(kTrayMenu);
  AppendMenuItem(kExitMenuItem, "Выход");
  AppendMenuSeparator();
  SetCursorPos(400, 300);
  DrainEvents();
  PostKey(window_, VK_DOWN);
  PostKey(window_, VK_RETURN);
  ShowPopupMenu(kTrayMenu, window_);
  ASSERT_TRUE(AwaitEvent(EventMenu, 1000));
  EXPECT_EQ(EventId(), kExitMenuItem);
}

TEST_F(TrayAndMenu, DismissingTheMenuGivesNoEvent) {
  CreatePopupMenuSlot(kTrayMenu);
  AppendMenuItem(kExitMenuItem, "Выход");
  DrainEvents();
  PostKey(window_, VK_ESCAPE);
  ShowPopupMenu(kTrayMenu, window_);
  std::vector<int> events = CollectEvents(150);
  EXPECT_EQ(std::count(events.begin(), events.end(), EventMenu), 0);
  ShowPopupMenu(kTrayMenu + 5, window_);  // no such menu: returns at once
}

}  // namespace
