#include "display/picture_headers.h"

#include <cstring>

#include "display/png_decoder.h"

namespace {

uint32_t Little32(const uint8_t* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}
uint16_t Little16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}
uint32_t Big32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
}

const size_t kFileHeader = 14;
const size_t kInfoHeader = 40;
const uint32_t kRgb = 0;        // BI_RGB
const uint32_t kBitFields = 3;  // BI_BITFIELDS
const size_t kIconEntry = 16;

}  // namespace

bool ReadBitmapFileLayout(const uint8_t* bytes, size_t size, BitmapFileLayout* layout) {
  *layout = BitmapFileLayout{};
  if (!bytes || size < kFileHeader + kInfoHeader || bytes[0] != 'B' || bytes[1] != 'M')
    return false;
  const uint8_t* info = bytes + kFileHeader;
  const uint32_t headerSize = Little32(info);
  const int32_t width = static_cast<int32_t>(Little32(info + 4));
  const int32_t height = static_cast<int32_t>(Little32(info + 8));
  const int bitCount = Little16(info + 14);
  const uint32_t compression = Little32(info + 16);
  uint32_t colours = Little32(info + 32);
  if (headerSize < kInfoHeader || headerSize > size - kFileHeader) return false;
  // Widened before negating: the most negative height has no positive twin
  // in 32 bits; the size check refuses it.
  const long long rows = height < 0 ? -static_cast<long long>(height) : height;
  if (rows > kMaxImageSide || !ImageSizeAcceptable(width, static_cast<long>(rows))) return false;
  if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 &&
      bitCount != 32)
    return false;
  if (compression != kRgb && !(compression == kBitFields && (bitCount == 16 || bitCount == 32)))
    return false;
  if (bitCount <= 8) {
    if (colours == 0 || colours > (1u << bitCount)) colours = 1u << bitCount;
  } else {
    // The three masks follow a 40-byte header; larger headers hold them.
    colours = compression == kBitFields && headerSize == kInfoHeader ? 3 : 0;
  }
  const size_t headerEnd = kFileHeader + headerSize + static_cast<size_t>(colours) * 4;
  const size_t pixelOffset = Little32(bytes + 10);
  const size_t pixelBytes =
      static_cast<size_t>(DibRowPitch(width, bitCount)) * static_cast<size_t>(rows);
  if (headerEnd > size || pixelOffset < headerEnd || pixelOffset > size ||
      pixelBytes > size - pixelOffset)
    return false;
  layout->width = width;
  layout->height = static_cast<long>(rows);
  layout->topDown = height < 0;
  layout->bitCount = bitCount;
  layout->headerEnd = headerEnd;
  layout->colourCount = bitCount <= 8 ? colours : 0;
  layout->pixelOffset = pixelOffset;
  layout->pixelBytes = pixelBytes;
  return true;
}

bool LooksLikeIconFile(const uint8_t* bytes, size_t size) {
  return bytes && size >= 6 && Little16(bytes) == 0 && Little16(bytes + 2) == 1;
}

bool ChooseIconFileImage(const uint8_t* bytes, size_t size, IconFileImage* image) {
  *image = IconFileImage{};
  if (!LooksLikeIconFile(bytes, size)) return false;
  const size_t count = Little16(bytes + 4);
  if (count < 1 || count > (size - 6) / kIconEntry) return false;
  const uint8_t* first = bytes + 6;
  size_t chosen = 0;
  for (size_t i = 1; i < count; ++i) {
    const uint8_t* entry = bytes + 6 + i * kIconEntry;
    const uint8_t* candidate = bytes + 6 + chosen * kIconEntry;
    if (entry[0] == first[0] && entry[1] == first[1] &&
        Little16(entry + 6) > Little16(candidate + 6))
      chosen = i;
  }
  const uint8_t* entry = bytes + 6 + chosen * kIconEntry;
  const size_t length = Little32(entry + 8);
  const size_t offset = Little32(entry + 12);
  if (offset > size || length > size - offset) return false;
  const uint8_t* data = bytes + offset;
  static const uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  long width = 0, height = 0;
  int bitCount = 0;
  if (length >= 24 && memcmp(data, kPngSignature, 8) == 0) {
    const uint32_t w = Big32(data + 16), h = Big32(data + 20);
    if (w > static_cast<uint32_t>(kMaxImageSide) || h > static_cast<uint32_t>(kMaxImageSide))
      return false;
    width = static_cast<long>(w);
    height = static_cast<long>(h);
    bitCount = 32;
  } else {
    if (length < kInfoHeader || Little32(data) < kInfoHeader) return false;
    width = static_cast<int32_t>(Little32(data + 4));
    height = static_cast<int32_t>(Little32(data + 8)) / 2;  // colour and mask
    bitCount = Little16(data + 14);
  }
  if (!ImageSizeAcceptable(width, height)) return false;
  image->entry = static_cast<int>(chosen);
  image->offset = offset;
  image->length = length;
  image->width = width;
  image->height = height;
  image->bitCount = bitCount;
  return true;
}
