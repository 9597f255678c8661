// The widget living on a PC: started from any folder, kept to one copy per
// program, keeping its place, healing its feed gateway and waking with the
// machine. The real nimbrel.exe, watched from outside.
#include <windows.h>
#include <shellapi.h>
#include <winsock.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/autostart_values.h"
#include "tests/support/loopback_server.h"
#include "tests/support/process_windows.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/widget_process.h"

namespace fs = std::filesystem;

namespace {

const char kGatewayLog[] = "gateway-starts.txt";

// A copy of the program with what it reads, in a folder of its own; with
// the stand-in gateway as its nimbrel-feed.exe when asked.
fs::path StageProgram(const fs::path& folder, bool withGateway) {
  fs::create_directories(folder);
  fs::copy(AppDir() / "nimbrel.exe", folder / "nimbrel.exe");
  StageRuntime(folder);
  if (withGateway) {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    fs::copy(fs::path(self).parent_path() / "stand_in_gateway.exe", folder / "nimbrel-feed.exe");
  }
  return fs::absolute(folder / "nimbrel.exe");
}

POINT DefaultPlace() {
  return {GetSystemMetrics(SM_CXSCREEN) / 2 - 150, 40};
}

bool FeedPortAnswers() {
  WSADATA data;
  WSAStartup(MAKEWORD(1, 1), &data);
  const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in at{};
  at.sin_family = AF_INET;
  at.sin_port = htons(kWidgetFeedPort);
  at.sin_addr.s_addr = inet_addr("127.0.0.1");
  const bool answers = connect(s, reinterpret_cast<sockaddr*>(&at), sizeof at) == 0;
  closesocket(s);
  WSACleanup();
  return answers;
}

// The widget's feed port free of other tests' servers and gateways.
bool WaitFeedPortFree() {
  for (int waited = 0; waited < 30000; waited += 200) {
    if (!FeedPortAnswers()) return true;
    Sleep(200);
  }
  return false;
}

class WidgetLife : public ::testing::Test {
 protected:
  // Right press on the tray icon as the notification area reports it, then
  // the autostart item (two arrow presses down: the separator is skipped)
  // until the Run value reads as wanted; Wine now and then loses the keys
  // of a menu that has only just opened.
  bool ChooseAutostart(const Widget& widget, bool (*wanted)(const std::string& value)) {
    MoveMouse(600, 500);
    for (int attempt = 0; attempt < 3; ++attempt) {
      PostMessageA(widget.Window(55), 12501, 89, WM_RBUTTONDOWN);
      if (!widget.WaitUntil([&] { return widget.Menu() != nullptr; }, 5000)) return false;
      Sleep(300);
      PressKey(VK_DOWN);
      PressKey(VK_DOWN);
      PressKey(VK_RETURN);
      if (widget.WaitUntil([&] { return wanted(RunValue()); }, 2000)) return true;
      if (widget.Menu()) PressKey(VK_ESCAPE);
    }
    return false;
  }

  void StartShown(Widget& widget, const fs::path& exe = AppDir() / "nimbrel.exe") {
    ASSERT_TRUE(widget.Start(exe));
    ASSERT_TRUE(widget.WaitStarted()) << "start-up did not finish";
  }

  ScratchDir scratch_;
};

TEST_F(WidgetLife, StartedFromAnotherFolderItUsesTheFilesBesideItself) {
  FeedServer feed;
  ASSERT_TRUE(feed.Listening());
  const fs::path exe = StageProgram("prog", false);
  WriteFileBytes("prog/inform.ini", "ID=27612\r\n");
  fs::create_directory("System32");
  ASSERT_TRUE(SetCurrentDirectoryA("System32"));
  Widget widget;
  StartShown(widget, exe);
  const SIZE base = PngSize(AppDir() / "Resources/base.png");
  const RECT main = widget.Rect(55);
  EXPECT_EQ(main.right - main.left, base.cx) << "the base picture was not found";
  EXPECT_EQ(widget.ControlText(59, 20), "Москва");
  PostMessageA(widget.Window(55), WM_CLOSE, 0, 0);
  EXPECT_EQ(widget.WaitExit(10000), 0);
  EXPECT_EQ(ReadFileBytes("../prog/inform.ini"), "ID = 27612\r\n");
  EXPECT_TRUE(fs::exists("../prog/nim.xml"));
  EXPECT_TRUE(fs::is_empty(".")) << "nothing is written where it was started";
}

TEST_F(WidgetLife, TheTrayMenuItemWritesAndRemovesTheRunValue) {
  AutostartValuesCleaner cleaner;
  StageRuntime(".");
  FeedServer feed;
  // The folder was moved since the value was written: the item is unchecked
  // and choosing it writes the current path.
  SetRunValue("\"C:\\Old place\\nimbrel.exe\"");
  Widget widget;
  StartShown(widget);
  EXPECT_TRUE(ChooseAutostart(widget, [](const std::string& value) {
    const std::string self = "\"" + (AppDir() / "nimbrel.exe").string() + "\"";
    return lstrcmpiA(value.c_str(), self.c_str()) == 0;
  })) << RunValue();
  EXPECT_TRUE(ChooseAutostart(widget, [](const std::string& value) { return value == "<none>"; }))
      << RunValue();
  EXPECT_FALSE(widget.Ended());
  EXPECT_FALSE(fs::exists("inform.ini")) << "the choice is not a setting";
}

TEST_F(WidgetLife, ADragSavesThePlaceAndTheNextStartOpensThere) {
  StageRuntime(".");
  FeedServer feed;
  WriteFileBytes("inform.ini", "ID=27612\r\n");
  {
    Widget unmoved;
    StartShown(unmoved);
    PostMessageA(unmoved.Window(55), WM_CLOSE, 0, 0);
    ASSERT_EQ(unmoved.WaitExit(10000), 0);
    EXPECT_EQ(ReadFileBytes("inform.ini"), "ID = 27612\r\n") << "no drag, no place";
  }
  POINT moved;
  {
    Widget dragged;
    StartShown(dragged);
    const RECT from = dragged.Rect(55);
    bool arrived = DragWidget(dragged, 120, 70);
    if (!arrived)
      arrived = DragWidget(dragged, 120 - (dragged.Rect(55).left - from.left),
                           70 - (dragged.Rect(55).top - from.top));
    ASSERT_TRUE(arrived) << "the drag was lost";
    moved = {from.left + 120, from.top + 70};
    const std::string saved = "ID = 27612\r\nX = " + std::to_string(moved.x) +
                              "\r\nY = " + std::to_string(moved.y) + "\r\n";
    EXPECT_TRUE(dragged.WaitUntil([&] { return ReadFileBytes("inform.ini") == saved; }, 3000))
        << ReadFileBytes("inform.ini");
  }
  Widget reopened;
  StartShown(reopened);
  EXPECT_EQ(reopened.Rect(55).left, moved.x);
  EXPECT_EQ(reopened.Rect(55).top, moved.y);
  EXPECT_EQ(reopened.Rect(56).left, moved.x + 3);
  EXPECT_EQ(reopened.Rect(56).top, moved.y + 200);
}

TEST_F(WidgetLife, AnOffScreenPlaceGivesTheDefaultOneAsDoesADisplayChange) {
  StageRuntime(".");
  FeedServer feed;
  WriteFileBytes("inform.ini", "X=5000\r\nY=40\r\n");
  Widget widget;
  StartShown(widget);
  const POINT home = DefaultPlace();
  EXPECT_EQ(widget.Rect(55).left, home.x);
  EXPECT_EQ(widget.Rect(55).top, home.y);

  // Dragged half onto a monitor on the right, which is then unplugged.
  const int dx = GetSystemMetrics(SM_CXSCREEN) - 1 - OnThePlate(widget.Rect(55)).x;
  ASSERT_TRUE(DragWidget(widget, dx, 50)) << "the drag was lost";
  const RECT dragged = widget.Rect(55);
  const std::string saved =
      "X = " + std::to_string(dragged.left) + "\r\nY = " + std::to_string(dragged.top) + "\r\n";
  ASSERT_TRUE(widget.WaitUntil([&] { return ReadFileBytes("inform.ini") == saved; }, 3000));
  DWORD_PTR answer = 0;
  SendMessageTimeoutA(widget.Window(55), WM_DISPLAYCHANGE, 32,
                      MAKELPARAM(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)),
                      SMTO_BLOCK, 5000, &answer);
  EXPECT_TRUE(widget.WaitUntil(
      [&] { return widget.Rect(55).left == home.x && widget.Rect(55).top == home.y; }, 3000));
  EXPECT_EQ(widget.Rect(56).left, home.x + 3);
  EXPECT_EQ(ReadFileBytes("inform.ini"), saved) << "only a drag saves a place";
}

TEST_F(WidgetLife, ASecondStartOfTheSameProgramEndsAtOnce) {
  StageRuntime(".");
  FeedServer feed;
  const size_t iconsBefore = TrayIconWindows().size();
  Widget first;
  StartShown(first);
  const size_t asked = feed.Paths().size();
  Widget second;
  ASSERT_TRUE(second.Start());
  EXPECT_EQ(second.WaitExit(5000), 0);
  EXPECT_FALSE(first.Ended());
  EXPECT_EQ(feed.Paths().size(), asked) << "the second start asked for weather";
  EXPECT_FALSE(fs::exists("inform.ini"));
  EXPECT_EQ(TrayIconWindows().size(), iconsBefore + 1);

  // A copy in another folder is another widget.
  Widget elsewhere;
  StartShown(elsewhere, StageProgram("copy", false));
  EXPECT_FALSE(first.Ended());
}

TEST_F(WidgetLife, AResumeFromSleepRefreshesAtOnce) {
  StageRuntime(".");
  FeedServer feed;
  Widget widget;
  StartShown(widget);
  const int asked = feed.Count("/xml/_1.xml");
  PostMessageA(widget.Window(55), WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
  EXPECT_TRUE(feed.WaitFor("/xml/_1.xml", asked + 1, 3000));
}

// The tooltip of the first tray icon whose tooltip names the town. The
// widget adds its icon just after its windows show, so it is waited for.
std::string TipNaming(const std::string& town, int waitMs = 5000) {
  for (int waited = 0;; waited += 250) {
    for (HWND icon : TrayIconWindows()) {
      const std::string tip = TrayTipOf(icon);
      if (tip.compare(0, town.size(), town) == 0) return tip;
    }
    if (waited >= waitMs) return "<no tray tip names " + town + ">";
    Sleep(250);
  }
}

std::string NowAsTipTime() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  char text[8];
  std::snprintf(text, sizeof text, "%02d:%02d", now.wHour, now.wMinute);
  return text;
}

TEST_F(WidgetLife, TheTrayTipTellsTheWeatherAndItsAgeAlsoAfterAnExplorerRestart) {
  StageRuntime(".");
  WriteFileBytes("inform.ini", "ID=27612\r\n");
  FeedServer feed;
  const std::string before = NowAsTipTime();
  Widget widget;
  StartShown(widget);
  const std::string after = NowAsTipTime();
  const std::string tip = TipNaming("Москва");
  EXPECT_TRUE(tip == "Москва, -5...-3°C\nобновлено " + before ||
              tip == "Москва, -5...-3°C\nобновлено " + after)
      << tip;

  // Explorer came back without the icon: the widget adds it again, tooltip
  // and all.
  NOTIFYICONDATAA icon = {};
  icon.cbSize = NOTIFYICONDATAA_V2_SIZE;
  icon.hWnd = widget.Window(55);
  icon.uID = 89;
  ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &icon));
  ASSERT_EQ(TipNaming("Москва", 0).compare(0, 4, "<no "), 0);
  SendMessageTimeoutA(widget.Window(55), RegisterWindowMessageA("TaskbarCreated"), 0, 0, SMTO_BLOCK,
                      5000, nullptr);
  EXPECT_EQ(TipNaming("Москва"), tip);
}

TEST_F(WidgetLife, AGatewayEndedByForceIsStartedAgainAndTheWeatherComesBack) {
  ASSERT_TRUE(WaitFeedPortFree());
  const fs::path exe = StageProgram("prog", true);
  Widget widget;
  StartShown(widget, exe);
  ASSERT_TRUE(widget.WaitUntil([&] { return widget.ControlText(59, 20) == "G1"; }, 5000))
      << "the gateway started with the widget did not serve";
  const std::vector<DWORD> gateways = ChildProcessesNamed(widget.Id(), "nimbrel-feed.exe");
  ASSERT_EQ(gateways.size(), 1u);
  HANDLE gateway = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, gateways[0]);
  ASSERT_NE(gateway, nullptr);
  TerminateProcess(gateway, 99);
  WaitForSingleObject(gateway, 5000);
  CloseHandle(gateway);
  const DWORD died = GetTickCount();

  // The next refresh; a resume is the quickest way to have one.
  PostMessageA(widget.Window(55), WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
  EXPECT_TRUE(widget.WaitUntil([&] { return widget.ControlText(59, 20) == "G2"; }, 10000))
      << widget.ControlText(59, 20);
  RecordProperty("gateway_death_to_weather_ms", static_cast<int>(GetTickCount() - died));

  const std::string log = ReadFileBytes("prog/" + std::string(kGatewayLog));
  const std::string parent = "--parent " + std::to_string(widget.Id());
  const size_t firstEnd = log.find('\n');
  ASSERT_NE(firstEnd, std::string::npos);
  EXPECT_NE(log.substr(0, firstEnd).find("--listen 127.0.0.1:8930 " + parent), std::string::npos)
      << log;
  EXPECT_NE(log.substr(firstEnd).find(parent), std::string::npos) << log;
}

TEST_F(WidgetLife, TheWidgetEndedByForceTakesItsGatewayWithIt) {
  ASSERT_TRUE(WaitFeedPortFree());
  StageRuntime(".");
  LoopbackServer upstream(RespondWith("HTTP/1.1 503 Busy\r\nContent-Length: 0\r\n\r\n"));
  // The gateway inherits the widget's environment: it asks nobody outside.
  SetEnvironmentVariableA("NIMBREL_FEED_UPSTREAM", upstream.Url("/v1/forecast").c_str());
  Widget widget;
  const bool started = widget.Start();
  SetEnvironmentVariableA("NIMBREL_FEED_UPSTREAM", nullptr);
  ASSERT_TRUE(started);
  ASSERT_TRUE(widget.WaitStarted());
  const std::vector<DWORD> gateways = ChildProcessesNamed(widget.Id(), "nimbrel-feed.exe");
  ASSERT_EQ(gateways.size(), 1u) << "the gateway did not stay up beside the widget";
  HANDLE gateway = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, gateways[0]);
  ASSERT_NE(gateway, nullptr);
  widget.Kill();
  const DWORD waited = WaitForSingleObject(gateway, 2000);
  if (waited != WAIT_OBJECT_0) TerminateProcess(gateway, 99);
  CloseHandle(gateway);
  EXPECT_EQ(waited, static_cast<DWORD>(WAIT_OBJECT_0)) << "the gateway outlived the widget";
}

}  // namespace
