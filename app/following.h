#pragma once
// Keeping the widget together: the window hook that moves every widget
// window after the main window, and the five cloud threads of the opening
// animation.

#include <windows.h>

// The shared window hook: on WM_MOVE of the main window, places windows 56
// to 69 at their offsets; on WM_DPICHANGED of the main window, takes the new
// scale once a move in progress has ended (RescaleWidget), and answers
// WM_GETDPISCALEDSIZE with the size at the new scale. Otherwise lets the
// message go on (ContinueDefault).
LRESULT FollowMainWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Places windows 56 to 69 at their offsets from the main window now.
void PlaceAllFollowers();

// Starts the five cloud threads in their order; nothing waits for them.
void StartCloudDrifts();
