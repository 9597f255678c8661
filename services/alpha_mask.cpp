#include "services/alpha_mask.h"

#include <cstddef>

int MaskRowBytes(int width) {
  return (width + 15) / 16 * 2;
}

std::vector<uint8_t> BuildAlphaMask(const uint8_t* pixels, int width, int height) {
  if (width <= 0 || height <= 0 || !pixels) return {};
  const int rowBytes = MaskRowBytes(width);
  std::vector<uint8_t> mask(static_cast<size_t>(rowBytes) * static_cast<size_t>(height), 0);
  bool anyAlpha = false;
  for (int row = 0; row < height; ++row) {
    // Source row 0 is the bottom of the picture.
    const uint8_t* source =
        pixels + static_cast<size_t>(height - 1 - row) * static_cast<size_t>(width) * 4;
    uint8_t* target = &mask[static_cast<size_t>(row) * static_cast<size_t>(rowBytes)];
    for (int x = 0; x < width; ++x) {
      if (source[x * 4 + 3] != 0)
        anyAlpha = true;
      else
        target[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
    }
  }
  if (!anyAlpha) mask.assign(mask.size(), 0);
  return mask;
}
