#include "services/dpi_lookup.h"

#include <windows.h>

#include "services/widget_scale.h"

namespace {

using GetDpiForWindowCall = UINT(WINAPI*)(HWND);
using GetDpiForSystemCall = UINT(WINAPI*)();
using GetDpiForMonitorCall = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
using AdjustForDpiCall = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

const int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI

// A user32 export, or nullptr where this Windows has none.
template <typename Call>
Call User32Call(const char* name) {
  HMODULE user32 = GetModuleHandleA("user32.dll");
  return user32 ? reinterpret_cast<Call>(reinterpret_cast<void*>(GetProcAddress(user32, name)))
                : nullptr;
}

// shcore.dll exists from Windows 8.1; loaded once, kept for the process.
GetDpiForMonitorCall MonitorDpiCall() {
  static GetDpiForMonitorCall call = [] {
    HMODULE shcore = LoadLibraryA("shcore.dll");
    return shcore ? reinterpret_cast<GetDpiForMonitorCall>(
                        reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")))
                  : nullptr;
  }();
  return call;
}

int UsableDpi(UINT dpi) {
  return dpi > 0 ? static_cast<int>(dpi) : SystemDpi();
}

}  // namespace

int SystemDpi() {
  static const GetDpiForSystemCall forSystem = User32Call<GetDpiForSystemCall>("GetDpiForSystem");
  if (forSystem) return static_cast<int>(forSystem());
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : kBaseDpi;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : kBaseDpi;
}

int MonitorDpiAt(int x, int y) {
  const GetDpiForMonitorCall forMonitor = MonitorDpiCall();
  if (!forMonitor) return SystemDpi();
  UINT dpiX = 0, dpiY = 0;
  HMONITOR monitor = MonitorFromPoint(POINT{x, y}, MONITOR_DEFAULTTONEAREST);
  if (!monitor || forMonitor(monitor, kEffectiveDpi, &dpiX, &dpiY) != S_OK) return SystemDpi();
  return UsableDpi(dpiX);
}

int WindowDpi(HWND window) {
  static const GetDpiForWindowCall forWindow = User32Call<GetDpiForWindowCall>("GetDpiForWindow");
  if (forWindow && window) return UsableDpi(forWindow(window));
  RECT r{};
  if (!window || !GetWindowRect(window, &r)) return SystemDpi();
  return MonitorDpiAt(r.left + (r.right - r.left) / 2, r.top + (r.bottom - r.top) / 2);
}

bool AdjustWindowRectForDpi(RECT* rect, DWORD style, DWORD exStyle, int dpi) {
  static const AdjustForDpiCall forDpi = User32Call<AdjustForDpiCall>("AdjustWindowRectExForDpi");
  if (forDpi) return forDpi(rect, style, FALSE, exStyle, static_cast<UINT>(dpi)) != FALSE;
  return AdjustWindowRectEx(rect, style, FALSE, exStyle) != FALSE;
}
