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
// A file claiming to be from further ahead than this was written by a
// clock gone wrong or by nobody of ours; a clock set back by less makes
// the entry due at once instead (ShouldFetch).
const std::int64_t kFutureSlackSeconds = 24 * 60 * 60;

std::string ReadWhole(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Believable(const CachedForecast& entry, std::int64_t utcNow) {
  const std::int64_t latest = utcNow + kFutureSlackSeconds;
  return entry.triedAt <= latest && entry.fetchedAt <= latest &&
         entry.dueAt <= latest + kFutureSlackSeconds;
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
    if (!ReadStoreText(ReadWhole(StoreFile(dir, city.first)), entry) || !Believable(entry, utcNow))
      continue;
    std::lock_guard<std::mutex> lock(service.mutex);
    service.cache[city.first] = entry;
  }
  return true;
}

bool SaveStoredForecast(const std::string& dir, const std::string& code,
                        const CachedForecast& entry) {
  return WriteFileDurably(StoreFile(dir, code).string(), StoreText(entry));
}
