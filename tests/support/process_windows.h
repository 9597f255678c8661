#pragma once
// Finding the top-level windows of another process, for the tests that run
// the real programs.

#include <windows.h>

#include <string>

// The first top-level window of process `pid` whose class is `className`;
// nullptr when there is none.
HWND FindProcessWindow(DWORD pid, const std::string& className);
