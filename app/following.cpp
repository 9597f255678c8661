#include "app/following.h"

#include <windows.h>

#include <atomic>

#include "app/application.h"
#include "app/application_state.h"
#include "app/cloud_drift.h"
#include "app/widget_layout.h"
#include "services/widget_numbers.h"
#include "services/widget_scale.h"
#include "services/windows.h"

namespace {

int MainLeft() {
  return WindowLeft(kMainWindow);
}
int MainTop() {
  return WindowTop(kMainWindow);
}
void PlaceAt(int window, int x, int y) {
  PlaceWindow(window, x, y, KeepValue, KeepValue);
}

// Set once the follow hook has placed the windows: clouds then keep their
// follow rows (cloud 65 drops from its opening row to its follow row).
std::atomic<bool> followersPlaced{false};

int CloudRow(int window) {
  return followersPlaced ? FollowerRow(window) : CloudOpeningRow(window);
}
void PollOnce() {
  PollEvent();
}
void Hide(int window) {
  SetWindowHidden(window, 1);
}

const FollowOps kFollowOps = {MainLeft, MainTop, PlaceAt};
const CloudDriftOps kCloudOps = {MainLeft, MainTop, CloudRow, PlaceAt, PollOnce, Delay, Hide};

// One procedure per run: a thread's value is always 0.
template <int Run>
int CloudDrift(int) {
  RunCloudDrift(kCloudRuns[Run], kCloudOps);
  return 0;
}

const ThreadProcedure kCloudDrifts[kCloudRunCount] = {CloudDrift<0>, CloudDrift<1>, CloudDrift<2>,
                                                      CloudDrift<3>, CloudDrift<4>};

// Older headers lack the per-monitor messages.
const UINT kDpiChanged = 0x02E0;        // WM_DPICHANGED
const UINT kGetDpiScaledSize = 0x02E4;  // WM_GETDPISCALEDSIZE

// A scale change met during the user's drag waits for its end: rebuilding
// every window under the pointer would fight the system's move loop.
bool moving = false;
int pendingDpi = 0;

void TakePendingScale() {
  const int dpi = pendingDpi;
  pendingDpi = 0;
  if (dpi > 0) RescaleWidget(dpi);
}

// The main window's size at another DPI, from its size at the current one.
LRESULT AnswerScaledSize(WPARAM wParam, LPARAM lParam) {
  SIZE* size = reinterpret_cast<SIZE*>(lParam);
  const int dpi = LOWORD(wParam);
  if (!size || dpi <= 0) return FALSE;
  RECT r{};
  GetWindowRect(Application.mainWindowHandle, &r);
  size->cx = MulDiv(r.right - r.left, dpi, WidgetDpi());
  size->cy = MulDiv(r.bottom - r.top, dpi, WidgetDpi());
  return TRUE;
}

// The suggested rectangle of WM_DPICHANGED goes unused: the widget keeps
// the main window's top left and sizes every window by its pictures.
LRESULT OnMainWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_MOVE:
      followersPlaced = true;
      PlaceFollowers(kFollowOps);
      break;
    case WM_ENTERSIZEMOVE:
      moving = true;
      break;
    case WM_EXITSIZEMOVE:
      moving = false;
      TakePendingScale();
      break;
    case kDpiChanged:
      pendingDpi = LOWORD(wParam);
      if (!moving) TakePendingScale();
      return 0;
    case kGetDpiScaledSize:
      return AnswerScaledSize(wParam, lParam);
  }
  return ContinueDefault;
}

}  // namespace

LRESULT FollowMainWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // The clouds' own moves come here too; only the main window's count.
  if (window == nullptr || window != Application.mainWindowHandle) return ContinueDefault;
  return OnMainWindowMessage(message, wParam, lParam);
}

void PlaceAllFollowers() {
  PlaceFollowers(kFollowOps);
}

void StartCloudDrifts() {
  for (ThreadProcedure drift : kCloudDrifts) StartThread(drift, 0);
}
