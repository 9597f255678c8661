#include "display/panel_texts.h"

const char kNightIconFile[] = "Weather/weather_33.png";

namespace {

struct IconRow {
  const char* text;
  const char* bigIcon;
  const char* smallIcon;
};

// Only "Без осадков" hands the choice over to the sky.
const char kNoPrecipitation[] = "Без осадков";

const IconRow kPrecipitationIcons[] = {
    {"Дождь", "Weather/weather_13.png", "Weather/weather_13_min.png"},
    {"Ливень", "Weather/weather_18.png", "Weather/weather_18_min.png"},
    {"Снег", "Weather/weather_22.png", "Weather/weather_22_min.png"},
    {"Гроза", "Weather/weather_15.png", "Weather/weather_15_min.png"},
};

// "Oблачно" starts with a Latin O: it has to match the word the feed
// interpretation stores, byte for byte.
const IconRow kSkyIcons[] = {
    {"Ясно", "Weather/sun.png", "Weather/sun_min.png"},
    {"Малооблачно", "Weather/weather_4.png", "Weather/weather_4_min.png"},
    {"Oблачно", "Weather/weather_2.png", "Weather/weather_2_min.png"},
    {"Пасмурно", "Weather/weather_6.png", "Weather/weather_6_min.png"},
};

template <size_t N>
IconChoice FindIcons(const IconRow (&rows)[N], const std::string& text) {
  for (const IconRow& row : rows)
    if (text == row.text) return {row.bigIcon, row.smallIcon};
  return {nullptr, nullptr};
}

std::string Range(const std::string& low, const char* between, const std::string& high) {
  return low + between + high;
}

}  // namespace

TodayTexts BuildTodayTexts(const ForecastPeriod& p, const std::string& townName) {
  TodayTexts t;
  t.town = DecodePercentText(townName);
  t.skyAndPrecipitation = p.cloudinessText + ", " + p.precipitationText;
  t.temperatureRange = Range(p.temperatureMin, "...", p.temperatureMax) + "°C";
  t.dateLine = p.dateLine;
  // "m\c" is how the widget has always written metres per second.
  t.wind = "Вет. " + p.directionText + "    " + Range(p.windMin, "...", p.windMax) + "m\\c";
  t.humidity = "Влаж: " + Range(p.relwetMin, "...", p.relwetMax) + " %";
  t.today = "Сегодня: " + Range(p.temperatureMin, "/", p.temperatureMax) + " °C";
  return t;
}

std::string BuildTomorrowText(const ForecastPeriod& p) {
  return "Завтра: " + Range(p.temperatureMin, "/", p.temperatureMax) + " °C";
}

bool ChooseMainTitle(const ForecastPeriod& p, std::string* title) {
  // The sky word is only ever written with a word of its table, so an empty
  // one means nothing was recognised yet.
  if (p.cloudinessText.empty()) return false;
  *title = p.cloudinessText;
  return true;
}

IconChoice ChooseIcons(const std::string& precipitationText, const std::string& cloudinessText) {
  if (precipitationText == kNoPrecipitation) return FindIcons(kSkyIcons, cloudinessText);
  return FindIcons(kPrecipitationIcons, precipitationText);
}
