#include "tests/support/posix_loopback.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

namespace {

using Clock = std::chrono::steady_clock;
const int kSliceMilliseconds = 20;
const int kRequestLimitMilliseconds = 5000;

sockaddr_in LoopbackAddress(uint16_t port) {
  sockaddr_in at{};
  at.sin_family = AF_INET;
  at.sin_port = htons(port);
  at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return at;
}

bool Readable(int socket, int milliseconds) {
  pollfd p{socket, POLLIN, 0};
  return poll(&p, 1, milliseconds) > 0;
}

std::string ReadHead(int socket) {
  std::string head;
  char piece[2048];
  const auto end = Clock::now() + std::chrono::milliseconds(kRequestLimitMilliseconds);
  while (head.find("\r\n\r\n") == std::string::npos && Clock::now() < end) {
    if (!Readable(socket, kSliceMilliseconds)) continue;
    const ssize_t got = recv(socket, piece, sizeof piece, 0);
    if (got <= 0) break;
    head.append(piece, static_cast<std::size_t>(got));
  }
  return head;
}

}  // namespace

FakeUpstream::FakeUpstream(UpstreamScript script) : script_(std::move(script)) {
  listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in at = LoopbackAddress(0);
  socklen_t length = sizeof at;
  if (bind(listener_, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0 ||
      listen(listener_, SOMAXCONN) != 0 ||
      getsockname(listener_, reinterpret_cast<sockaddr*>(&at), &length) != 0)
    return;
  port_ = ntohs(at.sin_port);
  acceptor_ = std::thread([this] { Accept(); });
}

FakeUpstream::~FakeUpstream() {
  stop_ = true;
  if (acceptor_.joinable()) acceptor_.join();
  std::lock_guard<std::mutex> lock(mutex_);
  for (std::thread& t : threads_) t.join();
  close(listener_);
}

std::string FakeUpstream::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

void FakeUpstream::Accept() {
  while (!stop_) {
    if (!Readable(listener_, kSliceMilliseconds)) continue;
    const int s = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (s < 0) continue;
    std::lock_guard<std::mutex> lock(mutex_);
    threads_.emplace_back([this, s] { Serve(s); });
  }
}

void FakeUpstream::Serve(int socket) {
  const std::string head = ReadHead(socket);
  ++hits_;
  const UpstreamReply reply = script_(head);
  const auto end = Clock::now() + std::chrono::milliseconds(reply.holdMilliseconds);
  while (!stop_ && Clock::now() < end)
    std::this_thread::sleep_for(std::chrono::milliseconds(kSliceMilliseconds));
  if (!stop_) send(socket, reply.bytes.data(), reply.bytes.size(), MSG_NOSIGNAL);
  shutdown(socket, SHUT_WR);
  close(socket);
}

UpstreamReply JsonReply(const std::string& body) {
  return {"HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: " +
              std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body,
          0};
}

int ConnectLoopback(uint16_t port) {
  const int s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const sockaddr_in at = LoopbackAddress(port);
  if (connect(s, reinterpret_cast<const sockaddr*>(&at), sizeof at) == 0) return s;
  close(s);
  return -1;
}

LoopbackReply LoopbackExchange(uint16_t port, const std::string& bytes, int limitMilliseconds) {
  LoopbackReply reply;
  const int s = ConnectLoopback(port);
  if (s < 0) return reply;
  send(s, bytes.data(), bytes.size(), MSG_NOSIGNAL);
  std::string answer;
  char piece[4096];
  const auto end = Clock::now() + std::chrono::milliseconds(limitMilliseconds);
  while (Clock::now() < end) {
    if (!Readable(s, kSliceMilliseconds)) continue;
    const ssize_t got = recv(s, piece, sizeof piece, 0);
    if (got <= 0) break;
    answer.append(piece, static_cast<std::size_t>(got));
  }
  close(s);
  if (answer.compare(0, 9, "HTTP/1.1 ") == 0) reply.status = std::atoi(answer.c_str() + 9);
  const auto blank = answer.find("\r\n\r\n");
  reply.head = answer.substr(0, blank);
  if (blank != std::string::npos) reply.body = answer.substr(blank + 4);
  return reply;
}

LoopbackReply LoopbackGet(uint16_t port, const std::string& path) {
  return LoopbackExchange(port, "GET " + path +
                                    " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n");
}

uint16_t FreeLoopbackPort() {
  const int s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in at = LoopbackAddress(0);
  socklen_t length = sizeof at;
  bind(s, reinterpret_cast<sockaddr*>(&at), sizeof at);
  getsockname(s, reinterpret_cast<sockaddr*>(&at), &length);
  close(s);
  return ntohs(at.sin_port);
}

bool WaitForListener(uint16_t port, int limitMilliseconds) {
  const auto end = Clock::now() + std::chrono::milliseconds(limitMilliseconds);
  while (Clock::now() < end) {
    const int s = ConnectLoopback(port);
    if (s >= 0) {
      close(s);
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(kSliceMilliseconds));
  }
  return false;
}
