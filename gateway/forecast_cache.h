#pragma once
// When the gateway asks the upstream service again for one city, and how
// long a forecast it already holds may still be served: the decisions only,
// on a clock of whole UTC seconds that the caller passes in.

#include <cstdint>

#include "gateway/hourly_forecast.h"

// Within the free tier for every city of the list, every half hour.
constexpr std::int64_t kRefetchSeconds = 30 * 60;
// After that long without a good answer the forecast is too old to show.
constexpr std::int64_t kStaleLimitSeconds = 6 * 60 * 60;
// A gateway that serves keeps showing a forecast up to a day old while the
// upstream cannot be had: three days from local midnight still cover today
// and tomorrow a day later, and the widget's tooltip tells the age.
constexpr std::int64_t kServeLimitSeconds = 24 * 60 * 60;
// A request that never reached the upstream is tried again this soon,
// without growing the back-off: it loaded nobody, and a network coming up
// after log-on or a wake from sleep should bring weather in seconds.
constexpr std::int64_t kUnreachedRetrySeconds = 12;
// The first retry after a failure comes soon (a PC whose network comes up
// after log-on starts the gateway too early); each further failure doubles
// the wait, up to the half hour, so an upstream in trouble is not pressed.
constexpr std::int64_t kRetrySeconds = 2 * 60;
constexpr std::int64_t kRetryCapSeconds = 30 * 60;
// A Retry-After beyond this is taken as this: a wrong clock or a typo must
// not silence a city for weeks.
constexpr std::int64_t kRetryAfterCapSeconds = 24 * 60 * 60;

struct CachePolicy {
  std::int64_t refetchSeconds = kRefetchSeconds;
  std::int64_t staleLimitSeconds = kStaleLimitSeconds;
  std::int64_t retrySeconds = kRetrySeconds;
  std::int64_t retryCapSeconds = kRetryCapSeconds;
  std::int64_t unreachedRetrySeconds = kUnreachedRetrySeconds;
};

struct CachedForecast {
  bool tried = false;
  std::int64_t triedAt = 0;  // the last upstream request, whatever came of it
  std::int64_t dueAt = 0;    // no upstream request before this
  int failures = 0;          // in a row since the last good answer
  bool unreached = false;    // the last request never reached the upstream
  bool hasForecast = false;
  std::int64_t fetchedAt = 0;  // the last good answer
  HourlyForecast forecast;
};

// The wait after `failures` failures in a row: retrySeconds doubled per
// further failure, at most retryCapSeconds.
std::int64_t RetryWait(int failures, const CachePolicy& policy);

// A clock set back makes the entry due at once rather than hours later.
bool ShouldFetch(const CachedForecast& entry, std::int64_t now);

// `fresh` is null when the request failed; the old forecast then stays and
// the next request waits the back-off, or the upstream's Retry-After
// (seconds, 0 when it gave none) when that is longer.
void RecordFetch(CachedForecast& entry, std::int64_t now, const HourlyForecast* fresh,
                 std::int64_t retryAfterSeconds, const CachePolicy& policy);

// A request that never reached the upstream: tried again soon, the
// upstream's failures and back-off as they were.
void RecordUnreached(CachedForecast& entry, std::int64_t now, const CachePolicy& policy);

bool CanServe(const CachedForecast& entry, std::int64_t now, const CachePolicy& policy);
