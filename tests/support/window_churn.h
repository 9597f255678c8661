#pragma once
// The window churn of one panel update done with bare Win32 calls and none
// of the widget's code: the six main windows shown again, and four layered
// popups closed, re-created, presented and shown or hidden, with the owner
// activations that hiding brings. Under Wine every shown and activated window
// costs the process some memory that is never given back; measuring this
// churn beside the real refresh tells that cost apart from a leak of ours.

#include <windows.h>

class WindowChurn {
 public:
  // The owners of the day/night icons and of the small icons.
  WindowChurn(HWND iconOwner, HWND smallIconOwner);
  ~WindowChurn();
  WindowChurn(const WindowChurn&) = delete;
  WindowChurn& operator=(const WindowChurn&) = delete;

  void Round();
  // Private bytes that `rounds` rounds add after a first one.
  long long PrivateBytesOf(int rounds);

 private:
  HWND owners_[4];
  HWND windows_[4] = {};
};
