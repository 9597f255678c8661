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
