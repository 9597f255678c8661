// Starts one program and times it from the outside, through its windows, for
// scripts/bench: "probe widget|structure|floor|floor_timer EXE IDLE_MS [PRESSES]
// [PICKS]" (floor_timer starts the floor with its one-second timer; the
// structural floor shows the widget's window 55). "probe soak EXE IDLE_MS
// COUNT EVERY" picks a city COUNT times and marks every EVERY picks. Prints one
// "figure milliseconds" line per measurement, then "idle" when the program
// is left alone for IDLE_MS (the script samples /proc meanwhile), and ends
// the program. "probe network EXE WATCH_MS [FRESH]" is scripts/network-figures'
// probe: after "visible" it asks the widget a message every 100 ms for
// WATCH_MS, reports "feed" when nim.xml beside it first holds a feed and
// "fresh" when it holds FRESH (ending soon after), then "slowest_answer",
// and "started" is the start as Unix milliseconds.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const DWORD kLimitMs = 30000;
const DWORD kSamplingSlackMs = 8000;
const int kCityListFirstPick = 1;  // picks alternate between lines 1 and 2

LARGE_INTEGER frequency;

double NowMs() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void Report(const char* figure, double ms) {
  std::printf("%s %.2f\n", figure, ms);
  std::fflush(stdout);
}

HWND VisibleWindow(const char* className) {
  HWND window = FindWindowA(className, nullptr);
  return window && IsWindowVisible(window) ? window : nullptr;
}

// Polls every millisecond until the test holds; false after kLimitMs.
template <typename Test>
bool PollUntil(Test test) {
  const double end = NowMs() + kLimitMs;
  while (!test()) {
    if (NowMs() > end) return false;
    Sleep(1);
  }
  return true;
}

bool Answers(HWND window) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, kLimitMs, &result) != 0;
}

bool CloudsGone() {
  char name[32];
  for (int number = 64; number <= 68; ++number) {
    std::snprintf(name, sizeof name, "WindowClass_%d", number);
    if (VisibleWindow(name)) return false;
  }
  return true;
}

BOOL CALLBACK CollectText(HWND child, LPARAM list) {
  char text[256] = {};
  GetWindowTextA(child, text, sizeof text);
  reinterpret_cast<std::vector<std::string>*>(list)->push_back(text);
  return TRUE;
}

std::vector<std::string> PanelTexts() {
  std::vector<std::string> texts;
  if (HWND overlay = FindWindowA("WindowClass_59", nullptr))
    EnumChildWindows(overlay, CollectText, reinterpret_cast<LPARAM>(&texts));
  return texts;
}

// Right press on the main window until the city window shows and its list is
// filled (the loop answers again).
bool OpenCityWindow(HWND main, double* visibleMs, double* filledMs) {
  const double start = NowMs();
  PostMessageA(main, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, 10));
  HWND city = nullptr;
  if (!PollUntil([&] { return (city = VisibleWindow("WindowClass_91")) != nullptr; })) return false;
  *visibleMs = NowMs() - start;
  if (!Answers(main)) return false;
  *filledMs = NowMs() - start;
  return true;
}

bool CloseCityWindow() {
  if (HWND city = FindWindowA("WindowClass_91", nullptr)) PostMessageA(city, WM_CLOSE, 0, 0);
  return PollUntil([] { return FindWindowA("WindowClass_91", nullptr) == nullptr; });
}

// A double-click on a line, as the list reports it, until the panels show the
// new town and the loop answers again.
bool PickCity(HWND main, int line, double* ms) {
  HWND city = FindWindowA("WindowClass_91", nullptr);
  HWND list = city ? FindWindowExA(city, nullptr, "ListBox", nullptr) : nullptr;
  if (!list) return false;
  DWORD_PTR result = 0;
  SendMessageTimeoutA(list, LB_SETCURSEL, static_cast<WPARAM>(line), 0, SMTO_NORMAL, kLimitMs,
                      &result);
  const std::vector<std::string> before = PanelTexts();
  const double start = NowMs();
  PostMessageA(city, WM_COMMAND, MAKEWPARAM(0, LBN_DBLCLK), reinterpret_cast<LPARAM>(list));
  if (!PollUntil([&] { return PanelTexts() != before; }) || !Answers(main)) return false;
  *ms = NowMs() - start;
  return true;
}

bool RunWidgetFigures(HWND main, int presses, int picks) {
  if (!PollUntil(CloudsGone)) return false;
  Sleep(500);
  for (int i = 0; i < presses; ++i) {
    double visible = 0, filled = 0;
    if (!OpenCityWindow(main, &visible, &filled)) return false;
    Report("city_visible", visible);
    Report("city_filled", filled);
    if (!CloseCityWindow()) return false;
    Sleep(200);
  }
  double visible = 0, filled = 0;
  if (picks > 0 && !OpenCityWindow(main, &visible, &filled)) return false;
  for (int i = 0; i < picks; ++i) {
    double ms = 0;
    if (!PickCity(main, kCityListFirstPick + i % 2, &ms)) return false;
    Report("refresh", ms);
    Sleep(200);
  }
  return picks == 0 || CloseCityWindow();
}

// Picks lines 1 and 2 in turn, count times, printing "mark N" after every
// `every` picks so that the soak script can sample the widget's memory.
bool RunSoak(HWND main, int count, int every) {
  if (!PollUntil(CloudsGone)) return false;
  double visible = 0, filled = 0, ms = 0;
  if (!OpenCityWindow(main, &visible, &filled)) return false;
  std::printf("mark 0\n");
  std::fflush(stdout);
  for (int i = 1; i <= count; ++i) {
    if (!PickCity(main, kCityListFirstPick + i % 2, &ms)) return false;
    if (i % every == 0) {
      std::printf("mark %d\n", i);
      std::fflush(stdout);
      Sleep(500);  // the script reads /proc meanwhile
    }
  }
  return CloseCityWindow();
}

double UnixMs() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  const unsigned long long ticks =
      (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  const unsigned long long kUnixEpochTicks = 116444736000000000ULL, kTicksPerMs = 10000;
  return static_cast<double>((ticks - kUnixEpochTicks) / kTicksPerMs);
}

std::string ReadWhole(const std::string& name) {
  std::string text;
  HANDLE file = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return text;
  char piece[4096];
  DWORD got = 0;
  while (ReadFile(file, piece, sizeof piece, &got, nullptr) && got) text.append(piece, got);
  CloseHandle(file);
  return text;
}

bool RunNetworkWatch(HWND main, const std::string& directory, int watchMs, const char* fresh,
                     double start) {
  const DWORD kAskEveryMs = 100, kAfterFreshMs = 1000;
  double slowest = 0, end = NowMs() + watchMs;
  bool feed = false, seen = false;
  while (NowMs() < end) {
    const double asked = NowMs();
    if (!Answers(main)) return false;
    if (NowMs() - asked > slowest) slowest = NowMs() - asked;
    const std::string text = ReadWhole(directory + "nim.xml");
    if (!feed && text.find("<FORECAST") != std::string::npos) {
      feed = true;
      Report("feed", NowMs() - start);
    }
    if (!seen && *fresh && text.find(fresh) != std::string::npos) {
      seen = true;
      Report("fresh", NowMs() - start);
      end = NowMs() + kAfterFreshMs;
    }
    Sleep(kAskEveryMs);
  }
  Report("slowest_answer", slowest);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr,
                 "usage: probe widget|structure|floor|floor_timer EXE IDLE_MS [PRESSES] [PICKS]\n");
    return 2;
  }
  QueryPerformanceFrequency(&frequency);
  const bool widget = std::strcmp(argv[1], "widget") == 0;
  const bool soak = std::strcmp(argv[1], "soak") == 0;
  const bool network = std::strcmp(argv[1], "network") == 0;
  const bool widgetWindows = widget || soak || network || std::strcmp(argv[1], "structure") == 0;
  const char* mainClass = widgetWindows ? "WindowClass_55" : "FloorWindow";
  const int idleMs = std::atoi(argv[3]);
  const int presses = argc > 4 ? std::atoi(argv[4]) : 0;
  const int picks = argc > 5 ? std::atoi(argv[5]) : 0;

  std::string commandLine = std::string("\"") + argv[2] + "\"";
  if (std::strcmp(argv[1], "floor_timer") == 0) commandLine += " --timer";
  std::string directory = argv[2];
  directory = directory.substr(0, directory.find_last_of("\\/") + 1);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  const double start = NowMs();
  if (network) Report("started", UnixMs());
  if (!CreateProcessA(argv[2], &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                      directory.empty() ? nullptr : directory.c_str(), &startup, &process)) {
    std::fprintf(stderr, "probe: cannot start %s\n", argv[2]);
    return 1;
  }
  HWND main = nullptr;
  bool ok = PollUntil([&] { return (main = VisibleWindow(mainClass)) != nullptr; });
  if (ok) Report("visible", NowMs() - start);
  ok = ok && Answers(main);
  if (ok) Report("answering", NowMs() - start);
  if (ok && widget) ok = RunWidgetFigures(main, presses, picks);
  if (ok && soak) ok = RunSoak(main, presses, picks);
  if (ok && network) {
    ok = RunNetworkWatch(main, directory, idleMs, argc > 4 ? argv[4] : "", start);
  } else if (ok) {
    Sleep(1000);
    std::printf("idle\n");
    std::fflush(stdout);
    // The script samples /proc at the end of the idle time; reading it may
    // take seconds on a loaded machine.
    Sleep(static_cast<DWORD>(idleMs) + kSamplingSlackMs);
  } else {
    std::fprintf(stderr, "probe: %s did not get through its figures\n", argv[1]);
  }
  TerminateProcess(process.hProcess, 0);
  WaitForSingleObject(process.hProcess, 5000);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return ok ? 0 : 1;
}
