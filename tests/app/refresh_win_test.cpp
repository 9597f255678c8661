#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "display/images.h"
#include "services/widget_numbers.h"
#include "feed/feed_address.h"
#include "feed/forecast.h"
#include "feed/http_download.h"
#include "app/application_state.h"
#include "app/refresh.h"
#include "services/dates.h"
#include "services/tray.h"
#include "services/windows.h"
#include "tests/support/loopback_server.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/weather_feed.h"
#include "tests/support/widget_windows.h"

namespace {

// Fails to compile, rather than crash on the 32-bit build, if the signature
// ever stops matching what SetTimer calls.
const TIMERPROC kRefreshTimerProcedure = RefreshWeather;

DateValue Noon() {
  DateFields f;
  f.year = 2026;
  f.month = 12;
  f.day = 7;
  f.hour = 12;
  return DateFromFields(f);
}

const int kTextControls[] = {kTownText,     kSkyText,     kTemperatureRangeText,
                             kDateLineText, kWindText,    kHumidityText,
                             kTodayText,    kTomorrowText};

struct Shown {
  std::vector<std::string> texts;
  std::string title;
  bool operator==(const Shown& other) const { return texts == other.texts && title == other.title; }
};

Shown WhatIsShown() {
  Shown shown;
  for (int control : kTextControls) shown.texts.push_back(ControlTextBytes(control));
  shown.title = WindowTitleBytes(kMainWindow);
  return shown;
}

std::string HostOf(const LoopbackServer& server) {
  return "127.0.0.1:" + std::to_string(server.Port());
}

// A port on which nothing listens any more.
std::string DeadHost() {
  LoopbackServer gone(RespondWith(""));
  return HostOf(gone);
}

class RefreshWeatherTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearForecast();
    StartImageDecoders();
    StartSockets();
    SetDateSource(Noon);
    WriteWeatherIcons();
    SetCityCode("27612");
    ASSERT_TRUE(OpenWidgetWindows());
  }
  void TearDown() override {
    CloseWidgetWindows();
    SetFeedHost("");
    SetCityCode("");
    SetDateSource(nullptr);
    ClearForecast();
  }

  // A server that answers every request with the response, used as the
  // feed host from here on.
  LoopbackServer& Serve(const std::string& response) {
    server_ = std::make_unique<LoopbackServer>(RespondWith(response));
    SetFeedHost(HostOf(*server_));
    return *server_;
  }

  ScratchDir scratch_;
  std::unique_ptr<LoopbackServer> server_;
};

TEST_F(RefreshWeatherTest, AsksForTheCitysFeedWithTheExactAddress) {
  LoopbackServer& server = Serve(OkResponse(FourPeriodFeed()));
  RefreshWeather();
  ASSERT_EQ(server.Requests().size(), 1u);
  EXPECT_EQ(server.Requests()[0].rfind("GET /xml/27612_1.xml HTTP/1.1\r\n", 0), 0u)
      << server.Requests()[0];
  // An empty city code is sent as it is.
  SetCityCode("");
  RefreshWeather();
  ASSERT_EQ(server.Requests().size(), 2u);
  EXPECT_EQ(server.Requests()[1].rfind("GET /xml/_1.xml HTTP/1.1\r\n", 0), 0u);
}

TEST_F(RefreshWeatherTest, FullFeedGivesTheExactCp1251Texts) {
  Serve(OkResponse(FourPeriodFeed()));
  RefreshWeather();
  const Shown shown = WhatIsShown();
  const char* expected[] = {
      "\xCC\xEE\xF1\xEA\xE2\xE0",
      "\xCC\xE0\xEB\xEE\xEE\xE1\xEB\xE0\xF7\xED\xEE, \xC1\xE5\xE7 \xEE\xF1\xE0\xE4\xEA\xEE\xE2",
      "-5...-2\xB0"
      "C",
      " \xCF\xED, 7\x5C"
      "12\x5C"
      "2026 \xCD\xE0 09\xF7.",
      "\xC2\xE5\xF2. \xFE\xE3\xEE-\xE7\xE0\xEF\xE0\xE4\xED\xFB\xE9    3...5m\x5C"
      "c",
      "\xC2\xEB\xE0\xE6: 85...90 %",
      "\xD1\xE5\xE3\xEE\xE4\xED\xFF: -5/-2 \xB0"
      "C",
      "\xC7\xE0\xE2\xF2\xF0\xE0: -9/-4 \xB0"
      "C",
  };
  for (size_t i = 0; i < 8; ++i)
    EXPECT_EQ(shown.texts[i], expected[i]) << "control " << kTextControls[i];
  EXPECT_EQ(shown.title, "\xCC\xE0\xEB\xEE\xEE\xE1\xEB\xE0\xF7\xED\xEE");
  // Period 1 is "Малооблачно" without precipitation, period 3 rain.
  EXPECT_EQ(WindowClientSize(kDayIconWindow).cx, WeatherIconSize("Weather/weather_4.png").cx);
  EXPECT_EQ(WindowClientSize(kTomorrowIconWindow).cx,
            WeatherIconSize("Weather/weather_13_min.png").cx);
  EXPECT_EQ(ReadFileBytes("nim.xml"), FourPeriodFeed());
}

TEST_F(RefreshWeatherTest, FailedRefreshKeepsTextsAndFeedFile) {
  Serve(OkResponse(FourPeriodFeed()));
  RefreshWeather();
  const Shown good = WhatIsShown();
  const std::string file = ReadFileBytes("nim.xml");
  const auto stamp = std::filesystem::last_write_time("nim.xml");
  ASSERT_EQ(good.texts[0], "Москва");

  Serve("HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n\r\nnot found");
  RefreshWeather();
  EXPECT_EQ(WhatIsShown(), good);
  EXPECT_EQ(ReadFileBytes("nim.xml"), file);
  EXPECT_EQ(std::filesystem::last_write_time("nim.xml"), stamp);

  server_.reset();
  SetFeedHost(DeadHost());
  RefreshWeather();
  EXPECT_EQ(WhatIsShown(), good);
  EXPECT_EQ(ReadFileBytes("nim.xml"), file);
  // The panels were still redrawn: every main window is shown.
  EXPECT_TRUE(IsWindowVisible(WindowHandle(kMainWindow)));
  EXPECT_TRUE(IsWindowVisible(WindowHandle(kForecastOverlay)));
}

TEST_F(RefreshWeatherTest, BeforeAnySuccessOnlyTheLiteralsShow) {
  SetFeedHost(DeadHost());
  RefreshWeather();
  const Shown shown = WhatIsShown();
  EXPECT_EQ(shown.texts,
            (std::vector<std::string>{"", ", ", "...°C", "", "Вет.     ...m\\c", "Влаж: ... %",
                                      "Сегодня: / °C", "Завтра: / °C"}));
  EXPECT_EQ(shown.title, "Погода");
  EXPECT_FALSE(std::filesystem::exists("nim.xml"));
  for (int window : {kMainWindow, kForecastWindow, kLeftFlipWindow, kRightFlipWindow, kClockOverlay,
                     kForecastOverlay})
    EXPECT_TRUE(IsWindowVisible(WindowHandle(window))) << window;
}

TEST_F(RefreshWeatherTest, EmptyBodyEmptiesTheFileButKeepsTheModel) {
  Serve(OkResponse(FourPeriodFeed()));
  RefreshWeather();
  const Shown good = WhatIsShown();

  Serve(OkResponse(""));
  RefreshWeather();
  EXPECT_EQ(std::filesystem::file_size("nim.xml"), 0u);
  EXPECT_EQ(WhatIsShown(), good);

  // The next good answer fills the file again.
  Serve(OkResponse(FourPeriodFeed()));
  RefreshWeather();
  EXPECT_EQ(ReadFileBytes("nim.xml"), FourPeriodFeed());
  EXPECT_EQ(WhatIsShown(), good);
}

TEST_F(RefreshWeatherTest, BodyThatIsNoFeedChangesNothing) {
  Serve(OkResponse(FourPeriodFeed()));
  RefreshWeather();
  const Shown good = WhatIsShown();

  const std::string page = "<html><body>moved</body></html>";
  Serve("HTTP/1.1 302 Found\r\nLocation: /elsewhere\r\nContent-Length: " +
        std::to_string(page.size()) + "\r\n\r\n" + page);
  RefreshWeather();
  EXPECT_EQ(WhatIsShown(), good);
}

DateValue NextMorning() {
  return Noon() + 20 * 3600;
}

TEST_F(RefreshWeatherTest, TheTrayTipTellsWhatIsShownAndHowOldItIs) {
  Application = ApplicationState{};
  SetCityCode("27612");
  ASSERT_TRUE(
      AddTrayIcon(kTrayIcon, WindowHandle(kMainWindow), LoadIcon(nullptr, IDI_APPLICATION)));
  SetFeedHost(DeadHost());
  RefreshWeather();
  EXPECT_EQ(TrayIconTip(kTrayIcon), "Нет данных о погоде");

  Serve(OkResponse(FourPeriodFeed()));
  RefreshWeather();
  EXPECT_EQ(TrayIconTip(kTrayIcon), "Москва, -5...-2°C\nобновлено 12:00");

  // The gateway is gone overnight: the tip keeps the time of the last feed.
  server_.reset();
  SetFeedHost(DeadHost());
  SetDateSource(NextMorning);
  RefreshWeather();
  EXPECT_EQ(TrayIconTip(kTrayIcon), "Москва, -5...-2°C\nобновлено 07.12 12:00");
  RemoveAllTrayIcons();
}

TEST_F(RefreshWeatherTest, RunsAsTheTimerProcedure) {
  LoopbackServer& server = Serve(OkResponse(FourPeriodFeed()));
  ASSERT_NE(SetTimer(WindowHandle(kMainWindow), kRefreshTimerId, 10, kRefreshTimerProcedure), 0u);
  const DWORD start = GetTickCount();
  MSG message;
  while (server.Requests().empty() && GetTickCount() - start < 5000) {
    if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      DispatchMessageA(&message);
    } else {
      Sleep(5);
    }
  }
  KillTimer(WindowHandle(kMainWindow), kRefreshTimerId);
  EXPECT_EQ(server.Requests().size(), 1u);
  EXPECT_EQ(ControlTextBytes(kTownText), "Москва");
}

}  // namespace
