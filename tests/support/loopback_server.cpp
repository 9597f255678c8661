#include <windows.h>
#include <winsock.h>

#include "tests/support/loopback_server.h"

#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

int MillisecondsSince(Clock::time_point start) {
  return static_cast<int>(
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

}  // namespace

bool Readable(uintptr_t socket, int milliseconds) {
  const SOCKET s = static_cast<SOCKET>(socket);
  fd_set set;
  FD_ZERO(&set);
  FD_SET(s, &set);
  timeval wait{milliseconds / 1000, (milliseconds % 1000) * 1000};
  return select(0, &set, nullptr, nullptr, &wait) > 0;
}

bool LoopbackConnection::ReadRequest(int maxMilliseconds) {
  const SOCKET s = static_cast<SOCKET>(socket_);
  const auto start = Clock::now();
  char piece[512];
  while (request_.find("\r\n\r\n") == std::string::npos) {
    if (*stop_ || MillisecondsSince(start) > maxMilliseconds) return false;
    if (!Readable(s, 50)) continue;
    const int n = recv(s, piece, sizeof piece, 0);
    if (n <= 0) return false;
    request_.append(piece, n);
  }
  return true;
}

void LoopbackConnection::Send(const std::string& bytes) {
  const SOCKET s = static_cast<SOCKET>(socket_);
  size_t done = 0;
  while (done < bytes.size() && !closed_) {
    const int n = send(s, bytes.data() + done, static_cast<int>(bytes.size() - done), 0);
    if (n <= 0) {
      closed_ = true;
      return;
    }
    done += n;
  }
}

void LoopbackConnection::SendInPieces(const std::string& bytes, size_t pieceSize,
                                      int pauseMilliseconds) {
  for (size_t at = 0; at < bytes.size() && !closed_; at += pieceSize) {
    Send(bytes.substr(at, pieceSize));
    Pause(pauseMilliseconds);
  }
}

void LoopbackConnection::Pause(int milliseconds) {
  const auto start = Clock::now();
  while (!*stop_ && MillisecondsSince(start) < milliseconds) Sleep(5);
}

void LoopbackConnection::HoldSilent(int maxMilliseconds) {
  const SOCKET s = static_cast<SOCKET>(socket_);
  const auto start = Clock::now();
  char sink[256];
  while (!closed_ && !*stop_ && MillisecondsSince(start) < maxMilliseconds) {
    if (!Readable(s, 20)) continue;
    if (recv(s, sink, sizeof sink, 0) <= 0) closed_ = true;
  }
}

uint64_t LoopbackConnection::Flood(char fill, int maxMilliseconds) {
  const SOCKET s = static_cast<SOCKET>(socket_);
  const std::string block(4096, fill);
  const auto start = Clock::now();
  uint64_t total = 0;
  while (!closed_ && !*stop_ && MillisecondsSince(start) < maxMilliseconds) {
    fd_set writable;
    FD_ZERO(&writable);
    FD_SET(s, &writable);
    timeval wait{0, 20000};
    if (select(0, nullptr, &writable, nullptr, &wait) <= 0) continue;
    const int n = send(s, block.data(), static_cast<int>(block.size()), 0);
    if (n <= 0) {
      closed_ = true;
      break;
    }
    total += n;
  }
  return total;
}

void LoopbackConnection::Close() {
  if (closed_) return;
  shutdown(static_cast<SOCKET>(socket_), 1 /* SD_SEND */);
  closed_ = true;
}

LoopbackServer::LoopbackServer(ConnectionScript script, uint16_t port)
    : script_(std::move(script)) {
  WSADATA data;
  WSAStartup(MAKEWORD(1, 1), &data);
  const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  listener_ = static_cast<uintptr_t>(s);
  if (s == INVALID_SOCKET) return;
  // A fixed port may still hold the last test's closed connections.
  BOOL reuse = TRUE;
  if (port != 0)
    setsockopt(s, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse), sizeof reuse);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = inet_addr("127.0.0.1");
  address.sin_port = htons(port);
  int length = sizeof address;
  if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(s, 8) != 0 ||
      getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0)
    return;
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this] { Run(); });
}

LoopbackServer::~LoopbackServer() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  if (static_cast<SOCKET>(listener_) != INVALID_SOCKET) closesocket(static_cast<SOCKET>(listener_));
  WSACleanup();
}

std::string LoopbackServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::vector<std::string> LoopbackServer::Requests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

int LoopbackServer::Connections() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return static_cast<int>(requests_.size());
}

void LoopbackServer::Run() {
  const SOCKET listener = static_cast<SOCKET>(listener_);
  while (!stop_) {
    if (!Readable(listener, 20)) continue;
    const SOCKET s = accept(listener, nullptr, nullptr);
    if (s == INVALID_SOCKET) continue;
    BOOL noDelay = TRUE;  // so that split sends leave as separate segments
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay),
               sizeof noDelay);
    LoopbackConnection connection(static_cast<uintptr_t>(s), &stop_);
    connection.ReadRequest(3000);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      requests_.push_back(connection.Request());
    }
    script_(connection);
    // Half-close, then wait for the client to close its side: closing with
    // its bytes unread could reset the line before it has read ours.
    connection.Close();
    char sink[256];
    const auto start = Clock::now();
    while (!stop_ && MillisecondsSince(start) < 15000) {
      if (!Readable(s, 20)) continue;
      if (recv(s, sink, sizeof sink, 0) <= 0) break;
    }
    closesocket(s);
  }
}

ConnectionScript RespondWith(const std::string& response) {
  return [response](LoopbackConnection& connection) { connection.Send(response); };
}
