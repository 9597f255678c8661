#pragma once
// The window services in one include: numbered windows, their events and the
// wait, worker threads. Worker threads may call WindowHandle, WindowLeft,
// WindowTop, PlaceWindow, SetWindowHidden, PollEvent, StartThread and Delay.

#include "services/threads.h"
#include "services/window_events.h"
#include "services/window_table.h"
