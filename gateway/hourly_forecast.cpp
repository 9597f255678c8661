#include "gateway/hourly_forecast.h"

#include <nlohmann/json.hpp>

using nlohmann::json;

namespace {

// Real offsets lie within -12 h and +14 h; anything past a day is not a clock.
constexpr long long kUtcOffsetLimitSeconds = 24 * 3600;

using Series = std::vector<std::optional<double>>;

const json* Member(const json& object, const char* name) {
  if (!object.is_object()) return nullptr;
  const auto it = object.find(name);
  return it == object.end() ? nullptr : &*it;
}

bool ReadTimes(const json& hourly, std::vector<std::string>& out) {
  const json* times = Member(hourly, "time");
  if (!times || !times->is_array()) return false;
  out.clear();
  out.reserve(times->size());
  for (const json& t : *times) {
    if (!t.is_string()) return false;
    out.push_back(t.get<std::string>());
  }
  return true;
}

// Numbers and nulls only, as long as the time series.
bool ReadSeries(const json& hourly, const char* name, size_t length, Series& out) {
  const json* values = Member(hourly, name);
  if (!values || !values->is_array() || values->size() != length) return false;
  out.clear();
  out.reserve(length);
  for (const json& v : *values) {
    if (v.is_null())
      out.emplace_back();
    else if (v.is_number())
      out.emplace_back(v.get<double>());
    else
      return false;
  }
  return true;
}

bool ReadUtcOffset(const json& doc, int& out) {
  const json* offset = Member(doc, "utc_offset_seconds");
  if (!offset || !offset->is_number_integer()) return false;
  if (offset->is_number_unsigned() &&
      offset->get<unsigned long long>() > static_cast<unsigned long long>(kUtcOffsetLimitSeconds))
    return false;
  const long long seconds = offset->get<long long>();
  if (seconds < -kUtcOffsetLimitSeconds || seconds > kUtcOffsetLimitSeconds) return false;
  out = static_cast<int>(seconds);
  return true;
}

// Metres per second in each wind speed unit the service can answer in.
struct SpeedUnit {
  const char* name;
  double metresPerSecond;
};
const SpeedUnit kSpeedUnits[] = {
    {"m/s", 1.0}, {"km/h", 1 / 3.6}, {"mph", 0.44704}, {"kn", 1852.0 / 3600}};

// We ask for m/s, but a proxy or another service may answer otherwise; an
// answer that does not say is taken as asked.
bool ReadSpeedFactor(const json& doc, double& out) {
  out = 1.0;
  const json* units = Member(doc, "hourly_units");
  const json* unit = units ? Member(*units, "wind_speed_10m") : nullptr;
  if (!unit) return true;
  if (!unit->is_string()) return false;
  for (const SpeedUnit& known : kSpeedUnits)
    if (unit->get<std::string>() == known.name) {
      out = known.metresPerSecond;
      return true;
    }
  return false;
}

void ScaleSeries(Series& series, double factor) {
  if (factor == 1.0) return;
  for (std::optional<double>& v : series)
    if (v) *v *= factor;
}

bool IsErrorAnswer(const json& doc) {
  const json* error = Member(doc, "error");
  return error && error->is_boolean() && error->get<bool>();
}

}  // namespace

bool ParseHourlyForecast(const std::string& body, HourlyForecast& out) {
  const json doc = json::parse(body, nullptr, false);
  if (doc.is_discarded() || !doc.is_object() || IsErrorAnswer(doc)) return false;
  double speedFactor = 1.0;
  if (!ReadUtcOffset(doc, out.utcOffsetSeconds) || !ReadSpeedFactor(doc, speedFactor))
    return false;
  const json* hourly = Member(doc, "hourly");
  if (!hourly || !ReadTimes(*hourly, out.time)) return false;
  const size_t n = out.time.size();
  if (!ReadSeries(*hourly, "temperature_2m", n, out.temperature) ||
      !ReadSeries(*hourly, "relative_humidity_2m", n, out.humidity) ||
      !ReadSeries(*hourly, "cloud_cover", n, out.cloudCover) ||
      !ReadSeries(*hourly, "weather_code", n, out.weatherCode) ||
      !ReadSeries(*hourly, "wind_speed_10m", n, out.windSpeed) ||
      !ReadSeries(*hourly, "wind_direction_10m", n, out.windDirection))
    return false;
  ScaleSeries(out.windSpeed, speedFactor);
  return true;
}
