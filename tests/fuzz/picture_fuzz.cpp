// Pictures from files and memory blocks: the PNG decoder and the checks of
// bitmap and icon file images must never read outside the bytes given.
#include <cstdint>
#include <cstdlib>

#include "display/picture_headers.h"
#include "display/png_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  DecodedImage image;
  if (DecodeImageBytes(data, size, kDecodeBottomUp, &image) &&
      image.pixels.size() != static_cast<size_t>(image.pitch) * image.height)
    abort();

  // Whatever the checks accept is read to its last byte, so that a sanitizer
  // sees any layout that reaches past the block.
  volatile uint8_t sink = 0;
  BitmapFileLayout layout;
  if (ReadBitmapFileLayout(data, size, &layout)) {
    sink = data[layout.headerEnd - 1];
    if (layout.pixelBytes) sink = data[layout.pixelOffset + layout.pixelBytes - 1];
  }
  IconFileImage icon;
  if (ChooseIconFileImage(data, size, &icon)) sink = data[icon.offset + icon.length - 1];
  (void)sink;
  return 0;
}
