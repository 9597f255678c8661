#pragma once
// DPI queries that older Windows lacks, looked up at run time: each falls
// back to the system DPI where the newer call does not exist (Windows 7 has
// neither per-monitor DPI nor the per-window calls).

#include <windows.h>

int SystemDpi();
// The DPI of the monitor nearest the point, in screen pixels.
int MonitorDpiAt(int x, int y);
// The DPI the system gives the window.
int WindowDpi(HWND window);
// AdjustWindowRectEx for the given DPI.
bool AdjustWindowRectForDpi(RECT* rect, DWORD style, DWORD exStyle, int dpi);
