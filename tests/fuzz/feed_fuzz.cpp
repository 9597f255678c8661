// Arbitrary bytes as a downloaded feed: written to a file, loaded into
// document 0 and walked into the forecast model, as a refresh does.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!WriteFeed(data, size)) return 0;
  // Every input starts from start-up's model so a finding replays alone.
  ClearForecast();
  if (LoadXmlFile(0, FeedPath().c_str())) WalkFeedNode(RootElement(0), 0);

  // What the panels do with the result; the counter must stay a slot.
  const std::string town = DecodePercentText(Forecast().townName);
  if (town.size() > Forecast().townName.size()) __builtin_trap();
  if (Forecast().periodCounter < 0 || Forecast().periodCounter > 4) __builtin_trap();
  std::remove(FeedPath().c_str());
  return 0;
}
