#include <windows.h>
#include <winsock.h>

#include "app/feed_gateway_launch.h"

#include "feed/feed_address.h"
#include "services/child_process.h"
#include "services/program_files.h"

namespace {

const char kGatewayProgram[] = "nimbrel-feed.exe";
const char kLoopbackAddress[] = "127.0.0.1";
const DWORD kStartWaitMilliseconds = 2000;
const DWORD kPollMilliseconds = 50;
const int kProbeMilliseconds = 200;

// Windows tries a refused connection on this machine again for about a
// second; the look is bounded so the whole wait keeps its two seconds.
bool PortAnswers(uint16_t port) {
  const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) return false;
  u_long nonBlocking = 1;
  ioctlsocket(s, FIONBIO, &nonBlocking);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = inet_addr(kLoopbackAddress);
  connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address);
  fd_set writable;
  FD_ZERO(&writable);
  FD_SET(s, &writable);
  timeval wait{0, kProbeMilliseconds * 1000};
  int error = 1;
  int size = sizeof error;
  const bool connected =
      select(0, nullptr, &writable, nullptr, &wait) == 1 &&
      getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size) == 0 &&
      error == 0;
  closesocket(s);
  return connected;
}

}  // namespace

void StartFeedGateway() {
  const uint16_t port = LoopbackPortOf(BuiltInFeedHost());
  if (port == 0) return;
  const std::string program = ProgramFolder() + "\\" + kGatewayProgram;
  if (!FileExists(program) || PortAnswers(port)) return;
  const std::string listen = std::string(kLoopbackAddress) + ":" + std::to_string(port);
  if (!StartBackgroundProgram(program, "--listen " + listen)) return;
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < kStartWaitMilliseconds) {
    if (PortAnswers(port)) return;
    Sleep(kPollMilliseconds);
  }
}
