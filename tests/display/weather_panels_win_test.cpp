#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "display/images.h"
#include "display/weather_panels.h"
#include "services/widget_numbers.h"
#include "feed/forecast.h"
#include "services/dates.h"
#include "services/windows.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/widget_windows.h"
#include "tests/support/test_clock.h"

namespace {

ForecastPeriod& Period(int slot) {
  return Forecast().forecastTable[slot];
}

void SetSky(int slot, const char* precipitation, const char* cloudiness) {
  Period(slot).precipitationText = precipitation;
  Period(slot).cloudinessText = cloudiness;
}

void Refresh() {
  UpdateWeatherPanels(1);
  UpdateWeatherPanels(3);
}

bool Visible(int window) {
  return WindowHandle(window) && IsWindowVisible(WindowHandle(window));
}

void ExpectShows(int window, const char* iconFile) {
  const SIZE expected = WeatherIconSize(iconFile);
  const SIZE actual = WindowClientSize(window);
  EXPECT_EQ(actual.cx, expected.cx) << "window " << window << " should show " << iconFile;
  EXPECT_EQ(actual.cy, expected.cy) << "window " << window << " should show " << iconFile;
}

class WeatherPanels : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearForecast();
    StartImageDecoders();
    timeOfDay = At(12, 0, 0);
    SetDateSource(InjectedClock);
    WriteWeatherIcons();
    ASSERT_TRUE(OpenWidgetWindows());
  }
  void TearDown() override {
    CloseWidgetWindows();
    SetDateSource(nullptr);
    ClearForecast();
  }
  ScratchDir scratch_;
};

TEST_F(WeatherPanels, WriteEveryTextOfBothPeriods) {
  ForecastPeriod& today = Period(1);
  today.dateLine = " Пн, 7\\12\\2026 На 09ч.";
  SetSky(1, "Без осадков", "Малооблачно");
  today.temperatureMin = "-5";
  today.temperatureMax = "-2";
  today.windMin = "3";
  today.windMax = "5";
  today.relwetMin = "85";
  today.relwetMax = "90";
  today.directionText = "юго-западный";
  Period(3).temperatureMin = "-9";
  Period(3).temperatureMax = "-4";
  Forecast().townName = "%CC%EE%F1%EA%E2%E0";

  Refresh();

  EXPECT_EQ(ControlTextBytes(kTownText), "Москва");
  EXPECT_EQ(ControlTextBytes(kSkyText), "Малооблачно, Без осадков");
  EXPECT_EQ(ControlTextBytes(kTemperatureRangeText), "-5...-2°C");
  EXPECT_EQ(ControlTextBytes(kDateLineText), " Пн, 7\\12\\2026 На 09ч.");
  EXPECT_EQ(ControlTextBytes(kWindText), "Вет. юго-западный    3...5m\\c");
  EXPECT_EQ(ControlTextBytes(kHumidityText), "Влаж: 85...90 %");
  EXPECT_EQ(ControlTextBytes(kTodayText), "Сегодня: -5/-2 °C");
  EXPECT_EQ(ControlTextBytes(kTomorrowText), "Завтра: -9/-4 °C");
  EXPECT_EQ(WindowTitleBytes(kMainWindow), "Малооблачно");
}

TEST_F(WeatherPanels, EmptyModelShowsOnlyTheLiteralsAndKeepsTheTitle) {
  Refresh();
  EXPECT_EQ(ControlTextBytes(kTownText), "");
  EXPECT_EQ(ControlTextBytes(kSkyText), ", ");
  EXPECT_EQ(ControlTextBytes(kTemperatureRangeText), "...°C");
  EXPECT_EQ(ControlTextBytes(kDateLineText), "");
  EXPECT_EQ(ControlTextBytes(kWindText), "Вет.     ...m\\c");
  EXPECT_EQ(ControlTextBytes(kHumidityText), "Влаж: ... %");
  EXPECT_EQ(ControlTextBytes(kTodayText), "Сегодня: / °C");
  EXPECT_EQ(ControlTextBytes(kTomorrowText), "Завтра: / °C");
  EXPECT_EQ(WindowTitleBytes(kMainWindow), "Погода");
}

TEST_F(WeatherPanels, ShowTheMainWindowsForAnyPeriodButWriteNothingElse) {
  for (int window : {kMainWindow, kForecastWindow, kLeftFlipWindow, kRightFlipWindow, kClockOverlay,
                     kForecastOverlay})
    ASSERT_FALSE(Visible(window));
  Period(1).temperatureMin = "1";
  UpdateWeatherPanels(2);
  for (int window : {kMainWindow, kForecastWindow, kLeftFlipWindow, kRightFlipWindow, kClockOverlay,
                     kForecastOverlay})
    EXPECT_TRUE(Visible(window)) << window;
  EXPECT_EQ(ControlTextBytes(kTodayText), "Сегодня");
  EXPECT_EQ(WindowHandle(kDayIconWindow), nullptr);
  EXPECT_EQ(WindowHandle(kTomorrowIconWindow), nullptr);
}

TEST_F(WeatherPanels, ClearSkyWithoutPrecipitationShowsTheSun) {
  SetSky(1, "Без осадков", "Ясно");
  Refresh();
  ExpectShows(kDayIconWindow, "Weather/sun.png");
  ExpectShows(kTodayIconWindow, "Weather/sun_min.png");
  // Period 3 has no recognised texts: its icon is period 1's small one.
  ExpectShows(kTomorrowIconWindow, "Weather/sun_min.png");
}

TEST_F(WeatherPanels, PrecipitationWinsOverTheSky) {
  SetSky(1, "Гроза", "Ясно");
  SetSky(3, "Снег", "Ясно");
  Refresh();
  ExpectShows(kDayIconWindow, "Weather/weather_15.png");
  ExpectShows(kTodayIconWindow, "Weather/weather_15_min.png");
  ExpectShows(kTomorrowIconWindow, "Weather/weather_22_min.png");
}

TEST_F(WeatherPanels, NoDataTomorrowReusesTodaysSmallIcon) {
  SetSky(1, "Дождь", "Пасмурно");
  SetSky(3, "Нет данных", "Ясно");
  Refresh();
  ExpectShows(kTomorrowIconWindow, "Weather/weather_13_min.png");
  EXPECT_EQ(ControlTextBytes(kSkyText), "Пасмурно, Дождь");
}

TEST_F(WeatherPanels, UnknownSkyKeepsThePicturesOfTheLastMatch) {
  SetSky(1, "Без осадков", "Oблачно");
  Refresh();
  ExpectShows(kDayIconWindow, "Weather/weather_2.png");
  const HANDLE big = ImageSlotHandle(kDayIconImage);
  const HWND firstWindow = WindowHandle(kDayIconWindow);

  // The same word with a Cyrillic first letter matches nothing.
  SetSky(1, "Без осадков", "Облачно");
  Refresh();
  EXPECT_EQ(ImageSlotHandle(kDayIconImage), big);
  ExpectShows(kDayIconWindow, "Weather/weather_2.png");
  ExpectShows(kTodayIconWindow, "Weather/weather_2_min.png");
  // The same window, presented again from the kept picture.
  EXPECT_EQ(WindowHandle(kDayIconWindow), firstWindow);
}

TEST_F(WeatherPanels, NoMatchSinceStartUpLeavesEmptyIconWindows) {
  SetSky(1, "Без осадков", "Облачно");
  Refresh();
  EXPECT_EQ(ImageSlotHandle(kDayIconImage), nullptr);
  ExpectShows(kDayIconWindow, "none");
  ExpectShows(kTodayIconWindow, "none");
  ExpectShows(kTomorrowIconWindow, "none");
}

TEST_F(WeatherPanels, MissingIconFileBlanksTheSlot) {
  SetSky(1, "Без осадков", "Ясно");
  Refresh();
  ExpectShows(kDayIconWindow, "Weather/sun.png");
  std::filesystem::remove("Weather/weather_15.png");
  SetSky(1, "Гроза", "Ясно");
  Refresh();
  EXPECT_EQ(ImageSlotHandle(kDayIconImage), nullptr);
  ExpectShows(kDayIconWindow, "none");
  ExpectShows(kTodayIconWindow, "Weather/weather_15_min.png");
  // Once the file is back, the next refresh shows it again.
  WriteWeatherIcons();
  Refresh();
  ExpectShows(kDayIconWindow, "Weather/weather_15.png");
}

TEST_F(WeatherPanels, NightIconFromMidnightUntilSix) {
  SetSky(1, "Без осадков", "Ясно");
  timeOfDay = At(5, 59, 59);
  Refresh();
  EXPECT_FALSE(Visible(kDayIconWindow));
  EXPECT_TRUE(Visible(kNightIconWindow));
  ExpectShows(kNightIconWindow, "Weather/weather_33.png");

  timeOfDay = At(6, 0, 0);
  Refresh();
  EXPECT_TRUE(Visible(kDayIconWindow));
  EXPECT_FALSE(Visible(kNightIconWindow));

  timeOfDay = At(0, 0, 0);
  Refresh();
  EXPECT_FALSE(Visible(kDayIconWindow));
  EXPECT_TRUE(Visible(kNightIconWindow));
}

TEST_F(WeatherPanels, IconWindowsSitAtTheirOffsetsWithTheirOwners) {
  SetSky(1, "Дождь", "Ясно");
  Refresh();
  struct Expected {
    int window, dx, dy, owner;
  };
  for (const Expected& e : {Expected{kDayIconWindow, 95, 110, kLeftFlipWindow},
                            Expected{kNightIconWindow, 95, 110, kLeftFlipWindow},
                            Expected{kTodayIconWindow, 42, 180, kForecastOverlay},
                            Expected{kTomorrowIconWindow, 200, 180, kForecastOverlay}}) {
    const HWND handle = WindowHandle(e.window);
    ASSERT_NE(handle, nullptr) << e.window;
    RECT r;
    GetWindowRect(handle, &r);
    EXPECT_EQ(r.left, WindowLeft(kMainWindow) + e.dx) << e.window;
    EXPECT_EQ(r.top, WindowTop(kMainWindow) + e.dy) << e.window;
    EXPECT_EQ(GetWindow(handle, GW_OWNER), WindowHandle(e.owner)) << e.window;
    EXPECT_TRUE(GetWindowLongA(handle, GWL_EXSTYLE) & WS_EX_LAYERED) << e.window;
  }
  EXPECT_TRUE(Visible(kTodayIconWindow));
  EXPECT_TRUE(Visible(kTomorrowIconWindow));
}

// An icon window still open is given the new picture rather than closed and
// opened again; one that was closed is opened anew, for its owner.
TEST_F(WeatherPanels, EachUpdateKeepsOneWindowPerIconWithTheNewPicture) {
  SetSky(1, "Ливень", "Ясно");
  Refresh();
  const HWND before[] = {WindowHandle(kDayIconWindow), WindowHandle(kNightIconWindow),
                         WindowHandle(kTodayIconWindow), WindowHandle(kTomorrowIconWindow)};
  CloseWindowSlot(kTomorrowIconWindow);
  SetSky(1, "Без осадков", "Ясно");
  Refresh();
  const HWND after[] = {WindowHandle(kDayIconWindow), WindowHandle(kNightIconWindow),
                        WindowHandle(kTodayIconWindow), WindowHandle(kTomorrowIconWindow)};
  for (int i = 0; i < 3; ++i) EXPECT_EQ(after[i], before[i]);
  ASSERT_NE(after[3], nullptr);
  EXPECT_NE(after[3], before[3]);
  EXPECT_EQ(GetWindow(after[3], GW_OWNER), WindowHandle(kForecastOverlay));
  ExpectShows(kDayIconWindow, "Weather/sun.png");
  ExpectShows(kTodayIconWindow, "Weather/sun_min.png");
}

}  // namespace
