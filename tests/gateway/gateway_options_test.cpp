// The gateway's command line.
#include <gtest/gtest.h>

#include "gateway/gateway_options.h"

namespace {

bool Parse(std::vector<std::string> args, GatewayOptions& out, std::string& error) {
  out = GatewayOptions{};
  error.clear();
  return ParseGatewayOptions(args, out, error);
}

TEST(GatewayOptions, DefaultToTheWidgetsLoopbackAddress) {
  GatewayOptions o;
  std::string error;
  ASSERT_TRUE(Parse({}, o, error));
  EXPECT_EQ(o.listenHost, "127.0.0.1");
  EXPECT_EQ(o.listenPort, 8930);
  EXPECT_EQ(o.idleExitSeconds, 900);
  EXPECT_EQ(o.refreshSeconds, 1800);
  EXPECT_EQ(o.fetchLimitSeconds, 10);
  EXPECT_FALSE(o.once || o.verbose || o.help || o.fixedNow);
}

TEST(GatewayOptions, ReadsEveryOption) {
  GatewayOptions o;
  std::string error;
  ASSERT_TRUE(Parse({"--listen",
                     "0.0.0.0:80",
                     "--idle-exit",
                     "0",
                     "--write-dir",
                     "out",
                     "--once",
                     "--upstream",
                     "http://127.0.0.1:5/f",
                     "--stations",
                     "s.txt",
                     "--cities",
                     "c.txt",
                     "--now",
                     "2026-12-07T23:59",
                     "--verbose",
                     "--refresh",
                     "1",
                     "--fetch-limit",
                     "2"},
                    o, error))
      << error;
  EXPECT_EQ(o.listenHost, "0.0.0.0");
  EXPECT_EQ(o.listenPort, 80);
  EXPECT_EQ(o.idleExitSeconds, 0);
  EXPECT_EQ(o.writeDir, "out");
  EXPECT_EQ(o.upstream, "http://127.0.0.1:5/f");
  EXPECT_EQ(o.stationsFile, "s.txt");
  EXPECT_EQ(o.citiesFile, "c.txt");
  EXPECT_TRUE(o.fixedNow && o.once && o.verbose);
  EXPECT_EQ(o.now.hour, 23);
  EXPECT_EQ(o.now.minute, 59);
  EXPECT_EQ(o.refreshSeconds, 1);
  EXPECT_EQ(o.fetchLimitSeconds, 2);
  ASSERT_TRUE(Parse({"--listen", "localhost:8931"}, o, error));
  EXPECT_EQ(o.listenHost, "127.0.0.1");
}

TEST(GatewayOptions, RefuseWhatTheyCannotUse) {
  const std::vector<std::vector<std::string>> bad = {{"--listen", "127.0.0.1"},
                                                     {"--listen", "127.0.0.1:0"},
                                                     {"--listen", "127.0.0.1:65536"},
                                                     {"--listen", "127.0.0.256:80"},
                                                     {"--listen", "example.org:80"},
                                                     {"--idle-exit", "-1"},
                                                     {"--idle-exit", "9x"},
                                                     {"--refresh", "0"},
                                                     {"--now", "2026-12-07"},
                                                     {"--upstream", "ftp://x"},
                                                     {"--idle-exit"},
                                                     {"--bogus"},
                                                     {"stray"},
                                                     {"--once"},
                                                     {"--write-dir", "out"}};
  for (const auto& args : bad) {
    GatewayOptions o;
    std::string error;
    EXPECT_FALSE(Parse(args, o, error)) << args[0];
    EXPECT_FALSE(error.empty()) << args[0];
  }
}

}  // namespace
