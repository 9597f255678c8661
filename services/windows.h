#pragma once
// Numbered windows, the events their messages turn into, window timers,
// worker threads and a few small helpers. The application never handles a
// Win32 message itself: it opens windows by number and waits for events.
//
// All windows are opened, closed and waited on by the main thread. Worker
// threads may call WindowHandle, WindowLeft, WindowTop, PlaceWindow,
// SetWindowHidden, PollEvent, StartThread and Delay.

#include <windows.h>

#include "services/event_numbers.h"

// The hook result that lets a message go on to the event translation and the
// default processing.
const LRESULT ContinueDefault = static_cast<LRESULT>(0xE0E0E0E1u);

// Sees every message of every numbered window before the translation.
// Anything but ContinueDefault is returned to Windows at once (no event, no
// default processing). An ordinary function, not CALLBACK.
typedef LRESULT (*WindowHook)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// --- Windows ---------------------------------------------------------------

// Opens a window under the number, closing what the number held. Width and
// height are the client size; x or y KeepValue without centring means the
// system's default place. flags: the bits of event_numbers.h (CentreOnScreen,
// CentreOnOwner, ToolWindow, NotControlParent, CreateHidden) plus Win32 style
// bits; WS_CAPTION is added when no style bit is given. owner may be 0.
// False (the number left free) when the window cannot be made.
bool OpenWindowSlot(int number, int x, int y, int width, int height, const char* title,
                    unsigned flags, HWND owner);

// 0 when the number holds no (living) window.
HWND WindowHandle(int number);
// Edges of the outer rectangle in screen coordinates; 0 for an empty number.
int WindowLeft(int number);
int WindowTop(int number);
// Moves and sizes (client size) without activating or restacking; any
// argument KeepValue keeps the current value. Nothing for an empty number.
void PlaceWindow(int number, int x, int y, int width, int height);
// 1 hides (activating the owner first), 0 shows in the window's current
// state (and activates it).
void SetWindowHidden(int number, int hidden);
// Fills the client area with the colour on every background erase;
// DefaultColour removes it. Redraws the window.
void SetWindowBackground(int number, int colour);
// A missing text is ignored.
void SetWindowTitleText(int number, const char* text);
// Activates the owner, destroys the window with its controls, removes its
// class and frees the number.
void CloseWindowSlot(int number);
// One hook for all numbered windows of the calling thread; nullptr removes it.
void SetWindowHook(WindowHook hook);
// SetTimer on the window with that id and no procedure: EventTimer with
// EventId = timer every period. False when the window does not exist.
bool StartWindowTimer(int number, int timer, int milliseconds);

// The window the calling thread opened last without NotControlParent: the
// parent of the controls created from now on; 0 when none.
HWND CurrentParentWindow();

// Closes every window (shutdown).
void CloseAllWindowSlots();

// --- Events ----------------------------------------------------------------

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

// --- Threads and time ------------------------------------------------------

typedef int (*ThreadProcedure)(int value);
// Runs procedure(value) on a new thread with a 4,096-byte initial stack.
// Returns the thread's number (1, 2, ...), 0 when no thread was started.
int StartThread(ThreadProcedure procedure, int value);
// Closes the handles of all started threads; the threads run on (shutdown).
void ReleaseThreadHandles();

void Delay(int milliseconds);
