// Hosting for many users: stock nginx with the shipped site snippet serves
// what `nimbrel-feed --write-dir` wrote from a fake upstream.
#ifndef _WIN32
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/gateway/forecast_answers.h"
#include "tests/support/child_process.h"
#include "tests/support/posix_loopback.h"
#include "tests/support/scratch_dir.h"

namespace fs = std::filesystem;

namespace {

const char kNginx[] = "/usr/sbin/nginx";
const char kSnippet[] = NIMBREL_SOURCE_DIR "/packaging/nginx-nimbrel-feed.conf";
const char kSnippetRoot[] = "root /var/lib/nimbrel-feed;";

// nginx in the foreground with everything it writes under `prefix`.
std::string NginxConf(const fs::path& prefix, uint16_t port, const fs::path& site) {
  std::string snippet = ReadFileBytes(kSnippet);
  snippet.replace(snippet.find(kSnippetRoot), sizeof kSnippetRoot - 1,
                  "root " + site.string() + ";");
  const std::string p = prefix.string();
  std::string conf = "daemon off;\nworker_processes 1;\npid " + p + "/nginx.pid;\nerror_log " + p +
                     "/error.log;\nevents { worker_connections 64; }\nhttp {\n  access_log off;\n";
  for (const char* temp : {"client_body", "proxy", "fastcgi", "uwsgi", "scgi"})
    conf += std::string("  ") + temp + "_temp_path " + p + "/" + temp + ";\n";
  return conf + "  server {\n    listen 127.0.0.1:" + std::to_string(port) + ";\n" + snippet +
         "  }\n}\n";
}

TEST(GatewayHosting, StockNginxServesTheWrittenFeedsWithTheShippedSnippet) {
  if (!fs::exists(kNginx)) GTEST_SKIP() << "no nginx here (scripts/setup installs nginx-light)";
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

  const fs::path prefix = fs::current_path() / "nginx";
  fs::create_directories(prefix);
  const uint16_t port = FreeLoopbackPort();
  WriteFileBytes(prefix / "nginx.conf", NginxConf(prefix, port, fs::current_path() / "site"));
  ChildProcess nginx;
  ASSERT_TRUE(nginx.Start(kNginx, {"-p", prefix.string(), "-c", (prefix / "nginx.conf").string(),
                                   "-e", (prefix / "error.log").string()}));
  ASSERT_TRUE(WaitForListener(port, 10000)) << ReadFileBytes(prefix / "error.log");

  const LoopbackReply feed = LoopbackGet(port, "/xml/27612_1.xml");
  EXPECT_EQ(feed.status, 200);
  EXPECT_EQ(feed.body, written);
  EXPECT_NE(feed.head.find("Content-Type: text/xml"), std::string::npos) << feed.head;
  EXPECT_NE(feed.head.find("Cache-Control: max-age=600"), std::string::npos) << feed.head;
  EXPECT_EQ(LoopbackGet(port, "/xml/99999_1.xml").status, 404);
}

}  // namespace
#endif
