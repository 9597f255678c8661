// Windows Sockets 2 under the gateway's accept loop.
// select() sets hold 64 sockets by default: the loop's cap plus its listener
// would not fit, and the listener would silently fall out.
#define FD_SETSIZE 128
#include <winsock2.h>
#include <windows.h>

#include "gateway/tcp_socket.h"

#include <chrono>

namespace {

const int kWaitSliceMilliseconds = 100;
const int kMaxDrainBytes = 64 * 1024;

SOCKET Native(SocketHandle socket) {
  return static_cast<SOCKET>(socket);
}

timeval Duration(int milliseconds) {
  return {milliseconds / 1000, (milliseconds % 1000) * 1000};
}

}  // namespace

bool StartNetwork() {
  WSADATA data;
  return WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

void StopNetwork() {
  WSACleanup();
}

ListenStatus OpenListener(const std::string& host, std::uint16_t port, SocketHandle& out) {
  out = kNoSocket;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = inet_addr(host.c_str());
  const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) return ListenStatus::Failed;
  // Without this another program could bind the same port with SO_REUSEADDR
  // and take requests meant for the widget's feed.
  BOOL exclusive = TRUE;
  setsockopt(s, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive),
             sizeof exclusive);
  if (bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    const int why = WSAGetLastError();
    closesocket(s);
    return why == WSAEADDRINUSE || why == WSAEACCES ? ListenStatus::PortTaken
                                                    : ListenStatus::Failed;
  }
  // Non-blocking like every connection: no call on it can hold the loop.
  u_long nonBlocking = 1;
  if (listen(s, SOMAXCONN) != 0 || ioctlsocket(s, FIONBIO, &nonBlocking) != 0) {
    closesocket(s);
    return ListenStatus::Failed;
  }
  out = static_cast<SocketHandle>(s);
  return ListenStatus::Listening;
}

AcceptStatus AcceptConnection(SocketHandle listener, SocketHandle& out, std::uint32_t& peer) {
  sockaddr_in address{};
  int length = sizeof address;
  const SOCKET s = accept(Native(listener), reinterpret_cast<sockaddr*>(&address), &length);
  if (s == INVALID_SOCKET) {
    const int why = WSAGetLastError();
    const bool transient = why == WSAEWOULDBLOCK || why == WSAECONNRESET || why == WSAEINTR;
    return transient ? AcceptStatus::NothingWaiting : AcceptStatus::Failed;
  }
  u_long nonBlocking = 1;
  ioctlsocket(s, FIONBIO, &nonBlocking);
  out = static_cast<SocketHandle>(s);
  peer = ntohl(address.sin_addr.s_addr);
  return AcceptStatus::Accepted;
}

bool WaitReadable(const std::vector<SocketHandle>& sockets, int milliseconds,
                  std::vector<bool>& ready) {
  fd_set set;
  FD_ZERO(&set);
  for (SocketHandle s : sockets) FD_SET(Native(s), &set);
  timeval wait = Duration(milliseconds);
  ready.assign(sockets.size(), false);
  if (sockets.empty()) {
    Sleep(static_cast<DWORD>(milliseconds));
    return true;
  }
  const int count = select(0, &set, nullptr, nullptr, &wait);
  if (count < 0) return false;
  for (std::size_t i = 0; i < sockets.size(); ++i) ready[i] = FD_ISSET(Native(sockets[i]), &set);
  return true;
}

int ReceiveBytes(SocketHandle socket, char* buffer, int size) {
  const int got = recv(Native(socket), buffer, size, 0);
  if (got == SOCKET_ERROR) return WSAGetLastError() == WSAEWOULDBLOCK ? kNothingYet : -1;
  return got;
}

bool SendBytes(SocketHandle socket, const std::string& bytes, int limitMilliseconds) {
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMilliseconds);
  std::size_t done = 0;
  while (done < bytes.size()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    fd_set set;
    FD_ZERO(&set);
    FD_SET(Native(socket), &set);
    timeval wait = Duration(kWaitSliceMilliseconds);
    if (select(0, nullptr, &set, nullptr, &wait) <= 0) continue;
    const int sent =
        send(Native(socket), bytes.data() + done, static_cast<int>(bytes.size() - done), 0);
    if (sent == SOCKET_ERROR) {
      if (WSAGetLastError() == WSAEWOULDBLOCK) continue;
      return false;
    }
    done += static_cast<std::size_t>(sent);
  }
  return true;
}

void CloseSocket(SocketHandle socket) {
  if (socket == kNoSocket) return;
  shutdown(Native(socket), SD_SEND);
  // Unread bytes at close turn it into a reset that can drop the answer; a
  // client that keeps sending does not get to hold the loop here.
  char sink[512];
  for (int drained = 0; drained < kMaxDrainBytes;) {
    const int got = recv(Native(socket), sink, sizeof sink, 0);
    if (got <= 0) break;
    drained += got;
  }
  closesocket(Native(socket));
}
