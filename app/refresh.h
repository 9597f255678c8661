#pragma once
// One weather refresh: download the feed of the application state's city
// into nim.xml, interpret it into the forecast model and show the model on
// the panels, and tell the tray icon's tooltip how old the weather is.

#include <windows.h>

// Takes no arguments of its own; the parameters let it serve directly as the
// 60-second timer's procedure and are ignored. Whatever fails, the panels
// are redrawn from the model, so a failed refresh keeps the last good data.
void CALLBACK RefreshWeather(HWND window = nullptr, UINT message = 0, UINT_PTR timer = 0,
                             DWORD time = 0);

// Puts the town, period 1's temperature and the time of the last download
// that gave a feed into the tray icon's tooltip.
void ShowWeatherAge();
