#include <windows.h>

#include "feed/refresh.h"

#include "display/weather_panels.h"
#include "display/widget_numbers.h"
#include "feed/feed_address.h"
#include "feed/forecast.h"
#include "feed/http_download.h"
#include "feed/xml_tree.h"
#include "services/text_file.h"

namespace {

const char kFeedFile[] = "nim.xml";

std::string cityCode;

// Each step gives up quietly: the model then keeps what it had.
void FetchAndInterpret() {
  if (!DownloadToFile(FeedAddress(cityCode), kFeedFile)) return;
  if (QueryFileSize(kFeedFile) <= 0) return;
  if (!LoadXmlFile(kFeedDocument, kFeedFile)) return;
  const XmlNode root = RootElement(kFeedDocument);
  if (!root) return;
  WalkFeedNode(root, 0);
}

}  // namespace

void SetRefreshCityCode(const std::string& code) {
  cityCode = code;
}
const std::string& RefreshCityCode() {
  return cityCode;
}

void CALLBACK RefreshWeather(HWND, UINT, UINT_PTR, DWORD) {
  FetchAndInterpret();
  UpdateWeatherPanels(1);
  UpdateWeatherPanels(3);
}
