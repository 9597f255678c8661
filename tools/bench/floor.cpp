// The floor of the start-up and idle figures: the least a program does to put
// one layered 300 x 200 window with per-pixel alpha on the screen and wait for
// messages. scripts/bench runs it beside the widget. With --timer it also
// keeps a one-second timer, as a clock does, so that the cost of the tick
// alone shows in the idle figures.
#include <windows.h>

#include <cstdint>
#include <cstring>

#include "tools/bench/solid_plate.h"

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

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = FloorProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = "FloorWindow";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(WS_EX_LAYERED, "FloorWindow", "Floor", WS_POPUP, 500, 40, kWidth,
                                kHeight, nullptr, nullptr, instance, nullptr);
  PresentSolidPlate(window, kWidth, kHeight, kGrey, 255);
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
