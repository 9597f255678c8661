#include "gateway/forecast_store.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace {

const char kMagic[] = "nimbrel-forecast 1";
// Three days are 72; a file claiming far more is not one of ours.
const long kMaxHours = 24 * 16;
const std::int64_t kFutureSlackSeconds = 24 * 60 * 60;

using Series = std::vector<std::optional<double>>;

std::string Number(const std::optional<double>& value) {
  if (!value) return "-";
  char text[40];
  std::snprintf(text, sizeof text, "%.17g", *value);
  return text;
}

bool ReadValue(std::istream& in, std::optional<double>& out) {
  std::string word;
  if (!(in >> word)) return false;
  if (word == "-") {
    out.reset();
    return true;
  }
  char* end = nullptr;
  const double value = std::strtod(word.c_str(), &end);
  if (*end != '\0' || !std::isfinite(value)) return false;
  out = value;
  return true;
}

}  // namespace

std::string StoreText(const CachedForecast& entry) {
  const HourlyForecast& f = entry.forecast;
  std::ostringstream out;
  out << kMagic << '\n'
      << entry.triedAt << ' ' << entry.dueAt << ' ' << entry.failures << ' '
      << (entry.hasForecast ? entry.fetchedAt : -1) << ' ' << f.utcOffsetSeconds << ' '
      << (entry.hasForecast ? f.time.size() : 0) << '\n';
  for (std::size_t i = 0; entry.hasForecast && i < f.time.size(); ++i)
    out << f.time[i] << ' ' << Number(f.temperature[i]) << ' ' << Number(f.humidity[i]) << ' '
        << Number(f.cloudCover[i]) << ' ' << Number(f.weatherCode[i]) << ' '
        << Number(f.windSpeed[i]) << ' ' << Number(f.windDirection[i]) << '\n';
  return out.str();
}

bool ReadStoreText(const std::string& text, CachedForecast& out) {
  std::istringstream in(text);
  std::string magic;
  long long fetchedAt = 0;
  long hours = 0;
  out = CachedForecast{};
  HourlyForecast& f = out.forecast;
  if (!std::getline(in, magic) || magic != kMagic ||
      !(in >> out.triedAt >> out.dueAt >> out.failures >> fetchedAt >> f.utcOffsetSeconds >>
        hours) ||
      hours < 0 || hours > kMaxHours || out.failures < 0)
    return false;
  out.tried = true;
  out.hasForecast = fetchedAt >= 0 && hours > 0;
  out.fetchedAt = out.hasForecast ? fetchedAt : 0;
  Series* series[] = {&f.temperature, &f.humidity,  &f.cloudCover,
                      &f.weatherCode, &f.windSpeed, &f.windDirection};
  for (long i = 0; i < hours; ++i) {
    std::string time;
    if (!(in >> time)) return false;
    f.time.push_back(time);
    for (Series* s : series) {
      s->emplace_back();
      if (!ReadValue(in, s->back())) return false;
    }
  }
  std::string extra;
  return !(in >> extra);
}

bool ReadStoredForecast(const std::string& text, std::int64_t utcNow, CachedForecast& out) {
  if (!ReadStoreText(text, out)) return false;
  const std::int64_t latest = utcNow + kFutureSlackSeconds;
  return out.triedAt <= latest && out.fetchedAt <= latest &&
         out.dueAt <= latest + kFutureSlackSeconds;
}
