#include <windows.h>

#include "tests/support/widget_windows.h"

#include "display/images.h"
#include "services/widget_numbers.h"
#include "services/controls.h"
#include "services/windows.h"
#include "tests/support/png_maker.h"
#include "tests/support/scratch_dir.h"

namespace {

const unsigned kHiddenPopup = WS_POPUP | CreateHidden;

struct IconFile {
  const char* path;
  int width;
  int height;
};

// Every size different, so a window's size names the file it came from.
const IconFile kIconFiles[] = {
    {"Weather/sun.png", 40, 41},        {"Weather/sun_min.png", 20, 21},
    {"Weather/weather_4.png", 42, 43},  {"Weather/weather_4_min.png", 22, 23},
    {"Weather/weather_2.png", 44, 45},  {"Weather/weather_2_min.png", 24, 25},
    {"Weather/weather_6.png", 46, 47},  {"Weather/weather_6_min.png", 26, 27},
    {"Weather/weather_13.png", 48, 49}, {"Weather/weather_13_min.png", 28, 29},
    {"Weather/weather_18.png", 50, 51}, {"Weather/weather_18_min.png", 30, 31},
    {"Weather/weather_22.png", 52, 53}, {"Weather/weather_22_min.png", 32, 33},
    {"Weather/weather_15.png", 54, 55}, {"Weather/weather_15_min.png", 34, 35},
    {"Weather/weather_33.png", 56, 57},
};

bool Open(int window, int dx, int dy, int width, int height, const char* title, int owner) {
  const HWND ownerHandle = owner ? WindowHandle(owner) : nullptr;
  return OpenWindowSlot(window, kTestMainLeft + dx, kTestMainTop + dy, width, height, title,
                        kHiddenPopup, ownerHandle);
}

std::string TextOf(HWND handle) {
  if (!handle) return "<no window>";
  char buffer[512] = {};
  const int n = GetWindowTextA(handle, buffer, sizeof buffer);
  return std::string(buffer, n > 0 ? n : 0);
}

}  // namespace

bool OpenWidgetWindows() {
  bool ok = Open(kMainWindow, 0, 0, 300, 200, "Погода", 0);
  ok &= Open(kForecastWindow, 3, 200, 294, 60, "6", kMainWindow);
  ok &= Open(kForecastOverlay, 3, 200, 294, 60, "6", kForecastWindow);
  ok &= CreateTextControl(kTodayText, 30, 30, 95, 15, "Сегодня");
  ok &= CreateTextControl(kTomorrowText, 190, 30, 95, 15, "Завтра");
  ok &= Open(kLeftFlipWindow, 22, -25, 127, 110, "6", kMainWindow);
  ok &= Open(kRightFlipWindow, 151, -25, 127, 110, "", kLeftFlipWindow);
  ok &= Open(kClockOverlay, 0, 0, 300, 200, "Test", kRightFlipWindow);
  ok &= CreateTextControl(kTownText, 10, 105, 100, 20, "");
  ok &= CreateTextControl(kSkyText, 10, 126, 150, 15, "");
  ok &= CreateTextControl(kTemperatureRangeText, 10, 142, 80, 15, "");
  ok &= CreateTextControl(kDateLineText, 170, 105, 130, 20, "");
  ok &= CreateTextControl(kWindText, 175, 126, 130, 15, "");
  ok &= CreateTextControl(kHumidityText, 190, 142, 110, 15, "");
  return ok;
}

void CloseWidgetWindows() {
  CloseAllWindowSlots();
  FreeAllImageSlots();
}

void WriteWeatherIcons() {
  for (const IconFile& icon : kIconFiles) {
    const uint32_t shade = static_cast<uint32_t>(icon.width) * 4;
    WriteFileBytes(icon.path, MakePng(RgbaPicture(icon.width, icon.height, [&](int x, int y) {
                     return 0xFF000000u | shade << 16 | static_cast<uint32_t>(x) << 8 |
                            static_cast<uint32_t>(y);
                   })));
  }
}

SIZE WeatherIconSize(const std::string& path) {
  for (const IconFile& icon : kIconFiles)
    if (path == icon.path) return {icon.width, icon.height};
  return {0, 0};
}

SIZE WindowClientSize(int window) {
  RECT r = {};
  const HWND handle = WindowHandle(window);
  if (!handle || !GetClientRect(handle, &r)) return {0, 0};
  return {r.right - r.left, r.bottom - r.top};
}

std::string ControlTextBytes(int control) {
  return TextOf(ControlHandle(control));
}
std::string WindowTitleBytes(int window) {
  return TextOf(WindowHandle(window));
}
