// The widget as a person meets it: the real nimbrel.exe, started in a staged
// working directory against a feed server inside this test on the widget's
// built-in feed address, driven with real mouse input and watched from the
// outside through its windows.
#include <windows.h>
#include <winsock.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <filesystem>
#include <string>
#include <vector>

#include "app/application.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/widget_process.h"

namespace fs = std::filesystem;

namespace {

// The widget at the system DPI (the prefix's LogPixels).
int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  return dpi;
}

int AtScale(int pixels) {
  return MulDiv(pixels, ScreenDpi(), 96);
}

// --- Files ---------------------------------------------------------------------

std::vector<std::string> CityLines() {
  std::string bytes = ReadFileBytes("NimbrelCodSity.txt");
  std::vector<std::string> lines;
  for (size_t start = 0; start < bytes.size();) {
    size_t end = bytes.find("\r\n", start);
    if (end == std::string::npos) end = bytes.size();
    lines.push_back(bytes.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

// Another process's list item, asked for in UTF-16 (the form in which Wine
// carries it between processes) and turned back into the ANSI code page.
std::string ListItem(HWND list, int index) {
  LRESULT length = SendMessageW(list, LB_GETTEXTLEN, index, 0);
  if (length < 0) return "<none>";
  std::wstring wide(static_cast<size_t>(length) + 1, L'\0');
  length = SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(&wide[0]));
  if (length < 0) return "<none>";
  std::string text(static_cast<size_t>(length) * 2 + 1, '\0');
  int bytes = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(length), &text[0],
                                  static_cast<int>(text.size()), nullptr, nullptr);
  text.resize(static_cast<size_t>(bytes));
  return text;
}

// The index of the line naming `town` (CP1251); -1 when none does.
int LineOf(const std::vector<std::string>& lines, const std::string& town) {
  for (size_t i = 0; i < lines.size(); ++i)
    if (lines[i].substr(6) == town) return static_cast<int>(i);
  return -1;
}

// The line lies wholly inside the list's client area.
bool ShowsLine(HWND list, int index) {
  RECT client;
  GetClientRect(list, &client);
  const int height = static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
  const int top = static_cast<int>(SendMessageA(list, LB_GETTOPINDEX, 0, 0));
  return height > 0 && index >= top && (index - top + 1) * height <= client.bottom;
}

// --- The fixture: a fresh staged directory and a widget ready to start -------

class WidgetRun : public ::testing::Test {
 protected:
  void SetUp() override {
    StageRuntime(scratch_.Path());
    feed_ = std::make_unique<FeedServer>();
  }

  // Starts the widget and waits until its first refresh has shown it.
  void StartShown() {
    ASSERT_TRUE(feed_->Listening()) << "port " << kWidgetFeedPort << " is taken";
    ASSERT_TRUE(widget_.Start());
    ASSERT_TRUE(widget_.WaitVisible(55)) << "the main window never showed";
    // The clouds show last, once the whole start-up has run.
    ASSERT_TRUE(widget_.WaitVisible(65, 10000)) << "start-up did not finish";
    main_ = widget_.Rect(55);
  }

  // Opens the city window with a right press on the plate.
  HWND OpenCityList() {
    POINT at = OnThePlate(main_);
    for (int attempt = 0; attempt < 2 && !widget_.Visible(91); ++attempt) {
      RightClick(at.x, at.y);
      widget_.WaitVisible(91, 2500);
    }
    if (!widget_.Visible(91)) {
      ADD_FAILURE() << "no city window; widget " << (widget_.Ended() ? "ended" : "running");
      return nullptr;
    }
    // The window shows as it opens; its list follows, then the lines.
    const LRESULT lines = static_cast<LRESULT>(CityLines().size());
    HWND list = nullptr;
    widget_.WaitUntil(
        [&] {
          list = GetDlgItem(widget_.Window(91), 92);
          return list && SendMessageA(list, LB_GETCOUNT, 0, 0) == lines;
        },
        5000);
    return list;
  }

  // Double-clicks line index of the city list. The messages are those a
  // double-click leaves in the widget's queue, posted in their order: under
  // Wine, injected presses meet the system move loop that the first press
  // starts and lose their double-click pairing, which a hand never does.
  void DoubleClickLine(HWND list, int index) {
    int height = static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
    LPARAM at = MAKELPARAM(40, index * height + height / 2);
    PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(list, WM_LBUTTONUP, 0, at);
    PostMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    PostMessageA(list, WM_LBUTTONUP, 0, at);
  }

  // Right press on the tray icon (as the notification area reports it),
  // then "Выход", the menu's first item, picked with the arrow and Enter
  // keys (an injected click can reach Wine's menu before it tracks).
  void ChooseExitFromTrayMenu() {
    MoveMouse(600, 500);
    for (int attempt = 0; attempt < 3 && !widget_.Ended(); ++attempt) {
      PostMessageA(widget_.Window(55), 12501, 89, WM_RBUTTONDOWN);
      ASSERT_TRUE(widget_.WaitUntil([&] { return widget_.Menu() != nullptr; }, 5000));
      Sleep(300);
      PressKey(VK_DOWN);
      PressKey(VK_RETURN);
      if (widget_.WaitExit(3000) != -1) return;
    }
  }

  ScratchDir scratch_;
  std::unique_ptr<FeedServer> feed_;
  Widget widget_;
  RECT main_{};
};

TEST_F(WidgetRun, OpensEveryWindowAtItsOffsetFromTheMainWindow) {
  StartShown();
  EXPECT_EQ(main_.left, GetSystemMetrics(SM_CXSCREEN) / 2 - 150);
  EXPECT_EQ(main_.top, 40);
  const SIZE base = PngSize("Resources/base.png");
  EXPECT_EQ(main_.right - main_.left, base.cx);
  EXPECT_EQ(main_.bottom - main_.top, base.cy);
  EXPECT_EQ(GetWindow(widget_.Window(55), GW_OWNER), nullptr);

  struct Place {
    int window, owner, dx, dy;
    const char* picture;  // nullptr: an icon window sized by the panels
  } places[] = {
      {56, 55, 3, 200, "Resources/forecast.png"},
      {61, 56, 3, 200, "Resources/forecast.png"},
      {57, 55, 22, -25, "Resources/flip_bg.png"},
      {58, 57, 151, -25, "Resources/flip_bg.png"},
      {59, 58, 0, 0, "Resources/base.png"},
      {60, 57, 95, 110, nullptr},
      {69, 57, 95, 110, nullptr},
      {62, 61, 42, 180, nullptr},
      {63, 61, 200, 180, nullptr},
  };
  for (const Place& p : places) {
    SCOPED_TRACE(p.window);
    RECT r = widget_.Rect(p.window);
    EXPECT_EQ(r.left, main_.left + p.dx);
    EXPECT_EQ(r.top, main_.top + p.dy);
    if (p.picture) {
      EXPECT_EQ(r.right - r.left, PngSize(p.picture).cx);
      EXPECT_EQ(r.bottom - r.top, PngSize(p.picture).cy);
    }
    EXPECT_EQ(GetWindow(widget_.Window(p.window), GW_OWNER), widget_.Window(p.owner));
  }
  // The overlays lie exactly over their plates.
  RECT plate = widget_.Rect(56), overlay = widget_.Rect(61);
  EXPECT_TRUE(EqualRect(&plate, &overlay));
  RECT clockOverlay = widget_.Rect(59);
  EXPECT_TRUE(EqualRect(&main_, &clockOverlay));
  for (int shown : {55, 56, 57, 58, 59, 61}) EXPECT_TRUE(widget_.Visible(shown)) << shown;

  // Clouds drift sideways from the start; their rows and sizes stay.
  struct Cloud {
    int window, dy;
    const char* picture;
  } clouds[] = {{68, 140, "Weather/cloud_4.png"},
                {64, 100, "Weather/cloud_5.png"},
                {66, 220, "Weather/cloud_7.png"},
                {67, 190, "Weather/cloud_6.png"},
                {65, 100, "Weather/cloud_1.png"}};
  for (const Cloud& c : clouds) {
    SCOPED_TRACE(c.window);
    RECT r = widget_.Rect(c.window);
    EXPECT_EQ(r.top, main_.top + c.dy);
    EXPECT_EQ(r.right - r.left, PngSize(c.picture).cx);
    EXPECT_EQ(r.bottom - r.top, PngSize(c.picture).cy);
    EXPECT_EQ(GetWindow(widget_.Window(c.window), GW_OWNER), widget_.Window(61));
  }
}

TEST_F(WidgetRun, StaysHiddenUntilTheFirstRefreshHasAnswered) {
  feed_.reset();  // this test needs a server that answers late
  feed_ = std::make_unique<FeedServer>(2500);
  FeedServer* slow = feed_.get();
  ASSERT_TRUE(slow->Listening());
  ASSERT_TRUE(widget_.Start());
  ASSERT_TRUE(widget_.WaitUntil([&] { return !slow->Paths().empty(); }, kWidgetStartMs));
  for (int n : {55, 56, 57, 58, 59, 61}) {
    EXPECT_NE(widget_.Window(n), nullptr) << n;
    EXPECT_FALSE(widget_.Visible(n)) << n;
  }
  ASSERT_EQ(slow->Answered(), 0) << "the server answered while the test looked";
  EXPECT_TRUE(widget_.WaitVisible(55, 10000));
  EXPECT_TRUE(widget_.WaitVisible(59, 2000));
}

TEST_F(WidgetRun, ShowsTheStoredCitysWeatherAfterStartUp) {
  WriteFileBytes("inform.ini", "ID=27612\r\n");
  StartShown();
  ASSERT_EQ(feed_->Paths().at(0), "/xml/27612_1.xml");
  EXPECT_EQ(widget_.ControlText(59, 20), "Москва");
  EXPECT_EQ(widget_.ControlText(59, 21), "Малооблачно, Без осадков");
  EXPECT_EQ(widget_.ControlText(59, 22), "-5...-3°C");
  EXPECT_EQ(widget_.ControlText(59, 23), " Пн, 7\\12\\2026 На 9ч.");
  EXPECT_EQ(widget_.ControlText(59, 24), "Вет. западный    3...5m\\c");
  EXPECT_EQ(widget_.ControlText(59, 25), "Влаж: 75...80 %");
  EXPECT_EQ(widget_.ControlText(61, 26), "Сегодня: -5/-3 °C");
  EXPECT_EQ(widget_.ControlText(61, 27), "Завтра: -8/-6 °C");
  EXPECT_EQ(widget_.Text(widget_.Window(55)), "Малооблачно");
}

TEST_F(WidgetRun, RightPressOpensTheCityListWithTheFilesLinesInOrder) {
  StartShown();
  HWND list = OpenCityList();
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(widget_.Text(widget_.Window(91)), "Города");
  std::vector<std::string> lines = CityLines();
  ASSERT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), static_cast<LRESULT>(lines.size()));
  for (size_t i = 0; i < lines.size(); ++i)
    EXPECT_EQ(ListItem(list, static_cast<int>(i)), lines[i]);
  EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), LB_ERR);
}

TEST_F(WidgetRun, RightPressInTheCityWindowOpensItAfreshWithNothingSelected) {
  StartShown();
  HWND list = OpenCityList();
  ASSERT_NE(list, nullptr);
  HWND first = widget_.Window(91);
  SendMessageA(list, LB_SETCURSEL, 4, 0);
  ASSERT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 4);
  RECT r;
  GetWindowRect(list, &r);
  // Injected presses now and then vanish under Wine; one more is harmless.
  for (int attempt = 0; attempt < 2 && IsWindow(first); ++attempt) {
    RightClick(r.left + 40, r.top + 30);
    widget_.WaitUntil([&] { return !IsWindow(first); }, 2500);
  }
  ASSERT_FALSE(IsWindow(first)) << "the city window was not replaced";
  list = nullptr;
  ASSERT_TRUE(widget_.WaitUntil(
      [&] {
        list = GetDlgItem(widget_.Window(91), 92);
        return list &&
               SendMessageA(list, LB_GETCOUNT, 0, 0) == static_cast<LRESULT>(CityLines().size());
      },
      5000));
  EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), LB_ERR);
}

TEST_F(WidgetRun, DoubleClickOnALineRefreshesForItsCodeAtOnce) {
  StartShown();
  HWND list = OpenCityList();
  ASSERT_NE(list, nullptr);
  const std::string code = CityLines().at(3).substr(0, 5);
  const std::string path = "/xml/" + code + "_1.xml";
  DoubleClickLine(list, 3);
  ASSERT_TRUE(feed_->WaitFor(path, 1, 5000))
      << "no request for " << code << "; selection " << SendMessageA(list, LB_GETCURSEL, 0, 0);
  EXPECT_TRUE(widget_.WaitUntil([&] { return widget_.ControlText(59, 20) == "T" + code; }, 3000));
  EXPECT_TRUE(widget_.Visible(91)) << "the city window stays open";
  DoubleClickLine(list, 3);
  EXPECT_TRUE(feed_->WaitFor(path, 2, 5000)) << "a second pick refreshes again";

  // A close request ends the widget and keeps the pick, as "Выход" does.
  PostMessageA(widget_.Window(55), WM_CLOSE, 0, 0);
  EXPECT_EQ(widget_.WaitExit(10000), 0);
  EXPECT_EQ(ReadFileBytes("inform.ini"), "ID = " + code + "\r\n");
}

TEST_F(WidgetRun, TypingATownsNameFindsAndShowsItsLineAndEnterPicksIt) {
  StartShown();
  HWND list = OpenCityList();
  ASSERT_NE(list, nullptr);
  const std::vector<std::string> lines = CityLines();
  const int yerevan = LineOf(lines, "Ереван");
  ASSERT_GT(yerevan, 40) << "a line far below the first screen";
  // No click into the list: it has the keyboard from the right press on.
  TypeText(L"еРЕв");
  EXPECT_TRUE(widget_.WaitUntil(
      [&] { return SendMessageA(list, LB_GETCURSEL, 0, 0) == yerevan && ShowsLine(list, yerevan); },
      3000))
      << "selected " << SendMessageA(list, LB_GETCURSEL, 0, 0);
  PressKey(VK_RETURN);
  const std::string code = lines[static_cast<size_t>(yerevan)].substr(0, 5);
  ASSERT_TRUE(feed_->WaitFor("/xml/" + code + "_1.xml", 1, 5000)) << "Enter picked nothing";
  EXPECT_TRUE(widget_.WaitUntil([&] { return widget_.ControlText(59, 20) == "T" + code; }, 3000));
}

TEST_F(WidgetRun, DragMovesEveryWidgetWindowWithTheMainWindow) {
  StartShown();
  const POINT from = OnThePlate(main_);
  MoveMouse(from.x, from.y);
  SendMouse(MOUSEEVENTF_LEFTDOWN);
  Sleep(300);  // the loop starts the system's move while the button is held
  for (int step = 1; step <= 10; ++step) MoveMouse(from.x + 12 * step, from.y + 7 * step);
  Sleep(100);
  SendMouse(MOUSEEVENTF_LEFTUP);
  ASSERT_TRUE(widget_.WaitUntil([&] { return widget_.Rect(55).left == main_.left + 120; }, 3000));
  Sleep(200);
  RECT moved = widget_.Rect(55);
  EXPECT_EQ(moved.top, main_.top + 70);

  struct Offset {
    int window, dx, dy;
  } offsets[] = {{56, 3, 200}, {57, 22, -25}, {58, 151, -25}, {59, 0, 0},   {60, 95, 110},
                 {61, 3, 200}, {62, 42, 180}, {63, 200, 180}, {69, 95, 110}};
  for (const Offset& o : offsets) {
    SCOPED_TRACE(o.window);
    RECT r = widget_.Rect(o.window);
    EXPECT_EQ(r.left, moved.left + o.dx);
    EXPECT_EQ(r.top, moved.top + o.dy);
  }
  // Clouds keep drifting sideways but take their rows; 65 drops to +200.
  const int rows[][2] = {{64, 100}, {65, 200}, {66, 220}, {67, 190}, {68, 140}};
  for (const auto& row : rows) EXPECT_EQ(widget_.Rect(row[0]).top, moved.top + row[1]) << row[0];
}

TEST_F(WidgetRun, CloudsEndHiddenAtTheEndsOfTheirRuns) {
  StartShown();
  ASSERT_TRUE(widget_.WaitUntil(
      [&] {
        for (int n = 64; n <= 68; ++n)
          if (widget_.Visible(n)) return false;
        return true;
      },
      30000));
  const int ends[][3] = {
      {64, 210, 100}, {65, 210, 100}, {66, 150, 220}, {67, -80, 190}, {68, -60, 140}};
  for (const auto& end : ends) {
    SCOPED_TRACE(end[0]);
    RECT r = widget_.Rect(end[0]);
    EXPECT_EQ(r.left, main_.left + end[1]);
    EXPECT_EQ(r.top, main_.top + end[2]);
  }
  EXPECT_TRUE(widget_.Visible(55));
}

TEST_F(WidgetRun, TrayMenuExitSavesThePickedCityAndEndsWithCodeZero) {
  const std::string stored = "; mine\r\nID=26063\r\n";
  WriteFileBytes("inform.ini", stored);
  StartShown();
  HWND list = OpenCityList();
  ASSERT_NE(list, nullptr);
  const std::string code = CityLines().at(5).substr(0, 5);
  DoubleClickLine(list, 5);
  ASSERT_TRUE(feed_->WaitFor("/xml/" + code + "_1.xml", 1, 5000));
  EXPECT_EQ(ReadFileBytes("inform.ini"), stored) << "nothing is saved before leaving";

  ChooseExitFromTrayMenu();
  EXPECT_EQ(widget_.WaitExit(10000), 0);
  EXPECT_EQ(ReadFileBytes("inform.ini"), "; mine\r\nID = " + code + "\r\n");
}

TEST_F(WidgetRun, TrayMenuExitWritesAnEmptyCodeWhenNoneWasEverChosen) {
  StartShown();
  ChooseExitFromTrayMenu();
  EXPECT_EQ(widget_.WaitExit(10000), 0);
  EXPECT_EQ(ReadFileBytes("inform.ini"), "ID = \r\n");
}

TEST_F(WidgetRun, AnEmptyPickChangesNothingAndClosingSavesTheCity) {
  WriteFileBytes("inform.ini", "ID=27612\r\n");
  StartShown();
  HWND list = OpenCityList();
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), LB_ERR);
  const size_t asked = feed_->Paths().size();
  // What the list reports on a double-click with nothing selected.
  PostMessageA(widget_.Window(91), WM_COMMAND, MAKEWPARAM(92, LBN_DBLCLK),
               reinterpret_cast<LPARAM>(list));
  Sleep(1500);
  EXPECT_EQ(feed_->Paths().size(), asked) << "an empty code was fetched";

  PostMessageA(widget_.Window(55), WM_CLOSE, 0, 0);
  EXPECT_EQ(widget_.WaitExit(10000), 0);
  EXPECT_EQ(ReadFileBytes("inform.ini"), "ID = 27612\r\n");
}

TEST_F(WidgetRun, CloseRequestToTheClockOverlayClosesOnlyIt) {
  StartShown();
  PostMessageA(widget_.Window(59), WM_CLOSE, 0, 0);
  ASSERT_TRUE(widget_.WaitUntil([&] { return widget_.Window(59) == nullptr; }, 5000));
  Sleep(300);
  EXPECT_FALSE(widget_.Ended());
  EXPECT_TRUE(widget_.Visible(55));
}

// --- At another display scale --------------------------------------------------
// WidgetAtScale runs in a prefix of its own whose system DPI is not 96
// (NIMBREL_WINE_DPI, see README); at 96 DPI it has nothing to check.

// "Resources/base.png" as the set for this DPI holds it.
std::string InSet(const std::string& path) {
  const size_t slash = path.rfind('/');
  return path.substr(0, slash + 1) + std::to_string(ScreenDpi() * 100 / 96) + "/" +
         path.substr(slash + 1);
}

class WidgetAtScale : public WidgetRun {
 protected:
  void SetUp() override {
    if (ScreenDpi() == 96) GTEST_SKIP() << "needs a prefix whose DPI is not 96";
    WidgetRun::SetUp();
  }

  // The client rectangle of a control in its window's client coordinates.
  RECT ControlRect(int window, int control) const {
    RECT r{};
    HWND handle = GetDlgItem(widget_.Window(window), control);
    GetWindowRect(handle, &r);
    MapWindowPoints(nullptr, widget_.Window(window), reinterpret_cast<POINT*>(&r), 2);
    return r;
  }
};

TEST_F(WidgetAtScale, EveryWindowControlAndOffsetTakesTheScale) {
  StartShown();
  EXPECT_EQ(main_.left, GetSystemMetrics(SM_CXSCREEN) / 2 - AtScale(150));
  EXPECT_EQ(main_.top, AtScale(40));
  EXPECT_EQ(main_.right - main_.left, AtScale(306));
  EXPECT_EQ(main_.bottom - main_.top, AtScale(194));
  struct Place {
    int window, dx, dy;
    const char* picture;
  } places[] = {
      {56, 3, 200, "Resources/forecast.png"},     {61, 3, 200, "Resources/forecast.png"},
      {57, 22, -25, "Resources/flip_bg.png"},     {58, 151, -25, "Resources/flip_bg.png"},
      {59, 0, 0, "Resources/base.png"},           {60, 95, 110, nullptr},
      {62, 42, 180, "Weather/weather_2_min.png"}, {68, 140, 140, "Weather/cloud_4.png"},
  };
  for (const Place& p : places) {
    SCOPED_TRACE(p.window);
    RECT r = widget_.Rect(p.window);
    // Cloud 68 drifts sideways from its start: only its row is fixed.
    if (p.window != 68) {
      EXPECT_EQ(r.left, main_.left + AtScale(p.dx));
    }
    EXPECT_EQ(r.top, main_.top + AtScale(p.dy));
    if (!p.picture) continue;
    EXPECT_EQ(r.right - r.left, PngSize(InSet(p.picture)).cx);
    EXPECT_EQ(r.bottom - r.top, PngSize(InSet(p.picture)).cy);
    EXPECT_EQ(r.right - r.left, AtScale(PngSize(p.picture).cx));
  }
  const RECT town = ControlRect(59, 20), wind = ControlRect(59, 24), today = ControlRect(61, 26);
  EXPECT_EQ(town.left, AtScale(10));
  EXPECT_EQ(town.top, AtScale(105));
  EXPECT_EQ(town.right - town.left, AtScale(100));
  EXPECT_EQ(wind.bottom - wind.top, AtScale(15));
  EXPECT_EQ(today.left, AtScale(30));
  EXPECT_EQ(ControlRect(59, 85).left, AtScale(219));
}

TEST_F(WidgetAtScale, DragAndRightPressWorkAndTheCityWindowTakesTheScale) {
  StartShown();
  const POINT from = OnThePlate(main_);
  MoveMouse(from.x, from.y);
  SendMouse(MOUSEEVENTF_LEFTDOWN);
  Sleep(300);
  for (int step = 1; step <= 10; ++step) MoveMouse(from.x + 12 * step, from.y + 7 * step);
  Sleep(100);
  SendMouse(MOUSEEVENTF_LEFTUP);
  // Under load the move loop may drop the last steps: any move will do.
  ASSERT_TRUE(widget_.WaitUntil([&] { return widget_.Rect(55).left > main_.left + 40; }, 3000));
  Sleep(300);
  main_ = widget_.Rect(55);
  const RECT flip = widget_.Rect(58), plate = widget_.Rect(56);
  EXPECT_EQ(flip.left, main_.left + AtScale(151));
  EXPECT_EQ(flip.top, main_.top + AtScale(-25));
  EXPECT_EQ(plate.top, main_.top + AtScale(200));

  HWND list = OpenCityList();
  ASSERT_NE(list, nullptr);
  RECT client{};
  GetClientRect(widget_.Window(91), &client);
  EXPECT_EQ(client.right, AtScale(200));
  // A window taller than the screen is cut to it (200 % on a 768-pixel screen).
  const RECT window = widget_.Rect(91);
  const int frame = (window.bottom - window.top) - client.bottom;
  EXPECT_EQ(client.bottom, std::min(AtScale(400) + frame, GetSystemMetrics(SM_CYSCREEN)) - frame);
  RECT outer{};
  GetWindowRect(list, &outer);
  EXPECT_EQ(outer.right - outer.left, AtScale(190));
}

// Wine gives every monitor one DPI, so a move to another monitor is shown by
// sending what the system sends then.
TEST_F(WidgetRun, ADpiChangeRescalesEveryWindowAndEndsTheClouds) {
  StartShown();
  const int from = ScreenDpi(), to = from == 96 ? 144 : 96;
  // The hook that takes the message is installed after the clouds show.
  ASSERT_TRUE(widget_.WaitUntil(
      [&] {
        widget_.SendDpiChanged(to);
        return widget_.Rect(55).right - main_.left == MulDiv(306, to, 96);
      },
      5000));
  RECT moved = widget_.Rect(55);
  EXPECT_EQ(moved.left, main_.left);
  EXPECT_EQ(moved.top, main_.top);
  EXPECT_EQ(moved.right - moved.left, MulDiv(306, to, 96));
  EXPECT_EQ(moved.bottom - moved.top, MulDiv(194, to, 96));
  RECT overlay = widget_.Rect(59);
  EXPECT_TRUE(EqualRect(&moved, &overlay));
  const RECT plate = widget_.Rect(56), icon = widget_.Rect(63);
  EXPECT_EQ(plate.left - moved.left, MulDiv(3, to, 96));
  EXPECT_EQ(plate.top - moved.top, MulDiv(200, to, 96));
  EXPECT_EQ(plate.right - plate.left, MulDiv(300, to, 96));
  EXPECT_EQ(icon.right - icon.left, MulDiv(48, to, 96));
  EXPECT_EQ(icon.left - moved.left, MulDiv(200, to, 96));
  RECT town{};
  GetWindowRect(GetDlgItem(widget_.Window(59), 20), &town);
  EXPECT_EQ(town.left - moved.left, MulDiv(10, to, 96));
  EXPECT_EQ(town.bottom - town.top, MulDiv(20, to, 96));
  for (int cloud = 64; cloud <= 68; ++cloud) EXPECT_FALSE(widget_.Visible(cloud)) << cloud;

  widget_.SendDpiChanged(from);
  RECT back = widget_.Rect(55), plateBack = widget_.Rect(56);
  EXPECT_TRUE(EqualRect(&back, &main_));
  EXPECT_EQ(plateBack.top - back.top, MulDiv(200, from, 96));
  EXPECT_FALSE(widget_.Ended());
}

// Refuses to create the main window, as a system out of window resources
// would.
LRESULT CALLBACK RefuseMainWindow(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND) {
    const CREATESTRUCTA* create = reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs;
    if (!IS_INTRESOURCE(create->lpszClass) && std::strcmp(create->lpszClass, "WindowClass_55") == 0)
      return 1;
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

DWORD WINAPI EndIfStuck(LPVOID) {
  Sleep(10000);
  ExitProcess(3);
}

void StartWithoutMainWindow() {
  const HOOKPROC refuse = RefuseMainWindow;
  SetWindowsHookExA(WH_CBT, refuse, nullptr, GetCurrentThreadId());
  const LPTHREAD_START_ROUTINE watchdog = EndIfStuck;
  CloseHandle(CreateThread(nullptr, 0, watchdog, nullptr, 0, nullptr));
  StartWidget();
}

TEST_F(WidgetRun, EndsAtOnceWithCodeZeroWhenItCannotOpenItsMainWindow) {
  // Nothing could ever end a widget that waited for events without its main
  // window (no tray icon, no window to close): it must end by itself, and
  // not refresh. (The test body runs again in the
  // child, where the port is taken: the child's server is not the one asked.)
  EXPECT_EXIT(StartWithoutMainWindow(), ::testing::ExitedWithCode(0), "");
  ASSERT_TRUE(feed_->Listening());
  EXPECT_TRUE(feed_->Paths().empty()) << "no refresh without a window to show it";
}

}  // namespace
