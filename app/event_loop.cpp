#include "app/event_loop.h"

#include <windows.h>

#include "app/application_state.h"
#include "app/autostart_choice.h"
#include "app/city_chooser.h"
#include "app/saved_place.h"
#include "app/settings_names.h"
#include "display/clock_face.h"
#include "services/widget_numbers.h"
#include "services/settings.h"
#include "services/tray.h"
#include "services/windows.h"

namespace {

// The system moves the main window with the mouse until the button is
// released; the follow hook brings the rest along meanwhile. Only a drag
// that moved the widget is kept: a plain click writes nothing.
void DragMainWindow() {
  const int left = WindowLeft(kMainWindow);
  const int top = WindowTop(kMainWindow);
  SendMessageA(WindowHandle(kMainWindow), WM_NCLBUTTONDOWN, HTCAPTION, 0);
  if (WindowLeft(kMainWindow) != left || WindowTop(kMainWindow) != top) SaveMainWindowPlace();
}

void OnTray() {
  if (EventSubtype() != TrayRightPress) return;
  ShowAutostartChoice();
  ShowPopupMenu(kTrayMenu, WindowHandle(kMainWindow));
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
        if (EventId() == kAutostartMenuItem) ToggleAutostart();
        break;
      case EventControl:
        OnControl();
        break;
      case EventActivate:
        // The system gives an activated window the keyboard, not its list.
        if (Application.lastEventWindow == kCityWindow) FocusCityList();
        break;
      default:
        break;
    }
    if (Application.lastEvent == EventCloseWindow) {
      // Alt+F4 or the taskbar's "Close window" is a way out too: it must not
      // lose the city picked since start-up. The installer and uninstaller
      // ask a running widget to leave this way (WM_CLOSE to window 55).
      if (Application.lastEventWindow == kMainWindow) SaveCityCode();
      CloseWindowSlot(Application.lastEventWindow);
      if (Application.lastEventWindow == kMainWindow) return;
    }
  }
}
