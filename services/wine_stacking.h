#pragma once
// Keeping owned windows above their owners on the X display under Wine; on
// Windows nothing of this runs.

#include <windows.h>

// A numbered window of the calling thread took the focus.
void NoteFocus(HWND window);

// Puts right, once, the display order of the trees whose windows took the
// focus since the last call.
void RestackFocusedTrees();
