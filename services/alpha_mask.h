#pragma once
// The transparency mask of an icon made from a 32-bit picture: a pixel is
// shown (0, black) when its alpha is not 0 and left out (1, white) when it
// is. A picture without any alpha at all is shown whole.

#include <cstdint>
#include <vector>

// Bytes per row of a monochrome bitmap: rows are padded to 16 bits.
int MaskRowBytes(int width);

// pixels: width x height blue-green-red-alpha pixels, no row padding, bottom
// row first as a bottom-up bitmap stores them. The mask comes top row first,
// ready for CreateBitmap. Empty for a non-positive size.
std::vector<uint8_t> BuildAlphaMask(const uint8_t* pixels, int width, int height);
