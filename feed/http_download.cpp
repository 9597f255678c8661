// The Windows Sockets side of the download; the response rules live in
// http_response.cpp.
#include <windows.h>
#include <winsock.h>

#include "feed/http_download.h"

#include <algorithm>
#include <vector>

#include "feed/http_response.h"
#include "feed/elapsed_seconds.h"
#include "services/dates.h"

namespace {

constexpr int kSendLimitSeconds = 10;
constexpr int kConnectLimitSeconds = 10;
// A server that drips one byte just inside every receive limit, or a host
// that never answers, must not hold the main thread: one download gets this
// long in all, counted on the wall clock like every limit...
constexpr int64_t kDownloadLimitSeconds = 15;
// ...and on the system's tick from the moment the connection is asked for,
// which no setting of the clock can stretch.
constexpr uint64_t kConnectionLimitMilliseconds = 15000;
// The limits count whole seconds of a clock that may jump, so a wait looks
// at it this often; readiness of the socket ends a wait at once.
constexpr long kClockLookMilliseconds = 100;

bool socketsStarted = false;
std::vector<SOCKET> openSockets;  // closed at shutdown if a download was cut off

SOCKET SocketOf(const TcpConnection& connection) {
  return static_cast<SOCKET>(connection.socket);
}

uint64_t MillisecondsSince(uint32_t startTick) {
  return static_cast<DWORD>(GetTickCount() - startTick);  // exact across the tick's wrap
}

enum class Readiness { Ready, Broken, TimedOut };

// Waits until the socket can be read (or written), within limitSeconds of
// the wall clock and what is left of budget milliseconds from startTick.
Readiness WaitUntilReady(SOCKET s, uint32_t startTick, uint64_t budget, bool forWriting,
                         int limitSeconds) {
  ElapsedSeconds elapsed;
  StartElapsed(&elapsed, CurrentDate());
  while (UpdateElapsed(&elapsed, CurrentDate()) < limitSeconds) {
    const uint64_t spent = MillisecondsSince(startTick);
    if (spent >= budget) break;
    const uint64_t wait = std::min<uint64_t>(kClockLookMilliseconds, budget - spent);
    fd_set ready;
    fd_set broken;
    FD_ZERO(&ready);
    FD_ZERO(&broken);
    FD_SET(s, &ready);
    FD_SET(s, &broken);
    timeval timeout = {0, static_cast<long>(wait * 1000)};
    const int count =
        select(0, forWriting ? nullptr : &ready, forWriting ? &ready : nullptr, &broken, &timeout);
    if (count == SOCKET_ERROR) return Readiness::Broken;
    if (count > 0) return FD_ISSET(s, &broken) ? Readiness::Broken : Readiness::Ready;
  }
  return Readiness::TimedOut;
}

// A connect that waits for the answer within the limit, rather than for
// the system's own retries (21 s for a host that drops every SYN).
bool ConnectWithin(SOCKET s, const sockaddr_in& address, uint32_t startTick, uint64_t budget,
                   int limitSeconds) {
  u_long nonBlocking = 1;
  if (ioctlsocket(s, FIONBIO, &nonBlocking) != 0) return false;
  if (connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) return true;
  if (WSAGetLastError() != WSAEWOULDBLOCK) return false;
  if (WaitUntilReady(s, startTick, budget, true, limitSeconds) != Readiness::Ready) return false;
  int error = 0;
  int length = sizeof error;
  return getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) == 0 &&
         error == 0;
}

bool Finished(const HttpResponse& r) {
  return r.state == ResponseState::Complete || r.state == ResponseState::Rejected;
}

bool HeadersAccepted(const HttpResponse& r) {
  return r.state == ResponseState::ReadingBody || r.state == ResponseState::Complete;
}

// A dotted IPv4 address as it is, otherwise the name's first address.
bool ResolveAddress(const std::string& host, uint16_t port, sockaddr_in* address) {
  *address = sockaddr_in{};
  address->sin_family = AF_INET;
  address->sin_port = htons(port);
  address->sin_addr.s_addr = inet_addr(host.c_str());
  if (address->sin_addr.s_addr != INADDR_NONE) return true;
  const hostent* found = gethostbyname(host.c_str());
  if (!found || found->h_addrtype != AF_INET || !found->h_addr_list[0]) return false;
  std::copy_n(found->h_addr_list[0], sizeof address->sin_addr,
              reinterpret_cast<char*>(&address->sin_addr));
  return true;
}

HANDLE CreateTargetFile(const std::string& fileName) {
  return CreateFileA(fileName.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                     CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

bool StartSockets() {
  if (socketsStarted) return true;
  WSADATA data;
  socketsStarted = WSAStartup(MAKEWORD(1, 1), &data) == 0;
  return socketsStarted;
}

void StopSockets() {
  for (SOCKET s : openSockets) closesocket(s);
  openSockets.clear();
  if (socketsStarted) WSACleanup();
  socketsStarted = false;
}

bool OpenTcpConnection(const std::string& host, uint16_t port, TcpConnection* connection) {
  *connection = TcpConnection{};
  connection->startTick = GetTickCount();
  sockaddr_in address{};
  if (!ResolveAddress(host, port, &address)) return false;
  const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) return false;
  if (!ConnectWithin(s, address, connection->startTick, kConnectionLimitMilliseconds,
                     kConnectLimitSeconds)) {
    closesocket(s);
    return false;
  }
  openSockets.push_back(s);
  connection->socket = static_cast<uintptr_t>(s);
  return true;
}

bool TcpPortAnswers(const std::string& host, uint16_t port, uint32_t limitMilliseconds) {
  sockaddr_in address{};
  if (!ResolveAddress(host, port, &address)) return false;
  const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) return false;
  const int kWholeSecondsCeiling = static_cast<int>(limitMilliseconds / 1000 + 1);
  const bool connected =
      ConnectWithin(s, address, GetTickCount(), limitMilliseconds, kWholeSecondsCeiling);
  closesocket(s);
  return connected;
}

void CloseTcpConnection(TcpConnection* connection) {
  const SOCKET s = SocketOf(*connection);
  if (s == INVALID_SOCKET) return;
  openSockets.erase(std::remove(openSockets.begin(), openSockets.end(), s), openSockets.end());
  closesocket(s);
  *connection = TcpConnection{};
}

bool SendAll(const TcpConnection& connection, const char* bytes, int count, int limitSeconds) {
  const SOCKET s = SocketOf(connection);
  while (count > 0) {
    const int sent = send(s, bytes, count, 0);
    if (sent == SOCKET_ERROR) {
      // Only a full send buffer is worth waiting for; any other failure
      // would fail the same way until the limit.
      if (WSAGetLastError() != WSAEWOULDBLOCK) return false;
      if (WaitUntilReady(s, connection.startTick, kConnectionLimitMilliseconds, true,
                         limitSeconds) != Readiness::Ready)
        return false;
      continue;
    }
    bytes += sent;
    count -= sent;
  }
  return true;
}

int ReceiveSome(const TcpConnection& connection, char* buffer, int maxCount, int limitSeconds) {
  if (maxCount <= 0) return 0;
  const SOCKET s = SocketOf(connection);
  if (WaitUntilReady(s, connection.startTick, kConnectionLimitMilliseconds, false, limitSeconds) !=
      Readiness::Ready)
    return 0;
  const int received = recv(s, buffer, maxCount, 0);
  return received > 0 ? received : 0;  // a closed connection ends the wait at once
}

bool DownloadToFile(const std::string& url, const std::string& fileName,
                    int32_t* retryAfterSeconds) {
  if (retryAfterSeconds) *retryAfterSeconds = 0;
  const UrlParts parts = SplitUrl(url);
  std::string request;
  if (!FormatRequest(parts, &request)) return false;  // nothing connected, nothing sent
  ElapsedSeconds total;
  StartElapsed(&total, CurrentDate());
  const auto timeLeft = [&](int stepLimit) {
    const int64_t left = kDownloadLimitSeconds - UpdateElapsed(&total, CurrentDate());
    return static_cast<int>(std::min<int64_t>(stepLimit, left));
  };
  TcpConnection connection;
  if (!OpenTcpConnection(parts.host, parts.port, &connection)) return false;

  bool ok = SendAll(connection, request.data(), static_cast<int>(request.size()),
                    timeLeft(kSendLimitSeconds));

  std::vector<char> buffer(parts.host.size() + 1024);
  HttpResponse response;
  HANDLE file = INVALID_HANDLE_VALUE;
  bool writeFailed = false;
  // A failed write ends the body: later bytes would leave a hole in the file.
  const BodySink sink = [&](const char* bytes, size_t count) {
    DWORD done = 0;
    if (!writeFailed &&
        (!WriteFile(file, bytes, static_cast<DWORD>(count), &done, nullptr) || done != count))
      writeFailed = true;
  };

  while (ok && !Finished(response) && !writeFailed) {
    const int limit = timeLeft(ReceiveLimitSeconds(response));
    if (limit <= 0) break;
    const int want = static_cast<int>(std::min(NextReceiveSize(response), buffer.size()));
    const int received = ReceiveSome(connection, buffer.data(), want, limit);
    if (received <= 0) break;
    size_t at = 0;
    while (at < static_cast<size_t>(received) && !Finished(response) && !writeFailed) {
      const size_t used = TakeResponseBytes(&response, buffer.data() + at, received - at, sink);
      at += used;
      if (file == INVALID_HANDLE_VALUE && HeadersAccepted(response)) {
        file = CreateTargetFile(fileName);
        if (file == INVALID_HANDLE_VALUE) {
          ok = false;
          break;
        }
      }
      if (used == 0) break;
    }
  }

  CloseTcpConnection(&connection);
  if (retryAfterSeconds && response.refused) *retryAfterSeconds = response.retryAfterSeconds;
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}
