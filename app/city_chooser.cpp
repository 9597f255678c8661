#include "app/city_chooser.h"

#include <windows.h>

#include "app/application_state.h"
#include "common/city_line.h"
#include "services/widget_numbers.h"
#include "app/refresh.h"
#include "display/font_slots.h"
#include "services/controls.h"
#include "services/text_file.h"
#include "services/widget_scale.h"
#include "services/windows.h"

namespace {
const char kCityListPath[] = "NimbrelCodSity.txt";
const int kCityWindowWidth = 200;
const int kCityWindowHeight = 400;
const unsigned kCityWindowFlags = WS_CAPTION | WS_SYSMENU | CentreOnScreen;
const int kListMargin = 5;

// An empty line, or a double-click with nothing selected, names no city.
bool NamesACity(const std::string& code) {
  return code.find_first_not_of(" \t") != std::string::npos;
}

void FillCityList() {
  if (!OpenFileForReading(kCityListFile, kCityListPath)) return;
  while (!IsEndOfFile(kCityListFile)) {
    Application.lastCityLine = ReadTextLine(kCityListFile);
    AddListItem(kCityList, -1, Application.lastCityLine.c_str());
  }
  CloseFileSlot(kCityListFile);
}

}  // namespace

// Filled while hidden: a shown list repaints itself on every added line.
void OpenCityWindow() {
  OpenWindowSlot(kCityWindow, 0, 0, Scaled(kCityWindowWidth), Scaled(kCityWindowHeight), "Города",
                 kCityWindowFlags | CreateHidden, nullptr);
  CreateListControl(kCityList, Scaled(kListMargin), Scaled(kListMargin),
                    Scaled(kCityWindowWidth - 2 * kListMargin),
                    Scaled(kCityWindowHeight - 2 * kListMargin));
  if (WidgetDpi() != kBaseDpi) SetControlFont(kCityList, FontSlotHandle(kScaledGuiFont));
  FillCityList();
  SetWindowHidden(kCityWindow, 0);
}

void PickCity() {
  Application.pickedIndex = GetListSelection(kCityList);
  Application.pickedLine = GetListItemText(kCityList, Application.pickedIndex);
  const std::string code = CityCodeFromLine(Application.pickedLine);
  if (!NamesACity(code)) return;
  SetCityCode(code);
  RefreshWeather();
}
