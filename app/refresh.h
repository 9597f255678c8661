#pragma once
// One weather refresh: download the feed of the application state's city
// into nim.xml, interpret it into the forecast model and show the model on
// the panels.

#include <windows.h>

// Takes no arguments of its own; the parameters let it serve directly as the
// 60-second timer's procedure and are ignored. Whatever fails, the panels
// are redrawn from the model, so a failed refresh keeps the last good data.
void CALLBACK RefreshWeather(HWND window = nullptr, UINT message = 0, UINT_PTR timer = 0,
                             DWORD time = 0);
