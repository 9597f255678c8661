#include <windows.h>

#include "services/sole_instance.h"

#include "services/instance_name.h"
#include "services/program_files.h"

bool ClaimSoleInstance(const std::string& prefix) {
  std::string path = ProgramPath();
  // Cyrillic folder names are lowered too, by the code page's own rules.
  if (!path.empty()) CharLowerBuffA(&path[0], static_cast<DWORD>(path.size()));
  const std::string name = InstanceLockName("Local\\" + prefix, path);
  // Never closed: the process's end lets the next start have it.
  HANDLE lock = CreateMutexA(nullptr, FALSE, name.c_str());
  const DWORD error = GetLastError();
  if (!lock) return error != ERROR_ACCESS_DENIED;  // held by another account's copy
  return error != ERROR_ALREADY_EXISTS;
}
