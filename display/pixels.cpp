#include "display/pixels.h"

uint32_t PremultiplyPixel(uint32_t pixel) {
  const unsigned a = pixel >> 24;
  if (a == 255) return pixel;
  if (a == 0) return 0;
  const unsigned b = PremultiplyChannel(pixel & 0xFF, a);
  const unsigned g = PremultiplyChannel((pixel >> 8) & 0xFF, a);
  const unsigned r = PremultiplyChannel((pixel >> 16) & 0xFF, a);
  return a << 24 | r << 16 | g << 8 | b;
}

void PremultiplyPixels(uint32_t* pixels, size_t count) {
  for (size_t i = 0; i < count; ++i) pixels[i] = PremultiplyPixel(pixels[i]);
}

bool ContainsKeyColour(const uint8_t* pixels, int width, int height, long pitch,
                       int bytesPerPixel) {
  for (int y = 0; y < height; ++y) {
    const uint8_t* p = pixels + y * pitch;
    for (int x = 0; x < width; ++x, p += bytesPerPixel)
      if (p[0] == kKeyBlue && p[1] == kKeyGreen && p[2] == kKeyRed) return true;
  }
  return false;
}
