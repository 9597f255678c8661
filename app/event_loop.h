#pragma once
// The widget's one dispatcher of user commands: drag, city window, tray
// menu, clock ticks, city picks and close requests.

// Returns when the user leaves through the tray menu (the city code saved)
// or asks to close the main window (nothing saved).
void RunEventLoop();
