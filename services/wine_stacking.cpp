// An owned window must stay above its owner, also through owners of owners.
// Wine keeps that in its own Z order, but its X11 driver raises a top-level
// window on the X display whenever it takes the focus, and otherwise
// restacks one there only when it becomes the topmost visible window. So an
// activated owner covered what it owns (the clock overlay went behind the
// left flip plate). After a numbered window has taken the focus, the visible
// windows of its tree above it are raised again there, bottom first, owners
// before what they own, otherwise in the order they already have. Windows
// keeps the order itself: nothing of this runs there.
#include <windows.h>

#include <algorithm>
#include <vector>

#include "services/wine_stacking.h"

namespace {

const UINT kRestackFlags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER;

bool RunningUnderWine() {
  static const bool wine = [] {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
  }();
  return wine;
}

HWND RootOwner(HWND window) {
  while (HWND owner = GetWindow(window, GW_OWNER)) window = owner;
  return window;
}

bool Holds(const std::vector<HWND>& list, HWND window) {
  return std::find(list.begin(), list.end(), window) != list.end();
}

// The visible windows of the tree (topmost-band windows aside), topmost
// first.
std::vector<HWND> VisibleTree(HWND root) {
  std::vector<HWND> tree;
  for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT))
    if (IsWindowVisible(w) && !(GetWindowLongPtrA(w, GWL_EXSTYLE) & WS_EX_TOPMOST) &&
        RootOwner(w) == root)
      tree.push_back(w);
  return tree;
}

// Bottom first, every window after its owner, otherwise in the tree's order.
std::vector<HWND> RaiseOrder(const std::vector<HWND>& tree) {
  std::vector<HWND> order;
  for (size_t pass = 0; pass < tree.size() && order.size() < tree.size(); ++pass)
    for (auto it = tree.rbegin(); it != tree.rend(); ++it) {
      const HWND owner = GetWindow(*it, GW_OWNER);
      if (!Holds(order, *it) && (!Holds(tree, owner) || Holds(order, owner))) order.push_back(*it);
    }
  return order;
}

// Wine puts a raised owner below the windows it owns that lie above it, and
// then does not restack it on the display; those of the tree go just below it
// first (the raise order lifts them again after it).
void RaiseOnDisplay(HWND window, const std::vector<HWND>& tree) {
  std::vector<HWND> owned;
  for (HWND w = GetWindow(window, GW_HWNDPREV); w; w = GetWindow(w, GW_HWNDPREV))
    if (GetWindow(w, GW_OWNER) == window && Holds(tree, w)) owned.push_back(w);
  for (HWND w : owned) SetWindowPos(w, window, 0, 0, 0, 0, kRestackFlags);
  SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, kRestackFlags);
}

// The windows that took the focus since this thread last waited. A refresh
// activates a dozen windows; the display is put right once, when the thread
// waits again or has handled a message.
thread_local std::vector<HWND> focusedWindows;

bool OwnedByAny(HWND window, const std::vector<HWND>& owners) {
  while ((window = GetWindow(window, GW_OWNER)))
    if (Holds(owners, window)) return true;
  return false;
}

// Each focused window went to the top of the display. What must be above it
// is raised there again: the windows of its tree that Wine keeps above the
// lowest focused one, and what the focused windows own (Wine may have put an
// activated owner above those too). Only while the tree holds the foreground
// window: a tree behind another program's window is left alone.
void RestackAboveFocused(HWND root, const std::vector<HWND>& focused) {
  const HWND foreground = GetForegroundWindow();
  if (!foreground || RootOwner(foreground) != root) return;
  const std::vector<HWND> tree = VisibleTree(root);
  size_t lowest = 0;
  for (size_t i = 0; i < tree.size(); ++i)
    if (Holds(focused, tree[i])) lowest = i;
  std::vector<HWND> above;
  for (size_t i = 0; i < tree.size(); ++i)
    if (i < lowest || OwnedByAny(tree[i], focused)) above.push_back(tree[i]);
  for (HWND w : RaiseOrder(above)) RaiseOnDisplay(w, above);
}

}  // namespace

void NoteFocus(HWND window) {
  if (RunningUnderWine() && !Holds(focusedWindows, window)) focusedWindows.push_back(window);
}

void RestackFocusedTrees() {
  if (focusedWindows.empty()) return;
  std::vector<HWND> focused;
  focused.swap(focusedWindows);
  std::vector<HWND> roots;
  for (HWND window : focused)
    if (IsWindow(window) && !Holds(roots, RootOwner(window))) roots.push_back(RootOwner(window));
  for (HWND root : roots) RestackAboveFocused(root, focused);
}
