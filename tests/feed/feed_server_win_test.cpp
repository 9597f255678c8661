#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "feed/forecast.h"
#include "feed/http_download.h"
#include "feed/xml_tree.h"
#include "tests/support/loopback_server.h"
#include "tests/support/scratch_dir.h"

namespace {

// The source tree, as a Unix path: the test programs live in
// <tree>/build/<preset>/tests/.
std::string SourceTree() {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string tree(path, length);
  for (int up = 0; up < 4; ++up) tree = tree.substr(0, tree.find_last_of('\\'));
  if (tree.size() >= 2 && tree[1] == ':') tree = tree.substr(2);
  for (char& c : tree)
    if (c == '\\') c = '/';
  return tree;
}

uint16_t FreePort() {
  LoopbackServer probe([](LoopbackConnection&) {});
  return probe.Port();
}

// The development feed server, started as a Unix program through Wine, for
// one test; it stops itself on /quit or after half a minute at the latest.
class FeedServer : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(StartSockets());
    port_ = FreePort();
    std::string command = "Z:\\usr\\bin\\python3 " + SourceTree() +
                          "/tools/feedserver/feedserver.py --quiet --allow-quit --exit-after 30"
                          " --date 2026-12-07 --port " +
                          std::to_string(port_);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &process));
    if (process.hThread) CloseHandle(process.hThread);
    if (process.hProcess) CloseHandle(process.hProcess);
    for (int tries = 0; tries < 100; ++tries) {
      TcpConnection probe;
      if (OpenTcpConnection("127.0.0.1", port_, &probe)) {
        CloseTcpConnection(&probe);
        return;
      }
      Sleep(50);
    }
    FAIL() << "the feed server did not start";
  }

  void TearDown() override { DownloadToFile(Url("/quit"), "quit.txt"); }

  std::string Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
  }

  // Downloads, loads and walks one city's feed into a fresh model.
  void Fetch(const std::string& code) {
    ClearForecast();
    ASSERT_TRUE(DownloadToFile(Url("/xml/" + code + "_1.xml"), "nim.xml"));
    ASSERT_TRUE(LoadXmlFile(0, "nim.xml"));
    WalkFeedNode(RootElement(0), 0);
  }

  ScratchDir dir_;
  uint16_t port_ = 0;
};

TEST_F(FeedServer, ServesFeedsTheWalkFillsCompletely) {
  Fetch("27612");
  const ForecastModel& model = Forecast();
  EXPECT_EQ(DecodePercentText(model.townName), "Москва");
  EXPECT_EQ(model.periodCounter, 4);
  EXPECT_EQ(model.forecastTable[1].dateLine, " Пн, 07\\12\\2026 На 15ч.");
  EXPECT_EQ(model.forecastTable[2].dateLine, " Пн, 07\\12\\2026 На 21ч.");
  EXPECT_EQ(model.forecastTable[3].dateLine, " Вт, 08\\12\\2026 На 09ч.");
  EXPECT_EQ(model.forecastTable[4].dateLine, " Вт, 08\\12\\2026 На 15ч.");
  for (int slot = 1; slot <= 4; ++slot) {
    const ForecastPeriod& p = model.forecastTable[slot];
    EXPECT_FALSE(p.cloudinessText.empty()) << slot;
    EXPECT_FALSE(p.precipitationText.empty()) << slot;
    EXPECT_FALSE(p.temperatureMin.empty()) << slot;
    EXPECT_FALSE(p.temperatureMax.empty()) << slot;
    EXPECT_FALSE(p.windMax.empty()) << slot;
    EXPECT_FALSE(p.relwetMax.empty()) << slot;
    EXPECT_FALSE(p.directionText.empty()) << slot;
  }
}

TEST_F(FeedServer, CitiesDifferAndTheSameCityRepeats) {
  auto summary = [] {
    std::string all;
    for (int slot = 1; slot <= 4; ++slot) {
      const ForecastPeriod& p = Forecast().forecastTable[slot];
      all += p.temperatureMin + "/" + p.temperatureMax + "/" + p.cloudinessText + "/" + p.windMax +
             ";";
    }
    return all;
  };
  Fetch("27612");
  const std::string first = summary();
  Fetch("26063");
  EXPECT_EQ(DecodePercentText(Forecast().townName), "Санкт-Петербург");
  EXPECT_NE(summary(), first);
  Fetch("27612");
  EXPECT_EQ(summary(), first);
}

TEST_F(FeedServer, OtherPathsAreRefusedAndLeaveTheFile) {
  Fetch("27612");
  const std::string before = ReadFileBytes("nim.xml");
  EXPECT_FALSE(DownloadToFile(Url("/xml/1234_1.xml"), "nim.xml"));
  EXPECT_FALSE(DownloadToFile(Url("/weather"), "nim.xml"));
  EXPECT_EQ(ReadFileBytes("nim.xml"), before);
}

}  // namespace
