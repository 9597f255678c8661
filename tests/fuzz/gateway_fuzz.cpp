// Arbitrary bytes as the forecast service's answer: parsed, turned into a
// feed for two clocks, and every feed that comes out is walked by the
// widget's own interpretation, which must count exactly four periods.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "feed/forecast.h"
#include "feed/xml_tree.h"
#include "gateway/feed_builder.h"
#include "gateway/hourly_forecast.h"

namespace {

const std::string& FeedPath() {
  static const std::string path = (std::filesystem::temp_directory_path() /
                                   ("nimbrel_gateway_fuzz." + std::to_string(getpid()) + ".xml"))
                                      .string();
  return path;
}

void CheckFeed(const std::string& feed) {
  if (feed.empty()) return;
  for (unsigned char c : feed)
    if (c >= 0x80) __builtin_trap();  // the feed is plain ASCII
  FILE* file = std::fopen(FeedPath().c_str(), "wb");
  if (!file) return;
  const bool written = std::fwrite(feed.data(), 1, feed.size(), file) == feed.size();
  if (std::fclose(file) != 0 || !written) return;
  ClearForecast();
  if (!LoadXmlFile(0, FeedPath().c_str())) __builtin_trap();
  WalkFeedNode(RootElement(0), 0);
  if (Forecast().periodCounter != 4) __builtin_trap();
  std::remove(FeedPath().c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  HourlyForecast forecast;
  const std::string body(reinterpret_cast<const char*>(data), size);
  if (!ParseHourlyForecast(body, forecast) || forecast.time.empty()) return 0;

  // Clocks inside the forecast's own span, so that feeds come out at all.
  for (size_t at : {size_t{0}, forecast.time.size() / 2}) {
    LocalTime now;
    if (ParseLocalTime(forecast.time[at], now)) CheckFeed(BuildFeed(forecast, now, "\xcc\xee"));
  }
  CheckFeed(BuildFeed(forecast, LocalTimeAt(0, forecast.utcOffsetSeconds), "town"));
  return 0;
}
