#include <windows.h>

#include "app/refresh.h"

#include "app/application_state.h"
#include "display/weather_panels.h"
#include "feed/feed_address.h"
#include "feed/forecast.h"
#include "feed/http_download.h"
#include "feed/xml_tree.h"
#include "services/text_file.h"
#include "services/widget_numbers.h"

namespace {

const char kFeedFile[] = "nim.xml";

// Each step gives up quietly: the model then keeps what it had.
void FetchAndInterpret() {
  if (!DownloadToFile(FeedAddress(Application.CityCode), kFeedFile)) return;
  if (QueryFileSize(kFeedFile) <= 0) return;
  if (!LoadXmlFile(kFeedDocument, kFeedFile)) return;
  const XmlNode root = RootElement(kFeedDocument);
  if (!root) return;
  WalkFeedNode(root, 0);
}

}  // namespace

void CALLBACK RefreshWeather(HWND, UINT, UINT_PTR, DWORD) {
  FetchAndInterpret();
  UpdateWeatherPanels(1);
  UpdateWeatherPanels(3);
}
