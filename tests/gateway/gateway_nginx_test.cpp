// Hosting for many users: stock nginx with the shipped site snippet serves
// what `nimbrel-feed --write-dir` wrote from a fake upstream. (The Windows
// run shows the widget's weather through it.)
#ifndef _WIN32
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/gateway/forecast_answers.h"
#include "tests/support/child_process.h"
#include "tests/support/posix_loopback.h"
#include "tests/support/scratch_dir.h"

namespace fs = std::filesystem;

namespace {

const char kSite[] = NIMBREL_SOURCE_DIR "/tests/gateway/nginx_site.sh";
const int kSkipped = 77;

int Shell(const std::string& command) {
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Stops the nginx it started, also when the test fails.
struct NginxSite {
  explicit NginxSite(const fs::path& prefix) : prefix(prefix) {}
  ~NginxSite() { Shell(std::string(kSite) + " stop " + prefix.string()); }
  int Start(uint16_t port, const fs::path& site) {
    return Shell(std::string(kSite) + " start " + prefix.string() + " " + std::to_string(port) +
                 " " + site.string());
  }
  fs::path prefix;
};

TEST(GatewayHosting, StockNginxServesTheWrittenFeedsWithTheShippedSnippet) {
  ScratchDir scratch;
  FakeUpstream upstream([](const std::string&) { return JsonReply(AnswerJson(AnswerDays(3))); });
  WriteFileBytes("cities.txt", "27612 Moscow\r\n");
  WriteFileBytes("stations.txt", "27612 55.8333 37.6167\n");
  ChildProcess writer;
  ASSERT_TRUE(writer.Start(ProgramPath("nimbrel-feed"),
                           {"--write-dir", "site", "--once", "--upstream",
                            upstream.Url("/v1/forecast"), "--cities", "cities.txt", "--stations",
                            "stations.txt", "--now", "2026-12-07T10:00"}));
  ASSERT_EQ(writer.WaitExit(20000), 0);
  const std::string written = ReadFileBytes("site/xml/27612_1.xml");
  ASSERT_NE(written.find("<FORECAST"), std::string::npos);

  NginxSite nginx(fs::current_path() / "nginx");
  const uint16_t port = FreeLoopbackPort();
  const int started = nginx.Start(port, fs::current_path() / "site");
  if (started == kSkipped) GTEST_SKIP() << "no nginx here (scripts/setup installs nginx-light)";
  ASSERT_EQ(started, 0) << ReadFileBytes(nginx.prefix / "error.log");
  ASSERT_TRUE(WaitForListener(port, 10000));

  const LoopbackReply feed = LoopbackGet(port, "/xml/27612_1.xml");
  EXPECT_EQ(feed.status, 200);
  EXPECT_EQ(feed.body, written);
  EXPECT_NE(feed.head.find("Content-Type: text/xml"), std::string::npos) << feed.head;
  EXPECT_NE(feed.head.find("Cache-Control: max-age=600"), std::string::npos) << feed.head;
  EXPECT_EQ(LoopbackGet(port, "/xml/99999_1.xml").status, 404);
}

}  // namespace
#endif
