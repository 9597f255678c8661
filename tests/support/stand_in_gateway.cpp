// A stand-in for nimbrel-feed.exe in a staged program folder, so the tests
// can watch how the widget starts its gateway: it notes each command line
// in gateway-starts.txt beside itself, answers every feed on the --listen
// port with the town "G<n>" for its n-th start, and ends with the --parent
// process (or after two minutes at most).
#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "tests/support/loopback_server.h"
#include "tests/support/widget_process.h"

namespace {

const DWORD kLifeLimitMs = 120000;

std::string Option(int argc, char** argv, const std::string& name) {
  for (int i = 1; i + 1 < argc; ++i)
    if (name == argv[i]) return argv[i + 1];
  return std::string();
}

std::string OwnFolder() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string file = path;
  return file.substr(0, file.find_last_of("\\/"));
}

// Appends this start's command line; the number of starts so far.
int NoteStart() {
  const std::string log = OwnFolder() + "\\gateway-starts.txt";
  { std::ofstream(log, std::ios::app) << GetCommandLineA() << "\n"; }
  std::ifstream in(log);
  int starts = 0;
  for (std::string line; std::getline(in, line);) ++starts;
  return starts;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string listen = Option(argc, argv, "--listen");
  const auto colon = listen.find(':');
  if (colon == std::string::npos) return 2;
  const int port = std::atoi(listen.c_str() + colon + 1);
  const std::string town = "G" + std::to_string(NoteStart());
  LoopbackServer server(
      [&town](LoopbackConnection& c) {
        const std::string& request = c.Request();
        if (request.compare(0, 9, "GET /xml/") != 0) return;
        const std::string code = request.substr(9, request.find('_') - 9);
        const std::string body = FeedFor(code, town);
        c.Send("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) +
               "\r\nConnection: close\r\n\r\n" + body);
      },
      static_cast<uint16_t>(port));
  if (!server.Listening()) return 3;
  const DWORD parentId = static_cast<DWORD>(std::atol(Option(argc, argv, "--parent").c_str()));
  HANDLE parent = parentId ? OpenProcess(SYNCHRONIZE, FALSE, parentId) : nullptr;
  if (parent) {
    WaitForSingleObject(parent, kLifeLimitMs);
    CloseHandle(parent);
  } else {
    Sleep(kLifeLimitMs);
  }
  return 0;
}
