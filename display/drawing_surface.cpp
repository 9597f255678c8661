#include "display/drawing_surface.h"

#include <windows.h>

#include "services/windows.h"

namespace {

struct DrawingSurface {
  HWND window = nullptr;
  HDC dc = nullptr;
  HBRUSH brush = nullptr;
  HPEN pen = nullptr;
  HGDIOBJ formerBrush = nullptr;
  HGDIOBJ formerPen = nullptr;
  int width = 0;
  int height = 0;
  int displayBits = 0;
};

thread_local DrawingSurface tSurface;

}  // namespace

int BeginWindowDrawing(int window) {
  HWND handle = WindowHandle(window);
  if (!handle) return 0;
  if (tSurface.dc) EndDrawing();  // one surface at a time: never leak the earlier one
  HDC dc = GetDC(handle);
  if (!dc) return 0;
  RECT client = {};
  GetClientRect(handle, &client);
  tSurface.window = handle;
  tSurface.dc = dc;
  tSurface.width = client.right - client.left;
  tSurface.height = client.bottom - client.top;
  tSurface.displayBits = GetDeviceCaps(dc, BITSPIXEL);
  tSurface.brush = CreateSolidBrush(RGB(0, 0, 0));
  tSurface.pen = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
  tSurface.formerBrush = tSurface.brush ? SelectObject(dc, tSurface.brush) : nullptr;
  tSurface.formerPen = tSurface.pen ? SelectObject(dc, tSurface.pen) : nullptr;
  return 1;
}

void DrawImageScaled(HANDLE image, int x, int y, int width, int height) {
  HDC surface = tSurface.dc;
  if (!surface || !image || width <= 0 || height <= 0) return;
  if (GetObjectType(image) != OBJ_BITMAP) {
    DrawIconEx(surface, x, y, static_cast<HICON>(image), width, height, 0, nullptr, DI_NORMAL);
    return;
  }
  BITMAP info = {};
  if (!GetObjectA(image, sizeof info, &info)) return;
  HDC memory = CreateCompatibleDC(surface);
  if (!memory) return;
  HGDIOBJ former = SelectObject(memory, image);
  if (width == info.bmWidth && height == info.bmHeight) {
    BitBlt(surface, x, y, width, height, memory, 0, 0, SRCCOPY);
  } else {
    SetStretchBltMode(surface, HALFTONE);
    SetBrushOrgEx(surface, 0, 0, nullptr);  // HALFTONE wants the origin reset
    StretchBlt(surface, x, y, width, height, memory, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
  }
  SelectObject(memory, former);
  DeleteDC(memory);
}

void EndDrawing() {
  DrawingSurface& s = tSurface;
  if (!s.dc) return;
  if (s.formerBrush) SelectObject(s.dc, s.formerBrush);
  if (s.formerPen) SelectObject(s.dc, s.formerPen);
  if (s.brush) DeleteObject(s.brush);
  if (s.pen) DeleteObject(s.pen);
  ReleaseDC(s.window, s.dc);
  s = DrawingSurface{};
}
