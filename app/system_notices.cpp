#include <windows.h>

#include "app/system_notices.h"

#include "app/application_state.h"
#include "app/refresh.h"
#include "app/saved_place.h"
#include "display/clock_face.h"
#include "services/widget_numbers.h"
#include "services/windows.h"

namespace {

// After a night's sleep the panels and the clock are hours old: neither
// waits for its timer.
void OnResumed() {
  RefreshWeather();
  ForgetDrawnClock();
  RedrawClock();
}

}  // namespace

LRESULT NoteSystemNotice(HWND window, UINT message, WPARAM wParam, LPARAM) {
  // Every widget window hears the broadcast; the main window answers once.
  if (window == nullptr || window != Application.mainWindowHandle) return ContinueDefault;
  switch (message) {
    case WM_POWERBROADCAST:
      if (wParam == PBT_APMRESUMEAUTOMATIC) PostMessageA(window, kResumedMessage, 0, 0);
      break;
    case WM_DISPLAYCHANGE:
      PostMessageA(window, kDisplayChangedMessage, 0, 0);
      break;
    case kResumedMessage:
      OnResumed();
      break;
    case kDisplayChangedMessage:
      BringMainWindowBackOnScreen();
      break;
    default:
      break;
  }
  return ContinueDefault;
}
