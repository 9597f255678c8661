#include <windows.h>

#include "app/feed_gateway_launch.h"

#include "feed/feed_address.h"
#include "feed/http_download.h"
#include "services/child_process.h"
#include "services/program_files.h"

namespace {

const char kGatewayProgram[] = "nimbrel-feed.exe";
const char kLoopbackAddress[] = "127.0.0.1";
const DWORD kStartWaitMilliseconds = 2000;
const DWORD kPollMilliseconds = 50;
const uint32_t kProbeMilliseconds = 200;

// Windows tries a refused connection on this machine again for about a
// second; the look is bounded so the whole wait keeps its two seconds.
bool PortAnswers(uint16_t port) {
  return TcpPortAnswers(kLoopbackAddress, port, kProbeMilliseconds);
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
