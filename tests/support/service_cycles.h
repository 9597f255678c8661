#pragma once
// One round of the widget's own use of the window, control and tray
// services, repeated by the leak tests: whatever a round makes, it must
// release again.

#include <windows.h>

// Opens a window with a coloured background, two coloured text controls, an
// image cell and a filled list, then closes it. False when something could
// not be made.
bool WindowWithControlsRound(HBITMAP image);
// Adds tray icon `number` to the window from the image and removes it again.
bool TrayIconRound(HWND window, HANDLE image, int number);
// CPU time (kernel + user) the calling thread has used, in milliseconds.
double ThreadCpuMilliseconds();

struct IdleWait {
  double cpuMilliseconds = 0;  // used by the waiting thread
  unsigned long elapsedMilliseconds = 0;
  int otherEvents = 0;  // events WaitEvent returned before the wake-up
};
// Blocks in WaitEvent until a worker posts a wake-up to the main window
// (kMainWindow must be open) after the given time.
IdleWait WaitEventWhileIdle(int milliseconds);
