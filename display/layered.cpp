#include "display/layered.h"

#include <windows.h>

#include "display/images.h"
#include "services/windows.h"

int MakeLayered(HWND window) {
  const LONG style = GetWindowLongA(window, GWL_EXSTYLE);
  SetWindowLongA(window, GWL_EXSTYLE, style | WS_EX_LAYERED);
  return 0;
}

namespace {

// 32 bits per pixel, bottom-up, as the slots keep their pictures.
BITMAPINFO Header32(int width, int height) {
  BITMAPINFO header = {};
  header.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  header.bmiHeader.biWidth = width;
  header.bmiHeader.biHeight = height;
  header.bmiHeader.biPlanes = 1;
  header.bmiHeader.biBitCount = 32;
  header.bmiHeader.biCompression = BI_RGB;
  return header;
}

// The working copy that is premultiplied and handed to the platform.
HBITMAP CreateWorkingSection(HDC dc, int width, int height, void** bits) {
  BITMAPINFO header = Header32(width, height);
  HBITMAP section = CreateDIBSection(dc, &header, DIB_RGB_COLORS, bits, nullptr, 0);
  if (section && !*bits) {
    DeleteObject(section);
    return nullptr;
  }
  return section;
}

// The slot's pixels as 32-bit values, read into the working section; a
// 24-bit picture reads with alpha 0.
bool ReadPixels(HDC dc, HANDLE image, int width, int height, void* bits) {
  BITMAPINFO header = Header32(width, height);
  return GetDIBits(dc, static_cast<HBITMAP>(image), 0, static_cast<UINT>(height), bits, &header,
                   DIB_RGB_COLORS) == height;
}

}  // namespace

bool PresentLayered(HWND window, int image, int constantAlpha) {
  HANDLE picture = ImageSlotHandle(image);
  BITMAP info = {};
  if (!window || !picture || GetObjectType(picture) != OBJ_BITMAP ||
      !GetObjectA(picture, sizeof info, &info) || info.bmWidth <= 0 || info.bmHeight <= 0)
    return false;
  const int width = info.bmWidth, height = info.bmHeight;

  HDC memory = CreateCompatibleDC(nullptr);
  if (!memory) return false;
  void* bits = nullptr;
  HBITMAP working = CreateWorkingSection(memory, width, height, &bits);
  bool shown = false;
  if (working && ReadPixels(memory, picture, width, height, bits)) {
    PremultiplyPixels(static_cast<uint32_t*>(bits), static_cast<size_t>(width) * height);
    HGDIOBJ former = SelectObject(memory, working);
    SIZE size = {width, height};
    POINT origin = {0, 0};
    BLENDFUNCTION blend = {AC_SRC_OVER, 0,
                           static_cast<BYTE>(constantAlpha < 0     ? 0
                                             : constantAlpha > 255 ? 255
                                                                   : constantAlpha),
                           AC_SRC_ALPHA};
    shown = UpdateLayeredWindow(window, nullptr, nullptr, &size, memory, &origin, 0, &blend,
                                ULW_ALPHA) != FALSE;
    SelectObject(memory, former);
  }
  if (working) DeleteObject(working);
  DeleteDC(memory);
  return shown;
}

bool SwitchToColourKey(int window) {
  HWND handle = WindowHandle(window);
  if (!handle) return false;
  SetWindowBackground(window, KeyColour);
  return SetLayeredWindowAttributes(handle, KeyColour, 0, LWA_COLORKEY) != FALSE;
}
