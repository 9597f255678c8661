// Reading a request head as it arrives, and the answers written back.
#include <gtest/gtest.h>

#include "gateway/http_request.h"

namespace {

RequestState Read(const std::string& bytes) {
  HttpRequest request;
  return ReadRequestHead(bytes, request);
}

TEST(RequestHead, ReadsTheWidgetsRequestOnceItsBlankLineIsIn) {
  const std::string head =
      "GET /xml/27612_1.xml HTTP/1.1\r\nHost: 127.0.0.1:8930\r\nConnection: close\r\n\r\n";
  for (std::size_t cut = 0; cut < head.size(); ++cut)
    ASSERT_EQ(Read(head.substr(0, cut)), RequestState::Incomplete) << cut;
  HttpRequest request;
  ASSERT_EQ(ReadRequestHead(head, request), RequestState::Complete);
  EXPECT_EQ(request.method, "GET");
  EXPECT_EQ(request.target, "/xml/27612_1.xml");
  EXPECT_EQ(Read("GET / HTTP/1.0\r\n\r\n"), RequestState::Complete);
  EXPECT_EQ(Read("GET / HTTP/1.1\r\nUser-Agent: \xD0\x9C\xFF\r\n\r\n"), RequestState::Complete);
}

TEST(RequestHead, RefusesWhatIsNotARequest) {
  for (const char* bad :
       {"\r\n\r\n", "GARBAGE\r\n\r\n", "GET /\r\n\r\n", "GET / HTTP/2.0\r\n\r\n",
        "GET xml HTTP/1.1\r\n\r\n", "GET  / HTTP/1.1\r\n\r\n", "G(T / HTTP/1.1\r\n\r\n",
        "GET /\x01 HTTP/1.1\r\n\r\n", "GET / HTTP/1.1\r\nNoColon\r\n\r\n",
        "GET / HTTP/1.1\r\nA: b\r\n folded\r\n\r\n"})
    EXPECT_EQ(Read(bad), RequestState::Malformed) << bad;
  EXPECT_EQ(Read(std::string("GET /\0", 6)), RequestState::Malformed);
}

TEST(RequestHead, RefusesAHeadLargerThanTheBoundEvenBeforeItEnds) {
  const std::string big = "GET / HTTP/1.1\r\nX: " + std::string(kMaxRequestBytes, 'a');
  EXPECT_EQ(Read(big), RequestState::TooLarge);
  EXPECT_EQ(Read(big + "\r\n\r\n"), RequestState::TooLarge);
}

TEST(HttpAnswer, CarriesItsLengthAndClosesTheConnection) {
  EXPECT_EQ(AnswerBytes({200, "text/xml", "<a/>"}),
            "HTTP/1.1 200 OK\r\nContent-Length: 4\r\nContent-Type: text/xml\r\n"
            "Cache-Control: no-store\r\nConnection: close\r\n\r\n<a/>");
  EXPECT_EQ(StatusAnswer(503).body, "503 Service Unavailable\n");
}

}  // namespace
