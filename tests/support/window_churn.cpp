#include <windows.h>

#include "tests/support/window_churn.h"

#include <cstring>
#include <initializer_list>

#include "services/widget_numbers.h"
#include "services/windows.h"
#include "tests/support/resource_counters.h"

namespace {

const char kChurnClass[] = "NimbrelTestChurn";

LRESULT CALLBACK ChurnProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

const WNDPROC kChurnProcedure = ChurnProcedure;

void RegisterChurnClass() {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = kChurnProcedure;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = kChurnClass;
  RegisterClassA(&windowClass);  // fails harmlessly when already there
}

// What a presentation does: a 32-bit picture handed over with per-pixel alpha.
void Present(HWND window, int width, int height) {
  const HDC screen = GetDC(nullptr);
  const HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  const HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bits) std::memset(bits, 0x80, static_cast<size_t>(width) * height * 4);
  const HGDIOBJ previous = SelectObject(memory, bitmap);
  SIZE size = {width, height};
  POINT source = {0, 0};
  BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  UpdateLayeredWindow(window, nullptr, nullptr, &size, memory, &source, 0, &blend, ULW_ALPHA);
  SelectObject(memory, previous);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
}

void Hide(HWND window, HWND owner) {
  SetActiveWindow(owner);
  ShowWindow(window, SW_HIDE);
}

}  // namespace

WindowChurn::WindowChurn(HWND iconOwner, HWND smallIconOwner)
    : owners_{iconOwner, iconOwner, smallIconOwner, smallIconOwner} {
  RegisterChurnClass();
}

WindowChurn::~WindowChurn() {
  for (HWND window : windows_)
    if (window) DestroyWindow(window);
}

void WindowChurn::Round() {
  for (int number : {kMainWindow, kForecastWindow, kLeftFlipWindow, kRightFlipWindow, kClockOverlay,
                     kForecastOverlay})
    ShowWindow(WindowHandle(number), SW_SHOWNORMAL);
  for (int i = 0; i < 4; ++i) {
    if (windows_[i]) {
      SetActiveWindow(owners_[i]);
      DestroyWindow(windows_[i]);
    }
    windows_[i] = CreateWindowExA(WS_EX_LAYERED, kChurnClass, "", WS_POPUP, 100 + i, 100, 40, 40,
                                  owners_[i], nullptr, GetModuleHandleA(nullptr), nullptr);
    Present(windows_[i], 40 + i, 41);
    if (i < 2) Hide(windows_[i], owners_[i]);
  }
  ShowWindow(windows_[0], SW_SHOWNORMAL);  // day icon
  Hide(windows_[1], owners_[1]);           // night icon
  ShowWindow(windows_[2], SW_SHOWNORMAL);
  ShowWindow(windows_[3], SW_SHOWNORMAL);
}

long long WindowChurn::PrivateBytesOf(int rounds) {
  Round();
  const long long before = CountPrivateBytes();
  for (int i = 0; i < rounds; ++i) Round();
  return CountPrivateBytes() - before;
}
