#include "app/city_chooser.h"

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "app/application_state.h"
#include "app/city_search.h"
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
const UINT_PTR kTypeToFind = 1;        // our subclass of the list
const WPARAM kDeleteCharacter = 0x7F;  // Ctrl+Backspace

// The lines as the list holds them, for the search; and what was typed.
std::vector<std::string> cityLines;
CitySearch citySearch;

// An empty line, or a double-click with nothing selected, names no city.
bool NamesACity(const std::string& code) {
  return code.find_first_not_of(" \t") != std::string::npos;
}

void FillCityList() {
  if (!OpenFileForReading(kCityListFile, kCityListPath)) return;
  while (!IsEndOfFile(kCityListFile)) {
    Application.lastCityLine = ReadTextLine(kCityListFile);
    AddListItem(kCityList, -1, Application.lastCityLine.c_str());
    cityLines.push_back(Application.lastCityLine);
  }
  CloseFileSlot(kCityListFile);
}

void SelectTypedCity(HWND list) {
  const int line = FindCityLine(cityLines, citySearch.typed);
  if (line >= 0) SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(line), 0);
}

// The list box's own search matches the start of a line, which is the code:
// letters go to the town names instead. Enter picks as a double-click does.
LRESULT CALLBACK TypeToFindProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                DWORD_PTR) {
  switch (message) {
    case WM_CHAR:
      if (wParam == VK_BACK) {
        TakeCityLetterBack(citySearch, GetTickCount());
      } else if (wParam >= ' ' && wParam != kDeleteCharacter) {
        TypeCityLetter(citySearch, static_cast<char>(wParam), GetTickCount());
      } else if (wParam == '\r') {
        return 0;
      } else {
        break;
      }
      SelectTypedCity(list);
      return 0;
    case WM_KEYDOWN:
      if (wParam != VK_RETURN) break;
      PostMessageA(GetParent(list), ControlEventMessage, kCityList, ControlDoubleClicked);
      return 0;
    case WM_NCDESTROY:
      RemoveWindowSubclass(list, TypeToFindProc, id);
      break;
  }
  return DefSubclassProc(list, message, wParam, lParam);
}

const SUBCLASSPROC kTypeToFindProc = TypeToFindProc;

void WatchCityListKeys() {
  cityLines.clear();
  citySearch = CitySearch();
  if (HWND list = ControlHandle(kCityList))
    SetWindowSubclass(list, kTypeToFindProc, kTypeToFind, 0);
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
  WatchCityListKeys();
  FillCityList();
  SetWindowHidden(kCityWindow, 0);
  // Typing works at once, without a click into the list first.
  FocusCityList();
}

void FocusCityList() {
  if (HWND list = ControlHandle(kCityList)) SetFocus(list);
}

void PickCity() {
  Application.pickedIndex = GetListSelection(kCityList);
  Application.pickedLine = GetListItemText(kCityList, Application.pickedIndex);
  const std::string code = CityCodeFromLine(Application.pickedLine);
  if (!NamesACity(code)) return;
  SetCityCode(code);
  RefreshWeather();
}
