// --write-dir runs: each rebuilds every feed from the forecasts it keeps,
// asks only for what is due, and leaves no feed older than its forecast
// allows.
#include "gateway/feed_files.h"
#include "gateway/city_places.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "tests/gateway/forecast_answers.h"
#include "tests/support/scratch_dir.h"

namespace fs = std::filesystem;

namespace {

const std::int64_t kMorning = 1796626800;  // 2026-12-07 07:00 UTC, 10:00 in Moscow
const std::int64_t kHour = 3600;

class WriteDir : public ::testing::Test {
 protected:
  // Every run is a process of its own: nothing but DIR carries over.
  FeedFilesResult Run(std::int64_t at) {
    service_ = std::make_unique<FeedService>();
    service_->cities["27612"] = CityPlace{"Moscow", 55.8333, 37.6167};
    service_->cities["26063"] = CityPlace{"Piter", 59.9667, 30.3};
    service_->policy.refetchSeconds = 4 * kHour;
    service_->fetch = [this](const std::string& url) {
      ++calls_;
      const bool moscow = url.find("latitude=55.8333") != std::string::npos;
      return moscow && upstreamUp_ ? FetchResult{200, AnswerJson(AnswerDays(3)), 0}
                                   : FetchResult{503, "", 0};
    };
    return WriteFeedFiles(*service_, "out", at, 0);
  }

  ScratchDir scratch_;
  std::unique_ptr<FeedService> service_;
  int calls_ = 0;
  bool upstreamUp_ = true;
};

TEST_F(WriteDir, RebuildsEveryRunFromItsCacheAndRemovesWhatAgedOut) {
  const FeedFilesResult first = Run(kMorning);
  EXPECT_EQ(first.written, 1);
  EXPECT_EQ(first.removed, 1) << "Piter never had a forecast";
  const std::string morning = ReadFileBytes("out/xml/27612_1.xml");
  EXPECT_NE(morning.find("hour=\"06\""), std::string::npos);
  WriteFileBytes("out/xml/27612_1.xml.new", "half a feed");

  calls_ = 0;
  const FeedFilesResult later = Run(kMorning + 3 * kHour);
  EXPECT_EQ(calls_, 1) << "only Piter, failing, is due";
  EXPECT_EQ(later.written, 1);
  EXPECT_NE(ReadFileBytes("out/xml/27612_1.xml"), morning) << "periods follow the clock";
  EXPECT_FALSE(fs::exists("out/xml/27612_1.xml.new"));

  upstreamUp_ = false;
  const FeedFilesResult stale = Run(kMorning + 6 * kHour + 60);
  EXPECT_EQ(stale.removed, 2);
  EXPECT_FALSE(fs::exists("out/xml/27612_1.xml"));
}

TEST_F(WriteDir, AFolderThatCannotBeMadeEndsTheRunBeforeAnyUpstreamCall) {
  WriteFileBytes("out", "a file, not a folder");
  const FeedFilesResult result = Run(kMorning);
  EXPECT_FALSE(result.usable);
  EXPECT_NE(result.error.find("out"), std::string::npos) << result.error;
  EXPECT_EQ(calls_, 0);
}

// The shipped list, every city answering, a run every half hour as the timer
// starts them, until the cities fall due again: the rhythm of the day.
TEST(WriteDirList, SpreadsTheShippedListSoADayOfHalfHourlyRunsStaysInTheFreeTier) {
  const fs::path data = fs::path(NIMBREL_SOURCE_DIR) / "data";
  ScratchDir scratch;
  std::map<std::string, CityPlace> cities;
  std::string error;
  ASSERT_TRUE(ReadStations(ReadFileBytes(data / "NimbrelStations.txt"), cities, error));
  ASSERT_TRUE(JoinCityNames(ReadFileBytes(data / "NimbrelCodSity.txt"), cities, error));
  const int count = static_cast<int>(cities.size());
  int calls = 0, runs = 0;
  auto run = [&](std::int64_t at) {  // a process of its own: only DIR carries over
    FeedService service;
    service.cities = cities;
    service.fetch = [&](const std::string&) {
      ++calls;
      return FetchResult{200, AnswerJson(AnswerDays(3)), 0};
    };
    WriteFeedFiles(service, "out", at, 0);
  };
  run(kMorning);
  ASSERT_EQ(calls, count);
  for (calls = 0; calls == 0 && runs < 12;) run(kMorning + ++runs * kHour / 2);
  EXPECT_EQ(calls, count) << "every city, asked every " << runs << " runs";
  EXPECT_LT(count * 48 / runs, 10000);
  EXPECT_GE(count * 48 / runs, count * 12) << "no more spread than the budget needs";
}

}  // namespace
