#include "gateway/feed_builder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "display/panel_texts.h"
#include "feed/forecast.h"
#include "feed/xml_tree.h"
#include "tests/gateway/forecast_answers.h"
#include "tests/support/scratch_dir.h"

namespace {

const char kTown[] = "Москва";  // CP1251, as the city list holds it

LocalTime At(const std::string& text) {
  LocalTime t;
  EXPECT_TRUE(ParseLocalTime(text, t)) << text;
  return t;
}

std::string FeedFor(const std::vector<AnswerHour>& hours, const std::string& now) {
  HourlyForecast forecast;
  EXPECT_TRUE(ParseHourlyForecast(AnswerJson(hours), forecast));
  return BuildFeed(forecast, At(now), kTown);
}

// The feed goes the widget's way: a file, the XML tree, the walk.
class GatewayFeed : public ::testing::Test {
 protected:
  void Walk(const std::string& feed) {
    ASSERT_FALSE(feed.empty());
    const auto path = scratch_.Path() / "nim.xml";
    WriteFileBytes(path, feed);
    ClearForecast();
    ASSERT_TRUE(LoadXmlFile(0, path.string().c_str()));
    WalkFeedNode(RootElement(0), 0);
    FreeXmlDocument(0);
    // Exactly four periods, or the widget's numbering drifts.
    EXPECT_EQ(Forecast().periodCounter, 4);
  }
  const ForecastPeriod& Slot(int n) { return Forecast().forecastTable[n]; }

  ScratchDir scratch_;
};

}  // namespace

TEST_F(GatewayFeed, WidgetShowsTheMappedPanelTexts) {
  std::vector<AnswerHour> hours = AnswerDays(2);
  // Today 12-18: period 1 at 13:30; hour 14 is null throughout.
  const AnswerHour afternoon[] = {
      {"-0.4", "85", "100", "3", "2.6", "260"},
      {"2.5", "91.6", "90", "71", "4.6", "262"},
      {"null", "null", "null", "null", "null", "null"},
      {"1", "88", "85", "73", "3", "255"},
      {"0.3", "90", "70", "3", "3", "270"},
      {"2.4", "87", "95", "2", "3", "265"},
  };
  for (int i = 0; i < 6; ++i) hours[12 + i] = afternoon[i];
  for (int h = 36; h < 42; ++h) hours[h].temperature = h == 36 ? "-7.5" : "-5";
  for (int h = 42; h < 48; ++h) hours[h] = {"null", "null", "null", "null", "null", "null"};

  const std::string feed = FeedFor(hours, "2026-12-07T13:30");
  EXPECT_NE(feed.find("Open-Meteo"), std::string::npos);
  EXPECT_NE(feed.find("Station data: Meteostat"), std::string::npos);
  Walk(feed);

  const TodayTexts today = BuildTodayTexts(Slot(1), Forecast().townName);
  EXPECT_EQ(today.town, "Москва");
  EXPECT_EQ(today.skyAndPrecipitation, "Пасмурно, Снег");
  EXPECT_EQ(today.temperatureRange, "0...3°C");
  EXPECT_EQ(today.dateLine, " Пн, 07\\12\\2026 На 12ч.");
  EXPECT_EQ(today.wind, "Вет. западный    3...5m\\c");
  EXPECT_EQ(today.humidity, "Влаж: 85...92 %");
  EXPECT_EQ(Slot(2).dateLine, " Пн, 07\\12\\2026 На 18ч.");
  EXPECT_EQ(BuildTodayTexts(Slot(2), "").skyAndPrecipitation, "Ясно, Без осадков");
  EXPECT_EQ(BuildTodayTexts(Slot(2), "").wind, "Вет. восточный    3...3m\\c");
  EXPECT_EQ(BuildTomorrowText(Slot(3)), "Завтра: -8/-5 °C");

  // An all-null block still names its period and says there is no data.
  EXPECT_EQ(Slot(4).dateLine, " Вт, 08\\12\\2026 На 18ч.");
  EXPECT_EQ(Slot(4).precipitationText, "Нет данных");
  EXPECT_EQ(Slot(4).cloudinessText + Slot(4).temperatureMin + Slot(4).windMax + Slot(4).relwetMin +
                Slot(4).directionText,
            "");
}

TEST_F(GatewayFeed, PeriodsFollowTheCitysLocalClock) {
  // Monday the 7th and Tuesday the 8th, by block start hour.
  const std::string mon = " Пн, 07\\12\\2026 На ", tue = " Вт, 08\\12\\2026 На ";
  const std::pair<const char*, std::string> cases[] = {
      {"2026-12-07T00:00", mon + "00ч." + mon + "06ч." + tue + "12ч." + tue + "18ч."},
      {"2026-12-07T05:59", mon + "00ч." + mon + "06ч." + tue + "12ч." + tue + "18ч."},
      {"2026-12-07T23:59", mon + "18ч." + tue + "00ч." + tue + "12ч." + tue + "18ч."},
  };
  for (const auto& [now, dateLines] : cases) {
    Walk(FeedFor(AnswerDays(2), now));
    EXPECT_EQ(Slot(1).dateLine + Slot(2).dateLine + Slot(3).dateLine + Slot(4).dateLine, dateLines)
        << now;
  }

  // 20:59 UTC is 23:59 in Moscow, a minute later it is tomorrow there.
  const std::int64_t utc = 1796677140;
  const LocalTime late = LocalTimeAt(utc, 3 * 3600);
  EXPECT_EQ(late.day * 10000 + late.hour * 100 + late.minute, 72359);
  const LocalTime midnight = LocalTimeAt(utc + 60, 3 * 3600);
  EXPECT_EQ(midnight.day * 10000 + midnight.hour * 100 + midnight.minute, 80000);
}

TEST(GatewayClock, CountsAcrossTheEpochAndLeapDaysAndReadsOnlyRealTimes) {
  const LocalTime before = LocalTimeAt(-1, 0);
  EXPECT_EQ(before.year * 10000 + before.month * 100 + before.day, 19691231);
  EXPECT_EQ(before.hour * 100 + before.minute, 2359);
  const LocalTime leap = LocalTimeAt(1835438400, -13 * 3600);
  EXPECT_EQ(leap.year * 10000 + leap.month * 100 + leap.day, 20280228);
  EXPECT_EQ(leap.hour, 23);

  LocalTime t;
  EXPECT_TRUE(ParseLocalTime("2028-02-29T23:59", t));
  EXPECT_EQ(t.year * 10000 + t.month * 100 + t.day, 20280229);
  for (const char* bad : {"2026-02-29T10:00", "2026-12-07T24:00", "2026-12-07 10:00",
                          "2026-12-07T10:00:00", "2026-13-01T00:00", "2026-12-0xT10:00", ""})
    EXPECT_FALSE(ParseLocalTime(bad, t)) << bad;
}

TEST(GatewayClock, PeriodsBefore1970KeepTheirDaysAndHours) {
  HourlyForecast forecast;
  for (const char* day : {"1969-12-31", "1970-01-01"})
    for (int hour = 0; hour < 24; ++hour)
      forecast.time.push_back(day + std::string(hour < 10 ? "T0" : "T") + std::to_string(hour) +
                              ":00");
  const std::string feed = BuildFeed(forecast, At("1969-12-31T20:00"), kTown);
  EXPECT_NE(feed.find("day=\"31\" month=\"12\" year=\"1969\" hour=\"18\""), std::string::npos)
      << feed;
  EXPECT_NE(feed.find("day=\"01\" month=\"01\" year=\"1970\" hour=\"18\""), std::string::npos);
}

TEST(GatewayFeedEnds, NoFeedWithoutAllFourPeriods) {
  HourlyForecast forecast;
  ASSERT_TRUE(ParseHourlyForecast(AnswerJson(AnswerDays(2)), forecast));
  // Tomorrow's afternoon lies beyond a forecast that ends on 2026-12-08.
  EXPECT_EQ(BuildFeed(forecast, At("2026-12-08T03:00"), kTown), "");
  LocalTime invalid = At("2026-12-07T10:00");
  invalid.hour = 24;
  EXPECT_EQ(BuildFeed(forecast, invalid, kTown), "");
  EXPECT_NE(BuildFeed(forecast, At("2026-12-07T10:00"), kTown), "");
}
