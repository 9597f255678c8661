#include "gateway/upstream_budget.h"

#include <algorithm>
#include <iterator>

#include "gateway/forecast_cache.h"

namespace {

const std::int64_t kMinute = 60, kHour = 3600;

// A clock set back would otherwise keep old calls counted, or a pause
// running, for as long as it went back.
void FollowClock(UpstreamBudget& budget, std::int64_t now) {
  for (auto at = budget.calls.rbegin(); at != budget.calls.rend() && *at > now; ++at) *at = now;
  if (budget.pausedUntil > now + kRetryAfterCapSeconds) budget.pausedUntil = now;
  while (!budget.calls.empty() && budget.calls.front() <= now - kHour) budget.calls.pop_front();
}

}  // namespace

bool MayCallUpstream(UpstreamBudget& budget, std::int64_t now) {
  FollowClock(budget, now);
  if (now < budget.pausedUntil) return false;
  if (budget.calls.size() >= static_cast<std::size_t>(kUpstreamCallsPerHour)) return false;
  // Oldest first, so the last minute's calls are a tail found by bisection.
  const auto lastMinute = budget.calls.end() -
                          std::upper_bound(budget.calls.begin(), budget.calls.end(), now - kMinute);
  return lastMinute < kUpstreamCallsPerMinute;
}

void CountUpstreamCall(UpstreamBudget& budget, std::int64_t now) {
  budget.calls.push_back(now);
}

void UncountUpstreamCall(UpstreamBudget& budget, std::int64_t at) {
  const auto counted = std::find(budget.calls.rbegin(), budget.calls.rend(), at);
  if (counted != budget.calls.rend()) budget.calls.erase(std::next(counted).base());
}

void PauseUpstream(UpstreamBudget& budget, std::int64_t now, std::int64_t until) {
  if (until > now + kRetryAfterCapSeconds) until = now + kRetryAfterCapSeconds;
  if (until > budget.pausedUntil) budget.pausedUntil = until;
}
