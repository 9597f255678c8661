#pragma once
// What the widget keeps between its parts while it runs: the current city
// and what the event loop and the city window last saw. Start-up, the event
// loop, the city window and the follow hook share it.

#include <windows.h>

#include <string>

#include "services/dates.h"

struct ApplicationState {
  std::string CityCode;      // the refresh asks for its feed; "ID" of inform.ini
  HWND mainWindowHandle;     // window 55 for the follow hook; 0 if it never opened
  int lastEvent;             // what the loop's last wait returned
  int lastEventWindow;       // and the window number of that event
  std::string lastCityLine;  // last line read from the city list
  int pickedIndex;           // list position of the last double-click
  std::string pickedLine;    // and that line's text
  bool feedReceived;         // a download has given a feed since start-up
  DateValue feedReceivedAt;  // local time of the last such download
};

// Written by the main thread only; the cloud threads never touch it.
extern ApplicationState Application;

// The city of every refresh from now on; saved only on leaving through the
// tray menu.
void SetCityCode(const std::string& code);
