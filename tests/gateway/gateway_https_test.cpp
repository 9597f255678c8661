// The native gateway's real transport: libcurl over TLS to a fake upstream
// on https://localhost, trusting a certificate authority made for the test
// only (named by NIMBREL_CA_FILE; the system's trust store is not touched).
#ifndef _WIN32
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "tests/support/child_process.h"
#include "tests/support/posix_loopback.h"
#include "tests/support/scratch_dir.h"

namespace fs = std::filesystem;

namespace {

const char kFakeUpstream[] = NIMBREL_SOURCE_DIR "/tests/gateway/fake_upstream.py";
// Debian's own, not whatever a user's PATH puts first.
const char kPython[] = "/usr/bin/python3";

bool Shell(const std::string& command) {
  return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

// A throw-away authority, a localhost certificate it signed, and a
// self-signed one nobody trusts.
bool MakeCertificates() {
  const std::string key = "openssl req -newkey rsa:2048 -nodes -days 2 ";
  WriteFileBytes("localhost.ext", "subjectAltName=DNS:localhost\n");
  return Shell(key + "-x509 -keyout ca.key -out ca.crt -subj /CN=nimbrel-test-ca") &&
         Shell(key + "-keyout server.key -out server.csr -subj /CN=localhost") &&
         Shell("openssl x509 -req -in server.csr -CA ca.crt -CAkey ca.key -CAcreateserial "
             "-days 2 -out server.crt -extfile localhost.ext") &&
         Shell(key + "-x509 -keyout self.key -out self.crt -subj /CN=localhost "
                   "-addext subjectAltName=DNS:localhost");
}

class GatewayHttps : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Shell("command -v openssl") || !fs::exists(kPython))
      GTEST_SKIP() << "needs openssl and python3 (scripts/setup installs both)";
    ASSERT_TRUE(MakeCertificates());
    WriteFileBytes("cities.txt", "27612 Moscow\r\n");
    WriteFileBytes("stations.txt", "27612 55.8333 37.6167\n");
  }

  // Serves the fake with `certificate`, and a gateway asking it; the status
  // and body of the gateway's answer for Moscow.
  LoopbackReply FeedThrough(const std::string& certificate) {
    ChildProcess upstream, gateway;
    fs::remove("port.txt");
    EXPECT_TRUE(upstream.Start(kPython, {kFakeUpstream, "--cert", certificate + ".crt", "--key",
                                certificate + ".key", "--port-file", "port.txt", "--log",
                                "upstream.log"}));
    for (int i = 0; i < 500 && !fs::exists("port.txt"); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const std::string upstreamPort = ReadFileBytes("port.txt");
    const uint16_t port = FreeLoopbackPort();
    EXPECT_TRUE(gateway.Start(
        ProgramPath("nimbrel-feed"),
        {"--listen", "127.0.0.1:" + std::to_string(port), "--upstream",
         "https://localhost:" + upstreamPort + "/v1/forecast", "--cities", "cities.txt",
         "--stations", "stations.txt", "--now", "2026-12-07T10:00", "--fetch-limit", "5"},
        {"NIMBREL_CA_FILE=" + (fs::current_path() / "ca.crt").string()}));
    EXPECT_TRUE(WaitForListener(port, 10000));
    return LoopbackGet(port, "/xml/27612_1.xml");
  }

  ScratchDir scratch_;
};

TEST_F(GatewayHttps, FetchesOverTlsFromATrustedAuthorityCompressed) {
  const LoopbackReply feed = FeedThrough("server");
  EXPECT_EQ(feed.status, 200);
  EXPECT_NE(feed.body.find("<TEMPERATURE min=\"-3\" max=\"-3\"/>"), std::string::npos) << feed.body;
  EXPECT_NE(ReadFileBytes("upstream.log").find("gzip=1"), std::string::npos);
}

TEST_F(GatewayHttps, RefusesACertificateNobodyTrusts) {
  const LoopbackReply feed = FeedThrough("self");
  EXPECT_EQ(feed.status, 503);
  EXPECT_EQ(feed.body.find("<FORECAST"), std::string::npos);
  EXPECT_EQ(ReadFileBytes("upstream.log"), "") << "no request got past the handshake";
}

}  // namespace
#endif
