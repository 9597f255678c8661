#pragma once
// Numbered windows: the table that maps a number to its window, one window
// class per number, and the operations on a window by its number.
//
// All windows are opened, closed and waited on by the main thread. Worker
// threads may call WindowHandle, WindowLeft, WindowTop, PlaceWindow and
// SetWindowHidden.

#include <windows.h>

#include "services/event_numbers.h"

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
// SetTimer on the window with that id and no procedure: EventTimer with
// EventId = timer every period. False when the window does not exist.
bool StartWindowTimer(int number, int timer, int milliseconds);

// The window the calling thread opened last without NotControlParent: the
// parent of the controls created from now on; 0 when none.
HWND CurrentParentWindow();

// Closes every window (shutdown).
void CloseAllWindowSlots();

// --- What the common window procedure asks of the table --------------------

// Walks from a window up through its parents (not owners) to the first
// numbered one; -1 when there is none.
int NumberOfWindow(HWND window);
// The number's erase brush; 0 for the default background or an empty number.
HBRUSH WindowBackgroundBrush(int number);
// Sets or clears whether the window was minimised or maximised, and answers
// what it was.
bool ExchangeMinMaxSeen(int number, bool seen);
// The Tab keys of a numbered window; 0 for any other window.
HACCEL WindowAccelerators(HWND window);
// The window is going: its number no longer leads to it.
void ForgetDestroyedWindow(HWND window, int number);
