#pragma once
// Pixel maths of the layered presentation, free of the OS so it can be
// checked natively. Pixels are 32-bit values: blue in bits 0-7, green 8-15,
// red 16-23, alpha 24-31.

#include <cstddef>
#include <cstdint>

// Background and transparency key of the two overlay windows and of their
// text controls, in the 0x00BBGGRR form.
const int kKeyRed = 126;
const int kKeyGreen = 109;
const int kKeyBlue = 99;
const int KeyColour = kKeyRed | kKeyGreen << 8 | kKeyBlue << 16;

// c * a / 255 rounded to nearest, exact in integers.
inline uint8_t PremultiplyChannel(unsigned c, unsigned a) {
  return static_cast<uint8_t>((c * a + 127) / 255);
}

// One straight-alpha pixel made premultiplied: alpha 255 stays as it is,
// alpha 0 becomes all zero.
uint32_t PremultiplyPixel(uint32_t pixel);

// Premultiplies count pixels in place.
void PremultiplyPixels(uint32_t* pixels, size_t count);

// True when some pixel's colour bytes are exactly KeyColour (alpha ignored).
// Bytes are rows of BGR or BGRA pixels, bytesPerPixel 3 or 4, rows pitch
// bytes apart.
bool ContainsKeyColour(const uint8_t* pixels, int width, int height, long pitch, int bytesPerPixel);
