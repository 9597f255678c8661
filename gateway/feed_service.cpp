#include "gateway/feed_service.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "gateway/forecast_folder.h"

const char kOpenMeteoForecastUrl[] = "https://api.open-meteo.com/v1/forecast";

namespace {

const char kHourlySeries[] =
    "temperature_2m,relative_humidity_2m,cloud_cover,weather_code,wind_speed_10m,"
    "wind_direction_10m";
const int kForecastDays = 3;
const char kFeedPrefix[] = "/xml/";
const char kFeedSuffix[] = "_1.xml";
const int kTooManyRequests = 429;

void Log(const FeedService& service, const std::string& line) {
  if (service.log) service.log(line);
}

// "/xml/<code>_1.xml" (a query is ignored) gives the code; anything else "".
std::string CodeOfTarget(const std::string& target) {
  const std::string path = target.substr(0, target.find('?'));
  const std::string prefix = kFeedPrefix, suffix = kFeedSuffix;
  if (path.size() <= prefix.size() + suffix.size() || path.compare(0, prefix.size(), prefix) != 0 ||
      path.compare(path.size() - suffix.size(), suffix.size(), suffix) != 0)
    return "";
  return path.substr(prefix.size(), path.size() - prefix.size() - suffix.size());
}

// Four decimals are about 10 m: finer than any forecast grid.
std::string Degrees(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.4f", value);
  return text;
}

std::string QueryJoint(const std::string& upstream) {
  const auto mark = upstream.find('?');
  if (mark == std::string::npos) return "?";
  const char last = upstream.back();
  return last == '?' || last == '&' ? "" : "&";
}

// One upstream request and its parse, without the service's lock.
bool FetchForecast(const FeedService& service, const std::string& url, HourlyForecast& out,
                   FetchResult& result) {
  result = service.fetch(url);
  if (result.status != 200) {
    Log(service, "upstream " + url + ": " +
                     (result.status ? "status " + std::to_string(result.status)
                      : result.failure == FetchFailure::Unreached ? "not reached"
                                                                  : "no answer"));
    return false;
  }
  if (!ParseHourlyForecast(result.body, out)) {
    Log(service, "upstream " + url + ": not a forecast");
    return false;
  }
  Log(service, "upstream " + url + ": forecast of " + std::to_string(out.time.size()) + " hours");
  return true;
}

bool NeverReached(const FetchResult& result) {
  return result.status == 0 && result.failure == FetchFailure::Unreached;
}

void KeepOnDisk(const FeedService& service, const std::string& code, const CachedForecast& entry) {
  if (!service.cacheDir.empty() && !SaveStoredForecast(service.cacheDir, code, entry))
    Log(service, "cannot write the cache in " + service.cacheDir);
}

void FetchJobFor(FeedService& service, const std::string& code, const std::string& url,
                 std::int64_t startedAt) {
  HourlyForecast fresh;
  FetchResult result;
  const bool good = FetchForecast(service, url, fresh, result);
  CachedForecast kept;
  {
    std::lock_guard<std::mutex> lock(service.mutex);
    CachedForecast& entry = service.cache[code];
    service.fetching[code] = false;
    if (NeverReached(result)) {
      // Nothing about the upstream was learnt, and it was not asked.
      RecordUnreached(entry, startedAt, service.policy);
      UncountUpstreamCall(service.budget, startedAt);
      return;
    }
    RecordFetch(entry, startedAt, good ? &fresh : nullptr, result.retryAfterSeconds,
                service.policy);
    kept = entry;
    if (good) service.budget.refusals = 0;
    if (result.status == kTooManyRequests) {
      // Refused for asking too often: every city waits, longer each time.
      const std::int64_t wait = RetryWait(++service.budget.refusals, service.policy);
      PauseUpstream(service.budget, startedAt,
                    startedAt + std::max<std::int64_t>(wait, result.retryAfterSeconds));
    }
  }
  KeepOnDisk(service, code, kept);
}

// When a request for the city may come back: after the request in flight
// has had its limit, or once the city is due and the upstream may be asked.
std::int64_t RetryAfterSeconds(FeedService& service, const std::string& code, std::int64_t utcNow) {
  const CachedForecast& entry = service.cache[code];
  std::int64_t next =
      service.fetching[code]
          ? service.fetchingSince[code] + service.fetchLimitSeconds + 1
          : std::max(entry.tried ? entry.dueAt : utcNow, service.budget.pausedUntil);
  return std::min<std::int64_t>(std::max<std::int64_t>(next - utcNow, 1), kRetryAfterCapSeconds);
}

std::optional<HttpAnswer> FeedAnswer(FeedService& service, const std::string& code,
                                     std::int64_t utcNow, int waitedMilliseconds) {
  const auto city = service.cities.find(code);
  if (city == service.cities.end()) return StatusAnswer(404);
  RefreshCity(service, code, utcNow);
  std::lock_guard<std::mutex> lock(service.mutex);
  const CachedForecast& entry = service.cache[code];
  const std::string feed = CanServe(entry, utcNow, service.policy)
                               ? FeedText(service, city->second, entry.forecast, utcNow)
                               : std::string();
  const int wait =
      service.answered[code] ? kLaterAnswerWaitMilliseconds : kFirstAnswerWaitMilliseconds;
  if (feed.empty() && service.fetching[code] && waitedMilliseconds < wait) return std::nullopt;
  service.answered[code] = true;
  if (!feed.empty()) return HttpAnswer{200, "text/xml", feed};
  HttpAnswer unavailable = StatusAnswer(503);
  unavailable.retryAfterSeconds = RetryAfterSeconds(service, code, utcNow);
  return unavailable;
}

}  // namespace

std::string ForecastAddress(const std::string& upstream, const CityPlace& place) {
  return upstream + QueryJoint(upstream) + "latitude=" + Degrees(place.latitude) +
         "&longitude=" + Degrees(place.longitude) + "&hourly=" + kHourlySeries +
         "&wind_speed_unit=ms&timezone=auto&forecast_days=" + std::to_string(kForecastDays);
}

std::string FeedText(const FeedService& service, const CityPlace& place,
                     const HourlyForecast& forecast, std::int64_t utcNow) {
  const LocalTime now =
      service.fixedNow ? service.now : LocalTimeAt(utcNow, forecast.utcOffsetSeconds);
  return BuildFeed(forecast, now, place.townName);
}

bool RefreshCity(FeedService& service, const std::string& code, std::int64_t utcNow) {
  const auto city = service.cities.find(code);
  if (city == service.cities.end()) return false;
  {
    std::lock_guard<std::mutex> lock(service.mutex);
    if (service.fetching[code] || !ShouldFetch(service.cache[code], utcNow) ||
        !MayCallUpstream(service.budget, utcNow))
      return false;
    CountUpstreamCall(service.budget, utcNow);
    service.fetching[code] = true;
    service.fetchingSince[code] = utcNow;
  }
  const std::string url = ForecastAddress(service.upstream, city->second);
  FeedService* owner = &service;
  FetchJob job = [owner, code, url, utcNow] { FetchJobFor(*owner, code, url, utcNow); };
  if (service.runFetch)
    service.runFetch(std::move(job));
  else
    job();
  return true;
}

std::optional<HttpAnswer> AnswerRequest(FeedService& service, const HttpRequest& request,
                                        std::int64_t utcNow, int waitedMilliseconds) {
  // HEAD is answered like GET; the loop leaves the body out.
  if (request.method != "GET" && request.method != "HEAD") return StatusAnswer(405);
  const std::string path = request.target.substr(0, request.target.find('?'));
  if (path == "/") return HttpAnswer{200, "text/html; charset=utf-8", AttributionPage()};
  const std::string code = CodeOfTarget(request.target);
  return code.empty() ? StatusAnswer(404) : FeedAnswer(service, code, utcNow, waitedMilliseconds);
}

void RetryUnreached(FeedService& service, std::int64_t utcNow) {
  std::vector<std::string> due;
  {
    std::lock_guard<std::mutex> lock(service.mutex);
    for (const auto& city : service.cache)
      if (city.second.unreached && ShouldFetch(city.second, utcNow)) due.push_back(city.first);
  }
  for (const std::string& code : due) RefreshCity(service, code, utcNow);
}

void NoteNetworkChange(FeedService& service) {
  std::lock_guard<std::mutex> lock(service.mutex);
  for (auto& city : service.cache)
    if (city.second.unreached) city.second.dueAt = city.second.triedAt;
}

std::string AttributionPage() {
  return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>nimbrel-feed</title>"
         "</head><body>\n"
         "<h1>nimbrel-feed</h1>\n"
         "<p>Weather feeds for the Nimbrel widget: <code>/xml/&lt;code&gt;_1.xml</code>.</p>\n"
         "<p><a href=\"https://open-meteo.com/\">Weather data by Open-Meteo.com</a>, "
         "licence <a href=\"https://creativecommons.org/licenses/by/4.0/\">CC BY 4.0</a>. "
         "Open-Meteo's free service is for non-commercial use.</p>\n"
         "<p>Station data: <a href=\"https://meteostat.net/\">Meteostat</a>, "
         "licence <a href=\"https://creativecommons.org/licenses/by/4.0/\">CC BY 4.0</a>.</p>\n"
         "</body></html>\n";
}
