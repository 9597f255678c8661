#pragma once
// Numbered fonts (font slots) of the widget. Main thread only.

#include <windows.h>

// Creates the font "face" at the given point size for the display's
// dots per inch; the slot's previous font is deleted first. 0 on failure.
HFONT LoadFontSlot(int slot, const char* face, int points);
HFONT FontSlotHandle(int slot);
void FreeFontSlot(int slot);
// Deletes every font (shutdown).
void FreeAllFontSlots();
