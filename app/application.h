#pragma once
// The widget as a whole: start-up builds every window, control, picture,
// timer and thread in one fixed order and runs the event loop; shutdown
// releases the services and ends the process.

#include <windows.h>

#include <string>

struct ApplicationState {
  std::string CityCode;      // used in the feed address; "ID" of inform.ini
  HWND mainWindowHandle;     // window 55 for the follow hook; 0 if it never opened
  int lastEvent;             // what the loop's last wait returned
  int lastEventWindow;       // and the window number of that event
  std::string lastCityLine;  // last line read from the city list
  int pickedIndex;           // list position of the last double-click
  std::string pickedLine;    // and that line's text
};

// Written by the main thread only; the cloud threads never touch it.
extern ApplicationState Application;

// The city of every refresh from now on; saved only on leaving through the
// tray menu.
void SetCityCode(const std::string& code);

// Builds the widget, runs the event loop and shuts down. Does not return.
[[noreturn]] void StartWidget();

// Releases every service and ends the process with exit code 0.
[[noreturn]] void ShutdownWidget();
