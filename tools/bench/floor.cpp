// The floor of the start-up and idle figures: the least a program does to put
// one layered 300 x 200 window with per-pixel alpha on the screen and wait for
// messages. scripts/bench runs it beside the widget. With --timer it also
// keeps a one-second timer, as a clock does, so that the cost of the tick
// alone shows in the idle figures.
#include <windows.h>

#include <cstdint>
#include <cstring>

namespace {

const int kWidth = 300;
const int kHeight = 200;
const uint32_t kGrey = 0x80404040u;  // alpha 128, premultiplied grey
const UINT_PTR kTickTimer = 1;
const UINT kTickMs = 1000;

LRESULT CALLBACK FloorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcA(window, message, wParam, lParam);
}

// A half-transparent grey plate, premultiplied, handed to the window.
void Present(HWND window) {
  BITMAPINFO header = {};
  header.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  header.bmiHeader.biWidth = kWidth;
  header.bmiHeader.biHeight = kHeight;
  header.bmiHeader.biPlanes = 1;
  header.bmiHeader.biBitCount = 32;
  header.bmiHeader.biCompression = BI_RGB;
  HDC memory = CreateCompatibleDC(nullptr);
  void* bits = nullptr;
  HBITMAP section = CreateDIBSection(memory, &header, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!section || !bits) return;
  uint32_t* pixels = static_cast<uint32_t*>(bits);
  for (int i = 0; i < kWidth * kHeight; ++i) pixels[i] = kGrey;
  HGDIOBJ former = SelectObject(memory, section);
  SIZE size = {kWidth, kHeight};
  POINT origin = {0, 0};
  BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  UpdateLayeredWindow(window, nullptr, nullptr, &size, memory, &origin, 0, &blend, ULW_ALPHA);
  SelectObject(memory, former);
  DeleteObject(section);
  DeleteDC(memory);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = FloorProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = "FloorWindow";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(WS_EX_LAYERED, "FloorWindow", "Floor", WS_POPUP, 500, 40, kWidth,
                                kHeight, nullptr, nullptr, instance, nullptr);
  Present(window);
  ShowWindow(window, SW_SHOWNORMAL);
  if (commandLine && std::strstr(commandLine, "--timer"))
    SetTimer(window, kTickTimer, kTickMs, nullptr);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}
