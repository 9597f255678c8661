#include <windows.h>

#include "tests/support/refresh_rig.h"

#include <string>

#include "display/images.h"
#include "feed/feed_address.h"
#include "feed/forecast.h"
#include "feed/http_download.h"
#include "app/application_state.h"
#include "app/refresh.h"
#include "services/dates.h"
#include "tests/support/weather_feed.h"
#include "tests/support/widget_windows.h"

namespace {

DateValue Noon() {
  DateFields f;
  f.year = 2026;
  f.month = 12;
  f.day = 7;
  f.hour = 12;
  return DateFromFields(f);
}

}  // namespace

RefreshRig::RefreshRig() {
  ClearForecast();
  StartImageDecoders();
  StartSockets();
  SetDateSource(Noon);
  WriteWeatherIcons();
  server_ = std::make_unique<LoopbackServer>(RespondWith(OkResponse(FourPeriodFeed())));
  SetFeedHost("127.0.0.1:" + std::to_string(server_->Port()));
  SetCityCode("27612");
  ready_ = OpenWidgetWindows() && server_->Listening();
}

RefreshRig::~RefreshRig() {
  CloseWidgetWindows();
  FreeAllXmlDocuments();
  SetFeedHost("");
  SetCityCode("");
  SetDateSource(nullptr);
  ClearForecast();
  server_.reset();
}
