#include "app/following.h"

#include <windows.h>

#include <atomic>

#include "app/application_state.h"
#include "app/cloud_drift.h"
#include "app/widget_layout.h"
#include "services/widget_numbers.h"
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

}  // namespace

LRESULT FollowMainWindow(HWND window, UINT message, WPARAM, LPARAM) {
  // The clouds' own moves come here too; only the main window's move counts.
  if (message == WM_MOVE && window != nullptr && window == Application.mainWindowHandle) {
    followersPlaced = true;
    PlaceFollowers(kFollowOps);
  }
  return ContinueDefault;
}

void StartCloudDrifts() {
  for (ThreadProcedure drift : kCloudDrifts) StartThread(drift, 0);
}
