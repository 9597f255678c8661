// The accept loop over real loopback sockets, with the upstream fetched by
// libcurl from a fake on loopback: what no client can hold up. (The Windows
// run of the program lives in feed_gateway_run_win_test.cpp.)
#ifndef _WIN32
#include "gateway/serve_loop.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <ctime>
#include <thread>
#include <vector>

#include "gateway/feed_service.h"
#include "gateway/fetch_pool.h"
#include "tests/gateway/forecast_answers.h"
#include "tests/support/posix_loopback.h"

namespace {

using Clock = std::chrono::steady_clock;
const int kFetchLimitSeconds = 2;
const int kHangMilliseconds = 8000;

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

class ServeLoop : public ::testing::Test {
 protected:
  ServeLoop() {
    service_.cities["27612"] = CityPlace{"Moscow", 55.8333, 37.6167};
    service_.cities["26063"] = CityPlace{"Piter", 59.9667, 30.3};
    service_.fixedNow = ParseLocalTime("2026-12-07T10:00", service_.now);
    service_.upstream = upstream_.Url("/v1/forecast");
    service_.fetch = [](const std::string& url) { return FetchUrl(url, kFetchLimitSeconds); };
    service_.runFetch = [this](FetchJob job) { pool_.Run(std::move(job)); };
    limits_.idleExitSeconds = 0;
    limits_.answerMilliseconds = kFetchLimitSeconds * 1000;
    EXPECT_EQ(OpenListener("127.0.0.1", port_, listener_), ListenStatus::Listening);
    loop_ = std::thread([this] {
      ServeConnections(
          listener_, limits_,
          [this](const HttpRequest& r, int waited) {
            return AnswerRequest(service_, r, std::time(nullptr), waited);
          },
          AnswerNotice(), [this] { return stop_.load(); });
    });
  }
  ~ServeLoop() override {
    stop_ = true;
    loop_.join();
    CloseSocket(listener_);
  }

  // Piter's forecast never comes: the fake holds the line.
  UpstreamReply Answer(const std::string& request) {
    if (request.find("latitude=59.9667") == std::string::npos)
      return JsonReply(AnswerJson(AnswerDays(3)));
    ++piterAsked_;
    return {"", kHangMilliseconds};
  }

  std::atomic<int> piterAsked_{0};
  FeedService service_;
  FetchPool pool_;
  ServeLimits limits_;
  uint16_t port_ = FreeLoopbackPort();
  SocketHandle listener_ = kNoSocket;
  std::atomic<bool> stop_{false};
  std::thread loop_;
  FakeUpstream upstream_{[this](const std::string& r) { return Answer(r); }};
};

TEST_F(ServeLoop, AnswersFromTheCacheWhileAnotherCitysFetchHangs) {
  ASSERT_EQ(LoopbackGet(port_, "/xml/27612_1.xml").status, 200);
  std::vector<int> piter(2);
  std::vector<std::thread> waiting;
  for (int& status : piter)
    waiting.emplace_back([&] { status = LoopbackGet(port_, "/xml/26063_1.xml").status; });
  std::this_thread::sleep_for(std::chrono::milliseconds(300));

  const auto start = Clock::now();
  const LoopbackReply moscow = LoopbackGet(port_, "/xml/27612_1.xml");
  const double took = MillisecondsSince(start);
  EXPECT_EQ(moscow.status, 200);
  EXPECT_LT(took, 500);
  std::printf("figure: feed from the cache while another city's fetch hangs: %.1f ms\n", took);

  for (std::thread& t : waiting) t.join();
  EXPECT_EQ(piter, (std::vector<int>{503, 503})) << "at the fetch limit, not after the hang";
  EXPECT_EQ(piterAsked_, 1) << "one request per city in flight";
}

TEST_F(ServeLoop, AnswersARealRequestBehindTwoHundredSilentSockets) {
  std::vector<int> silent;
  for (int i = 0; i < 200; ++i) silent.push_back(ConnectLoopback(port_));
  const auto start = Clock::now();
  const LoopbackReply page = LoopbackGet(port_, "/");
  const double took = MillisecondsSince(start);
  for (int s : silent) close(s);
  EXPECT_EQ(page.status, 200);
  EXPECT_LT(took, 1000);
  std::printf("figure: a real request behind 200 silent sockets: %.1f ms\n", took);
}

TEST_F(ServeLoop, AnswersHeadWithoutABodyAndNamesTheMethodsItAllows) {
  const LoopbackReply head = LoopbackExchange(port_, "HEAD /xml/27612_1.xml HTTP/1.1\r\n\r\n");
  EXPECT_EQ(head.status, 200);
  EXPECT_EQ(head.body, "");
  EXPECT_EQ(head.head.find("Content-Length: 0"), std::string::npos) << head.head;
  const LoopbackReply post = LoopbackExchange(port_, "POST / HTTP/1.1\r\n\r\n");
  EXPECT_EQ(post.status, 405);
  EXPECT_NE(post.head.find("\r\nAllow: GET, HEAD"), std::string::npos) << post.head;
  EXPECT_EQ(LoopbackExchange(port_, "GET / HTTP/1.1\r\nUser-Agent: \xD0\x9C\r\n\r\n").status, 200);
}

}  // namespace
#endif
