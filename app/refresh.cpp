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

namespace {

const char kFeedFile[] = "nim.xml";
const int kTodayPeriod = 1;

// A gateway that died since the last refresh (crashed, ended by hand, or
// gone with a night's sleep) is started again and asked once more.
bool Download() {
  const std::string address = FeedAddress(Application.CityCode);
  if (DownloadToFile(address, kFeedFile)) return true;
  return RestartFeedGateway() && DownloadToFile(address, kFeedFile);
}

// Each step gives up quietly: the model then keeps what it had.
void FetchAndInterpret() {
  if (!Download()) return;
  if (QueryFileSize(kFeedFile) <= 0) return;
  if (!LoadXmlFile(kFeedDocument, kFeedFile)) return;
  const XmlNode root = RootElement(kFeedDocument);
  if (!root) return;
  WalkFeedNode(root, 0);
  // A page that is no feed (a proxy's answer, say) tells nothing new.
  if (Forecast().periodCounter == 0) return;
  Application.feedReceived = true;
  Application.feedReceivedAt = CurrentDate();
}

}  // namespace

void CALLBACK RefreshWeather(HWND, UINT, UINT_PTR, DWORD) {
  FetchAndInterpret();
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
