#pragma once
// What the system tells every top-level window: the machine woke from sleep,
// the monitors changed. The window hook turns them into messages posted to
// the main window, so the event loop acts on them outside the system's send.

#include <windows.h>

// A window hook step: posts kResumedMessage or kDisplayChangedMessage for the
// main window's notices. Always lets the message go on (ContinueDefault).
LRESULT NoteSystemNotice(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Run by the event loop for the posted messages.
void OnResumed();
void OnDisplayChanged();
