#include <windows.h>

#include "services/program_files.h"

std::string ProgramPath() {
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return std::string();
  return std::string(path, n);
}

std::string ProgramFolder() {
  const std::string file = ProgramPath();
  const auto slash = file.find_last_of("\\/");
  return slash == std::string::npos ? "." : file.substr(0, slash);
}

bool FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}
