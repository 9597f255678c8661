#include "gateway/forecast_folder.h"

#include <filesystem>
#include <system_error>

#include "gateway/durable_file.h"
#include "gateway/forecast_store.h"

namespace fs = std::filesystem;

namespace {

const char kStoreSuffix[] = ".forecast";

// Narrow names throughout, as the caller gave the folder (fopen and the
// streams take them in the system's encoding).
std::string StoreFile(const std::string& dir, const std::string& code) {
  return dir + "/" + code + kStoreSuffix;
}

}  // namespace

bool LoadStoredForecasts(FeedService& service, const std::string& dir, std::int64_t utcNow) {
  std::error_code code;
  const fs::path folder = NarrowPath(dir);
  fs::create_directories(folder, code);
  if (code) return false;
  // A run cut short (power, kill) leaves its replacement files behind.
  for (fs::directory_iterator it(folder, code), end; !code && it != end; it.increment(code))
    if (it->path().extension() == kReplacementSuffix) fs::remove(it->path(), code);
  for (const auto& city : service.cities) {
    CachedForecast entry;
    std::string stored;
    if (!ReadWholeFile(StoreFile(dir, city.first), stored) ||
        !ReadStoredForecast(stored, utcNow, entry))
      continue;
    std::lock_guard<std::mutex> lock(service.mutex);
    service.cache[city.first] = entry;
  }
  return true;
}

bool SaveStoredForecast(const std::string& dir, const std::string& code,
                        const CachedForecast& entry) {
  return WriteFileDurably(StoreFile(dir, code), StoreText(entry));
}
