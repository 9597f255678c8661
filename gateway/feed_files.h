#pragma once
// The gateway as a batch job: every city's feed written as a static file
// for any web server, one upstream request per city, paced.

#include <cstdint>
#include <string>

#include "gateway/feed_service.h"

// 600 requests a minute is the free tier's ceiling; this stays far below it.
constexpr int kFilePaceMilliseconds = 250;

struct FeedFilesResult {
  int written = 0;
  int failed = 0;  // their old files, if any, are left as they were
};

// Writes DIR/xml/<code>_1.xml for every city, each through a temporary file
// renamed over the old one, so a web server never hands out half a feed.
FeedFilesResult WriteFeedFiles(const FeedService& service, const std::string& dir,
                               std::int64_t utcNow, int paceMilliseconds);
