#include "app/event_loop.h"

#include <windows.h>

#include "app/application_state.h"
#include "app/city_chooser.h"
#include "display/clock_face.h"
#include "services/widget_numbers.h"
#include "services/settings.h"
#include "services/tray.h"
#include "services/windows.h"

namespace {

const char kSettingsPath[] = "inform.ini";
const char kCityCodeKey[] = "ID";

// The system moves the main window with the mouse until the button is
// released; the follow hook brings the rest along meanwhile.
void DragMainWindow() {
  SendMessageA(WindowHandle(kMainWindow), WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

void OnTray() {
  if (EventSubtype() == TrayRightPress) ShowPopupMenu(kTrayMenu, WindowHandle(kMainWindow));
}

void SaveCityCode() {
  OpenSettings(kSettingsPath);
  WriteSettingString(kCityCodeKey, Application.CityCode.c_str());
  CloseSettings();
}

void OnControl() {
  if (EventId() == kCityList && EventSubtype() == ControlDoubleClicked) PickCity();
}

}  // namespace

void RunEventLoop() {
  for (;;) {
    Application.lastEvent = WaitEvent();
    Application.lastEventWindow = EventWindowNumber();
    switch (Application.lastEvent) {
      case WM_RBUTTONDOWN:
        OpenCityWindow();
        break;
      case WM_LBUTTONDOWN:
        DragMainWindow();
        break;
      case EventTray:
        OnTray();
        break;
      case EventTimer:
        RedrawClock();
        break;
      case EventRepaint:
        if (Application.lastEventWindow == kClockOverlay) ForgetDrawnClock();
        break;
      case EventMenu:
        if (EventId() == kExitMenuItem) {
          SaveCityCode();
          return;
        }
        break;
      case EventControl:
        OnControl();
        break;
      default:
        break;
    }
    if (Application.lastEvent == EventCloseWindow) {
      // Alt+F4 or the taskbar's "Close window" is a way out too: it must not
      // lose the city picked since start-up.
      if (Application.lastEventWindow == kMainWindow) SaveCityCode();
      CloseWindowSlot(Application.lastEventWindow);
      if (Application.lastEventWindow == kMainWindow) return;
    }
  }
}
