#pragma once
// Numbered fonts (font slots) of the widget. Main thread only.

#include <windows.h>

// Creates the font "face" at the given point size for the widget's DPI
// (WidgetDpi); the slot's previous font is deleted first. 0 on failure.
HFONT LoadFontSlot(int slot, const char* face, int points);
// The control default font (DEFAULT_GUI_FONT's face) at the widget's scale.
HFONT LoadGuiFontSlot(int slot);
HFONT FontSlotHandle(int slot);
void FreeFontSlot(int slot);
// Deletes every font (shutdown).
void FreeAllFontSlots();
