// Arbitrary bytes as a downloaded feed: written to a file, loaded into
// document 0 and walked into the forecast model, as a refresh does, then
// turned into the panels' texts. A second refresh with the same feed must
// show the same: no slot may shift between walks.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "display/panel_texts.h"
#include "feed/forecast.h"
#include "feed/xml_tree.h"

namespace {

const std::string& FeedPath() {
  static const std::string path = (std::filesystem::temp_directory_path() /
                                   ("nimbrel_feed_fuzz." + std::to_string(getpid()) + ".xml"))
                                      .string();
  return path;
}

bool WriteFeed(const uint8_t* data, size_t size) {
  FILE* file = std::fopen(FeedPath().c_str(), "wb");
  if (!file) return false;
  const bool ok = size == 0 || std::fwrite(data, 1, size, file) == size;
  return std::fclose(file) == 0 && ok;
}

bool SamePeriod(const ForecastPeriod& a, const ForecastPeriod& b) {
  return a.dateLine == b.dateLine && a.cloudinessText == b.cloudinessText &&
         a.precipitationText == b.precipitationText && a.temperatureMin == b.temperatureMin &&
         a.temperatureMax == b.temperatureMax && a.windMin == b.windMin && a.windMax == b.windMax &&
         a.relwetMin == b.relwetMin && a.relwetMax == b.relwetMax &&
         a.directionText == b.directionText;
}

bool IsIconFile(const char* name) {
  return std::string(name).rfind("Weather/", 0) == 0;
}

// What UpdateWeatherPanels makes of a period, without the windows.
void BuildPanels(const ForecastPeriod& period) {
  const std::string& townName = Forecast().townName;
  const TodayTexts today = BuildTodayTexts(period, townName);
  if (today.town.size() > townName.size()) __builtin_trap();
  (void)BuildTomorrowText(period);
  std::string title;
  if (ChooseMainTitle(period, &title) && title.empty()) __builtin_trap();
  const IconChoice icons = ChooseIcons(period.precipitationText, period.cloudinessText);
  if (!icons.bigIcon != !icons.smallIcon) __builtin_trap();
  if (icons.bigIcon && !(IsIconFile(icons.bigIcon) && IsIconFile(icons.smallIcon)))
    __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!WriteFeed(data, size)) return 0;
  // Every input starts from start-up's model so a finding replays alone.
  ClearForecast();
  if (LoadXmlFile(0, FeedPath().c_str())) {
    WalkFeedNode(RootElement(0), 0);
    const ForecastModel first = Forecast();
    WalkFeedNode(RootElement(0), 0);
    for (int slot = 0; slot < kForecastSlotCount; ++slot)
      if (!SamePeriod(first.forecastTable[slot], Forecast().forecastTable[slot])) __builtin_trap();
    if (first.periodCounter != Forecast().periodCounter) __builtin_trap();
  }
  if (Forecast().periodCounter < 0 || Forecast().periodCounter > 4) __builtin_trap();
  BuildPanels(Forecast().forecastTable[1]);
  BuildPanels(Forecast().forecastTable[3]);
  std::remove(FeedPath().c_str());
  return 0;
}
