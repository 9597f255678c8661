#include "app/weather_age.h"

#include "common/calendar.h"

const char kNoWeatherTip[] = "Нет данных о погоде";

namespace {

std::string Joined(const std::string& a, const std::string& b) {
  if (a.empty()) return b;
  if (b.empty()) return a;
  return a + ", " + b;
}

bool SameDay(DateValue a, DateValue b) {
  return FloorDiv(a, kSecondsPerDay) == FloorDiv(b, kSecondsPerDay);
}

}  // namespace

std::string WeatherAgeTip(const std::string& town, const std::string& temperature, bool received,
                          DateValue receivedAt, DateValue now, size_t maxLength) {
  if (!received) return std::string(kNoWeatherTip).substr(0, maxLength);
  const char* mask = SameDay(receivedAt, now) ? "%hh:%ii" : "%dd.%mm %hh:%ii";
  const std::string age = "обновлено " + FormatDateText(mask, receivedAt);
  if (age.size() >= maxLength) return age.substr(0, maxLength);
  std::string weather = Joined(town, temperature);
  if (weather.empty()) return age;
  weather = weather.substr(0, maxLength - age.size() - 1);
  return weather + "\n" + age;
}
