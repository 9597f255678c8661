#pragma once
// What the gateway answers: the attribution page at "/", a city's feed at
// "/xml/<code>_1.xml" built from its cached forecast (fetched when due),
// and a plain status for everything else.

#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "gateway/city_places.h"
#include "gateway/feed_builder.h"
#include "gateway/forecast_cache.h"
#include "gateway/http_request.h"
#include "gateway/url_fetch.h"

extern const char kOpenMeteoForecastUrl[];

using FetchFunction = std::function<FetchResult(const std::string& url)>;
using LogFunction = std::function<void(const std::string& line)>;

struct FeedService {
  std::string upstream = kOpenMeteoForecastUrl;
  std::map<std::string, CityPlace> cities;  // by code
  CachePolicy policy;
  bool fixedNow = false;  // build periods for `now` instead of the clock
  LocalTime now;
  FetchFunction fetch;
  LogFunction log;  // may be empty
  std::map<std::string, CachedForecast> cache;
};

// The upstream address of one city's forecast: the six hourly series the
// feed is built from, wind in m/s, the city's own time zone, three days.
std::string ForecastAddress(const std::string& upstream, const CityPlace& place);

// One upstream request and its parse; false for any failure.
bool FetchForecast(const FeedService& service, const CityPlace& place, HourlyForecast& out);

// The feed for the time `utcNow` (or the fixed local time); empty when the
// forecast does not reach the periods.
std::string FeedText(const FeedService& service, const CityPlace& place,
                     const HourlyForecast& forecast, std::int64_t utcNow);

HttpAnswer AnswerRequest(FeedService& service, const HttpRequest& request, std::int64_t utcNow);

// The page at "/": where the data comes from and under which terms.
std::string AttributionPage();
