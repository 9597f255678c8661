#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "services/widget_numbers.h"
#include "services/controls.h"
#include "services/windows.h"
#include "tests/support/event_waits.h"
#include "tests/support/resource_counters.h"

namespace {

const int kKeyColour = MakeColour(126, 109, 99);
const int kWhite = MakeColour(255, 255, 255);

class Controls : public ::testing::Test {
 protected:
  void SetUp() override {
    DrainEvents();
    ASSERT_TRUE(OpenWindowSlot(kCityWindow, 100, 100, 200, 400, "Города", WS_CAPTION | WS_SYSMENU,
                               nullptr));
    window_ = WindowHandle(kCityWindow);
    SetForegroundWindow(window_);
  }
  void TearDown() override {
    ReleaseControlServices();
    CloseAllWindowSlots();
    DrainEvents();
  }

  HWND window_ = nullptr;
};

void FillCityList(int count) {
  for (int i = 0; i < count; ++i) {
    char line[32];
    wsprintfA(line, "%05d Город %d", 27612 + i, i);
    AddListItem(kCityList, -1, line);
  }
}

LPARAM ItemPoint(HWND list, int index) {
  RECT item;
  SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
  return MAKELPARAM(item.left + 5, (item.top + item.bottom) / 2);
}

// The mouse messages a click and a double click put into the queue.
void Click(HWND list, LPARAM at) {
  PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageA(list, WM_LBUTTONUP, 0, at);
}
void DoubleClick(HWND list, LPARAM at) {
  Click(list, at);
  PostMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  PostMessageA(list, WM_LBUTTONUP, 0, at);
}

struct ControlEvent {
  int id;
  int subtype;
};

std::vector<ControlEvent> ControlEventsWithin(int limitMs) {
  std::vector<ControlEvent> seen;
  DWORD start = GetTickCount();
  while (static_cast<int>(GetTickCount() - start) < limitMs) {
    int event = PollEvent();
    if (event == EventControl)
      seen.push_back(ControlEvent{EventId(), EventSubtype()});
    else if (event == 0)
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return seen;
}

// --- Lists -----------------------------------------------------------------

TEST_F(Controls, ListIsMadeWithItsClassStylesAndNumber) {
  ASSERT_TRUE(CreateListControl(kCityList, 5, 5, 190, 390));
  HWND list = ControlHandle(kCityList);
  char className[16] = {};
  GetClassNameA(list, className, sizeof className);
  EXPECT_STREQ(className, "ListBox");
  // The list shows its scroll bars only when the items need them.
  const DWORD scrollBars = WS_VSCROLL | WS_HSCROLL;
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrA(list, GWL_STYLE)) & ~scrollBars,
            0x50330141u & ~scrollBars);
  EXPECT_TRUE(GetWindowLongPtrA(list, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  EXPECT_EQ(GetDlgCtrlID(list), kCityList);
  EXPECT_EQ(GetParent(list), window_);
  EXPECT_EQ(reinterpret_cast<HGDIOBJ>(SendMessageA(list, WM_GETFONT, 0, 0)),
            GetStockObject(DEFAULT_GUI_FONT));
}

TEST_F(Controls, ItemsKeepTheirOrderAndTextsComeBackExactly) {
  ASSERT_TRUE(CreateListControl(kCityList, 5, 5, 190, 390));
  AddListItem(kCityList, -1, "27612 Москва");
  AddListItem(kCityList, -1, "26063 Санкт-Петербург");
  AddListItem(kCityList, -1, "00001 Аа");
  AddListItem(kCityList, 1, "33345 Киев");
  AddListItem(kCityList, -1, nullptr);
  EXPECT_EQ(GetListItemText(kCityList, 0), "27612 Москва");
  EXPECT_EQ(GetListItemText(kCityList, 1), "33345 Киев");
  EXPECT_EQ(GetListItemText(kCityList, 2), "26063 Санкт-Петербург");
  EXPECT_EQ(GetListItemText(kCityList, 3), "00001 Аа");
  EXPECT_EQ(GetListItemText(kCityList, 4), "");
  EXPECT_EQ(GetListSelection(kCityList), -1);
  EXPECT_EQ(GetListItemText(kCityList, -1), "") << "no selection";
  EXPECT_EQ(GetListItemText(kCityList, 99), "");
  EXPECT_EQ(GetListItemText(kCityList + 1, 0), "") << "no such control";
  EXPECT_EQ(GetListSelection(kCityList + 1), -1);
}

TEST_F(Controls, DoubleClickOnAnItemSelectsItThenReportsSubtypeTwo) {
  ASSERT_TRUE(CreateListControl(kCityList, 5, 5, 190, 390));
  FillCityList(6);
  HWND list = ControlHandle(kCityList);
  DrainEvents();
  DoubleClick(list, ItemPoint(list, 2));
  std::vector<ControlEvent> seen = ControlEventsWithin(300);
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.front().id, kCityList);
  EXPECT_EQ(seen.front().subtype, ControlSelectionChanged);
  EXPECT_EQ(seen.back().id, kCityList);
  EXPECT_EQ(seen.back().subtype, ControlDoubleClicked);
  EXPECT_EQ(GetListSelection(kCityList), 2);
  EXPECT_EQ(GetListItemText(kCityList, GetListSelection(kCityList)).substr(0, 5), "27614");
}

TEST_F(Controls, ClickOnTheSelectedItemReportsNothing) {
  ASSERT_TRUE(CreateListControl(kCityList, 5, 5, 190, 390));
  FillCityList(4);
  HWND list = ControlHandle(kCityList);
  Click(list, ItemPoint(list, 1));
  std::vector<ControlEvent> seen = ControlEventsWithin(200);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].subtype, ControlSelectionChanged);
  Click(list, ItemPoint(list, 1));
  EXPECT_TRUE(ControlEventsWithin(200).empty());
  EXPECT_EQ(GetListSelection(kCityList), 1);
}

TEST_F(Controls, LeftPressOnTheListStillComesOutAsAPressOfItsWindow) {
  ASSERT_TRUE(CreateListControl(kCityList, 5, 5, 190, 390));
  FillCityList(3);
  HWND list = ControlHandle(kCityList);
  DrainEvents();
  PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, ItemPoint(list, 0));
  ASSERT_TRUE(AwaitEvent(WM_LBUTTONDOWN));
  EXPECT_EQ(EventWindowNumber(), kCityWindow);
  PostMessageA(list, WM_LBUTTONUP, 0, ItemPoint(list, 0));
  DrainEvents();
}

TEST_F(Controls, DraggingFromAListItemReportsADragAndReleasesTheMouse) {
  ASSERT_TRUE(CreateListControl(kCityList, 5, 5, 190, 390));
  FillCityList(3);
  HWND list = ControlHandle(kCityList);
  DrainEvents();
  LPARAM from = ItemPoint(list, 0);
  PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, from);
  PostMessageA(list, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(LOWORD(from) + 1, HIWORD(from)));
  PostMessageA(list, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(LOWORD(from) + 30, HIWORD(from) + 30));
  std::vector<ControlEvent> seen = ControlEventsWithin(200);
  int drags = static_cast<int>(std::count_if(seen.begin(), seen.end(), [](const ControlEvent& e) {
    return e.subtype == ControlDragged && e.id == kCityList;
  }));
  EXPECT_EQ(drags, 1);
  EXPECT_NE(GetCapture(), list);
  PostMessageA(list, WM_LBUTTONUP, 0, from);
  DrainEvents();
}

TEST_F(Controls, ControlsVanishWithTheirWindowAndFreeTheirNumbers) {
  ASSERT_TRUE(CreateListControl(kCityList, 5, 5, 190, 390));
  HWND list = ControlHandle(kCityList);
  CloseWindowSlot(kCityWindow);
  EXPECT_FALSE(IsWindow(list));
  EXPECT_EQ(ControlHandle(kCityList), nullptr);
  EXPECT_FALSE(CreateTextControl(20, 0, 0, 10, 10, "x")) << "no window to hold it";
  EXPECT_EQ(ControlHandle(20), nullptr);
}

TEST_F(Controls, NewNumberUseReplacesTheOldControl) {
  ASSERT_TRUE(CreateTextControl(kTownText, 10, 105, 100, 20, "a"));
  HWND first = ControlHandle(kTownText);
  ASSERT_TRUE(CreateTextControl(kTownText, 10, 105, 100, 20, "b"));
  EXPECT_FALSE(IsWindow(first));
  EXPECT_NE(ControlHandle(kTownText), first);
}

TEST_F(Controls, WindowOpenedAsNotControlParentDoesNotTakeNewControls) {
  ASSERT_TRUE(OpenWindowSlot(kMainWindow, 0, 0, 50, 50, "",
                             WS_POPUP | CreateHidden | NotControlParent, nullptr));
  ASSERT_TRUE(CreateTextControl(kTownText, 0, 0, 10, 10, ""));
  EXPECT_EQ(GetParent(ControlHandle(kTownText)), window_);
}

// --- Texts and colours -----------------------------------------------------

HBRUSH AskColours(HWND window, HWND control) {
  HDC dc = GetDC(control);
  HBRUSH brush = reinterpret_cast<HBRUSH>(SendMessageA(
      window, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control)));
  ReleaseDC(control, dc);
  return brush;
}

TEST_F(Controls, TextControlIsAStaticWithItsStyleAndText) {
  ASSERT_TRUE(CreateTextControl(kTodayText, 30, 30, 95, 15, "Сегодня"));
  HWND text = ControlHandle(kTodayText);
  char buffer[32] = {};
  GetClassNameA(text, buffer, sizeof buffer);
  EXPECT_EQ(lstrcmpiA(buffer, "Static"), 0);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrA(text, GWL_STYLE)), 0x50020000u);
  GetWindowTextA(text, buffer, sizeof buffer);
  EXPECT_STREQ(buffer, "Сегодня");
  SetControlText(kTodayText, "Завтра");
  GetWindowTextA(text, buffer, sizeof buffer);
  EXPECT_STREQ(buffer, "Завтра");
  SetControlText(kTodayText, nullptr);
  EXPECT_EQ(GetWindowTextLengthA(text), 0);
}

TEST_F(Controls, SameBackgroundIsOneSharedBrushDeletedWithTheLastUser) {
  ASSERT_TRUE(CreateTextControl(kTownText, 10, 105, 100, 20, "a"));
  ASSERT_TRUE(CreateTextControl(kSkyText, 10, 126, 150, 15, "b"));
  long before = CountGdiObjects();
  SetControlColour(kTownText, ControlTextColour, kWhite);
  SetControlColour(kTownText, ControlBackColour, kKeyColour);
  SetControlColour(kSkyText, ControlTextColour, kWhite);
  SetControlColour(kSkyText, ControlBackColour, kKeyColour);
  EXPECT_EQ(CountGdiObjects(), before + 1);
  HBRUSH first = AskColours(window_, ControlHandle(kTownText));
  HBRUSH second = AskColours(window_, ControlHandle(kSkyText));
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first, second);
  LOGBRUSH shape = {};
  ASSERT_TRUE(GetObjectA(first, sizeof shape, &shape));
  EXPECT_EQ(shape.lbColor, static_cast<COLORREF>(kKeyColour));
  DestroyWindow(ControlHandle(kTownText));
  EXPECT_EQ(GetObjectType(first), static_cast<DWORD>(OBJ_BRUSH)) << "still used by the other";
  DestroyWindow(ControlHandle(kSkyText));
  EXPECT_EQ(GetObjectType(first), 0u);
  EXPECT_EQ(CountGdiObjects(), before);
  EXPECT_EQ(ControlHandle(kTownText), nullptr);
}

TEST_F(Controls, ColourAnswersFollowWhatIsSet) {
  ASSERT_TRUE(CreateTextControl(kTownText, 10, 105, 100, 20, "a"));
  HWND text = ControlHandle(kTownText);
  HBRUSH plain = AskColours(window_, text);
  SetControlColour(kTownText, ControlTextColour, kWhite);
  EXPECT_EQ(AskColours(window_, text), GetSysColorBrush(COLOR_BTNFACE)) << "text colour alone";
  SetControlColour(kTownText, ControlBackColour, kKeyColour);
  HBRUSH keyed = AskColours(window_, text);
  EXPECT_NE(keyed, GetSysColorBrush(COLOR_BTNFACE));
  SetControlColour(kTownText, ControlBackColour, DefaultColour);
  SetControlColour(kTownText, ControlTextColour, DefaultColour);
  EXPECT_EQ(AskColours(window_, text), plain) << "back to the default processing";
}

TEST_F(Controls, WhiteTextOnKeyColourIsPainted) {
  ASSERT_TRUE(CreateTextControl(kTownText, 10, 10, 100, 30, "ММММ"));
  SetControlColour(kTownText, ControlTextColour, kWhite);
  SetControlColour(kTownText, ControlBackColour, kKeyColour);
  HWND text = ControlHandle(kTownText);
  UpdateWindow(window_);
  UpdateWindow(text);
  HDC dc = GetDC(text);
  int white = 0, key = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 100; ++x) {
      COLORREF pixel = GetPixel(dc, x, y);
      if (pixel == static_cast<COLORREF>(kWhite)) ++white;
      if (pixel == static_cast<COLORREF>(kKeyColour)) ++key;
    }
  ReleaseDC(text, dc);
  EXPECT_GT(white, 10);
  EXPECT_GT(key, 1000);
}

TEST_F(Controls, FontsAreSetAndMinusOneRestoresTheDefault) {
  ASSERT_TRUE(CreateTextControl(kTownText, 10, 105, 100, 20, "a"));
  HWND text = ControlHandle(kTownText);
  HFONT font = CreateFontA(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, RUSSIAN_CHARSET, 0, 0, 0, 0, "Tahoma");
  SetControlFont(kTownText, font);
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(text, WM_GETFONT, 0, 0)), font);
  SetControlFont(kTownText, DefaultControlFont);
  EXPECT_EQ(reinterpret_cast<HGDIOBJ>(SendMessageA(text, WM_GETFONT, 0, 0)),
            GetStockObject(DEFAULT_GUI_FONT));
  DeleteObject(font);
}

// --- Image cells -----------------------------------------------------------

HBITMAP SolidBitmap(int width, int height, COLORREF colour) {
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HDC dc = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(dc, bitmap);
  HBRUSH brush = CreateSolidBrush(colour);
  RECT all = {0, 0, width, height};
  FillRect(dc, &all, brush);
  DeleteObject(brush);
  SelectObject(dc, old);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return bitmap;
}

TEST_F(Controls, EmptyImageCellKeepsTheGivenSize) {
  ASSERT_TRUE(CreateImageControl(kFirstDigitImageControl, 36, 2, 48, 83, nullptr));
  HWND cell = ControlHandle(kFirstDigitImageControl);
  RECT rect;
  GetClientRect(cell, &rect);
  EXPECT_EQ(rect.right, 48);
  EXPECT_EQ(rect.bottom, 83);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrA(cell, GWL_STYLE)), 0x50000100u);
}

TEST_F(Controls, EmptyImageCellLetsWhatIsBeneathShow) {
  SetWindowBackground(kCityWindow, kKeyColour);
  ASSERT_TRUE(CreateImageControl(kFirstDigitImageControl, 36, 2, 48, 83, nullptr));
  RedrawWindow(window_, nullptr, nullptr,
               RDW_ERASE | RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  HDC dc = GetDC(window_);
  int other = 0;
  for (int y = 2; y < 2 + 83; ++y)
    for (int x = 36; x < 36 + 48; ++x)
      other += GetPixel(dc, x, y) != static_cast<COLORREF>(kKeyColour);
  ReleaseDC(window_, dc);
  EXPECT_EQ(other, 0) << "pixels of the cell not showing the window's background";
}

TEST_F(Controls, ImageCellReleasesTheMouseWhenTheButtonGoesUp) {
  ASSERT_TRUE(CreateImageControl(84, 10, 10, 48, 83, nullptr));
  HWND cell = ControlHandle(84);
  DrainEvents();
  PostMessageA(cell, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  ControlEventsWithin(100);
  ASSERT_EQ(GetCapture(), cell);
  PostMessageA(cell, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  ControlEventsWithin(100);
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(Controls, ImageCellTakesTheImagesSizeAndPaintsIt) {
  const COLORREF red = RGB(200, 10, 20);
  HBITMAP bitmap = SolidBitmap(20, 12, red);
  ASSERT_TRUE(CreateImageControl(83, 90, 2, 48, 83, bitmap));
  HWND cell = ControlHandle(83);
  RECT rect;
  GetClientRect(cell, &rect);
  EXPECT_EQ(rect.right, 20);
  EXPECT_EQ(rect.bottom, 12);
  EXPECT_EQ(reinterpret_cast<HBITMAP>(SendMessageA(cell, STM_GETIMAGE, IMAGE_BITMAP, 0)), bitmap);
  InvalidateRect(cell, nullptr, TRUE);
  UpdateWindow(cell);
  HDC dc = GetDC(cell);
  COLORREF pixel = GetPixel(dc, 5, 5);
  ReleaseDC(cell, dc);
  EXPECT_EQ(pixel, red);
  ReleaseControlServices();
  EXPECT_EQ(GetObjectType(bitmap), static_cast<DWORD>(OBJ_BITMAP)) << "the caller keeps the image";
  DeleteObject(bitmap);
}

TEST_F(Controls, DraggingFromAnImageCellReportsADrag) {
  ASSERT_TRUE(CreateImageControl(84, 10, 10, 48, 83, nullptr));
  HWND cell = ControlHandle(84);
  DrainEvents();
  PostMessageA(cell, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  PostMessageA(cell, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(30, 40));
  std::vector<ControlEvent> seen = ControlEventsWithin(200);
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.back().id, 84);
  EXPECT_EQ(seen.back().subtype, ControlDragged);
}

TEST_F(Controls, OperationsOnEmptyNumbersDoNothing) {
  AddListItem(70, -1, "x");
  SetControlText(70, "x");
  SetControlFont(70, DefaultControlFont);
  SetControlColour(70, ControlBackColour, kKeyColour);
  EXPECT_EQ(ControlHandle(70), nullptr);
  EXPECT_FALSE(CreateTextControl(-1, 0, 0, 1, 1, ""));
}

}  // namespace
