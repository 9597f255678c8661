#pragma once
// Finding the top-level windows and the child processes of another process,
// for the tests that run the real programs.

#include <windows.h>

#include <string>
#include <vector>

// The first top-level window of process `pid` whose class is `className`;
// nullptr when there is none.
HWND FindProcessWindow(DWORD pid, const std::string& className);

// The ids of the running processes that `parent` started from an executable
// of this name (letter case ignored).
std::vector<DWORD> ChildProcessesNamed(DWORD parent, const char* name);
