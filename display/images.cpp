#include "display/images.h"

#include <windows.h>

#include <cstdio>
#include <vector>

#include "display/picture_headers.h"
#include "display/picture_scaling.h"
#include "display/picture_sets.h"
#include "display/pixels.h"
#include "display/png_decoder.h"
#include "services/slot_table.h"
#include "services/widget_scale.h"
#include "services/windows.h"

namespace {

const unsigned char kPngFirstByte = 0x89;

struct ImageSlot {
  HANDLE handle = nullptr;
  short width = 0;
  short height = 0;
  unsigned char depth = 0;
  bool icon = false;
};

void ReleaseImage(ImageSlot& slot) {
  if (!slot.handle) return;
  if (slot.icon)
    DestroyIcon(static_cast<HICON>(slot.handle));
  else
    DeleteObject(slot.handle);
}

SlotTable<ImageSlot, ReleaseImage, 16, 16>& Images() {
  static SlotTable<ImageSlot, ReleaseImage, 16, 16> table;
  return table;
}

// Keeps a picture only when its size fits the slot's 16-bit fields; anything
// else is released rather than stored with a wrapped size.
HANDLE StoreImage(int slot, HANDLE handle, long width, long height, int depth, bool icon) {
  if (!handle) return nullptr;
  ImageSlot picture;
  picture.handle = handle;
  picture.icon = icon;
  ImageSlot* record = nullptr;
  if (width >= 1 && height >= 1 && width <= kMaxImageSide && height <= kMaxImageSide)
    record = Images().Claim(slot);
  if (!record) {
    ReleaseImage(picture);
    return nullptr;
  }
  picture.width = static_cast<short>(width);
  picture.height = static_cast<short>(height);
  picture.depth = static_cast<unsigned char>(depth);
  *record = picture;
  return handle;
}

HANDLE StoreBitmap(int slot, HBITMAP bitmap) {
  BITMAP info = {};
  if (!bitmap || !GetObjectA(bitmap, sizeof info, &info)) {
    if (bitmap) DeleteObject(bitmap);
    return nullptr;
  }
  return StoreImage(slot, bitmap, info.bmWidth, info.bmHeight, info.bmBitsPixel, false);
}

// An icon's size and depth are those of its colour bitmap (the mask's upper
// half for a monochrome icon); GetIconInfo's bitmaps are ours to delete.
HANDLE StoreIcon(int slot, HICON icon) {
  ICONINFO parts = {};
  if (!icon || !GetIconInfo(icon, &parts)) {
    if (icon) DestroyIcon(icon);
    return nullptr;
  }
  BITMAP info = {};
  long width = 0, height = 0;
  int depth = 1;
  if (parts.hbmColor && GetObjectA(parts.hbmColor, sizeof info, &info)) {
    width = info.bmWidth;
    height = info.bmHeight;
    depth = info.bmBitsPixel;
  } else if (parts.hbmMask && GetObjectA(parts.hbmMask, sizeof info, &info)) {
    width = info.bmWidth;
    height = info.bmHeight / 2;
  }
  if (parts.hbmColor) DeleteObject(parts.hbmColor);
  if (parts.hbmMask) DeleteObject(parts.hbmMask);
  return StoreImage(slot, icon, width, height, depth, true);
}

HBITMAP CreateSection(long width, long height, int bitsPerPixel, void** bits) {
  BITMAPINFO header = {};
  header.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  header.bmiHeader.biWidth = width;
  header.bmiHeader.biHeight = height;  // positive: bottom-up
  header.bmiHeader.biPlanes = 1;
  header.bmiHeader.biBitCount = static_cast<WORD>(bitsPerPixel);
  header.bmiHeader.biCompression = BI_RGB;
  HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
  if (!display) return nullptr;
  HBITMAP section = CreateDIBSection(display, &header, DIB_RGB_COLORS, bits, nullptr, 0);
  DeleteDC(display);
  if (section && !*bits) {
    DeleteObject(section);
    return nullptr;
  }
  return section;
}

// Offers the source to each decoder in turn, from the source's start each
// time; the first that accepts decodes bottom-up into a new DIB section.
HBITMAP DecodeIntoSection(ImageSource* source) {
  for (int i = 0; i < ImageDecoderCount(); ++i) {
    const ImageDecoder* decoder = ImageDecoderAt(i);
    if (source->file) fseek(source->file, 0, SEEK_SET);
    source->offset = 0;
    ImageInfo info;
    void* state = decoder->probe(source, &info);
    if (!state) continue;
    HBITMAP section = nullptr;
    void* bits = nullptr;
    if (ImageSizeAcceptable(info.width, info.height) &&
        (info.bitsPerPixel == 24 || info.bitsPerPixel == 32))
      section = CreateSection(info.width, info.height, info.bitsPerPixel, &bits);
    // A picture whose data breaks off keeps the rows decoded so far.
    if (section)
      decoder->decode(state, static_cast<uint8_t*>(bits),
                      DibRowPitch(info.width, info.bitsPerPixel), kDecodeBottomUp);
    decoder->close(state);
    return section;
  }
  return nullptr;
}

// A bitmap file image in memory, copied into a DIB section of at least 24
// bits once its layout is known to lie within the block.
HBITMAP SectionFromBitmapFile(const uint8_t* bytes, size_t size) {
  BitmapFileLayout layout;
  if (!ReadBitmapFileLayout(bytes, size, &layout)) return nullptr;
  // The header and colour table copied out, so the platform reads an aligned
  // BITMAPINFO of exactly the size checked.
  std::vector<uint8_t> header(bytes + layout.headerOffset, bytes + layout.headerEnd);
  BITMAPINFO* source = reinterpret_cast<BITMAPINFO*>(header.data());
  source->bmiHeader.biClrUsed = layout.colourCount;  // the table copied, not the file's word
  const int depth = layout.bitCount < 24 ? 24 : layout.bitCount;
  void* bits = nullptr;
  HBITMAP section = CreateSection(layout.width, layout.height, depth, &bits);
  if (!section) return nullptr;
  HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
  const int copied = display ? SetDIBits(display, section, 0, static_cast<UINT>(layout.height),
                                         bytes + layout.pixelOffset, source, DIB_RGB_COLORS)
                             : 0;
  if (display) DeleteDC(display);
  if (!copied) {
    DeleteObject(section);
    return nullptr;
  }
  GdiFlush();
  if (depth == 32) {
    // A 32-bit bitmap that never used its alpha byte is meant opaque.
    uint8_t* pixels = static_cast<uint8_t*>(bits);
    const size_t count = static_cast<size_t>(layout.width) * layout.height;
    bool anyAlpha = false;
    for (size_t i = 0; i < count && !anyAlpha; ++i) anyAlpha = pixels[i * 4 + 3] != 0;
    if (!anyAlpha)
      for (size_t i = 0; i < count; ++i) pixels[i * 4 + 3] = 255;
  }
  return section;
}

HICON IconFromFileImage(const uint8_t* bytes, size_t size) {
  IconFileImage chosen;
  if (!ChooseIconFileImage(bytes, size, &chosen)) return nullptr;
  // An aligned, writable copy: the platform parses it in place.
  std::vector<BYTE> copy(bytes + chosen.offset, bytes + chosen.offset + chosen.length);
  const DWORD length = static_cast<DWORD>(chosen.length);
  HICON icon = CreateIconFromResourceEx(copy.data(), length, TRUE, 0x00030000,
                                        static_cast<int>(chosen.width),
                                        static_cast<int>(chosen.height), LR_DEFAULTCOLOR);
  if (!icon && chosen.bitCount != 16)
    icon = CreateIconFromResource(copy.data(), length, TRUE, 0x00030000);
  return icon;
}

// A slot's bitmap as 32-bit straight pixels in memory row order; 24-bit
// pictures read opaque.
bool ReadSlotPixels(HANDLE handle, std::vector<uint32_t>* pixels, int* depth) {
  DIBSECTION section = {};
  if (!handle || GetObjectType(handle) != OBJ_BITMAP ||
      GetObjectA(handle, sizeof section, &section) != sizeof section || !section.dsBm.bmBits)
    return false;
  const BITMAP& bitmap = section.dsBm;
  *depth = bitmap.bmBitsPixel;
  if (*depth != 24 && *depth != 32) return false;
  GdiFlush();
  pixels->resize(static_cast<size_t>(bitmap.bmWidth) * bitmap.bmHeight);
  const uint8_t* bits = static_cast<const uint8_t*>(bitmap.bmBits);
  const int bytes = *depth / 8;
  for (int y = 0; y < bitmap.bmHeight; ++y) {
    const uint8_t* row = bits + static_cast<size_t>(y) * bitmap.bmWidthBytes;
    for (int x = 0; x < bitmap.bmWidth; ++x) {
      const uint8_t* p = row + x * bytes;
      const uint32_t alpha = bytes == 4 ? p[3] : 255u;
      (*pixels)[static_cast<size_t>(y) * bitmap.bmWidth + x] =
          alpha << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
    }
  }
  return true;
}

HBITMAP SectionFromPixels(const std::vector<uint32_t>& pixels, int width, int height, int depth) {
  void* bits = nullptr;
  HBITMAP section = CreateSection(width, height, depth, &bits);
  if (!section) return nullptr;
  const long pitch = DibRowPitch(width, depth);
  const int bytes = depth / 8;
  for (int y = 0; y < height; ++y) {
    uint8_t* row = static_cast<uint8_t*>(bits) + static_cast<size_t>(y) * pitch;
    for (int x = 0; x < width; ++x) {
      const uint32_t p = pixels[static_cast<size_t>(y) * width + x];
      for (int c = 0; c < bytes; ++c) row[x * bytes + c] = static_cast<uint8_t>(p >> (8 * c));
    }
  }
  return section;
}

const uint32_t kKeyPixel = uint32_t(kKeyRed) << 16 | uint32_t(kKeyGreen) << 8 | kKeyBlue;

}  // namespace

bool ResizeImageSlot(int slot, int width, int height) {
  std::vector<uint32_t> pixels;
  int depth = 0;
  const int oldWidth = ImageSlotWidth(slot), oldHeight = ImageSlotHeight(slot);
  if (width <= 0 || height <= 0 || !ReadSlotPixels(ImageSlotHandle(slot), &pixels, &depth))
    return false;
  const std::vector<uint32_t> scaled =
      IsKeyedPicture(pixels.data(), pixels.size(), kKeyPixel)
          ? ScaleKeyedPicture(pixels.data(), oldWidth, oldHeight, width, height, kKeyPixel)
          : ScalePicture(pixels.data(), oldWidth, oldHeight, width, height);
  HBITMAP section = scaled.empty() ? nullptr : SectionFromPixels(scaled, width, height, depth);
  if (!section) return false;
  FreeImageSlot(slot);
  return StoreBitmap(slot, section) != nullptr;
}

HANDLE LoadScaledImageSlot(int slot, const char* path) {
  const int dpi = WidgetDpi();
  if (dpi == kBaseDpi || !path) return LoadImageSlot(slot, path);
  int set = PictureSetFor(dpi);
  if (!LoadImageSlot(slot, PictureSetPath(path, set).c_str())) {
    set = kPictureSetPercents[0];
    if (!LoadImageSlot(slot, path)) return nullptr;
  }
  const int width = SideAtDpi(ImageSlotWidth(slot), set, dpi);
  const int height = SideAtDpi(ImageSlotHeight(slot), set, dpi);
  if (width != ImageSlotWidth(slot) || height != ImageSlotHeight(slot))
    ResizeImageSlot(slot, width, height);
  return ImageSlotHandle(slot);
}

void StartImageDecoders() {
  AddImageDecoder(PngDecoder());
}

HANDLE LoadImageSlot(int slot, const char* path) {
  FreeImageSlot(slot);
  if (slot < 0 || !path) return nullptr;
  FILE* stream = fopen(path, "rb");
  if (!stream) return nullptr;
  unsigned char magic[2] = {};
  const bool whole = fread(magic, 1, 2, stream) == 2;

  if (whole && magic[0] == 'B' && magic[1] == 'M') {
    fclose(stream);
    HANDLE bitmap =
        LoadImageA(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION);
    return StoreBitmap(slot, static_cast<HBITMAP>(bitmap));
  }
  // A PNG never starts like an icon directory: the system's try would only
  // open the file again to fail.
  if (!(whole && magic[0] == kPngFirstByte && magic[1] == 'P')) {
    HANDLE icon = LoadImageA(nullptr, path, IMAGE_ICON, 0, 0, LR_LOADFROMFILE);
    if (icon) {
      fclose(stream);
      return StoreIcon(slot, static_cast<HICON>(icon));
    }
  }
  rewind(stream);
  ImageSource source;
  source.file = stream;
  HBITMAP section = DecodeIntoSection(&source);
  fclose(stream);
  return StoreBitmap(slot, section);
}

HANDLE CatchImageSlot(int slot, const uint8_t* bytes, size_t size) {
  FreeImageSlot(slot);
  if (slot < 0 || !bytes || size < 2) return nullptr;
  if (bytes[0] == 'B' && bytes[1] == 'M')
    return StoreBitmap(slot, SectionFromBitmapFile(bytes, size));
  if (LooksLikeIconFile(bytes, size)) return StoreIcon(slot, IconFromFileImage(bytes, size));
  ImageSource source;
  source.bytes = bytes;
  source.size = size;
  return StoreBitmap(slot, DecodeIntoSection(&source));
}

void FreeImageSlot(int slot) {
  Images().Free(slot);
}

HANDLE ImageSlotHandle(int slot) {
  const ImageSlot* record = Images().Find(slot);
  return record ? record->handle : nullptr;
}

int ImageSlotWidth(int slot) {
  const ImageSlot* record = Images().Find(slot);
  return record ? record->width : 0;
}

int ImageSlotHeight(int slot) {
  const ImageSlot* record = Images().Find(slot);
  return record ? record->height : 0;
}

int ImageSlotDepth(int slot) {
  const ImageSlot* record = Images().Find(slot);
  return record ? record->depth : 0;
}

void FreeAllImageSlots() {
  Images().FreeAll();
}
