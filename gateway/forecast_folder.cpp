#include "gateway/forecast_folder.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "gateway/durable_file.h"
#include "gateway/forecast_store.h"

namespace fs = std::filesystem;

namespace {

const char kStoreSuffix[] = ".forecast";

std::string ReadWhole(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

fs::path StoreFile(const std::string& dir, const std::string& code) {
  return fs::path(dir) / (code + kStoreSuffix);
}

}  // namespace

bool LoadStoredForecasts(FeedService& service, const std::string& dir, std::int64_t utcNow) {
  std::error_code code;
  fs::create_directories(dir, code);
  if (code) return false;
  // A run cut short (power, kill) leaves its replacement files behind.
  for (fs::directory_iterator it(dir, code), end; !code && it != end; it.increment(code))
    if (it->path().extension() == kReplacementSuffix) fs::remove(it->path(), code);
  for (const auto& city : service.cities) {
    CachedForecast entry;
    if (!ReadStoredForecast(ReadWhole(StoreFile(dir, city.first)), utcNow, entry)) continue;
    std::lock_guard<std::mutex> lock(service.mutex);
    service.cache[city.first] = entry;
  }
  return true;
}

bool SaveStoredForecast(const std::string& dir, const std::string& code,
                        const CachedForecast& entry) {
  return WriteFileDurably(StoreFile(dir, code).string(), StoreText(entry));
}
