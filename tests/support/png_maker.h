#pragma once
// PNG files made by the tests themselves with libpng's writer.

#include <cstdint>
#include <string>
#include <vector>

struct PngPicture {
  int width = 1;
  int height = 1;
  int colourType = 6;  // PNG_COLOR_TYPE_RGB_ALPHA
  int bitDepth = 8;
  bool interlaced = false;
  // Rows top-down, packed as the file stores them (RGBA order, 16-bit
  // samples big-endian).
  std::vector<uint8_t> rows;
  std::vector<uint8_t> palette;  // RGB triples, palette pictures only
  std::vector<uint8_t> alphas;   // tRNS entries, palette pictures only
};

std::string MakePng(const PngPicture& picture);

// A width x height RGBA picture whose pixel (x, y) is colour(x, y) as
// 0xAARRGGBB.
template <typename Colour>
PngPicture RgbaPicture(int width, int height, Colour colour) {
  PngPicture picture;
  picture.width = width;
  picture.height = height;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const uint32_t c = colour(x, y);
      picture.rows.push_back(static_cast<uint8_t>(c >> 16));
      picture.rows.push_back(static_cast<uint8_t>(c >> 8));
      picture.rows.push_back(static_cast<uint8_t>(c));
      picture.rows.push_back(static_cast<uint8_t>(c >> 24));
    }
  return picture;
}
