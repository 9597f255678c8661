#pragma once
// Checks of the bitmap and icon file images that the image store takes from
// memory, free of the OS: every offset and size is checked against the
// block's length before the platform is handed a pointer into it.

#include <cstddef>
#include <cstdint>

// A bitmap file image ("BM"): where its parts lie.
struct BitmapFileLayout {
  long width = 0;
  long height = 0;  // always positive; topDown tells the row order
  bool topDown = false;
  int bitCount = 0;
  size_t headerOffset = 14;  // the BITMAPINFOHEADER
  size_t headerEnd = 0;      // end of the header and its colour table
  // Entries of that table, checked to lie in the block; the file's own
  // count may say anything (a table for 24 bits, thousands of entries).
  uint32_t colourCount = 0;
  size_t pixelOffset = 0;
  size_t pixelBytes = 0;
};

// False for anything the store should not hand to the platform: a header,
// colour table or rows reaching past the block, sizes the slot cannot hold,
// compressed or unknown formats.
bool ReadBitmapFileLayout(const uint8_t* bytes, size_t size, BitmapFileLayout* layout);

// The image of an icon file that becomes the icon.
struct IconFileImage {
  int entry = -1;
  size_t offset = 0;
  size_t length = 0;
  long width = 0;   // from the image's own header
  long height = 0;  // half the header's height for a bitmap image
  int bitCount = 0;
};

// True when the bytes start like an icon file (reserved 0, type 1).
bool LooksLikeIconFile(const uint8_t* bytes, size_t size);

// Chooses the directory entry (the first, replaced by a later one of the same
// width and height bytes with more bits per pixel, so the earliest of equal
// depths wins) and checks that its image lies within the block.
bool ChooseIconFileImage(const uint8_t* bytes, size_t size, IconFileImage* image);
