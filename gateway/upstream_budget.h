#pragma once
// The upstream's terms for all cities together: at most so many requests a
// minute and an hour, whoever asks, and a pause for everyone after the
// upstream said "too many requests". On the same clock of whole UTC seconds
// as the cache.

#include <cstdint>
#include <deque>

// The free tier allows 600 a minute and 5,000 an hour.
constexpr int kUpstreamCallsPerMinute = 600;
constexpr int kUpstreamCallsPerHour = 5000;

struct UpstreamBudget {
  std::deque<std::int64_t> calls;  // the last hour's, oldest first
  std::int64_t pausedUntil = 0;
  int refusals = 0;  // "too many requests" in a row, whichever city asked
};

bool MayCallUpstream(UpstreamBudget& budget, std::int64_t now);
void CountUpstreamCall(UpstreamBudget& budget, std::int64_t now);
// A call counted at `at` that never reached the upstream costs it nothing.
void UncountUpstreamCall(UpstreamBudget& budget, std::int64_t at);
// No request for any city before `until` (a later pause wins).
void PauseUpstream(UpstreamBudget& budget, std::int64_t now, std::int64_t until);
