#include <windows.h>

#include <gtest/gtest.h>

#include "services/widget_numbers.h"
#include "app/refresh.h"
#include "services/windows.h"
#include "tests/support/refresh_rig.h"
#include "tests/support/resource_counters.h"
#include "tests/support/widget_windows.h"
#include "tests/support/window_churn.h"

namespace {

const int kRefreshes = 100;

// Each refresh closes and re-opens four icon windows and reloads up to four
// pictures; whatever it creates must be gone by the next one. The counters
// themselves are shown to move in resource_counters_test.cpp.
TEST(RefreshLeaks, HundredRefreshesReturnToTheLevelAfterTheFirst) {
  RefreshRig rig;
  ASSERT_TRUE(rig.Ready());

  // Wine keeps a little memory for every window it shows; the same churn
  // without the widget's code gives that share.
  WindowChurn churn(WindowHandle(kLeftFlipWindow), WindowHandle(kForecastOverlay));
  const long long platformShare = churn.PrivateBytesOf(kRefreshes);

  RefreshWeather();
  ASSERT_EQ(ControlTextBytes(kTownText), "Москва");
  const ResourceCounts first = TakeResourceCounts();
  ASSERT_GT(first.gdiObjects, 0);
  ASSERT_GT(first.kernelHandles, 0);

  for (int i = 1; i <= kRefreshes; ++i) RefreshWeather();

  const ResourceCounts last = TakeResourceCounts();
  EXPECT_EQ(rig.Server().Connections(), kRefreshes + 1);
  EXPECT_EQ(last.gdiObjects, first.gdiObjects);
  EXPECT_EQ(last.threadWindows, first.threadWindows);
  EXPECT_EQ(last.kernelHandles, first.kernelHandles);
  // Beyond the platform's share, less than 50 bytes per refresh (a page or
  // so over the hundred): the widget grew no more than the bare churn in
  // every run seen, and a leaked feed document or picture is kilobytes.
  EXPECT_LT(last.privateBytes - first.privateBytes - platformShare, kRefreshes * 50)
      << "grew " << last.privateBytes - first.privateBytes << " bytes, the bare window churn "
      << platformShare;
}

}  // namespace
