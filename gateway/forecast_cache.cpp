#include "gateway/forecast_cache.h"

bool ShouldFetch(const CachedForecast& entry, std::int64_t now, const CachePolicy& policy) {
  if (!entry.tried || now < entry.triedAt) return true;
  const std::int64_t wait =
      CanServe(entry, now, policy) ? policy.refetchSeconds : policy.retrySeconds;
  return now - entry.triedAt >= wait;
}

void RecordFetch(CachedForecast& entry, std::int64_t now, const HourlyForecast* fresh) {
  entry.tried = true;
  entry.triedAt = now;
  if (!fresh) return;
  entry.hasForecast = true;
  entry.fetchedAt = now;
  entry.forecast = *fresh;
}

bool CanServe(const CachedForecast& entry, std::int64_t now, const CachePolicy& policy) {
  return entry.hasForecast && now - entry.fetchedAt <= policy.staleLimitSeconds;
}
