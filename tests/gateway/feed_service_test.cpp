// What the gateway answers and when it asks upstream, on a clock the test
// moves by hand and with an upstream that counts its requests.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "gateway/feed_service.h"
#include "gateway/forecast_folder.h"
#include "tests/gateway/forecast_answers.h"
#include "tests/support/scratch_dir.h"

namespace {

const std::int64_t kStart = 1796000000;  // any UTC instant; periods come from `now`
const std::int64_t kMinute = 60, kHour = 3600;

class Gateway : public ::testing::Test {
 protected:
  Gateway() {
    service_.upstream = "http://127.0.0.1:1/v1/forecast";
    service_.cities["27612"] = CityPlace{"\xCC\xEE\xF1\xEA\xE2\xE0", 55.8333, 37.6167};
    service_.fixedNow = ParseLocalTime("2026-12-07T10:00", service_.now);
    service_.fetch = [this](const std::string& url) {
      urls_.push_back(url);
      return upstreamUp_ ? FetchResult{200, AnswerJson(AnswerDays(3))} : FetchResult{};
    };
  }

  HttpAnswer Get(const std::string& target, std::int64_t at, const char* method = "GET") {
    const std::optional<HttpAnswer> answer =
        AnswerRequest(service_, HttpRequest{method, target}, at);
    EXPECT_TRUE(answer) << "with the fetch run at once nothing waits";
    return answer.value_or(HttpAnswer{});
  }

  FeedService service_;
  std::vector<std::string> urls_;
  bool upstreamUp_ = true;
};

TEST_F(Gateway, AsksUpstreamOncePerHalfHourAndRebuildsTheFeedEveryTime) {
  const HttpAnswer first = Get("/xml/27612_1.xml", kStart);
  ASSERT_EQ(first.status, 200);
  EXPECT_EQ(first.contentType, "text/xml");
  EXPECT_NE(first.body.find("%CC%EE%F1%EA%E2%E0"), std::string::npos) << first.body;
  EXPECT_EQ(Get("/xml/27612_1.xml?x=1", kStart + 29 * kMinute).status, 200);
  EXPECT_EQ(urls_.size(), 1u);
  EXPECT_EQ(Get("/xml/27612_1.xml", kStart + 30 * kMinute).status, 200);
  EXPECT_EQ(urls_.size(), 2u);
  EXPECT_EQ(urls_[0],
            "http://127.0.0.1:1/v1/forecast?latitude=55.8333&longitude=37.6167&hourly="
            "temperature_2m,relative_humidity_2m,cloud_cover,weather_code,wind_speed_10m,"
            "wind_direction_10m&wind_speed_unit=ms&timezone=auto&forecast_days=3");
}

TEST_F(Gateway, ServesTheLastGoodForecastForSixHoursOfUpstreamFailures) {
  const std::string good = Get("/xml/27612_1.xml", kStart).body;
  upstreamUp_ = false;
  EXPECT_EQ(Get("/xml/27612_1.xml", kStart + kHour).body, good);
  EXPECT_EQ(urls_.size(), 2u) << "a due request is made even while failing";
  EXPECT_EQ(Get("/xml/27612_1.xml", kStart + kHour + kMinute).body, good);
  EXPECT_EQ(urls_.size(), 2u) << "a failed request counts for the half hour too";
  EXPECT_EQ(Get("/xml/27612_1.xml", kStart + 6 * kHour).status, 200);
  EXPECT_EQ(Get("/xml/27612_1.xml", kStart + 6 * kHour + kHour).status, 503);
  upstreamUp_ = true;
  EXPECT_EQ(Get("/xml/27612_1.xml", kStart + 8 * kHour).body, good);
}

TEST_F(Gateway, AnswersFailuresWithoutAForecastAndOtherPathsByStatus) {
  upstreamUp_ = false;
  EXPECT_EQ(Get("/xml/27612_1.xml", kStart).status, 503);
  EXPECT_EQ(Get("/xml/27612_1.xml", kStart + kMinute).status, 503);
  EXPECT_EQ(urls_.size(), 1u);
  upstreamUp_ = true;
  EXPECT_EQ(Get("/xml/27612_1.xml", kStart + 2 * kMinute).status, 200)
      << "with nothing to serve, a failure is retried after minutes, not the half hour";
  EXPECT_EQ(urls_.size(), 2u);
  upstreamUp_ = false;
  service_.cache.clear();
  service_.fetch = [](const std::string&) {
    return FetchResult{400, R"({"error": true, "reason": "Cannot initialize"})"};
  };
  EXPECT_EQ(Get("/xml/27612_1.xml", kStart + kHour).status, 503);
  EXPECT_EQ(Get("/xml/99999_1.xml", kStart).status, 404);
  EXPECT_EQ(Get("/xml/_1.xml", kStart).status, 404);
  EXPECT_EQ(Get("/xml/27612_2.xml", kStart).status, 404);
  EXPECT_EQ(Get("/xml/27612_1.xml", kStart, "POST").status, 405);
  const HttpAnswer page = Get("/", kStart);
  EXPECT_EQ(page.status, 200);
  EXPECT_NE(page.body.find("Weather data by Open-Meteo.com"), std::string::npos);
  EXPECT_NE(page.body.find("Meteostat"), std::string::npos);
}

TEST_F(Gateway, AnUnreachedUpstreamIsAskedAgainSoonAndCostsNeitherBackOffNorBudget) {
  FetchResult unreached;
  unreached.failure = FetchFailure::Unreached;
  FetchResult answer = unreached;
  service_.fetch = [&](const std::string& url) {
    urls_.push_back(url);
    return answer;
  };
  HttpAnswer first = Get("/xml/27612_1.xml", kStart);
  EXPECT_EQ(first.status, 503);
  EXPECT_EQ(first.retryAfterSeconds, kUnreachedRetrySeconds);
  EXPECT_NE(AnswerBytes(first).find("\r\nRetry-After: 12\r\n"), std::string::npos);
  EXPECT_EQ(Get("/xml/27612_1.xml", kStart + 5).retryAfterSeconds, kUnreachedRetrySeconds - 5);
  EXPECT_EQ(urls_.size(), 1u);
  // Asked again in the background as well, without any request.
  std::int64_t at = kStart;
  for (int i = 0; i < 20; ++i) RetryUnreached(service_, at += kUnreachedRetrySeconds);
  EXPECT_EQ(urls_.size(), 21u);
  EXPECT_EQ(service_.cache["27612"].failures, 0);
  EXPECT_TRUE(service_.budget.calls.empty()) << "the upstream was never asked";

  answer = FetchResult{500, ""};
  EXPECT_EQ(Get("/xml/27612_1.xml", at += kUnreachedRetrySeconds).retryAfterSeconds, kRetrySeconds);
  answer = unreached;
  EXPECT_EQ(Get("/xml/27612_1.xml", at += kRetrySeconds).retryAfterSeconds, kUnreachedRetrySeconds);
  NoteNetworkChange(service_);
  answer = FetchResult{500, ""};
  RetryUnreached(service_, at + 1);
  EXPECT_EQ(service_.cache["27612"].failures, 2) << "the network changed: asked at once";
  EXPECT_EQ(Get("/xml/27612_1.xml", at + 2).retryAfterSeconds, 2 * kRetrySeconds - 1)
      << "the service's own back-off goes on where it was";
  answer = FetchResult{200, AnswerJson(AnswerDays(3))};
  EXPECT_EQ(Get("/xml/27612_1.xml", at + 1 + 2 * kRetrySeconds).status, 200);
}

TEST_F(Gateway, AGatewayStartedAgainServesWhatTheLastOneKeptAndTrustsNoOtherFile) {
  ScratchDir scratch;
  service_.cities["26063"] = CityPlace{"Piter", 59.9667, 30.3};
  service_.cacheDir = "cache";
  ASSERT_TRUE(LoadStoredForecasts(service_, "cache", kStart));
  const std::string feed = Get("/xml/27612_1.xml", kStart).body;
  ASSERT_NE(feed.find("<FORECAST"), std::string::npos);

  // The next log-on, with the network down.
  auto restart = [this](std::int64_t at) {
    service_.cache.clear();
    service_.answered.clear();
    EXPECT_TRUE(LoadStoredForecasts(service_, "cache", at));
  };
  upstreamUp_ = false;
  restart(kStart + kHour);
  EXPECT_EQ(Get("/xml/27612_1.xml", kStart + kHour).body, feed);
  EXPECT_EQ(urls_.size(), 2u) << "due, asked, failed: still served";

  // Half-written, damaged and someone else's files are passed over.
  WriteFileBytes("cache/26063.forecast.new", "nimbrel-forecast 1\n");
  WriteFileBytes("cache/26063.forecast",
                 ReadFileBytes("cache/27612.forecast").replace(19, 10, "2999999999"));
  WriteFileBytes("cache/27612.forecast", ReadFileBytes("cache/27612.forecast").substr(0, 200));
  restart(kStart + kHour);
  EXPECT_TRUE(service_.cache.empty());
  EXPECT_FALSE(std::filesystem::exists("cache/26063.forecast.new"));
}

TEST_F(Gateway, ASetBackClockAsksUpstreamAgainAtOnce) {
  Get("/xml/27612_1.xml", kStart);
  EXPECT_EQ(Get("/xml/27612_1.xml", kStart - kHour).status, 200);
  EXPECT_EQ(urls_.size(), 2u);
}

}  // namespace

// An hour of clients asking for every city every ten seconds, simulated.
class UpstreamTerms : public ::testing::Test {
 protected:
  UpstreamTerms() {
    for (int i = 0; i < 108; ++i)
      service_.cities[std::to_string(20000 + i)] = CityPlace{"X", 50, 40};
    service_.fixedNow = ParseLocalTime("2026-12-07T10:00", service_.now);
  }

  void AskEveryCity(std::int64_t seconds, std::int64_t step) {
    for (std::int64_t at = kStart; at < kStart + seconds; at += step)
      for (const auto& city : service_.cities)
        AnswerRequest(service_, HttpRequest{"GET", "/xml/" + city.first + "_1.xml"}, at);
  }

  FeedService service_;
  std::vector<std::int64_t> calls_;
};

TEST_F(UpstreamTerms, AnUpstreamThatAlwaysRefusesIsAskedLessAndLess) {
  service_.fetch = [this](const std::string&) {
    calls_.push_back(0);
    return FetchResult{429, "{}", 0};
  };
  AskEveryCity(kHour, 10);
  std::printf("figure: upstream calls in a simulated hour of 429s: %zu\n", calls_.size());
  EXPECT_LE(calls_.size(), 8u) << "2, 4, 8, 16, 30 minutes paused for everyone";
  EXPECT_GE(calls_.size(), 4u);

  service_.fetch = [this](const std::string&) {
    calls_.push_back(0);
    return FetchResult{429, "{}", 3 * kHour};
  };
  service_.budget = UpstreamBudget{};
  calls_.clear();
  AskEveryCity(3 * kHour - 10, 10);
  EXPECT_EQ(calls_.size(), 1u) << "Retry-After holds every city";
}

TEST_F(UpstreamTerms, AllCitiesTogetherStayWithin600AMinuteAnd5000AnHour) {
  service_.policy.refetchSeconds = 1;         // an operator's --refresh 1
  const std::string answer = AnswerJson({});  // a forecast of no hours parses fastest
  std::int64_t now = kStart;
  service_.fetch = [&](const std::string&) {
    calls_.push_back(now);
    return FetchResult{200, answer, 0};
  };
  for (; now < kStart + kHour; now += 5)
    for (const auto& city : service_.cities) RefreshCity(service_, city.first, now);
  EXPECT_EQ(calls_.size(), 5000u);
  for (std::size_t i = kUpstreamCallsPerMinute; i < calls_.size(); ++i)
    ASSERT_GE(calls_[i] - calls_[i - kUpstreamCallsPerMinute], 60) << i;
}
