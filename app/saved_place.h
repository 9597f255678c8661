#pragma once
// The main window's place kept across runs: read at start-up from the open
// settings, written when the user ends a drag, and given up for the default
// place when the monitors change under it.

#include "app/widget_placement.h"

// Where window 55 opens: the saved place when it lies wholly on one
// monitor's work area, else the default at the top centre of the primary
// monitor. Reads the settings that start-up left open.
ScreenPoint MainWindowOpeningPlace();

// Writes the main window's current top-left corner as X and Y.
void SaveMainWindowPlace();

// After a display change: back to the default place when the main window
// is no longer wholly on a monitor.
void BringMainWindowBackOnScreen();
