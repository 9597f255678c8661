#pragma once
// One city's cache entry as a text file, so that --write-dir runs keep the
// last good forecast and the request times from one run to the next.
//
//   nimbrel-forecast 1
//   <triedAt> <dueAt> <failures> <fetchedAt> <utcOffsetSeconds> <hours>
//   <time> <temperature> <humidity> <cloud> <code> <speed> <direction>   (per hour, "-" when missing)

#include <cstdint>
#include <string>

#include "gateway/forecast_cache.h"

std::string StoreText(const CachedForecast& entry);

// False for anything that is not such a file; `out` is then unspecified.
bool ReadStoreText(const std::string& text, CachedForecast& out);

// A file to be trusted at `utcNow`: one of ours and not from the future (a
// clock gone wrong, or made up). A clock set back by less than a day makes
// the entry due at once instead (ShouldFetch).
bool ReadStoredForecast(const std::string& text, std::int64_t utcNow, CachedForecast& out);
