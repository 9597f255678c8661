// Both transports (libcurl here, WinHTTP under Windows) against the same
// loopback scripts: which failures never reached the service.
#include "gateway/url_fetch.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#ifdef _WIN32
#include "tests/support/loopback_server.h"
#else
#include "tests/support/posix_loopback.h"
#endif

namespace {

const int kLimitSeconds = 1;
const int kPastTheLimitMs = 3000;
const char kCutAnswer[] = "HTTP/1.1 200 OK\r\nContent-Length: 500\r\n\r\n{\"hourly\":";
const char kRefusal[] = "HTTP/1.1 503 Busy\r\nContent-Length: 0\r\nRetry-After: 7\r\n\r\n";

enum class Script { CloseAtOnce, Silent, CutBody, Refuse };

// A loopback service playing one script for every request.
class Service {
 public:
  explicit Service(Script script) {
#ifdef _WIN32
    server_ = std::make_unique<LoopbackServer>([script](LoopbackConnection& c) {
      switch (script) {
        case Script::CloseAtOnce:
          return c.Close();
        case Script::Silent:
          return c.HoldSilent(kPastTheLimitMs);
        case Script::CutBody:
          c.Send(kCutAnswer);
          return c.HoldSilent(kPastTheLimitMs);
        case Script::Refuse:
          return c.Send(kRefusal);
      }
    });
#else
    server_ = std::make_unique<FakeUpstream>([script](const std::string&) {
      switch (script) {
        case Script::CloseAtOnce:
          return UpstreamReply{"", 0};
        case Script::Silent:
          return UpstreamReply{"", kPastTheLimitMs};
        case Script::CutBody:
          return UpstreamReply{kCutAnswer, 0};
        case Script::Refuse:
          break;
      }
      return UpstreamReply{kRefusal, 0};
    });
#endif
  }
  std::string Url() const {
    return server_->Url("/v1/forecast");
  }

 private:
#ifdef _WIN32
  std::unique_ptr<LoopbackServer> server_;
#else
  std::unique_ptr<FakeUpstream> server_;
#endif
};

std::string NobodyListening() {
  std::string url;
  {
    Service gone(Script::Refuse);
    url = gone.Url();
  }
  return url;
}

TEST(UrlFetch, TellsFailuresThatNeverReachedTheServiceFromTheServicesOwn) {
  EXPECT_EQ(FetchUrl(NobodyListening(), kLimitSeconds).failure, FetchFailure::Unreached);
  EXPECT_EQ(FetchUrl("http://nimbrel-feed.invalid/v1/forecast", kLimitSeconds).failure,
            FetchFailure::Unreached);
  EXPECT_EQ(FetchUrl(Service(Script::CloseAtOnce).Url(), kLimitSeconds).failure,
            FetchFailure::Unreached)
      << "closed without a word: something between, not the service";

  const FetchResult silent = FetchUrl(Service(Script::Silent).Url(), kLimitSeconds);
  EXPECT_EQ(silent.status, 0);
  EXPECT_EQ(silent.failure, FetchFailure::ServiceSide) << "the request went out";
  const FetchResult cut = FetchUrl(Service(Script::CutBody).Url(), kLimitSeconds);
  EXPECT_EQ(cut.status, 0);
  EXPECT_EQ(cut.failure, FetchFailure::ServiceSide);

  const FetchResult refused = FetchUrl(Service(Script::Refuse).Url(), kLimitSeconds);
  EXPECT_EQ(refused.status, 503);
  EXPECT_EQ(refused.failure, FetchFailure::None);
  EXPECT_EQ(refused.retryAfterSeconds, 7);
}

}  // namespace
