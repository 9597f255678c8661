// Arbitrary bytes as a kept forecast file (write-dir's cache, the widget's
// feedcache): read without harm, what reads back is written again to the
// very same text, and what the gateway would trust builds a feed (or none)
// without harm.
#include <cstdint>
#include <string>

#include "gateway/feed_builder.h"
#include "gateway/forecast_store.h"

namespace {

const std::int64_t kNow = 1796630400;  // 2026-12-07T12:00 in Moscow

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  CachedForecast entry;
  if (!ReadStoreText(text, entry)) return 0;
  const std::string written = StoreText(entry);
  CachedForecast again;
  if (!ReadStoreText(written, again) || StoreText(again) != written) __builtin_trap();
  if (!ReadStoredForecast(text, kNow, entry) || !entry.hasForecast) return 0;
  BuildFeed(entry.forecast, LocalTimeAt(kNow, entry.forecast.utcOffsetSeconds), "X");
  return 0;
}
