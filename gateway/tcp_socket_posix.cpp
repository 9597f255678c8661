// POSIX sockets under the gateway's accept loop.
#include "gateway/tcp_socket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const int kWaitSliceMilliseconds = 100;
const int kMaxDrainBytes = 64 * 1024;

int Native(SocketHandle socket) {
  return static_cast<int>(socket);
}

}  // namespace

bool StartNetwork() {
  return true;
}

void StopNetwork() {}

ListenStatus OpenListener(const std::string& host, std::uint16_t port, SocketHandle& out) {
  out = kNoSocket;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  if (inet_pton(AF_INET, host.c_str(), &address.sin_addr) != 1) return ListenStatus::Failed;
  const int s = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (s < 0) return ListenStatus::Failed;
  // Lets a restart bind at once over connections still in TIME_WAIT; a live
  // listener on the port is still refused.
  int reuse = 1;
  setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
  if (bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    const int why = errno;
    close(s);
    return why == EADDRINUSE || why == EACCES ? ListenStatus::PortTaken : ListenStatus::Failed;
  }
  if (listen(s, SOMAXCONN) != 0) {
    close(s);
    return ListenStatus::Failed;
  }
  out = s;
  return ListenStatus::Listening;
}

AcceptStatus AcceptConnection(SocketHandle listener, SocketHandle& out, std::uint32_t& peer) {
  sockaddr_in address{};
  socklen_t length = sizeof address;
  const int s = accept4(Native(listener), reinterpret_cast<sockaddr*>(&address), &length,
                        SOCK_NONBLOCK | SOCK_CLOEXEC);
  if (s < 0) {
    const int why = errno;
    const bool transient = why == EAGAIN || why == EWOULDBLOCK || why == EINTR ||
                           why == ECONNABORTED || why == EPROTO;
    return transient ? AcceptStatus::NothingWaiting : AcceptStatus::Failed;
  }
  out = s;
  peer = ntohl(address.sin_addr.s_addr);
  return AcceptStatus::Accepted;
}

bool WaitReadable(const std::vector<SocketHandle>& sockets, int milliseconds,
                  std::vector<bool>& ready) {
  std::vector<pollfd> polled;
  for (SocketHandle s : sockets) polled.push_back({Native(s), POLLIN, 0});
  ready.assign(sockets.size(), false);
  const int count = poll(polled.data(), polled.size(), milliseconds);
  if (count < 0) return errno == EINTR;
  for (std::size_t i = 0; i < sockets.size(); ++i) ready[i] = polled[i].revents != 0;
  return true;
}

int ReceiveBytes(SocketHandle socket, char* buffer, int size) {
  const ssize_t got = recv(Native(socket), buffer, static_cast<std::size_t>(size), 0);
  if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return kNothingYet;
  return static_cast<int>(got < 0 ? -1 : got);
}

bool SendBytes(SocketHandle socket, const std::string& bytes, int limitMilliseconds) {
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMilliseconds);
  std::size_t done = 0;
  while (done < bytes.size()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    pollfd writable{Native(socket), POLLOUT, 0};
    if (poll(&writable, 1, kWaitSliceMilliseconds) <= 0) continue;
    // MSG_NOSIGNAL: a client gone early must not end the whole gateway.
    const ssize_t sent =
        send(Native(socket), bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
    if (sent < 0) {
      if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) continue;
      return false;
    }
    done += static_cast<std::size_t>(sent);
  }
  return true;
}

void CloseSocket(SocketHandle socket) {
  if (socket == kNoSocket) return;
  shutdown(Native(socket), SHUT_WR);
  // Unread bytes at close turn it into a reset that can drop the answer; a
  // client that keeps sending does not get to hold the loop here.
  char sink[512];
  for (int drained = 0; drained < kMaxDrainBytes;) {
    const ssize_t got = recv(Native(socket), sink, sizeof sink, 0);
    if (got <= 0) break;
    drained += static_cast<int>(got);
  }
  close(Native(socket));
}
