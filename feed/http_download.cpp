// The Windows Sockets side of the download; the response rules live in
// http_response.cpp.
#include <windows.h>
#include <winsock.h>

#include "feed/http_download.h"

#include <algorithm>
#include <vector>

#include "feed/http_response.h"
#include "services/dates.h"

namespace {

constexpr int kSendLimitSeconds = 10;
constexpr DWORD kReceivePollMilliseconds = 100;
constexpr DWORD kSendRetryMilliseconds = 50;
// A server that drips one byte just inside every receive limit must not hold
// the main thread for days: one download gets at most one refresh period.
constexpr int64_t kDownloadLimitSeconds = 60;

bool socketsStarted = false;
std::vector<SOCKET> openSockets;  // closed at shutdown if a download was cut off

SOCKET SocketOf(const TcpConnection& connection) {
  return static_cast<SOCKET>(connection.socket);
}

bool Finished(const HttpResponse& r) {
  return r.state == ResponseState::Complete || r.state == ResponseState::Rejected;
}

bool HeadersAccepted(const HttpResponse& r) {
  return r.state == ResponseState::ReadingBody || r.state == ResponseState::Complete;
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
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = inet_addr(host.c_str());
  if (address.sin_addr.s_addr == INADDR_NONE) {
    const hostent* found = gethostbyname(host.c_str());
    if (!found || found->h_addrtype != AF_INET || !found->h_addr_list[0]) return false;
    std::copy_n(found->h_addr_list[0], sizeof address.sin_addr,
                reinterpret_cast<char*>(&address.sin_addr));
  }
  const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) return false;
  if (connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    closesocket(s);
    return false;
  }
  openSockets.push_back(s);
  connection->socket = static_cast<uintptr_t>(s);
  return true;
}

void CloseTcpConnection(TcpConnection* connection) {
  const SOCKET s = SocketOf(*connection);
  if (s == INVALID_SOCKET) return;
  openSockets.erase(std::remove(openSockets.begin(), openSockets.end(), s), openSockets.end());
  closesocket(s);
  *connection = TcpConnection{};
}

bool SendAll(const TcpConnection& connection, const char* bytes, int count, int limitSeconds) {
  ElapsedSeconds elapsed;
  StartElapsed(&elapsed, CurrentDate());
  while (count > 0 && UpdateElapsed(&elapsed, CurrentDate()) < limitSeconds) {
    const int sent = send(SocketOf(connection), bytes, count, 0);
    if (sent == SOCKET_ERROR) {
      Sleep(kSendRetryMilliseconds);
      continue;
    }
    bytes += sent;
    count -= sent;
  }
  return count <= 0;
}

int ReceiveSome(const TcpConnection& connection, char* buffer, int maxCount, int limitSeconds) {
  if (maxCount <= 0) return 0;
  ElapsedSeconds elapsed;
  StartElapsed(&elapsed, CurrentDate());
  while (UpdateElapsed(&elapsed, CurrentDate()) < limitSeconds) {
    u_long waiting = 0;
    if (ioctlsocket(SocketOf(connection), FIONREAD, &waiting) != 0) return 0;
    if (waiting > 0) {
      const int received = recv(SocketOf(connection), buffer, maxCount, 0);
      return received > 0 ? received : 0;
    }
    Sleep(kReceivePollMilliseconds);
  }
  return 0;
}

bool DownloadToFile(const std::string& url, const std::string& fileName) {
  const UrlParts parts = SplitUrl(url);
  std::string request;
  if (!FormatRequest(parts, &request)) return false;  // nothing connected, nothing sent
  TcpConnection connection;
  if (!OpenTcpConnection(parts.host, parts.port, &connection)) return false;

  ElapsedSeconds total;
  StartElapsed(&total, CurrentDate());
  bool ok =
      SendAll(connection, request.data(), static_cast<int>(request.size()), kSendLimitSeconds);

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
    const int64_t left = kDownloadLimitSeconds - UpdateElapsed(&total, CurrentDate());
    const int limit = static_cast<int>(std::min<int64_t>(ReceiveLimitSeconds(response), left));
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
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}
