#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "display/clock_face.h"
#include "display/images.h"
#include "display/weather_panels.h"
#include "services/widget_numbers.h"
#include "feed/feed_address.h"
#include "feed/forecast.h"
#include "feed/http_download.h"
#include "app/application_state.h"
#include "app/refresh.h"
#include "services/windows.h"
#include "tests/support/png_maker.h"
#include "tests/support/refresh_rig.h"
#include "tests/support/resource_counters.h"
#include "tests/support/widget_windows.h"
#include "tests/support/window_churn.h"

namespace {

void Print(const char* when, const ResourceCounts& c) {
  std::printf("%-22s GDI objects %ld, windows %ld, kernel handles %ld, private bytes %lld\n", when,
              c.gdiObjects, c.threadWindows, c.kernelHandles, c.privateBytes);
}

TEST(RefreshSoak, TwoThousandRefreshesReturnToTheLevelAfterTheFirst) {
  const int kRefreshes = 2000;
  RefreshRig rig;
  ASSERT_TRUE(rig.Ready());

  // What Wine itself keeps for the same window churn (see window_churn.h).
  WindowChurn churn(WindowHandle(kLeftFlipWindow), WindowHandle(kForecastOverlay));
  const long long platformShare = churn.PrivateBytesOf(kRefreshes);

  RefreshWeather();
  ASSERT_EQ(ControlTextBytes(kTownText), "Москва");
  const ResourceCounts first = TakeResourceCounts();
  Print("after 1 refresh:", first);
  for (int i = 1; i <= kRefreshes; ++i) RefreshWeather();
  const ResourceCounts last = TakeResourceCounts();
  Print("after 2,001 refreshes:", last);
  std::printf("private bytes: refreshes +%lld, the bare window churn +%lld\n",
              last.privateBytes - first.privateBytes, platformShare);

  EXPECT_EQ(rig.Server().Connections(), kRefreshes + 1);
  EXPECT_EQ(ControlTextBytes(kTownText), "Москва");
  EXPECT_EQ(last.gdiObjects, first.gdiObjects);
  EXPECT_EQ(last.threadWindows, first.threadWindows);
  EXPECT_EQ(last.kernelHandles, first.kernelHandles);
  EXPECT_LT(last.privateBytes - first.privateBytes - platformShare, kRefreshes * 512);
}

// Busy bytes and blocks of every heap of the process, walked block by block:
// what the program and the platform hold, apart from pages kept free.
struct HeapTotals {
  long long busyBytes = 0;
  long long busyBlocks = 0;
};

HeapTotals WalkHeaps() {
  HeapTotals totals;
  HANDLE heaps[64];
  const DWORD count = GetProcessHeaps(64, heaps);
  for (DWORD i = 0; i < count && i < 64; ++i) {
    PROCESS_HEAP_ENTRY entry = {};
    HeapLock(heaps[i]);
    while (HeapWalk(heaps[i], &entry)) {
      if (!(entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)) continue;
      totals.busyBytes += entry.cbData;
      ++totals.busyBlocks;
    }
    HeapUnlock(heaps[i]);
  }
  return totals;
}

// Lets the messages and X events of one refresh be handled, as the widget's
// loop does between two refreshes.
void PumpMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

// Where a refresh's memory goes over many refreshes: the process's anonymous
// memory beside the heaps' busy bytes, every thousand refreshes. The loopback
// server keeps each request it read (one heap block a refresh).
TEST(RefreshSoak, HeapsAndAnonymousMemoryEveryThousandRefreshes) {
  const int kRounds = 3, kPerRound = 1000;
  RefreshRig rig;
  ASSERT_TRUE(rig.Ready());
  for (int i = 0; i < 100; ++i) {
    RefreshWeather();
    PumpMessages();
  }
  for (int round = 0; round <= kRounds; ++round) {
    for (int i = 0; round > 0 && i < kPerRound; ++i) {
      RefreshWeather();
      PumpMessages();
    }
    const HeapTotals heaps = WalkHeaps();
    std::printf("after %5d: private bytes %lld, heap busy %lld bytes in %lld blocks\n",
                100 + round * kPerRound, CountPrivateBytes(), heaps.busyBytes, heaps.busyBlocks);
  }
  EXPECT_EQ(ControlTextBytes(kTownText), "Москва");
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) /
         static_cast<double>(frequency.QuadPart);
}

// One refresh taken apart into its three stages, each timed on its own, and
// the whole refresh timed as one call.
TEST(RefreshTiming, MedianOfFiftyAgainstAContentLengthFeed) {
  RefreshRig rig;
  ASSERT_TRUE(rig.Ready());
  RefreshWeather();
  const std::string address = FeedAddress(Application.CityCode);
  std::vector<double> download, loadWalk, panels, whole;
  for (int i = 0; i < 50; ++i) {
    LARGE_INTEGER t0, t1, t2, t3, t4;
    QueryPerformanceCounter(&t0);
    const bool downloaded = DownloadToFile(address, "nim.xml");
    QueryPerformanceCounter(&t1);
    const bool loaded = LoadXmlFile(kFeedDocument, "nim.xml");
    WalkFeedNode(RootElement(kFeedDocument), 0);
    QueryPerformanceCounter(&t2);
    UpdateWeatherPanels(1);
    UpdateWeatherPanels(3);
    QueryPerformanceCounter(&t3);
    RefreshWeather();
    QueryPerformanceCounter(&t4);
    ASSERT_TRUE(downloaded && loaded);
    download.push_back(Milliseconds(t0, t1));
    loadWalk.push_back(Milliseconds(t1, t2));
    panels.push_back(Milliseconds(t2, t3));
    whole.push_back(Milliseconds(t3, t4));
  }
  std::printf(
      "median of 50: download %.2f ms, load+walk %.3f ms, panel update %.2f ms, "
      "whole refresh %.2f ms\n",
      Median(download), Median(loadWalk), Median(panels), Median(whole));
  // With a Content-Length the download ends with its last byte, never after
  // a second of silence.
  EXPECT_LT(Median(download), 1000.0);
  EXPECT_EQ(ControlTextBytes(kTomorrowText), "Завтра: -9/-4 °C");
}

double ThreadCpuMilliseconds() {
  FILETIME created, exited, kernel, user;
  GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
  const auto value = [](const FILETIME& t) {
    return static_cast<double>(static_cast<unsigned long long>(t.dwHighDateTime) << 32 |
                               t.dwLowDateTime);
  };
  return (value(kernel) + value(user)) / 10000.0;
}

TEST(ClockTiming, CpuTimeOfOneRedraw) {
  ScratchDir scratch;
  StartImageDecoders();
  for (int d = 0; d < 10; ++d) {
    const std::string file = "Digits/" + std::to_string(d) + ".png";
    WriteFileBytes(file, MakePng(RgbaPicture(48, 83, [](int x, int y) {
                     return 0xFF000000u | static_cast<uint32_t>(x * y);
                   })));
    ASSERT_NE(LoadImageSlot(kFirstDigitImage + d, file.c_str()), nullptr);
  }
  ASSERT_TRUE(OpenWindowSlot(kClockOverlay, 200, 100, 300, 200, "Test", WS_POPUP, nullptr));
  const int kRedraws = 1000;
  const long gdiBefore = CountGdiObjects();
  const double before = ThreadCpuMilliseconds();
  for (int i = 0; i < kRedraws; ++i) RedrawClock();
  const double spent = ThreadCpuMilliseconds() - before;
  std::printf("RedrawClock: %.3f ms of CPU time per call (%d calls)\n", spent / kRedraws, kRedraws);
  EXPECT_EQ(CountGdiObjects(), gdiBefore);
  CloseAllWindowSlots();
  FreeAllImageSlots();
}

}  // namespace
