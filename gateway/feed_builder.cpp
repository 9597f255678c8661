#include "gateway/feed_builder.h"

#include <array>
#include <cstdio>
#include <utility>
#include <vector>

#include "common/calendar.h"
#include "gateway/forecast_blocks.h"

namespace {

// Four-digit years only, as the feed and the answer's time stamps write them.
constexpr int kFirstYear = 1, kLastYear = 9999;
constexpr int kHoursPerDay = 24, kMinutesPerHour = 60, kSecondsPerMinute = 60;

constexpr int kPeriodCount = 4;
constexpr int kAfternoonBlock = 12 / kBlockHours;
constexpr int kEveningBlock = 18 / kBlockHours;

// Rides on an attribute the widget's feed walk passes over.
constexpr char kAttribution[] =
    "Weather data by Open-Meteo.com (https://open-meteo.com/), CC BY 4.0; "
    "Station data: Meteostat, CC BY 4.0";
constexpr char kLineEnd[] = "\r\n";

using Attributes = std::vector<std::pair<const char*, std::string>>;

bool ReadDigits(const std::string& text, size_t at, size_t count, int& out) {
  out = 0;
  for (size_t i = at; i < at + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    out = out * 10 + (text[i] - '0');
  }
  return true;
}

bool IsValidLocalTime(const LocalTime& t) {
  return t.year >= kFirstYear && t.year <= kLastYear && t.month >= 1 && t.month <= 12 &&
         t.day >= 1 && t.day <= DaysInMonth(t.year, t.month) && t.hour >= 0 &&
         t.hour < kHoursPerDay && t.minute >= 0 && t.minute < kMinutesPerHour;
}

std::int64_t BlockNumber(const LocalTime& t) {
  return DaysFromCivil(t.year, t.month, t.day) * kBlocksPerDay + t.hour / kBlockHours;
}

std::string Padded(long long value, int width) {
  char text[32];
  std::snprintf(text, sizeof text, "%0*lld", width, value);
  return text;
}

// Everything but the unreserved characters, as the widget's decoder expects.
std::string PercentEncode(const std::string& bytes) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) {
    const bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                            (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' || c == '~';
    if (unreserved) {
      out.push_back(static_cast<char>(c));
    } else {
      out.push_back('%');
      out.push_back(kHex[c >> 4]);
      out.push_back(kHex[c & 0xF]);
    }
  }
  return out;
}

void AppendElement(std::string& feed, const char* name, const Attributes& attributes) {
  if (attributes.empty()) return;
  feed += "      <";
  feed += name;
  for (const auto& [key, value] : attributes) {
    feed += ' ';
    feed += key;
    feed += "=\"";
    feed += value;
    feed += '"';
  }
  feed += "/>";
  feed += kLineEnd;
}

void AddRange(Attributes& attributes, const std::optional<WholeRange>& range) {
  if (!range) return;
  attributes.emplace_back("min", std::to_string(range->min));
  attributes.emplace_back("max", std::to_string(range->max));
}

void AppendPeriod(std::string& feed, std::int64_t block, const BlockSummary& summary) {
  const std::int64_t days = FloorDiv(block, kBlocksPerDay);
  const CivilDate date = CivilFromDays(days);
  const int hour = static_cast<int>(block - days * kBlocksPerDay) * kBlockHours;
  feed += "    <FORECAST day=\"" + Padded(date.day, 2) + "\" month=\"" + Padded(date.month, 2) +
          "\" year=\"" + Padded(date.year, 4) + "\" hour=\"" + Padded(hour, 2) + "\" weekday=\"" +
          std::to_string(WeekdayOfDays(days)) + "\">" + kLineEnd;

  Attributes sky;
  if (summary.cloudiness) sky.emplace_back("cloudiness", std::to_string(*summary.cloudiness));
  sky.emplace_back("precipitation", std::to_string(summary.precipitation));
  AppendElement(feed, "SKY", sky);

  Attributes temperature, wind, relwet;
  AddRange(temperature, summary.temperature);
  AddRange(wind, summary.wind);
  if (summary.direction) wind.emplace_back("direction", std::to_string(*summary.direction));
  AddRange(relwet, summary.relwet);
  AppendElement(feed, "TEMPERATURE", temperature);
  AppendElement(feed, "WIND", wind);
  AppendElement(feed, "RELWET", relwet);
  feed += "    </FORECAST>";
  feed += kLineEnd;
}

}  // namespace

LocalTime LocalTimeAt(std::int64_t utcSeconds, int utcOffsetSeconds) {
  // Clamped to the four-digit years, which also keeps the sum from overflowing.
  const std::int64_t first = DaysFromCivil(kFirstYear, 1, 1) * kSecondsPerDay;
  const std::int64_t last = (DaysFromCivil(kLastYear, 12, 31) + 1) * kSecondsPerDay - 1;
  auto clamp = [&](std::int64_t s) { return s < first ? first : s > last ? last : s; };
  const std::int64_t local = clamp(clamp(utcSeconds) + utcOffsetSeconds);

  const std::int64_t days = FloorDiv(local, kSecondsPerDay);
  const std::int64_t secondOfDay = local - days * kSecondsPerDay;
  const CivilDate date = CivilFromDays(days);
  LocalTime t;
  t.year = static_cast<int>(date.year);
  t.month = date.month;
  t.day = date.day;
  t.hour = static_cast<int>(secondOfDay / (kMinutesPerHour * kSecondsPerMinute));
  t.minute = static_cast<int>(secondOfDay / kSecondsPerMinute % kMinutesPerHour);
  return t;
}

bool ParseLocalTime(const std::string& text, LocalTime& out) {
  // "YYYY-MM-DDTHH:MM"
  if (text.size() != 16 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':')
    return false;
  LocalTime t;
  if (!ReadDigits(text, 0, 4, t.year) || !ReadDigits(text, 5, 2, t.month) ||
      !ReadDigits(text, 8, 2, t.day) || !ReadDigits(text, 11, 2, t.hour) ||
      !ReadDigits(text, 14, 2, t.minute) || !IsValidLocalTime(t))
    return false;
  out = t;
  return true;
}

std::string BuildFeed(const HourlyForecast& forecast, const LocalTime& now,
                      const std::string& townName) {
  if (!IsValidLocalTime(now)) return {};
  const std::int64_t current = BlockNumber(now);
  const std::int64_t tomorrow = (FloorDiv(current, kBlocksPerDay) + 1) * kBlocksPerDay;
  const std::array<std::int64_t, kPeriodCount> blocks = {
      current, current + 1, tomorrow + kAfternoonBlock, tomorrow + kEveningBlock};

  std::array<std::vector<size_t>, kPeriodCount> hours;
  for (size_t i = 0; i < forecast.time.size(); ++i) {
    LocalTime t;
    if (!ParseLocalTime(forecast.time[i], t)) continue;
    const std::int64_t block = BlockNumber(t);
    for (int p = 0; p < kPeriodCount; ++p)
      if (blocks[p] == block) hours[p].push_back(i);
  }
  // The widget numbers periods by counting FORECAST elements across feeds,
  // so a feed must carry all four or none.
  for (const std::vector<size_t>& h : hours)
    if (h.empty()) return {};

  std::string feed = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
  feed += kLineEnd;
  feed += "<weatherfeed attribution=\"";
  feed += kAttribution;
  feed += "\">";
  feed += kLineEnd;
  feed += "  <place sname=\"" + PercentEncode(townName) + "\" source=\"open-meteo\">" + kLineEnd;
  for (int p = 0; p < kPeriodCount; ++p)
    AppendPeriod(feed, blocks[p], SummarizeBlock(forecast, hours[p]));
  feed += "  </place>";
  feed += kLineEnd;
  feed += "</weatherfeed>";
  feed += kLineEnd;
  return feed;
}
