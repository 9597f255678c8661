// Keeps one Wine process with a desktop alive for the whole test run: Wine
// then starts each test in a fraction of a second, and the desktop process
// it starts on demand does not inherit (and hold open) a test's output pipe.
// Creates the file named on its command line once the desktop is up, so the
// test bed starts no test before.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR readyFile, int) {
  GetDesktopWindow();
  if (readyFile && *readyFile) {
    HANDLE ready = CreateFileA(readyFile, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    if (ready != INVALID_HANDLE_VALUE) CloseHandle(ready);
  }
  for (;;) Sleep(INFINITE);
}
