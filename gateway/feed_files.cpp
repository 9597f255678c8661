#include "gateway/feed_files.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <thread>

#include "gateway/durable_file.h"
#include "gateway/forecast_folder.h"

namespace fs = std::filesystem;

namespace {

const char kFeedFolder[] = "xml";
const char kCacheFolder[] = "cache";
const char kProbeName[] = "write-probe";
const char kPauseName[] = "upstream-pause";
// A timer run at the half hour may start a moment before the last run's
// half hour is over; it must still find the city due.
const std::int64_t kTimerSlackSeconds = 60;
const std::int64_t kDaySeconds = 24 * 60 * 60;

std::string ReadWhole(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Made and writable, or a message saying which is not.
bool PrepareFolder(const fs::path& folder, std::string& error) {
  std::error_code code;
  fs::create_directories(folder, code);
  const fs::path probe = folder / kProbeName;
  if (code || !WriteFileDurably(probe.string(), "probe")) {
    error = "cannot make or write " + folder.string() + (code ? ": " + code.message() : "");
    return false;
  }
  fs::remove(probe, code);
  return true;
}

// A run cut short (power, kill) leaves its replacement files behind.
void RemoveLeftovers(const fs::path& folder) {
  std::error_code code;
  for (fs::directory_iterator it(folder, code), end; !code && it != end; it.increment(code))
    if (it->path().extension() == kReplacementSuffix) fs::remove(it->path(), code);
}

void LoadCache(FeedService& service, const fs::path& cache, std::int64_t utcNow) {
  LoadStoredForecasts(service, cache.string(), utcNow);
  for (auto& entry : service.cache) entry.second.dueAt -= kTimerSlackSeconds;
  const std::string pause = ReadWhole(cache / kPauseName);
  if (!pause.empty()) service.budget.pausedUntil = std::atoll(pause.c_str());
}

void AskDueCities(FeedService& service, std::int64_t utcNow, int paceMilliseconds) {
  bool asked = false;
  for (const auto& city : service.cities) {
    {
      std::lock_guard<std::mutex> lock(service.mutex);
      if (!ShouldFetch(service.cache[city.first], utcNow)) continue;
    }
    if (asked) std::this_thread::sleep_for(std::chrono::milliseconds(paceMilliseconds));
    asked = RefreshCity(service, city.first, utcNow) || asked;
  }
}

// The feed file for one city: rebuilt, or removed when there is nothing
// young enough to show.
void PlaceFeed(const FeedService& service, const fs::path& folder, const std::string& code,
               const CachedForecast& entry, std::int64_t utcNow, FeedFilesResult& result) {
  const fs::path file = folder / (code + "_1.xml");
  std::string feed;
  if (CanServe(entry, utcNow, service.policy))
    feed = FeedText(service, service.cities.at(code), entry.forecast, utcNow);
  std::error_code error;
  if (feed.empty()) {
    fs::remove(file, error);
    ++(error ? result.failed : result.removed);
  } else {
    ++(WriteFileDurably(file.string(), feed) ? result.written : result.failed);
  }
}

void SpreadOverTheDay(CachePolicy& policy, std::size_t cities) {
  policy.refetchSeconds = std::max(policy.refetchSeconds, ListRefreshSeconds(cities));
  policy.retryCapSeconds = std::max(policy.retryCapSeconds, policy.refetchSeconds);
}

}  // namespace

// The slack is added back: a run may find a city due that much early.
std::int64_t ListRefreshSeconds(std::size_t cities) {
  const std::int64_t count = static_cast<std::int64_t>(cities);
  return (count * kDaySeconds + kDailyRequestBudget - 1) / kDailyRequestBudget + kTimerSlackSeconds;
}

FeedFilesResult WriteFeedFiles(FeedService& service, const std::string& dir, std::int64_t utcNow,
                               int paceMilliseconds) {
  FeedFilesResult result;
  SpreadOverTheDay(service.policy, service.cities.size());
  const fs::path feeds = fs::path(dir) / kFeedFolder, cache = fs::path(dir) / kCacheFolder;
  if (!PrepareFolder(feeds, result.error) || !PrepareFolder(cache, result.error)) {
    result.usable = false;
    return result;
  }
  RemoveLeftovers(feeds);
  LoadCache(service, cache, utcNow);
  AskDueCities(service, utcNow, paceMilliseconds);

  std::lock_guard<std::mutex> lock(service.mutex);
  for (const auto& city : service.cities) {
    const CachedForecast& entry = service.cache[city.first];
    PlaceFeed(service, feeds, city.first, entry, utcNow, result);
    if (entry.tried && !SaveStoredForecast(cache.string(), city.first, entry)) ++result.failed;
  }
  WriteFileDurably((cache / kPauseName).string(), std::to_string(service.budget.pausedUntil));
  if (service.log)
    for (const auto& city : service.cities)
      if (!CanServe(service.cache[city.first], utcNow, service.policy))
        service.log("no forecast younger than 6 h for " + city.first);
  return result;
}
