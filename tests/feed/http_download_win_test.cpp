#include <windows.h>
#include <winsock.h>

#include "feed/http_download.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <vector>

#include "feed/http_response.h"
#include "services/dates.h"
#include "tests/support/loopback_server.h"
#include "tests/support/scratch_dir.h"

namespace {

using Clock = std::chrono::steady_clock;

const char kOldFeed[] = "<old feed/>";

class Download : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(StartSockets()); }
  void TearDown() override { SetDateSource(nullptr); }

  // A previous nim.xml with a timestamp far in the past, so that any touch
  // of the file shows.
  void PlantOldFile() {
    WriteFileBytes("nim.xml", kOldFeed);
    HANDLE h = CreateFileA("nim.xml", FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    SYSTEMTIME old{2001, 2, 0, 3, 4, 5, 6, 0};
    FILETIME stamp;
    SystemTimeToFileTime(&old, &stamp);
    ASSERT_TRUE(SetFileTime(h, nullptr, nullptr, &stamp));
    CloseHandle(h);
    oldStamp_ = WriteTime();
  }

  void ExpectOldFileUntouched() {
    EXPECT_EQ(ReadFileBytes("nim.xml"), kOldFeed);
    EXPECT_EQ(WriteTime(), oldStamp_);
  }

  static uint64_t WriteTime() {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA("nim.xml", GetFileExInfoStandard, &data)) return 0;
    return (uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) |
           data.ftLastWriteTime.dwLowDateTime;
  }

  ScratchDir dir_;
  uint64_t oldStamp_ = 0;
};

// Milliseconds one download takes.
template <typename Run>
int64_t Timed(Run run) {
  const auto start = Clock::now();
  run();
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// A clock that jumps a few seconds at every look, so that the ten-second
// limits pass in a fraction of a real second.
std::atomic<DateValue> fakeNow{1000000};
DateValue RacingClock() {
  return fakeNow += 2;
}

TEST_F(Download, ContentLengthInTheFirstBlockReturnsWithoutWaiting) {
  LoopbackServer server([](LoopbackConnection& c) {
    c.Send("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello");
    c.HoldSilent(5000);  // no close to end the body: only the length may
  });
  ASSERT_TRUE(server.Listening());
  bool ok = false;
  const int64_t ms = Timed([&] { ok = DownloadToFile(server.Url("/xml/27612_1.xml"), "nim.xml"); });
  EXPECT_TRUE(ok);
  EXPECT_EQ(ReadFileBytes("nim.xml"), "hello");
  EXPECT_LT(ms, 700);
}

TEST_F(Download, SendsTheExactRequestWithThePortInTheHostHeader) {
  LoopbackServer server(RespondWith("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok"));
  ASSERT_TRUE(DownloadToFile(server.Url("/xml/27612_1.xml?a=b"), "nim.xml"));
  // A city code with a blank still makes one request line.
  ASSERT_TRUE(DownloadToFile(server.Url("/xml/27 12_1.xml"), "nim.xml"));
  ASSERT_EQ(server.Requests().size(), 2u);
  const std::string rest =
      " HTTP/1.1\r\nAccept: */*\r\nHost: 127.0.0.1:" + std::to_string(server.Port()) +
      "\r\nConnection: close\r\n\r\n";
  EXPECT_EQ(server.Requests()[0], "GET /xml/27612_1.xml?a=b" + rest);
  EXPECT_EQ(server.Requests()[1], "GET /xml/27%2012_1.xml" + rest);
}

TEST_F(Download, HeaderNamesAndBlanksAfterTheColonDoNotMatter) {
  for (const char* header : {"CONTENT-LENGTH: 5", "Content-Length:5"}) {
    LoopbackServer server([header](LoopbackConnection& c) {
      c.Send(std::string("HTTP/1.1 200 OK\r\n") + header + "\r\n\r\nhelloEXTRA");
      c.HoldSilent(5000);
    });
    bool ok = false;
    const int64_t ms = Timed([&] { ok = DownloadToFile(server.Url("/x"), "nim.xml"); });
    EXPECT_TRUE(ok) << header;
    EXPECT_EQ(ReadFileBytes("nim.xml"), "hello") << header;
    EXPECT_LT(ms, 700) << header;
  }
}

TEST_F(Download, ChunkedBodiesAreDecodedInOneBlockOrDrippedByteByByte) {
  const std::string head =
      "HTTP/1.1 200 OK\r\nContent-Length: 40\r\nTransfer-Encoding: chunked\r\n\r\n";
  const std::string chunks = "4\r\n<ab>\r\nA\r\n0123456789\r\n0\r\n\r\n";
  {
    LoopbackServer server(RespondWith(head + chunks));
    ASSERT_TRUE(DownloadToFile(server.Url("/x"), "nim.xml"));
    EXPECT_EQ(ReadFileBytes("nim.xml"), "<ab>0123456789");
  }
  {
    LoopbackServer server([&](LoopbackConnection& c) {
      c.Send(head);
      c.SendInPieces(chunks, 1, 15);
      c.HoldSilent(5000);  // the zero chunk, not the close, ends the body
    });
    ASSERT_TRUE(DownloadToFile(server.Url("/x"), "dripped.xml"));
    EXPECT_EQ(ReadFileBytes("dripped.xml"), "<ab>0123456789");
  }
}

TEST_F(Download, WithoutLengthTheBodyEndsAfterOneSecondOfSilence) {
  LoopbackServer server([](LoopbackConnection& c) {
    c.Send("HTTP/1.1 200 OK\r\n\r\nfirst second");
    c.HoldSilent(5000);  // the line stays open: only the silence ends the body
  });
  bool ok = false;
  const int64_t ms = Timed([&] { ok = DownloadToFile(server.Url("/x"), "nim.xml"); });
  EXPECT_TRUE(ok);
  EXPECT_EQ(ReadFileBytes("nim.xml"), "first second");
  // At most one whole second of the clock, plus the poll in progress.
  EXPECT_LT(ms, 3000);
}

TEST_F(Download, RefusedAnswersLeaveTheFileExactlyAsItWas) {
  PlantOldFile();
  for (const char* status : {"HTTP/1.1 404 Not Found", "HTTP/1.1 500 Internal Server Error",
                             "HTTP/1.1 404 Not Found 200"}) {
    LoopbackServer server(
        RespondWith(std::string(status) + "\r\nContent-Length: 9\r\n\r\nnot found"));
    EXPECT_FALSE(DownloadToFile(server.Url("/x"), "nim.xml")) << status;
    ExpectOldFileUntouched();
  }
  LoopbackServer negative(RespondWith("HTTP/1.1 200 OK\r\nContent-Length: -5\r\n\r\nxx"));
  EXPECT_FALSE(DownloadToFile(negative.Url("/x"), "nim.xml"));
  ExpectOldFileUntouched();
}

TEST_F(Download, A302AnswerStoresItsPage) {
  PlantOldFile();
  const std::string page = "<html><body>Moved</body></html>";
  LoopbackServer server(
      RespondWith("HTTP/1.1 302 Found\r\nLocation: http://elsewhere/\r\nContent-Length: " +
                  std::to_string(page.size()) + "\r\n\r\n" + page));
  EXPECT_TRUE(DownloadToFile(server.Url("/x"), "nim.xml"));
  EXPECT_EQ(ReadFileBytes("nim.xml"), page);
}

TEST_F(Download, EmptyBodyTruncatesTheFile) {
  PlantOldFile();
  LoopbackServer server(RespondWith("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n"));
  EXPECT_TRUE(DownloadToFile(server.Url("/x"), "nim.xml"));
  EXPECT_EQ(ReadFileBytes("nim.xml"), "");
}

TEST_F(Download, HeaderBlockSplitOverTwoReceivesIsWaitedFor) {
  PlantOldFile();
  LoopbackServer server([](LoopbackConnection& c) {
    c.Send("HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Le");
    c.Pause(300);
    c.Send("ngth: 4\r\n\r\n<a/>");
    c.HoldSilent(5000);
  });
  EXPECT_TRUE(DownloadToFile(server.Url("/x"), "nim.xml"));
  EXPECT_EQ(ReadFileBytes("nim.xml"), "<a/>");
}

TEST_F(Download, SilentOrVanishingServersFailWithinTheLimit) {
  PlantOldFile();
  SetDateSource(RacingClock);
  {
    LoopbackServer server([](LoopbackConnection& c) { c.HoldSilent(10000); });
    bool ok = true;
    const int64_t ms = Timed([&] { ok = DownloadToFile(server.Url("/x"), "nim.xml"); });
    EXPECT_FALSE(ok);
    EXPECT_LT(ms, 3000);
  }
  {
    LoopbackServer server(RespondWith("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n"));  // then closes
    EXPECT_FALSE(DownloadToFile(server.Url("/x"), "nim.xml"));
  }
  ExpectOldFileUntouched();
}

TEST_F(Download, AHostThatNeverAnswersTheConnectIsGivenUpWithinTheLimit) {
  PlantOldFile();
  SetDateSource(RacingClock);
  // A listener whose queue is full drops further connects without a word.
  SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = inet_addr("127.0.0.1");
  int length = sizeof address;
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(listener, 0), 0);
  getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
  std::vector<SOCKET> fillers;
  for (int i = 0; i < 4; ++i) {
    fillers.push_back(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    u_long nonBlocking = 1;
    ioctlsocket(fillers.back(), FIONBIO, &nonBlocking);
    connect(fillers.back(), reinterpret_cast<sockaddr*>(&address), sizeof address);
  }
  Sleep(200);
  const std::string url = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/x";
  bool ok = true;
  const int64_t ms = Timed([&] { ok = DownloadToFile(url, "nim.xml"); });
  EXPECT_FALSE(ok);
  EXPECT_LT(ms, 3000);
  ExpectOldFileUntouched();
  // Had the connect got through, its request would be waiting here.
  u_long nonBlocking = 1;
  ioctlsocket(listener, FIONBIO, &nonBlocking);
  for (SOCKET in; (in = accept(listener, nullptr, nullptr)) != INVALID_SOCKET; closesocket(in)) {
    char first = 0;
    ioctlsocket(in, FIONBIO, &nonBlocking);
    EXPECT_NE(recv(in, &first, 1, 0), 1) << "the connect was answered: nothing was tested";
  }
  for (SOCKET f : fillers) closesocket(f);
  closesocket(listener);
}

TEST_F(Download, ABodyCutShortKeepsWhatArrived) {
  SetDateSource(RacingClock);
  LoopbackServer server(RespondWith("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\npart"));
  EXPECT_TRUE(DownloadToFile(server.Url("/x"), "nim.xml"));
  EXPECT_EQ(ReadFileBytes("nim.xml"), "part");
}

TEST_F(Download, AServerThatNeverStopsIsCutAtTheCap) {
  LoopbackServer server([](LoopbackConnection& c) {
    c.Send("HTTP/1.1 200 OK\r\n\r\n");
    c.Flood('z', 15000);
  });
  EXPECT_TRUE(DownloadToFile(server.Url("/x"), "nim.xml"));
  EXPECT_EQ(ReadFileBytes("nim.xml"), std::string(kMaxBodyBytes, 'z'));
}

TEST_F(Download, ADrippingServerCannotHoldTheDownloadForever) {
  SetDateSource(RacingClock);
  LoopbackServer server([](LoopbackConnection& c) {
    // The first byte comes with the head: the racing clock may spend the
    // whole limit before the first drip arrives.
    c.Send("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\nd");
    c.SendInPieces(std::string(1999, 'd'), 1, 10);
  });
  bool ok = false;
  const int64_t ms = Timed([&] { ok = DownloadToFile(server.Url("/x"), "nim.xml"); });
  EXPECT_TRUE(ok);
  EXPECT_LT(ms, 8000);
  const std::string kept = ReadFileBytes("nim.xml");
  EXPECT_GT(kept.size(), 0u);
  EXPECT_LT(kept.size(), 2000u);
}

TEST_F(Download, UnusableAddressesSendNothing) {
  PlantOldFile();
  LoopbackServer server(RespondWith("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok"));
  const std::string tooLong = server.Url("/" + std::string(1000, 'p'));
  EXPECT_FALSE(DownloadToFile(tooLong, "nim.xml"));
  EXPECT_FALSE(DownloadToFile("127.0.0.1:" + std::to_string(server.Port()) + "/x", "nim.xml"));
  Sleep(100);
  EXPECT_EQ(server.Connections(), 0);
  ExpectOldFileUntouched();
}

TEST_F(Download, NoServerMeansFailure) {
  PlantOldFile();
  uint16_t freePort;
  {
    LoopbackServer gone(RespondWith(""));
    freePort = gone.Port();
  }
  EXPECT_FALSE(DownloadToFile("http://127.0.0.1:" + std::to_string(freePort) + "/x", "nim.xml"));
  EXPECT_FALSE(DownloadToFile("http://no-such-host.invalid/x", "nim.xml"));
  ExpectOldFileUntouched();
}

TEST_F(Download, NamesAreResolvedAndStoppingClosesWhatIsStillOpen) {
  std::atomic<bool> sawClose{false};
  LoopbackServer server([&](LoopbackConnection& c) {
    c.HoldSilent(5000);
    sawClose = c.closed();
  });
  TcpConnection connection;
  ASSERT_TRUE(OpenTcpConnection("localhost", server.Port(), &connection));
  const char request[] = "GET / HTTP/1.1\r\n\r\n";
  ASSERT_TRUE(SendAll(connection, request, sizeof request - 1, 10));
  StopSockets();
  for (int i = 0; i < 100 && !sawClose; ++i) Sleep(20);
  EXPECT_TRUE(sawClose);
  EXPECT_TRUE(StartSockets());
}

TEST_F(Download, AFileThatCannotBeCreatedFails) {
  LoopbackServer server(RespondWith("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok"));
  EXPECT_FALSE(DownloadToFile(server.Url("/x"), "missing-folder\\nim.xml"));
}

}  // namespace
