#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <vector>

#include "services/widget_numbers.h"
#include "services/controls.h"
#include "services/windows.h"
#include "tests/support/event_waits.h"
#include "tests/support/resource_counters.h"

namespace {

// The two ways the widget opens windows: hidden caption-less popups, and the
// city window with a caption and close box, centred and shown at once.
const unsigned kWidgetFlags = WS_POPUP | CreateHidden;
const unsigned kCityWindowFlags = WS_CAPTION | WS_SYSMENU | CentreOnScreen;
static_assert(kWidgetFlags == 0x90000000u, "widget window flags");
static_assert(kCityWindowFlags == 0xC80001u, "city window flags");

const int kProbeMessage = WM_APP + 7;

class WindowServices : public ::testing::Test {
 protected:
  void SetUp() override { DrainEvents(); }
  void TearDown() override {
    SetWindowHook(nullptr);
    CloseAllWindowSlots();
    DrainEvents();
  }

  // A shown, captioned window to post input to.
  HWND OpenShown(int number) {
    EXPECT_TRUE(OpenWindowSlot(number, 100, 100, 200, 150, "t", WS_CAPTION | WS_SYSMENU, nullptr));
    return WindowHandle(number);
  }
};

RECT ClientRectOf(HWND window) {
  RECT rect = {};
  GetClientRect(window, &rect);
  return rect;
}

// --- Events ----------------------------------------------------------------

TEST_F(WindowServices, PostedPressesComeOutAsRawMouseMessagesOfTheirWindow) {
  HWND window = OpenShown(kMainWindow);
  OpenShown(kCityWindow);
  PostMessageA(window, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, 10));
  ASSERT_TRUE(AwaitEvent(WM_RBUTTONDOWN));
  EXPECT_EQ(EventWindowNumber(), kMainWindow);
  EXPECT_EQ(EventSubtype(), -1);
  PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
  ASSERT_TRUE(AwaitEvent(WM_LBUTTONDOWN));
  EXPECT_EQ(EventWindowNumber(), kMainWindow);
}

TEST_F(WindowServices, PressOnAControlBelongsToTheWindowHoldingIt) {
  OpenShown(kMainWindow);
  OpenShown(kCityWindow);
  ASSERT_TRUE(CreateListControl(kCityList, 5, 5, 150, 100));
  HWND list = ControlHandle(kCityList);
  PostMessageA(list, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, 10));
  ASSERT_TRUE(AwaitEvent(WM_RBUTTONDOWN));
  EXPECT_EQ(EventWindowNumber(), kCityWindow);
  PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
  ASSERT_TRUE(AwaitEvent(WM_LBUTTONDOWN));
  EXPECT_EQ(EventWindowNumber(), kCityWindow);
}

TEST_F(WindowServices, InjectedClickArrivesAsLeftPress) {
  HWND window = OpenShown(kMainWindow);
  SetForegroundWindow(window);
  DrainEvents();
  RECT rect;
  GetWindowRect(window, &rect);
  POINT centre = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
  SetCursorPos(centre.x, centre.y);
  INPUT clicks[2] = {};
  clicks[0].type = clicks[1].type = INPUT_MOUSE;
  clicks[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  clicks[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  ASSERT_EQ(SendInput(2, clicks, sizeof(INPUT)), 2u);
  ASSERT_TRUE(AwaitEvent(WM_LBUTTONDOWN));
  EXPECT_EQ(EventWindowNumber(), kMainWindow);
}

TEST_F(WindowServices, CloseRequestOnlyReportsAndLeavesTheWindow) {
  HWND window = OpenShown(kCityWindow);
  DrainEvents();
  // What the close box does: the system command sends the close request.
  PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
  std::vector<int> events = CollectEvents(150);
  ASSERT_EQ(std::count(events.begin(), events.end(), EventCloseWindow), 1);
  ASSERT_EQ(events.back(), EventCloseWindow);
  EXPECT_EQ(EventWindowNumber(), kCityWindow);
  EXPECT_EQ(EventSubtype(), -1);
  EXPECT_TRUE(IsWindow(window));
  EXPECT_EQ(WindowHandle(kCityWindow), window);
  CloseWindowSlot(kCityWindow);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(WindowHandle(kCityWindow), nullptr);
  WNDCLASSEXA info = {};
  info.cbSize = sizeof info;
  EXPECT_FALSE(GetClassInfoExA(GetModuleHandleA(nullptr), "WindowClass_91", &info))
      << "the window's class goes with it";
}

TEST_F(WindowServices, WindowTimerComesAboutOncePerPeriod) {
  OpenShown(kMainWindow);
  ASSERT_TRUE(StartWindowTimer(kMainWindow, kClockTimer, 50));
  int timers = 0;
  DWORD start = GetTickCount();
  while (GetTickCount() - start < 600) {
    int event = PollEvent();
    if (event == EventTimer) {
      ++timers;
      EXPECT_EQ(EventId(), kClockTimer);
      EXPECT_EQ(EventSubtype(), -1);
      EXPECT_EQ(EventWindowNumber(), kMainWindow);
    } else if (event == 0) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
  }
  EXPECT_GE(timers, 6);
  EXPECT_LE(timers, 13);
  EXPECT_FALSE(StartWindowTimer(kCityWindow, kClockTimer, 50)) << "no window 91";
}

int timerProcedureCalls = 0;
void CALLBACK CountTimerCall(HWND, UINT, UINT_PTR, DWORD) {
  ++timerProcedureCalls;
}

TEST_F(WindowServices, TimerWithItsOwnProcedureRunsInsideTheWaitAndComesOutAsWmTimer) {
  HWND window = OpenShown(kMainWindow);
  timerProcedureCalls = 0;
  TIMERPROC procedure = CountTimerCall;
  SetTimer(window, kRefreshTimerId, 30, procedure);
  EXPECT_TRUE(AwaitEvent(WM_TIMER));
  EXPECT_GE(timerProcedureCalls, 1);
  KillTimer(window, kRefreshTimerId);
}

TEST_F(WindowServices, SubtypeIsClearedByEventsThatSetNone) {
  HWND window = OpenShown(kMainWindow);
  PostMessageA(window, ControlEventMessage, kCityList, ControlDoubleClicked);
  ASSERT_TRUE(AwaitEvent(EventControl));
  EXPECT_EQ(EventSubtype(), ControlDoubleClicked);
  EXPECT_EQ(EventId(), kCityList);
  PostMessageA(window, WM_CLOSE, 0, 0);
  ASSERT_TRUE(AwaitEvent(EventCloseWindow));
  EXPECT_EQ(EventSubtype(), -1);
  EXPECT_EQ(EventId(), kCityList) << "the id stays from the last event that had one";
  PostMessageA(window, WM_RBUTTONDOWN, 0, 0);
  ASSERT_TRUE(AwaitEvent(WM_RBUTTONDOWN));
  EXPECT_EQ(EventSubtype(), -1);
}

TEST_F(WindowServices, PollReturnsZeroAtOnceWhenNothingWaits) {
  OpenShown(kMainWindow);
  DrainEvents();
  DWORD start = GetTickCount();
  EXPECT_EQ(PollEvent(), 0);
  EXPECT_LT(GetTickCount() - start, 50u);
}

TEST_F(WindowServices, QueuedEventsComeOldestFirstWithRepeatsDropped) {
  HWND window = OpenShown(kMainWindow);
  HWND other = OpenShown(kForecastWindow);
  DrainEvents();
  SendMessageA(window, WM_MOVE, 0, 0);
  SendMessageA(window, WM_MOVE, 0, 0);
  SendMessageA(other, WM_MOVE, 0, 0);
  SendMessageA(window, WM_CLOSE, 0, 0);
  std::vector<int> numbers;
  std::vector<int> events;
  for (int event; (event = PollEvent()) != 0;) {
    events.push_back(event);
    numbers.push_back(EventWindowNumber());
  }
  EXPECT_EQ(events, (std::vector<int>{EventMoveWindow, EventMoveWindow, EventCloseWindow}));
  EXPECT_EQ(numbers, (std::vector<int>{kMainWindow, kForecastWindow, kMainWindow}));
}

TEST_F(WindowServices, WorkerPollNeverTakesTheMainThreadsCloseRequest) {
  HWND window = OpenShown(kMainWindow);
  DrainEvents();
  SendMessageA(window, WM_CLOSE, 0, 0);  // queued as the main thread's event
  static std::atomic<int> nonZero;
  static std::atomic<int> subtype;
  nonZero = 0;
  subtype = 0;
  HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  static HANDLE doneEvent;
  doneEvent = done;
  ASSERT_NE(StartThread(
                [](int) {
                  for (int i = 0; i < 10; ++i)
                    if (PollEvent() != 0) ++nonZero;
                  subtype = EventSubtype();
                  SetEvent(doneEvent);
                  return 0;
                },
                0),
            0);
  ASSERT_EQ(WaitForSingleObject(done, 5000), WAIT_OBJECT_0);
  CloseHandle(done);
  EXPECT_EQ(nonZero, 0);
  EXPECT_EQ(subtype, -1);
  EXPECT_EQ(PollEvent(), EventCloseWindow);
  EXPECT_EQ(EventWindowNumber(), kMainWindow);
}

TEST_F(WindowServices, EventLeftByAModalLoopSurvivesUntilTheNextWait) {
  HWND window = OpenShown(kMainWindow);
  DrainEvents();
  // A loop of the application's own (a menu, a drag) dispatches meanwhile.
  PostMessageA(window, ControlEventMessage, kCityList, ControlDoubleClicked);
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  PostMessageA(window, kProbeMessage, 0, 0);
  EXPECT_EQ(WaitEvent(), EventControl);
  EXPECT_EQ(EventId(), kCityList);
  EXPECT_EQ(EventSubtype(), ControlDoubleClicked) << "it keeps the subtype it was made with";
  EXPECT_EQ(PollEvent(), 0) << "only the one left-over event, in place of the probe";
}

TEST_F(WindowServices, QueuedPairTakenFirstClearsTheLeftOverEvent) {
  HWND window = OpenShown(kMainWindow);
  DrainEvents();
  PostMessageA(window, WM_TIMER, kClockTimer, 0);
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  SendMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(PollEvent(), EventCloseWindow);
  std::vector<int> rest = CollectEvents(100);
  EXPECT_EQ(std::count(rest.begin(), rest.end(), EventTimer), 0);
}

TEST_F(WindowServices, MinimiseAndRestoreAreReported) {
  HWND window = OpenShown(kCityWindow);
  DrainEvents();
  ShowWindow(window, SW_MINIMIZE);
  std::vector<int> events = CollectEvents(200);
  EXPECT_NE(std::find(events.begin(), events.end(), EventMinimize), events.end());
  ShowWindow(window, SW_RESTORE);
  events = CollectEvents(200);
  auto restore = std::find(events.begin(), events.end(), EventRestore);
  ASSERT_NE(restore, events.end());
  EXPECT_NE(std::find(restore, events.end(), EventSizeWindow), events.end());
  // Restored from plain size changes gives no second restore.
  PlaceWindow(kCityWindow, KeepValue, KeepValue, 300, 200);
  events = CollectEvents(100);
  EXPECT_EQ(std::count(events.begin(), events.end(), EventRestore), 0);
}

TEST_F(WindowServices, HookSeesMessagesFirstAndCanSwallowThem) {
  static int closesSeen;
  static bool swallow;
  closesSeen = 0;
  swallow = true;
  HWND window = OpenShown(kMainWindow);
  SetWindowHook([](HWND, UINT message, WPARAM, LPARAM) -> LRESULT {
    if (message != WM_CLOSE) return ContinueDefault;
    ++closesSeen;
    return swallow ? 0 : ContinueDefault;
  });
  DrainEvents();
  SendMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(closesSeen, 1);
  EXPECT_EQ(PollEvent(), 0);
  swallow = false;
  SendMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_TRUE(AwaitEvent(EventCloseWindow));
  EXPECT_EQ(closesSeen, 2);
}

LRESULT SwallowEverything(HWND, UINT, WPARAM, LPARAM) {
  return 0;
}

TEST_F(WindowServices, HookOfAnotherThreadDoesNotSeeThisThreadsWindows) {
  HWND window = OpenShown(kMainWindow);
  static HANDLE done;
  done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  ASSERT_NE(StartThread(
                [](int) {
                  SetWindowHook(SwallowEverything);
                  SetEvent(done);
                  return 0;
                },
                0),
            0);
  ASSERT_EQ(WaitForSingleObject(done, 5000), WAIT_OBJECT_0);
  CloseHandle(done);
  DrainEvents();
  SendMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(PollEvent(), EventCloseWindow);
}

TEST_F(WindowServices, WindowDestroyedBehindTheSlotsBackReadsAsEmpty) {
  HWND window = OpenShown(kMainWindow);
  SetWindowHook(SwallowEverything);  // not even the end of a window may be lost
  DestroyWindow(window);
  SetWindowHook(nullptr);
  EXPECT_EQ(WindowHandle(kMainWindow), nullptr);
  EXPECT_EQ(WindowLeft(kMainWindow), 0);
  CloseWindowSlot(kMainWindow);
  EXPECT_TRUE(OpenWindowSlot(kMainWindow, 0, 0, 10, 10, "", WS_POPUP | CreateHidden, nullptr))
      << "the class was removed, so the number opens again";
}

// What the widget's own hook does: follow window 55 with another window.
LRESULT FollowWindow55(HWND window, UINT message, WPARAM, LPARAM) {
  if (window == WindowHandle(kMainWindow) && message == WM_MOVE)
    PlaceWindow(kForecastWindow, WindowLeft(kMainWindow) + 10, WindowTop(kMainWindow) + 20,
                KeepValue, KeepValue);
  return ContinueDefault;
}

TEST_F(WindowServices, HookMayPlaceOtherWindowsWhileAMoveIsHandled) {
  ASSERT_TRUE(OpenWindowSlot(kMainWindow, 100, 100, 80, 80, "", WS_POPUP, nullptr));
  ASSERT_TRUE(
      OpenWindowSlot(kForecastWindow, 0, 0, 30, 30, "", WS_POPUP, WindowHandle(kMainWindow)));
  SetWindowHook(FollowWindow55);
  DrainEvents();
  PlaceWindow(kMainWindow, 300, 200, KeepValue, KeepValue);
  EXPECT_EQ(WindowLeft(kForecastWindow), 310);
  EXPECT_EQ(WindowTop(kForecastWindow), 220);
  EXPECT_TRUE(AwaitEvent(EventMoveWindow)) << "the move still becomes an event";
}

TEST_F(WindowServices, TabMovesTheFocusToTheNextTabStop) {
  HWND window = OpenShown(kCityWindow);
  ASSERT_TRUE(CreateListControl(30, 5, 5, 80, 60));
  ASSERT_TRUE(CreateListControl(31, 100, 5, 80, 60));
  SetForegroundWindow(window);
  SetActiveWindow(window);
  SetFocus(ControlHandle(30));
  DrainEvents();
  ASSERT_EQ(GetFocus(), ControlHandle(30));
  PostMessageA(ControlHandle(30), WM_KEYDOWN, VK_TAB, 0x000F0001);
  CollectEvents(100);
  EXPECT_EQ(GetFocus(), ControlHandle(31));
  PostMessageA(ControlHandle(31), WM_KEYDOWN, VK_TAB, 0x000F0001);
  CollectEvents(100);
  EXPECT_EQ(GetFocus(), ControlHandle(30)) << "wraps around";
}

// --- Windows ---------------------------------------------------------------

TEST_F(WindowServices, WidgetFlagsGiveAHiddenPopupWithoutCaption) {
  ASSERT_TRUE(OpenWindowSlot(kMainWindow, 120, 80, 300, 200, "", kWidgetFlags, nullptr));
  HWND window = WindowHandle(kMainWindow);
  LONG_PTR style = GetWindowLongPtrA(window, GWL_STYLE);
  EXPECT_TRUE(style & WS_POPUP);
  EXPECT_NE(style & WS_CAPTION, WS_CAPTION);
  EXPECT_FALSE(IsWindowVisible(window));
  EXPECT_EQ(WindowLeft(kMainWindow), 120);
  EXPECT_EQ(WindowTop(kMainWindow), 80);
  RECT client = ClientRectOf(window);
  EXPECT_EQ(client.right, 300);
  EXPECT_EQ(client.bottom, 200);
}

TEST_F(WindowServices, CityWindowFlagsGiveACentredShownWindowWithCloseBox) {
  ASSERT_TRUE(OpenWindowSlot(kCityWindow, 0, 0, 200, 400, "Города", kCityWindowFlags, nullptr));
  HWND window = WindowHandle(kCityWindow);
  LONG_PTR style = GetWindowLongPtrA(window, GWL_STYLE);
  EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
  EXPECT_TRUE(IsWindowVisible(window));
  RECT client = ClientRectOf(window);
  EXPECT_EQ(client.right, 200);
  EXPECT_EQ(client.bottom, 400);
  RECT outer;
  GetWindowRect(window, &outer);
  int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  EXPECT_LE(std::abs(outer.left - (screenWidth - outer.right)), 1);
  EXPECT_LE(std::abs(outer.top - (screenHeight - outer.bottom)), 1);
  char title[16] = {};
  GetWindowTextA(window, title, sizeof title);
  EXPECT_STREQ(title, "Города");
}

TEST_F(WindowServices, NoStyleBitsMeansACaptionAndToolWindowsLoseTheirBoxes) {
  ASSERT_TRUE(OpenWindowSlot(40, 10, 10, 50, 50, "", CreateHidden, nullptr));
  EXPECT_EQ(GetWindowLongPtrA(WindowHandle(40), GWL_STYLE) & WS_CAPTION, WS_CAPTION);
  ASSERT_TRUE(OpenWindowSlot(41, 10, 10, 50, 50, "",
                             CreateHidden | ToolWindow | WS_SYSMENU | WS_MINIMIZEBOX, nullptr));
  HWND tool = WindowHandle(41);
  EXPECT_TRUE(GetWindowLongPtrA(tool, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  EXPECT_EQ(GetWindowLongPtrA(tool, GWL_STYLE) & WS_CAPTION, WS_CAPTION);
  EXPECT_FALSE(GetWindowLongPtrA(tool, GWL_STYLE) & WS_MINIMIZEBOX);
}

TEST_F(WindowServices, CentringOnTheOwnerPlacesTheWindowInItsMiddle) {
  ASSERT_TRUE(OpenWindowSlot(kMainWindow, 200, 100, 400, 300, "", WS_POPUP, nullptr));
  HWND owner = WindowHandle(kMainWindow);
  ASSERT_TRUE(OpenWindowSlot(kForecastWindow, 0, 0, 100, 50, "", WS_POPUP | CentreOnOwner, owner));
  EXPECT_EQ(WindowLeft(kForecastWindow), 200 + (400 - 100) / 2);
  EXPECT_EQ(WindowTop(kForecastWindow), 100 + (300 - 50) / 2);
  EXPECT_EQ(GetWindow(WindowHandle(kForecastWindow), GW_OWNER), owner);
}

TEST_F(WindowServices, ReopeningANumberReplacesTheWindowAndItsControls) {
  OpenShown(kCityWindow);
  HWND first = WindowHandle(kCityWindow);
  ASSERT_TRUE(CreateListControl(kCityList, 5, 5, 100, 100));
  HWND list = ControlHandle(kCityList);
  OpenShown(kCityWindow);
  EXPECT_FALSE(IsWindow(first));
  EXPECT_FALSE(IsWindow(list));
  EXPECT_EQ(ControlHandle(kCityList), nullptr) << "the control's number is free again";
  EXPECT_NE(WindowHandle(kCityWindow), nullptr);
  EXPECT_NE(WindowHandle(kCityWindow), first);
}

TEST_F(WindowServices, PlaceWindowKeepsWhatItIsToldToKeep) {
  ASSERT_TRUE(OpenWindowSlot(kMainWindow, 100, 120, 200, 100, "", kWidgetFlags, nullptr));
  PlaceWindow(kMainWindow, 300, KeepValue, KeepValue, KeepValue);
  EXPECT_EQ(WindowLeft(kMainWindow), 300);
  EXPECT_EQ(WindowTop(kMainWindow), 120);
  RECT client = ClientRectOf(WindowHandle(kMainWindow));
  EXPECT_EQ(client.right, 200);
  EXPECT_EQ(client.bottom, 100);
  // Sizes are client sizes, also for a window with a frame.
  OpenShown(kCityWindow);
  PlaceWindow(kCityWindow, KeepValue, KeepValue, 250, 180);
  client = ClientRectOf(WindowHandle(kCityWindow));
  EXPECT_EQ(client.right, 250);
  EXPECT_EQ(client.bottom, 180);
  EXPECT_EQ(WindowLeft(kCityWindow), 100);
}

TEST_F(WindowServices, EmptyNumbersAnswerZeroAndIgnoreOperations) {
  EXPECT_EQ(WindowHandle(77), nullptr);
  EXPECT_EQ(WindowLeft(77), 0);
  EXPECT_EQ(WindowTop(77), 0);
  PlaceWindow(77, 1, 2, 3, 4);
  SetWindowHidden(77, 1);
  SetWindowBackground(77, 0x123456);
  SetWindowTitleText(77, "x");
  CloseWindowSlot(77);
  CloseWindowSlot(-1);
  EXPECT_FALSE(OpenWindowSlot(-1, 0, 0, 10, 10, "", kWidgetFlags, nullptr));
  EXPECT_EQ(WindowHandle(77), nullptr);
}

TEST_F(WindowServices, HidingAndShowingFollowTheWindowsState) {
  ASSERT_TRUE(OpenWindowSlot(kMainWindow, 10, 10, 100, 100, "", kWidgetFlags, nullptr));
  HWND window = WindowHandle(kMainWindow);
  SetWindowHidden(kMainWindow, 0);
  EXPECT_TRUE(IsWindowVisible(window));
  SetWindowHidden(kMainWindow, 1);
  EXPECT_FALSE(IsWindowVisible(window));
}

TEST_F(WindowServices, BackgroundColourFillsTheClientAreaAndIsReleased) {
  HWND window = OpenShown(kMainWindow);
  long before = CountGdiObjects();
  const int colour = MakeColour(126, 109, 99);
  SetWindowBackground(kMainWindow, colour);
  EXPECT_EQ(CountGdiObjects(), before + 1);
  SetWindowBackground(kMainWindow, colour);
  EXPECT_EQ(CountGdiObjects(), before + 1) << "the same colour again makes nothing";
  UpdateWindow(window);
  HDC dc = GetDC(window);
  COLORREF pixel = GetPixel(dc, 20, 20);
  ReleaseDC(window, dc);
  EXPECT_EQ(pixel, static_cast<COLORREF>(colour));
  SetWindowBackground(kMainWindow, DefaultColour);
  EXPECT_EQ(CountGdiObjects(), before);
  SetWindowBackground(kMainWindow, colour);
  CloseWindowSlot(kMainWindow);
  EXPECT_EQ(CountGdiObjects(), before);
}

TEST_F(WindowServices, TitleTextIsSetAndAMissingTextIgnored) {
  HWND window = OpenShown(kCityWindow);
  SetWindowTitleText(kCityWindow, "Выход");
  SetWindowTitleText(kCityWindow, nullptr);
  char title[16] = {};
  GetWindowTextA(window, title, sizeof title);
  EXPECT_STREQ(title, "Выход");
}

TEST_F(WindowServices, ColoursAreRedGreenBlueFromTheLowByteUp) {
  EXPECT_EQ(MakeColour(126, 109, 99), 0x00636D7E);
  EXPECT_EQ(MakeColour(255, 255, 255), 0x00FFFFFF);
  EXPECT_EQ(static_cast<COLORREF>(MakeColour(1, 2, 3)), RGB(1, 2, 3));
}

// --- Threads ---------------------------------------------------------------

std::atomic<bool> stopWorker;
std::atomic<int> workerSteps;

int MoveMainWindowSteps(int) {
  for (int i = 1; i <= 20; ++i) {
    PlaceWindow(kMainWindow, WindowLeft(kMainWindow) + 1, KeepValue, KeepValue, KeepValue);
    for (int poll = 0; poll < 10; ++poll) PollEvent();
    ++workerSteps;
    Delay(1);
  }
  PostMessageA(WindowHandle(kMainWindow), kProbeMessage, 0, 0);
  return 0;
}

TEST_F(WindowServices, WorkerMovesAMainThreadWindowWhileTheMainThreadWaits) {
  ASSERT_TRUE(OpenWindowSlot(kMainWindow, 100, 100, 50, 50, "", kWidgetFlags, nullptr));
  ASSERT_TRUE(StartWindowTimer(kMainWindow, 1, 5000));  // fails the wait rather than hang
  workerSteps = 0;
  ASSERT_NE(StartThread(MoveMainWindowSteps, 0), 0);
  int event;
  int moves = 0;
  while ((event = WaitEvent()) != kProbeMessage && event != EventTimer)
    if (event == EventMoveWindow) ++moves;
  EXPECT_EQ(event, kProbeMessage);
  EXPECT_EQ(workerSteps, 20);
  EXPECT_EQ(WindowLeft(kMainWindow), 120);
  EXPECT_EQ(WindowTop(kMainWindow), 100);
  // The moves were handled inside the waits; the queue holds them, a run of
  // equal ones as one.
  if (moves == 0) {
    EXPECT_EQ(PollEvent(), EventMoveWindow);
  }
  EXPECT_EQ(EventWindowNumber(), kMainWindow);
}

int ReadWindowsUntilStopped(int) {
  while (!stopWorker) {
    WindowLeft(kCityWindow);
    PlaceWindow(kCityWindow, 50, KeepValue, KeepValue, KeepValue);
    WindowHandle(kCityWindow + 1);
    WindowTop(kMainWindow);
    ++workerSteps;
  }
  return 0;
}

TEST_F(WindowServices, WorkerReadsTheTableWhileTheMainThreadOpensAndCloses) {
  ASSERT_TRUE(OpenWindowSlot(kMainWindow, 100, 100, 50, 50, "", kWidgetFlags, nullptr));
  stopWorker = false;
  workerSteps = 0;
  ASSERT_NE(StartThread(ReadWindowsUntilStopped, 0), 0);
  // Numbers well beyond the table's size make it grow while the worker reads.
  for (int round = 0; round < 40; ++round) {
    ASSERT_TRUE(OpenWindowSlot(kCityWindow, 10, 10, 50, 50, "", kWidgetFlags, nullptr));
    ASSERT_TRUE(OpenWindowSlot(200 + round * 17, 10, 10, 20, 20, "", kWidgetFlags, nullptr));
    for (int i = 0; i < 5; ++i) PollEvent();
    CloseWindowSlot(kCityWindow);
    CloseWindowSlot(200 + round * 17);
  }
  stopWorker = true;
  Delay(20);
  DrainEvents();
  EXPECT_GT(workerSteps, 0);
  EXPECT_EQ(WindowHandle(kCityWindow), nullptr);
}

TEST_F(WindowServices, ThreadNumbersCountUpByOne) {
  int first = StartThread([](int value) { return value; }, 3);
  int second = StartThread([](int value) { return value; }, 4);
  EXPECT_GE(first, 1);
  EXPECT_EQ(second, first + 1);
  EXPECT_EQ(StartThread(nullptr, 0), 0);
}

TEST_F(WindowServices, HandlesOfEndedThreadsAreClosedByTheNextStart) {
  // Warm up whatever the first threads of the process bring along.
  StartThread([](int) { return 0; }, 0);
  Delay(50);
  StartThread([](int) { return 0; }, 0);
  Delay(50);
  long before = CountKernelHandles();
  for (int i = 0; i < 20; ++i) StartThread([](int) { return 0; }, 0);
  Delay(200);
  StartThread([](int) { return 0; }, 0);
  Delay(50);
  long after = CountKernelHandles();
  EXPECT_LE(after, before + 2);
  ReleaseThreadHandles();
}

}  // namespace
