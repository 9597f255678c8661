#include <windows.h>

#include "services/child_process.h"

bool StartBackgroundProgram(const std::string& program, const std::string& arguments) {
  std::string command = "\"" + program + "\" " + arguments;
  const auto slash = program.find_last_of("\\/");
  const std::string folder = slash == std::string::npos ? "." : program.substr(0, slash);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  // A console program started without a console of its own gets none:
  // nothing flashes on the desktop, and it outlives the widget.
  if (!CreateProcessA(program.c_str(), &command[0], nullptr, nullptr, FALSE,
                      CREATE_NO_WINDOW | CREATE_NEW_PROCESS_GROUP, nullptr, folder.c_str(),
                      &startup, &process))
    return false;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

std::string ProgramFolder() {
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return ".";
  std::string file(path, n);
  const auto slash = file.find_last_of("\\/");
  return slash == std::string::npos ? "." : file.substr(0, slash);
}

bool FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}
