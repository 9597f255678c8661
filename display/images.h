#pragma once
// Numbered pictures (image slots) of the widget. Pictures are DIB sections
// of 24 or 32 bits per pixel with straight alpha, or icons. Main thread only.

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

// Loads a picture for the widget's scale (WidgetDpi): the 100 % path at
// 96 DPI, otherwise the same name in the set for the scale, shrunk when the
// scale lies between two sets; the 100 % picture enlarged when the set lacks
// it. Overlay pictures keep their key colour exact.
HANDLE LoadScaledImageSlot(int slot, const char* path);

// Resizes a bitmap slot's picture with the scaling filter; false for an
// icon, an empty slot or a failed resize (the slot then keeps its picture).
bool ResizeImageSlot(int slot, int width, int height);

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
