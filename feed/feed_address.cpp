#include "feed/feed_address.h"

#include <cstdlib>

namespace {

std::string feedHostOverride;
const uint16_t kDefaultHttpPort = 80;
const long kMaxPort = 65535;

bool AllDigits(const std::string& text) {
  if (text.empty()) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

}  // namespace

std::string FeedAddress(const std::string& cityCode) {
  const std::string host = feedHostOverride.empty() ? NIMBREL_FEED_HOST : feedHostOverride;
  return "http://" + host + "/xml/" + cityCode + "_1.xml";
}

void SetFeedHost(const std::string& host) {
  feedHostOverride = host;
}

std::string BuiltInFeedHost() {
  return NIMBREL_FEED_HOST;
}

bool UsesBuiltInFeedHost() {
  return feedHostOverride.empty() || feedHostOverride == NIMBREL_FEED_HOST;
}

uint16_t LoopbackPortOf(const std::string& host) {
  const auto colon = host.find(':');
  const std::string name = host.substr(0, colon);
  const bool loopback =
      name == "localhost" || (name.compare(0, 4, "127.") == 0 &&
                              name.find_first_not_of("0123456789.") == std::string::npos);
  if (!loopback) return 0;
  if (colon == std::string::npos) return kDefaultHttpPort;
  const std::string port = host.substr(colon + 1);
  if (!AllDigits(port) || port.size() > 5) return 0;
  const long value = std::strtol(port.c_str(), nullptr, 10);
  return value >= 1 && value <= kMaxPort ? static_cast<uint16_t>(value) : 0;
}
