#include "tests/support/process_windows.h"

#include <windows.h>
#include <tlhelp32.h>

namespace {

struct WindowSearch {
  DWORD pid;
  std::string className;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<WindowSearch*>(context);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  char name[64] = "";
  GetClassNameA(window, name, sizeof name);
  if (pid != search->pid || search->className != name) return TRUE;
  search->found = window;
  return FALSE;
}

}  // namespace

HWND FindProcessWindow(DWORD pid, const std::string& className) {
  WindowSearch search{pid, className, nullptr};
  EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::vector<DWORD> ChildProcessesNamed(DWORD parent, const char* name) {
  std::vector<DWORD> found;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return found;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
    if (entry.th32ParentProcessID == parent && lstrcmpiA(entry.szExeFile, name) == 0)
      found.push_back(entry.th32ProcessID);
  CloseHandle(snapshot);
  return found;
}
