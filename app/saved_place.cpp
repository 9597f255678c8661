#include <windows.h>

#include "app/saved_place.h"

#include <string>

#include "app/settings_names.h"
#include "app/widget_layout.h"
#include "display/images.h"
#include "services/settings.h"
#include "services/widget_numbers.h"
#include "services/widget_scale.h"
#include "services/windows.h"

namespace {

BOOL CALLBACK AddWorkArea(HMONITOR monitor, HDC, LPRECT, LPARAM context) {
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  if (GetMonitorInfoA(monitor, &info)) {
    const RECT& r = info.rcWork;
    reinterpret_cast<std::vector<ScreenRect>*>(context)->push_back(
        {r.left, r.top, r.right, r.bottom});
  }
  return TRUE;
}

std::vector<ScreenRect> WorkAreas() {
  std::vector<ScreenRect> areas;
  const MONITORENUMPROC add = AddWorkArea;
  EnumDisplayMonitors(nullptr, nullptr, add, reinterpret_cast<LPARAM>(&areas));
  return areas;
}

ScreenPoint DefaultPlace() {
  return {MainWindowOpeningLeft(GetSystemMetrics(SM_CXSCREEN)), Scaled(kMainWindowTop)};
}

PlateSize BasePlate() {
  return {ImageSlotWidth(kBaseImage), ImageSlotHeight(kBaseImage)};
}

}  // namespace

ScreenPoint MainWindowOpeningPlace() {
  return ChooseOpeningPlace(ReadSettingString(kPlaceXKey), ReadSettingString(kPlaceYKey),
                            BasePlate(), WorkAreas(), DefaultPlace());
}

void SaveMainWindowPlace() {
  OpenSettings(kSettingsPath);
  WriteSettingString(kPlaceXKey, std::to_string(WindowLeft(kMainWindow)));
  WriteSettingString(kPlaceYKey, std::to_string(WindowTop(kMainWindow)));
  CloseSettings();
}

void BringMainWindowBackOnScreen() {
  const HWND main = WindowHandle(kMainWindow);
  RECT r;
  if (!main || !GetWindowRect(main, &r)) return;
  const PlateSize plate = {r.right - r.left, r.bottom - r.top};
  if (LiesWhollyOnOneArea({r.left, r.top}, plate, WorkAreas())) return;
  const ScreenPoint home = DefaultPlace();
  // The follow hook brings every other window along.
  PlaceWindow(kMainWindow, home.x, home.y, KeepValue, KeepValue);
}
