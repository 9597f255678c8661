#pragma once
// The widget's window stack as start-up leaves it before the first refresh,
// for the tests of the panels, the clock and the refresh: windows 55 to 61
// hidden with their owners, the eight text controls on the two overlays, and
// weather icon files of distinct sizes, so a window's size tells which
// picture it shows.

#include <windows.h>

#include <string>

// Screen position of window 55 in these tests.
const int kTestMainLeft = 400;
const int kTestMainTop = 40;

// Opens windows 55, 56, 61, 57, 58 and 59 hidden (55 titled "Погода") and
// creates controls 26, 27 on 61 and 20 to 25 on 59. True when all exist.
bool OpenWidgetWindows();
// Closes every window and control and frees every picture.
void CloseWidgetWindows();

// Writes every icon file of the panels into Weather/ in the current directory.
void WriteWeatherIcons();

// The size written for an icon file ("Weather/sun.png"); 0 x 0 for others.
SIZE WeatherIconSize(const std::string& path);

// A window's client size, 0 x 0 when the number holds no window.
SIZE WindowClientSize(int window);

// The bytes a control or window shows (GetWindowTextA).
std::string ControlTextBytes(int control);
std::string WindowTitleBytes(int window);
