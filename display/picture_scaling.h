#pragma once
// Resizing of pictures for the display scale, free of the OS. Pixels are
// straight-alpha 32-bit values as the image slots keep them: blue in bits
// 0-7, green 8-15, red 16-23, alpha 24-31; rows in any order, the same in
// and out.

#include <cstddef>
#include <cstdint>
#include <vector>

// A tent filter as wide as the larger of one source and one target pixel
// (bilinear when enlarging, an area average when shrinking), run on
// premultiplied colour so that transparent pixels lend no dark fringe.
std::vector<uint32_t> ScalePicture(const uint32_t* pixels, int width, int height, int newWidth,
                                   int newHeight);

// For a picture copied opaquely onto a colour-key overlay: the key pixels
// count as holes, and every result pixel is either exactly the key (where
// holes cover most of it) or an opaque blend of the picture's other pixels
// that is never the key itself. key: the colour bytes (0x00RRGGBB).
std::vector<uint32_t> ScaleKeyedPicture(const uint32_t* pixels, int width, int height, int newWidth,
                                        int newHeight, uint32_t key);

// True for a fully opaque picture with at least one key pixel: a picture
// made for the overlays, which needs ScaleKeyedPicture.
bool IsKeyedPicture(const uint32_t* pixels, size_t count, uint32_t key);
