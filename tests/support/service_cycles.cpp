#include <windows.h>

#include "services/widget_numbers.h"
#include "services/controls.h"
#include "services/tray.h"
#include "services/windows.h"
#include "tests/support/service_cycles.h"

bool WindowWithControlsRound(HBITMAP image) {
  const int key = MakeColour(126, 109, 99);
  if (!OpenWindowSlot(kCityWindow, 10, 10, 200, 400, "Города", WS_POPUP | CreateHidden, nullptr))
    return false;
  SetWindowBackground(kCityWindow, key);
  bool made = CreateTextControl(kTownText, 10, 105, 100, 20, "Москва") &&
              CreateTextControl(kSkyText, 10, 126, 150, 15, "ясно") &&
              CreateImageControl(kFirstDigitImageControl, 36, 2, 48, 83, image) &&
              CreateListControl(kCityList, 5, 5, 190, 390);
  SetControlColour(kTownText, 1, MakeColour(255, 255, 255));
  SetControlColour(kTownText, 2, key);
  SetControlColour(kSkyText, 2, key);
  for (int i = 0; i < 5; ++i) AddListItem(kCityList, -1, "27612 Москва");
  CloseWindowSlot(kCityWindow);
  return made;
}

bool TrayIconRound(HWND window, HANDLE image, int number) {
  bool added = AddTrayIcon(number, window, image);
  RemoveTrayIcon(number);
  return added;
}

namespace {

const UINT kWakeUp = WM_APP + 9;

int WakeAfter(int milliseconds) {
  Delay(milliseconds);
  PostMessageA(WindowHandle(kMainWindow), kWakeUp, 0, 0);
  return 0;
}

}  // namespace

IdleWait WaitEventWhileIdle(int milliseconds) {
  IdleWait wait;
  const double before = ThreadCpuMilliseconds();
  const DWORD start = GetTickCount();
  if (!StartThread(WakeAfter, milliseconds)) return wait;
  while (WaitEvent() != static_cast<int>(kWakeUp)) ++wait.otherEvents;
  wait.cpuMilliseconds = ThreadCpuMilliseconds() - before;
  wait.elapsedMilliseconds = GetTickCount() - start;
  return wait;
}

double ThreadCpuMilliseconds() {
  FILETIME created, ended, kernel, user;
  if (!GetThreadTimes(GetCurrentThread(), &created, &ended, &kernel, &user)) return -1;
  ULARGE_INTEGER k, u;
  k.LowPart = kernel.dwLowDateTime;
  k.HighPart = kernel.dwHighDateTime;
  u.LowPart = user.dwLowDateTime;
  u.HighPart = user.dwHighDateTime;
  return static_cast<double>(k.QuadPart + u.QuadPart) / 10000.0;
}
