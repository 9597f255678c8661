#pragma once
// What the gateway answers: the attribution page at "/", a city's feed at
// "/xml/<code>_1.xml" built from its cached forecast (fetched when due and
// the upstream's terms allow), and a plain status for everything else.

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "gateway/city_places.h"
#include "gateway/feed_builder.h"
#include "gateway/forecast_cache.h"
#include "gateway/http_request.h"
#include "gateway/upstream_budget.h"
#include "gateway/url_fetch.h"

extern const char kOpenMeteoForecastUrl[];

using FetchFunction = std::function<FetchResult(const std::string& url)>;
using LogFunction = std::function<void(const std::string& line)>;
using FetchJob = std::function<void()>;

struct FeedService {
  std::string upstream = kOpenMeteoForecastUrl;
  std::map<std::string, CityPlace> cities;  // by code
  CachePolicy policy;
  bool fixedNow = false;  // build periods for `now` instead of the clock
  LocalTime now;
  FetchFunction fetch;
  // Where upstream requests run (a FetchPool); empty: at once, on the
  // caller's thread.
  std::function<void(FetchJob)> runFetch;
  LogFunction log;                             // may be empty
  int fetchLimitSeconds = kFetchLimitSeconds;  // of one upstream request
  // Every good or refused answer is kept here too, to be served after a
  // restart (empty: in memory only).
  std::string cacheDir;

  // Guards what follows: fetch jobs record their answers from other threads.
  std::mutex mutex;
  std::map<std::string, CachedForecast> cache;
  std::map<std::string, bool> fetching;  // a request in flight, by code
  std::map<std::string, std::int64_t> fetchingSince;
  std::map<std::string, bool> answered;  // by this gateway, since it started
  UpstreamBudget budget;
};

// How long a feed request may wait for its city's upstream request in
// flight before it gets 503 and a Retry-After: the first one of the
// gateway's life (the widget's start, not yet on screen) the full
// two seconds, later ones only a moment, so the widget stays responsive.
constexpr int kFirstAnswerWaitMilliseconds = 2000;
constexpr int kLaterAnswerWaitMilliseconds = 400;

// The upstream address of one city's forecast: the six hourly series the
// feed is built from, wind in m/s, the city's own time zone, three days.
std::string ForecastAddress(const std::string& upstream, const CityPlace& place);

// The feed for the time `utcNow` (or the fixed local time); empty when the
// forecast does not reach the periods.
std::string FeedText(const FeedService& service, const CityPlace& place,
                     const HourlyForecast& forecast, std::int64_t utcNow);

// Asks the upstream for the city when its entry is due and the terms allow,
// through runFetch; true when a request was started. A 429 pauses every
// city; Retry-After is kept.
bool RefreshCity(FeedService& service, const std::string& code, std::int64_t utcNow);

// The answer, or nothing while the city's upstream request is in flight,
// the cache cannot answer yet and the request has waited less than its
// share: ask again shortly. A 503 for a feed tells when to ask again.
std::optional<HttpAnswer> AnswerRequest(FeedService& service, const HttpRequest& request,
                                        std::int64_t utcNow, int waitedMilliseconds = 0);

// Asks again, in the background, for every city whose last request never
// reached the upstream and is due: called every second or so, it brings a
// forecast as soon as the network is back, not at the widget's next asking.
void RetryUnreached(FeedService& service, std::int64_t utcNow);

// The network changed (an address came or went): cities whose last request
// never reached the upstream are due at once.
void NoteNetworkChange(FeedService& service);

// The page at "/": where the data comes from and under which terms.
std::string AttributionPage();
