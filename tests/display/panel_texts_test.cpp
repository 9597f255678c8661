#include "display/panel_texts.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

ForecastPeriod FullPeriod() {
  ForecastPeriod p;
  p.dateLine = " Вс, 6\\12\\2026 На 15ч.";
  p.cloudinessText = "Малооблачно";
  p.precipitationText = "Без осадков";
  p.temperatureMin = "-3";
  p.temperatureMax = "+2";
  p.windMin = "4";
  p.windMax = "7";
  p.relwetMin = "80";
  p.relwetMax = "95";
  p.directionText = "юго-западный";
  return p;
}

std::string Bytes(std::initializer_list<unsigned char> bytes) {
  return std::string(bytes.begin(), bytes.end());
}

TEST(PanelTexts, TodayPanelJoinsFieldsWithItsLiteralsOnly) {
  const TodayTexts t = BuildTodayTexts(FullPeriod(), "%CC%EE%F1%EA%E2%E0");
  EXPECT_EQ(t.town, "Москва");
  EXPECT_EQ(t.skyAndPrecipitation, "Малооблачно, Без осадков");
  EXPECT_EQ(t.temperatureRange, "-3...+2°C");
  EXPECT_EQ(t.dateLine, " Вс, 6\\12\\2026 На 15ч.");
  EXPECT_EQ(t.wind, "Вет. юго-западный    4...7m\\c");
  EXPECT_EQ(t.humidity, "Влаж: 80...95 %");
  EXPECT_EQ(t.today, "Сегодня: -3/+2 °C");
}

TEST(PanelTexts, LiteralsAreSingleByteCp1251) {
  const TodayTexts t = BuildTodayTexts(FullPeriod(), "");
  // "°C" is B0 43; "Вет. " is C2 E5 F2 2E 20; the wind unit is m, backslash, c.
  EXPECT_EQ(t.temperatureRange.substr(t.temperatureRange.size() - 2), Bytes({0xB0, 'C'}));
  EXPECT_EQ(t.wind.substr(0, 5), Bytes({0xC2, 0xE5, 0xF2, '.', ' '}));
  EXPECT_EQ(t.wind.substr(t.wind.size() - 3), Bytes({'m', 0x5C, 'c'}));
  EXPECT_EQ(t.humidity,
            Bytes({0xC2, 0xEB, 0xE0, 0xE6, ':', ' ', '8', '0', '.', '.', '.', '9', '5', ' ', '%'}));
  EXPECT_EQ(BuildTomorrowText(FullPeriod()), Bytes({0xC7, 0xE0, 0xE2, 0xF2, 0xF0, 0xE0, ':', ' ',
                                                    '-', '3', '/', '+', '2', ' ', 0xB0, 'C'}));
}

TEST(PanelTexts, EmptyModelLeavesTheLiteralsAlone) {
  const TodayTexts t = BuildTodayTexts(ForecastPeriod(), "");
  EXPECT_EQ(t.town, "");
  EXPECT_EQ(t.skyAndPrecipitation, ", ");
  EXPECT_EQ(t.temperatureRange, "...°C");
  EXPECT_EQ(t.dateLine, "");
  EXPECT_EQ(t.wind, "Вет.     ...m\\c");
  EXPECT_EQ(t.humidity, "Влаж: ... %");
  EXPECT_EQ(t.today, "Сегодня: / °C");
  EXPECT_EQ(BuildTomorrowText(ForecastPeriod()), "Завтра: / °C");
}

TEST(PanelTexts, TownStopsDecodingAtABrokenEscape) {
  EXPECT_EQ(BuildTodayTexts(ForecastPeriod(), "%D2%E2%E5%F0%FC%2").town, "Тверь");
  EXPECT_EQ(BuildTodayTexts(ForecastPeriod(), "a+b").town, "a+b");
}

TEST(PanelTexts, TitleWaitsForTheFirstRecognisedSky) {
  std::string title = "Погода";
  EXPECT_FALSE(ChooseMainTitle(ForecastPeriod(), &title));
  EXPECT_EQ(title, "Погода");
  ForecastPeriod p;
  p.cloudinessText = "Пасмурно";
  ASSERT_TRUE(ChooseMainTitle(p, &title));
  EXPECT_EQ(title, "Пасмурно");
}

void ExpectIcons(const char* precipitation, const char* sky, const char* big, const char* small) {
  SCOPED_TRACE(std::string(precipitation) + " / " + sky);
  const IconChoice c = ChooseIcons(precipitation, sky);
  if (big) {
    ASSERT_NE(c.bigIcon, nullptr);
    EXPECT_STREQ(c.bigIcon, big);
    ASSERT_NE(c.smallIcon, nullptr);
    EXPECT_STREQ(c.smallIcon, small);
  } else {
    EXPECT_EQ(c.bigIcon, nullptr);
    EXPECT_EQ(c.smallIcon, nullptr);
  }
}

TEST(IconChoice, NoPrecipitationLetsTheSkyDecide) {
  ExpectIcons("Без осадков", "Ясно", "Weather/sun.png", "Weather/sun_min.png");
  ExpectIcons("Без осадков", "Малооблачно", "Weather/weather_4.png", "Weather/weather_4_min.png");
  ExpectIcons("Без осадков", "Oблачно", "Weather/weather_2.png", "Weather/weather_2_min.png");
  ExpectIcons("Без осадков", "Пасмурно", "Weather/weather_6.png", "Weather/weather_6_min.png");
  ExpectIcons("Без осадков", "", nullptr, nullptr);
  ExpectIcons("Без осадков", "ясно", nullptr, nullptr);
}

TEST(IconChoice, PrecipitationWinsOverTheSky) {
  ExpectIcons("Гроза", "Ясно", "Weather/weather_15.png", "Weather/weather_15_min.png");
  ExpectIcons("Дождь", "Пасмурно", "Weather/weather_13.png", "Weather/weather_13_min.png");
  ExpectIcons("Ливень", "", "Weather/weather_18.png", "Weather/weather_18_min.png");
  ExpectIcons("Снег", "Oблачно", "Weather/weather_22.png", "Weather/weather_22_min.png");
}

TEST(IconChoice, UnknownOrMissingPrecipitationKeepsThePictures) {
  ExpectIcons("Нет данных", "Ясно", nullptr, nullptr);
  ExpectIcons("", "Ясно", nullptr, nullptr);
  ExpectIcons("Без осадков ", "Ясно", nullptr, nullptr);
}

TEST(IconChoice, CloudyMatchesOnlyWithTheLatinO) {
  const char latin[] = "Oблачно";
  const char cyrillic[] = "Облачно";
  ASSERT_EQ(static_cast<unsigned char>(latin[0]), 0x4F);
  ASSERT_EQ(static_cast<unsigned char>(cyrillic[0]), 0xCE);
  ASSERT_EQ(std::strcmp(latin + 1, cyrillic + 1), 0);
  ExpectIcons("Без осадков", cyrillic, nullptr, nullptr);
}

}  // namespace
