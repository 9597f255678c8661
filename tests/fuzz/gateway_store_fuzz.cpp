// Arbitrary bytes as a write-dir cache file: read without harm, and what
// reads back is written again to the very same text.
#include <cstdint>
#include <string>

#include "gateway/forecast_store.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CachedForecast entry;
  if (!ReadStoreText(std::string(reinterpret_cast<const char*>(data), size), entry)) return 0;
  const std::string written = StoreText(entry);
  CachedForecast again;
  if (!ReadStoreText(written, again) || StoreText(again) != written) __builtin_trap();
  return 0;
}
