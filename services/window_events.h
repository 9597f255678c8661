#pragma once
// The events that the messages of numbered windows turn into, and the wait
// that hands them out. The application never handles a Win32 message itself:
// it opens windows by number and waits for events. Worker threads may call
// PollEvent.

#include <windows.h>

#include "services/event_numbers.h"

// The hook result that lets a message go on to the event translation and the
// default processing.
const LRESULT ContinueDefault = static_cast<LRESULT>(0xE0E0E0E1u);

// Sees every message of every numbered window before the translation.
// Anything but ContinueDefault is returned to Windows at once (no event, no
// default processing). An ordinary function, not CALLBACK.
typedef LRESULT (*WindowHook)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// One hook for all numbered windows of the calling thread; nullptr removes it.
void SetWindowHook(WindowHook hook);

// Waits without limit for the next event of the calling thread.
int WaitEvent();
// Handles at most one waiting message of the calling thread; 0 at once when
// there is none. A thread without windows never sees another thread's events.
int PollEvent();
// About the event the calling thread's last wait returned: its window number
// (-1 for none), its subtype (-1 for none) and its id (kept from an earlier
// event when this one carries none).
int EventWindowNumber();
int EventSubtype();
int EventId();

// How the controls and the tray icons take part in the common window
// procedure without the window services knowing them.
//
// Offered WM_COMMAND from a control and the colour, notify and scroll
// messages a control sends its window. Returns true with *answer when it
// took the message.
typedef bool (*ControlReportHandler)(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                     LRESULT* answer);
void SetControlReportHandler(ControlReportHandler handler);
// Called for each numbered top-level window when the taskbar is re-created.
typedef void (*TaskbarRestartHandler)(HWND window);
void SetTaskbarRestartHandler(TaskbarRestartHandler handler);

// The procedure of every numbered window's class.
LRESULT CALLBACK CommonWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
