#pragma once
// Drawing a picture onto a window's client area.

#include <windows.h>

// A drawing surface on a window's client area, one per thread at a time.
// BeginWindowDrawing returns 0 when the window number holds no window.
int BeginWindowDrawing(int window);
// Copies a bitmap opaquely (alpha plays no part) or draws an icon; a
// different size stretches with halftone. Nothing for width or height <= 0,
// a 0 handle or no open surface.
void DrawImageScaled(HANDLE image, int x, int y, int width, int height);
void EndDrawing();
