#pragma once
// A folder of forecasts kept on disk, one "<code>.forecast" file per city
// (the text of forecast_store.h), each replaced whole as durable_file.h
// does: the gateway's memory across restarts, for write-dir runs and for
// the gateway a widget starts (kept beside the widget's own files).

#include <cstdint>
#include <string>

#include "gateway/feed_service.h"

// Takes every city's file that reads as one of ours and is not from the
// future of `utcNow` (another clock's, or made up); damaged, foreign and
// leftover half-written files are passed over (the leftovers removed).
// The folder is made when missing; false when it cannot be.
bool LoadStoredForecasts(FeedService& service, const std::string& dir, std::int64_t utcNow);

bool SaveStoredForecast(const std::string& dir, const std::string& code,
                        const CachedForecast& entry);
