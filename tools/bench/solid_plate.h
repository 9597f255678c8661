#pragma once
// A solid premultiplied plate handed to a layered window: the bench programs
// present it where the widget presents a picture.
#include <windows.h>

#include <cstdint>

inline HBITMAP CreatePlateSection(int width, int height, void** bits) {
  BITMAPINFO header = {};
  header.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  header.bmiHeader.biWidth = width;
  header.bmiHeader.biHeight = height;
  header.bmiHeader.biPlanes = 1;
  header.bmiHeader.biBitCount = 32;
  header.bmiHeader.biCompression = BI_RGB;
  return CreateDIBSection(nullptr, &header, DIB_RGB_COLORS, bits, nullptr, 0);
}

inline void PresentSolidPlate(HWND window, int width, int height, uint32_t pixel, int opacity) {
  if (width <= 0 || height <= 0) return;
  HDC memory = CreateCompatibleDC(nullptr);
  void* bits = nullptr;
  HBITMAP section = CreatePlateSection(width, height, &bits);
  if (section && bits) {
    uint32_t* pixels = static_cast<uint32_t*>(bits);
    for (int i = 0; i < width * height; ++i) pixels[i] = pixel;
    HGDIOBJ former = SelectObject(memory, section);
    SIZE size = {width, height};
    POINT origin = {0, 0};
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, static_cast<BYTE>(opacity), AC_SRC_ALPHA};
    UpdateLayeredWindow(window, nullptr, nullptr, &size, memory, &origin, 0, &blend, ULW_ALPHA);
    SelectObject(memory, former);
  }
  if (section) DeleteObject(section);
  DeleteDC(memory);
}
