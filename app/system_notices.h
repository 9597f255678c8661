#pragma once
// What the system tells every top-level window: the machine woke from sleep,
// the monitors changed. The window hook answers on the main window's behalf.

#include <windows.h>

// A window hook step. The system's notices are sent, often as broadcasts:
// they are only noted by posting kResumedMessage or kDisplayChangedMessage
// to the main window, and acted on when that message is dispatched, by the
// event wait or by a modal loop (a drag, the tray menu) that runs meanwhile.
// Always lets the message go on (ContinueDefault).
LRESULT NoteSystemNotice(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
