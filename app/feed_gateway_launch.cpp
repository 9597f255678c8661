#include <windows.h>

#include "app/feed_gateway_launch.h"

#include "feed/feed_address.h"
#include "feed/http_download.h"
#include "services/child_process.h"
#include "services/program_files.h"

namespace {

const char kGatewayProgram[] = "nimbrel-feed.exe";
// Beside nim.xml: the user's own copy of the last forecasts, so a gateway
// started at the next log-on has weather to serve before the network is up.
const char kCacheFolder[] = "feedcache";
const char kLoopbackAddress[] = "127.0.0.1";
const DWORD kStartWaitMilliseconds = 2000;
const DWORD kPollMilliseconds = 50;
const uint32_t kProbeMilliseconds = 200;
// A gateway that cannot stay up must not cost every refresh two seconds.
const DWORD kRestartPeriodMilliseconds = 60000;

bool restarted = false;
DWORD lastRestart = 0;

// Windows tries a refused connection on this machine again for about a
// second; the look is bounded so the whole wait keeps its two seconds.
bool PortAnswers(uint16_t port) {
  return TcpPortAnswers(kLoopbackAddress, port, kProbeMilliseconds);
}

std::string GatewayPath() {
  return ProgramFolder() + "\\" + kGatewayProgram;
}

std::string CacheFolder() {
  char folder[MAX_PATH];
  const DWORD n = GetCurrentDirectoryA(MAX_PATH, folder);
  std::string path(folder, n > 0 && n < MAX_PATH ? n : 0);
  if (path.empty()) path = ".";
  if (path.back() != '\\') path += '\\';
  return path + kCacheFolder;
}

// The gateway ends within two seconds after the widget ends, however it
// ends, and never for idleness while the widget runs.
bool LaunchAndWait(const std::string& program, uint16_t port) {
  const std::string arguments =
      "--listen " + std::string(kLoopbackAddress) + ":" + std::to_string(port) + " --parent " +
      std::to_string(GetCurrentProcessId()) + " --cache-dir \"" + CacheFolder() + "\"";
  if (!StartBackgroundProgram(program, arguments)) return false;
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < kStartWaitMilliseconds) {
    if (PortAnswers(port)) return true;
    Sleep(kPollMilliseconds);
  }
  return PortAnswers(port);
}

bool MayRestartNow() {
  return !restarted || GetTickCount() - lastRestart >= kRestartPeriodMilliseconds;
}

}  // namespace

void StartFeedGateway() {
  const uint16_t port = LoopbackPortOf(BuiltInFeedHost());
  if (port == 0) return;
  const std::string program = GatewayPath();
  if (!FileExists(program) || PortAnswers(port)) return;
  LaunchAndWait(program, port);
}

bool RestartFeedGateway() {
  const uint16_t port = LoopbackPortOf(BuiltInFeedHost());
  if (port == 0 || !UsesBuiltInFeedHost()) return false;
  const std::string program = GatewayPath();
  if (!FileExists(program) || !MayRestartNow() || PortAnswers(port)) return false;
  restarted = true;
  lastRestart = GetTickCount();
  return LaunchAndWait(program, port);
}
