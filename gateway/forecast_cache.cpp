#include "gateway/forecast_cache.h"

bool ShouldFetch(const CachedForecast& entry, std::int64_t now, const CachePolicy& policy) {
  return !entry.tried || now < entry.triedAt || now - entry.triedAt >= policy.refetchSeconds;
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
