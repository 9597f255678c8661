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
