#pragma once
// Putting a picture on a borderless top-level window with per-pixel alpha,
// and the colour-key mode of the two overlay windows.

#include <windows.h>

#include "display/pixels.h"  // KeyColour

// Adds WS_EX_LAYERED to the window's extended style. Returns 0.
int MakeLayered(HWND window);

// Hands the window the picture of the image slot, premultiplied on a working
// copy (the slot keeps its pixels), at the constant opacity 0-255. The window
// takes the picture's size and keeps its position. False when the slot is
// empty or the platform refuses (the window then keeps what it had).
bool PresentLayered(HWND window, int image, int constantAlpha);

// Switches a presented window (by number) to colour-key mode for good:
// KeyColour background, pixels of exactly KeyColour see-through, the window
// painted the ordinary way from then on.
bool SwitchToColourKey(int window);
