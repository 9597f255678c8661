#include "tests/support/process_windows.h"

#include <windows.h>

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
