#pragma once
// One city's cache entry as a text file, so that --write-dir runs keep the
// last good forecast and the request times from one run to the next.
//
//   nimbrel-forecast 1
//   <triedAt> <dueAt> <failures> <fetchedAt> <utcOffsetSeconds> <hours>
//   <time> <temperature> <humidity> <cloud> <code> <speed> <direction>   (per hour, "-" when missing)

#include <string>

#include "gateway/forecast_cache.h"

std::string StoreText(const CachedForecast& entry);

// False for anything that is not such a file; `out` is then unspecified.
bool ReadStoreText(const std::string& text, CachedForecast& out);
