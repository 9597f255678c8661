#pragma once
// Numbered pictures (image slots) and fonts (font slots) of the widget, and
// drawing a picture onto a window. Pictures are DIB sections of 24 or 32 bits
// per pixel with straight alpha, or icons. Main thread only.

#include <windows.h>

#include <cstddef>
#include <cstdint>

// Makes the PNG decoder available to the loaders; start-up calls it once
// (later calls do nothing).
void StartImageDecoders();

// Loads a picture file (bitmap, icon or any listed decoder's format) into
// the slot. The slot is emptied first, whatever happens. Returns the
// bitmap or icon handle, 0 on failure.
HANDLE LoadImageSlot(int slot, const char* path);

// The same for a picture held in memory: a bitmap file image, an icon file
// or any listed decoder's format.
HANDLE CatchImageSlot(int slot, const uint8_t* bytes, size_t size);

// Deletes the bitmap or destroys the icon and empties the slot.
void FreeImageSlot(int slot);

// 0 for an empty slot or a number never loaded.
HANDLE ImageSlotHandle(int slot);
int ImageSlotWidth(int slot);
int ImageSlotHeight(int slot);
int ImageSlotDepth(int slot);  // bits per pixel

// Frees every image slot (shutdown).
void FreeAllImageSlots();

// A drawing surface on a window's client area, one per thread at a time.
// BeginWindowDrawing returns 0 when the window number holds no window.
int BeginWindowDrawing(int window);
// Copies a bitmap opaquely (alpha plays no part) or draws an icon; a
// different size stretches with halftone. Nothing for width or height <= 0,
// a 0 handle or no open surface.
void DrawImageScaled(HANDLE image, int x, int y, int width, int height);
void EndDrawing();

// Creates the font "face" at the given point size for the display's
// dots per inch; the slot's previous font is deleted first. 0 on failure.
HFONT LoadFontSlot(int slot, const char* face, int points);
HFONT FontSlotHandle(int slot);
void FreeFontSlot(int slot);
// Deletes every font (shutdown).
void FreeAllFontSlots();
