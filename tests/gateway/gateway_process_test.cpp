// The native nimbrel-feed as a process: how it ends.
#ifndef _WIN32
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <string>

#include "tests/support/child_process.h"
#include "tests/support/posix_loopback.h"
#include "tests/support/scratch_dir.h"

namespace {

using Clock = std::chrono::steady_clock;

TEST(GatewayProcess, EndsWithinTwoSecondsOfItsParentAndNeverForIdleness) {
  ChildProcess parent, gateway;
  ASSERT_TRUE(parent.Start("/bin/sleep", {"60"}));
  const uint16_t port = FreeLoopbackPort();
  ASSERT_TRUE(gateway.Start(ProgramPath("nimbrel-feed"),
                            {"--listen", "127.0.0.1:" + std::to_string(port), "--idle-exit", "1",
                             "--parent", std::to_string(parent.Id())}));
  ASSERT_TRUE(WaitForListener(port, 10000));
  EXPECT_EQ(gateway.WaitExit(1500), -1) << "--idle-exit does not apply with a parent";

  parent.Signal(SIGKILL);
  const auto killed = Clock::now();
  const int status = gateway.WaitExit(5000);
  const double took = std::chrono::duration<double, std::milli>(Clock::now() - killed).count();
  EXPECT_EQ(status, 0);
  EXPECT_LT(took, 2000);
  std::printf("figure: gateway ended %.0f ms after its parent was killed\n", took);
}

TEST(GatewayProcess, AWriteDirThatCannotBeMadeEndsWithStatusTwo) {
  ScratchDir scratch;
  WriteFileBytes("taken", "a file");
  ChildProcess run;
  // The upstream is a port nothing listens on: no call may be tried anyway.
  ASSERT_TRUE(run.Start(ProgramPath("nimbrel-feed"),
                        {"--write-dir", "taken/out", "--once", "--upstream",
                         "http://127.0.0.1:1/v1/forecast", "--verbose"},
                        {}, "output.txt"));
  EXPECT_EQ(run.WaitExit(10000), 2);
  const std::string output = ReadFileBytes("output.txt");
  EXPECT_NE(output.find("cannot make or write taken/out"), std::string::npos) << output;
  EXPECT_EQ(output.find("upstream"), std::string::npos) << output;
}

}  // namespace
#endif
