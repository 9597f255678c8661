#include <windows.h>

#include "app/refresh.h"

#include "app/application_state.h"
#include "app/feed_gateway_launch.h"
#include "app/weather_age.h"
#include "display/panel_texts.h"
#include "display/weather_panels.h"
#include "feed/feed_address.h"
#include "feed/forecast.h"
#include "feed/http_download.h"
#include "feed/xml_tree.h"
#include "services/dates.h"
#include "services/text_file.h"
#include "services/tray.h"
#include "services/widget_numbers.h"
#include "services/window_table.h"

namespace {

const char kFeedFile[] = "nim.xml";
const int kTodayPeriod = 1;
// A server that says it will have the feed within a minute is asked again
// then, once; a longer wait is the 60-second timer's.
const int32_t kSoonRefreshLimitSeconds = 60;
const UINT kMillisecondsPerSecond = 1000;

// A gateway that died since the last refresh (crashed, ended by hand, or
// gone with a night's sleep) is started again and asked once more.
bool Download(int32_t* retryAfterSeconds) {
  const std::string address = FeedAddress(Application.CityCode);
  if (DownloadToFile(address, kFeedFile, retryAfterSeconds)) return true;
  // A gateway that said when to come back is up: nothing to restart.
  if (*retryAfterSeconds > 0) return false;
  return RestartFeedGateway() && DownloadToFile(address, kFeedFile, retryAfterSeconds);
}

// Each step gives up quietly: the model then keeps what it had. True when
// a feed came.
bool FetchAndInterpret(int32_t* retryAfterSeconds) {
  if (!Download(retryAfterSeconds)) return false;
  if (QueryFileSize(kFeedFile) <= 0) return false;
  if (!LoadXmlFile(kFeedDocument, kFeedFile)) return false;
  const XmlNode root = RootElement(kFeedDocument);
  if (!root) return false;
  WalkFeedNode(root, 0);
  // A page that is no feed (a proxy's answer, say) tells nothing new.
  if (Forecast().periodCounter == 0) return false;
  Application.feedReceived = true;
  Application.feedReceivedAt = CurrentDate();
  return true;
}

void CALLBACK SoonRefresh(HWND window, UINT, UINT_PTR timer, DWORD) {
  KillTimer(window, timer);
  RefreshWeather();
}

// One timer at most: a later refresh replaces or cancels it.
void ScheduleSoonRefresh(bool gotFeed, int32_t retryAfterSeconds) {
  const HWND main = WindowHandle(kMainWindow);
  if (!main) return;
  if (gotFeed || retryAfterSeconds <= 0 || retryAfterSeconds > kSoonRefreshLimitSeconds) {
    KillTimer(main, kSoonRefreshTimerId);
    return;
  }
  SetTimer(main, kSoonRefreshTimerId, static_cast<UINT>(retryAfterSeconds) * kMillisecondsPerSecond,
           SoonRefresh);
}

}  // namespace

void CALLBACK RefreshWeather(HWND, UINT, UINT_PTR, DWORD) {
  int32_t retryAfterSeconds = 0;
  const bool gotFeed = FetchAndInterpret(&retryAfterSeconds);
  ScheduleSoonRefresh(gotFeed, retryAfterSeconds);
  UpdateWeatherPanels(1);
  UpdateWeatherPanels(3);
  ShowWeatherAge();
}

void ShowWeatherAge() {
  const TodayTexts today =
      BuildTodayTexts(Forecast().forecastTable[kTodayPeriod], Forecast().townName);
  SetTrayIconTip(kTrayIcon,
                 WeatherAgeTip(today.town, today.temperatureRange, Application.feedReceived,
                               Application.feedReceivedAt, CurrentDate(), kMaxTrayTipLength));
}
