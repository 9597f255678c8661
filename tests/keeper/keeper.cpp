// Keeps one Wine process with a desktop alive for the whole test run: Wine
// then starts each test in a fraction of a second, and the desktop process
// it starts on demand does not inherit (and hold open) a test's output pipe.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  GetDesktopWindow();
  for (;;) Sleep(INFINITE);
}
