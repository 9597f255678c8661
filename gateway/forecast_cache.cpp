#include "gateway/forecast_cache.h"

#include <algorithm>

std::int64_t RetryWait(int failures, const CachePolicy& policy) {
  std::int64_t wait = policy.retrySeconds;
  for (int i = 1; i < failures && wait < policy.retryCapSeconds; ++i) wait *= 2;
  return std::min(wait, std::max(policy.retryCapSeconds, policy.retrySeconds));
}

bool ShouldFetch(const CachedForecast& entry, std::int64_t now) {
  return !entry.tried || now < entry.triedAt || now >= entry.dueAt;
}

void RecordFetch(CachedForecast& entry, std::int64_t now, const HourlyForecast* fresh,
                 std::int64_t retryAfterSeconds, const CachePolicy& policy) {
  entry.tried = true;
  entry.triedAt = now;
  entry.unreached = false;
  if (fresh) {
    entry.failures = 0;
    entry.hasForecast = true;
    entry.fetchedAt = now;
    entry.forecast = *fresh;
    entry.dueAt = now + policy.refetchSeconds;
    return;
  }
  ++entry.failures;
  const std::int64_t asked =
      std::min(std::max<std::int64_t>(retryAfterSeconds, 0), kRetryAfterCapSeconds);
  entry.dueAt = now + std::max(RetryWait(entry.failures, policy), asked);
}

void RecordUnreached(CachedForecast& entry, std::int64_t now, const CachePolicy& policy) {
  entry.tried = true;
  entry.triedAt = now;
  entry.unreached = true;
  entry.dueAt = now + policy.unreachedRetrySeconds;
}

bool CanServe(const CachedForecast& entry, std::int64_t now, const CachePolicy& policy) {
  return entry.hasForecast && now - entry.fetchedAt <= policy.staleLimitSeconds;
}
