#pragma once
// The gateway as a batch job for a static web server: every city's feed
// written as DIR/xml/<code>_1.xml, rebuilt at every run from the last good
// forecast kept in DIR/cache/, which asks the upstream only for the cities
// that are due, paced, within the same terms as the server.

#include <cstddef>
#include <cstdint>
#include <string>

#include "gateway/feed_service.h"

// 600 requests a minute is the free tier's ceiling; this stays far below it.
constexpr int kFilePaceMilliseconds = 250;
// The free tier allows fewer than 10,000 requests a day. The list's regular
// refreshes stay within this many, which leaves room for retries.
constexpr std::int64_t kDailyRequestBudget = 9000;

struct FeedFilesResult {
  bool usable = true;  // false: DIR could not be made or written; nothing was asked
  std::string error;
  int written = 0;
  int removed = 0;  // cities without a forecast young enough: no file
  int failed = 0;   // files that could not be written or removed
};

// The least wait between two requests for one city of a list this long, so
// that the whole list stays within kDailyRequestBudget a day however often
// the runs come.
std::int64_t ListRefreshSeconds(std::size_t cities);

// Leftover ".new" files are removed first. The periods follow `utcNow` (or
// the service's fixed time), so every file is rewritten, asked or not. Each
// city waits at least ListRefreshSeconds between requests, and its retries
// back off up to that.
FeedFilesResult WriteFeedFiles(FeedService& service, const std::string& dir, std::int64_t utcNow,
                               int paceMilliseconds);
