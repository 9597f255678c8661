#include "gateway/feed_files.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <thread>

namespace fs = std::filesystem;

namespace {

bool WriteReplacing(const fs::path& file, const std::string& bytes) {
  const fs::path temporary = file.string() + ".new";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())) || !out.flush())
      return false;
  }
  std::error_code error;
  fs::rename(temporary, file, error);
  if (error) fs::remove(temporary, error);
  return !error;
}

}  // namespace

FeedFilesResult WriteFeedFiles(const FeedService& service, const std::string& dir,
                               std::int64_t utcNow, int paceMilliseconds) {
  FeedFilesResult result;
  const fs::path folder = fs::path(dir) / "xml";
  std::error_code error;
  fs::create_directories(folder, error);
  bool first = true;
  for (const auto& city : service.cities) {
    if (!first) std::this_thread::sleep_for(std::chrono::milliseconds(paceMilliseconds));
    first = false;
    HourlyForecast forecast;
    std::string feed;
    if (FetchForecast(service, city.second, forecast))
      feed = FeedText(service, city.second, forecast, utcNow);
    if (!feed.empty() && WriteReplacing(folder / (city.first + "_1.xml"), feed)) {
      ++result.written;
    } else {
      ++result.failed;
      if (service.log) service.log("no feed written for " + city.first);
    }
  }
  return result;
}
