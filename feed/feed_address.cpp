#include "feed/feed_address.h"

namespace {
std::string feedHostOverride;
}

std::string FeedAddress(const std::string& cityCode) {
  const std::string host = feedHostOverride.empty() ? NIMBREL_FEED_HOST : feedHostOverride;
  return "http://" + host + "/xml/" + cityCode + "_1.xml";
}

void SetFeedHost(const std::string& host) {
  feedHostOverride = host;
}
