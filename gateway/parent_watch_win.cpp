// The parent process on Windows: its handle is signalled when it ends,
// whatever ended it, and keeps its id from being reused meanwhile.
#include <windows.h>

#include "gateway/parent_watch.h"

bool WatchParent(long pid, ParentWatch& out) {
  out = ParentWatch{};
  out.pid = pid;
  const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
  if (!process) return false;
  out.handle = reinterpret_cast<std::intptr_t>(process);
  return ParentAlive(out);
}

bool ParentAlive(const ParentWatch& watch) {
  return WaitForSingleObject(reinterpret_cast<HANDLE>(watch.handle), 0) == WAIT_TIMEOUT;
}
