// Numbered windows, the common window procedure that turns their messages
// into events, the per-thread wait, window timers and worker threads.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <new>
#include <vector>

#include "services/event_queue.h"
#include "services/slot_table.h"
#include "services/windows.h"

namespace {

// Who may touch the window table:
// - The main thread opens and closes windows and writes the slots.
// - Worker threads read slot handles by number (WindowLeft, PlaceWindow,
//   SetWindowHidden) while the main thread may be opening or closing.
// Every access to the table therefore holds tableLock, for as short as
// possible: a record is read or written and the handle copied out, and the
// lock is left BEFORE any USER32 call that can send a message. A worker's
// SetWindowPos on a main-thread window waits until the main thread handles
// it; if the worker held the lock meanwhile and the main thread's window
// procedure wanted it, both would wait for ever. A handle copied out may die
// before it is used; USER32 then fails the call on the stale handle, which is
// the "number holds nothing" answer anyway.
CRITICAL_SECTION tableLock;
// The list of started threads has a lock of its own.
CRITICAL_SECTION threadLock;

struct LockSetup {
  LockSetup() {
    InitializeCriticalSection(&tableLock);
    InitializeCriticalSection(&threadLock);
  }
} lockSetup;

struct Guard {
  explicit Guard(CRITICAL_SECTION* lock) : lock_(lock) { EnterCriticalSection(lock_); }
  ~Guard() { LeaveCriticalSection(lock_); }
  Guard(const Guard&) = delete;
  Guard& operator=(const Guard&) = delete;

 private:
  CRITICAL_SECTION* lock_;
};

// Messages of a numbered window and of its children are traced back to the
// number by this property, holding number + 1.
const char kNumberProperty[] = "NimbrelWindowNumber";

struct WindowSlot {
  int number = -1;
  HWND handle = nullptr;  // 0 once the window has been destroyed
  int background = DefaultColour;
  HBRUSH backgroundBrush = nullptr;
  HACCEL accelerators = nullptr;
  bool minMaxSeen = false;
};

void ClassNameOf(int number, char (&name)[32]) {
  std::snprintf(name, sizeof name, "WindowClass_%d", number);
}

// Runs outside tableLock: destroying sends messages.
void ReleaseWindowSlot(WindowSlot& slot) {
  if (slot.handle && IsWindow(slot.handle)) {
    if (HWND owner = GetWindow(slot.handle, GW_OWNER)) SetActiveWindow(owner);
    DestroyWindow(slot.handle);
  }
  char name[32];
  ClassNameOf(slot.number, name);
  UnregisterClassA(name, GetModuleHandleA(nullptr));
  if (slot.accelerators) DestroyAcceleratorTable(slot.accelerators);
  if (slot.backgroundBrush) DeleteObject(slot.backgroundBrush);
}

SlotTable<WindowSlot, ReleaseWindowSlot, 16> windows;

// What a thread's waits have seen. Queue, pending event and fields belong to
// the thread that waits; the window procedures of that thread's windows run
// on it, so they write the same record.
struct EventRecord {
  int id = 0;
  int window = -1;
  int type = -1;
  int pending = 0;
  int pendingType = -1;  // the subtype set together with pending
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  EventQueue queue;
};

// The fields as the last wait returned them: what the accessors answer.
struct EventSnapshot {
  int id = 0;
  int window = -1;
  int type = -1;
  int pending = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
};

thread_local EventRecord record;
thread_local EventSnapshot snapshot;
thread_local HWND currentParent = nullptr;
// Each thread's hook sees the messages of that thread's windows.
thread_local WindowHook windowHook = nullptr;
ControlReportHandler controlReportHandler = nullptr;
TaskbarRestartHandler taskbarRestartHandler = nullptr;

UINT TaskbarCreatedMessage() {
  static const UINT message = RegisterWindowMessageA("TaskbarCreated");
  return message;
}

HWND HandleOf(int number) {
  Guard guard(&tableLock);
  const WindowSlot* slot = windows.Find(number);
  return slot ? slot->handle : nullptr;
}

int NumberProperty(HWND window) {
  HANDLE value = GetPropA(window, kNumberProperty);
  return value ? static_cast<int>(reinterpret_cast<INT_PTR>(value)) - 1 : -1;
}

// Walks from a window up through its parents (not owners) to the first
// numbered one.
int NumberOfWindow(HWND window) {
  while (window) {
    int number = NumberProperty(window);
    if (number >= 0) return number;
    if (!(GetWindowLongPtrA(window, GWL_STYLE) & WS_CHILD)) break;
    window = GetParent(window);
  }
  return -1;
}

void Queue(int event, int window) {
  if (window >= 0) PushEvent(record.queue, event, window);
}

void SetPending(int event, int id, int type) {
  record.pending = event;
  record.id = id;
  record.type = type;
  record.pendingType = type;
}

// Sets or clears minMaxSeen and answers what it was.
bool ExchangeMinMaxSeen(int number, bool seen) {
  Guard guard(&tableLock);
  WindowSlot* slot = windows.Find(number);
  if (!slot) return false;
  bool was = slot->minMaxSeen;
  slot->minMaxSeen = seen;
  return was;
}

void OnSize(int number, WPARAM kind) {
  if (number < 0) return;
  switch (kind) {
    case SIZE_MINIMIZED:
      ExchangeMinMaxSeen(number, true);
      Queue(EventMinimize, number);
      break;
    case SIZE_MAXIMIZED:
      ExchangeMinMaxSeen(number, true);
      Queue(EventMaximize, number);
      Queue(EventSizeWindow, number);
      break;
    case SIZE_RESTORED:
      if (ExchangeMinMaxSeen(number, false)) Queue(EventRestore, number);
      Queue(EventSizeWindow, number);
      break;
    default:
      Queue(EventSizeWindow, number);
  }
}

bool OnEraseBackground(HWND window, int number, HDC dc) {
  Queue(EventRepaint, number);
  HBRUSH brush = nullptr;
  {
    Guard guard(&tableLock);
    if (const WindowSlot* slot = windows.Find(number)) brush = slot->backgroundBrush;
  }
  if (!brush) return false;
  RECT client;
  GetClientRect(window, &client);
  FillRect(dc, &client, brush);
  return true;
}

// Tab and Shift+Tab: the next or previous enabled, visible tab stop among the
// active window's children, wrapping around.
void MoveFocus(bool previous) {
  HWND active = GetActiveWindow();
  if (!active) return;
  HWND focus = GetFocus();
  if (focus && !IsChild(active, focus)) focus = nullptr;
  if (HWND next = GetNextDlgTabItem(active, focus, previous ? TRUE : FALSE)) SetFocus(next);
}

void OnCommand(HWND window, WPARAM wParam, LPARAM lParam) {
  if (lParam) {
    LRESULT answer = 0;
    if (controlReportHandler && controlReportHandler(window, WM_COMMAND, wParam, lParam, &answer))
      return;
    SetPending(EventControl, GetDlgCtrlID(reinterpret_cast<HWND>(lParam)), HIWORD(wParam));
    return;
  }
  int command = LOWORD(wParam);
  if (HIWORD(wParam) == 1 && (command == NextControlCommand || command == PreviousControlCommand)) {
    MoveFocus(command == PreviousControlCommand);
    return;
  }
  record.pending = EventMenu;
  record.pendingType = -1;
  record.id = command;
}

void OnTrayEvent(WPARAM wParam, LPARAM lParam) {
  int type;
  switch (LOWORD(lParam)) {
    case WM_LBUTTONDOWN:
      type = TrayLeftPress;
      break;
    case WM_RBUTTONDOWN:
      type = TrayRightPress;
      break;
    case WM_LBUTTONDBLCLK:
      type = TrayLeftDoubleClick;
      break;
    case WM_RBUTTONDBLCLK:
      type = TrayRightDoubleClick;
      break;
    default:
      return;  // moves and releases: the wait returns the message itself
  }
  SetPending(EventTray, static_cast<int>(wParam), type);
}

bool OfferToControl(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* answer) {
  return controlReportHandler && controlReportHandler(window, message, wParam, lParam, answer);
}

// The window is going: its number no longer leads to it. The slot stays
// until CloseWindowSlot so that the class, brush and accelerators are freed.
void ForgetDestroyedWindow(HWND window, int number) {
  RemovePropA(window, kNumberProperty);
  if (currentParent == window) currentParent = nullptr;
  Guard guard(&tableLock);
  WindowSlot* slot = windows.Find(number);
  if (slot && slot->handle == window) slot->handle = nullptr;
}

// --- Stacking under Wine ------------------------------------------------------
//
// An owned window must stay above its owner, also through owners of owners.
// Wine keeps that in its own Z order, but its X11 driver raises a top-level
// window on the X display whenever it takes the focus, and otherwise
// restacks one there only when it becomes the topmost visible window. So an
// activated owner covered what it owns (the clock overlay went behind the
// left flip plate). After a numbered window has taken the focus, the visible
// windows of its tree above it are raised again there, bottom first, owners
// before what they own, otherwise in the order they already have. Windows
// keeps the order itself: nothing of this runs there.

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

void NoteFocus(HWND window) {
  if (RunningUnderWine() && !Holds(focusedWindows, window)) focusedWindows.push_back(window);
}

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

void RestackFocusedTrees() {
  if (focusedWindows.empty()) return;
  std::vector<HWND> focused;
  focused.swap(focusedWindows);
  std::vector<HWND> roots;
  for (HWND window : focused)
    if (IsWindow(window) && !Holds(roots, RootOwner(window))) roots.push_back(RootOwner(window));
  for (HWND root : roots) RestackAboveFocused(root, focused);
}

LRESULT CALLBACK CommonWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  int number = NumberOfWindow(window);
  if (WindowHook hook = windowHook) {
    LRESULT result = hook(window, message, wParam, lParam);
    if (result != ContinueDefault) {
      // The bookkeeping of a window's end happens whatever the hook says.
      if (message == WM_NCDESTROY) ForgetDestroyedWindow(window, number);
      return result;
    }
  }
  record.window = number;
  LRESULT answer = 0;
  switch (message) {
    case WM_MOVE:
      Queue(EventMoveWindow, number);
      return 0;
    case WM_CLOSE:
      Queue(EventCloseWindow, number);
      return 0;
    case WM_SIZE:
      OnSize(number, wParam);
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) Queue(EventActivate, number);
      return 1;
    case WM_ERASEBKGND:
      if (OnEraseBackground(window, number, reinterpret_cast<HDC>(wParam))) return 1;
      break;
    case WM_TIMER:
      SetPending(EventTimer, static_cast<int>(wParam), -1);
      return 0;
    case WM_COMMAND:
      OnCommand(window, wParam, lParam);
      return 0;
    case TrayCallbackMessage:
      PostMessageA(window, TrayEventMessage, wParam, lParam);
      return 0;
    case TrayEventMessage:
      OnTrayEvent(wParam, lParam);
      return 0;
    case ControlEventMessage:
      SetPending(EventControl, static_cast<int>(wParam), static_cast<int>(lParam));
      return 0;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_NOTIFY:
    case WM_HSCROLL:
    case WM_VSCROLL:
      if (OfferToControl(window, message, wParam, lParam, &answer)) return answer;
      break;
    case WM_SETFOCUS:
      NoteFocus(window);
      break;
    case WM_NCDESTROY:
      ForgetDestroyedWindow(window, number);
      break;
    default:
      // Explorer came back: the tray icons of this window must be added again.
      if (message == TaskbarCreatedMessage() && taskbarRestartHandler)
        taskbarRestartHandler(window);
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// The compiler checks the calling convention here: a wrong one would build
// for x86_64 and crash on the 32-bit product.
const WNDPROC kCommonWindowProc = CommonWindowProc;

struct WindowShape {
  DWORD style = 0;
  DWORD exStyle = 0;
};

WindowShape ShapeFromFlags(unsigned flags) {
  const unsigned ownBits =
      CentreOnScreen | CentreOnOwner | ToolWindow | NotControlParent | CreateHidden;
  WindowShape shape;
  shape.style = flags & ~ownBits;
  if ((flags & ~(CentreOnScreen | CentreOnOwner | NotControlParent | CreateHidden)) == 0)
    shape.style |= WS_CAPTION;
  if (flags & ToolWindow) {
    shape.exStyle |= WS_EX_TOOLWINDOW;
    shape.style |= WS_CAPTION;
    shape.style &= ~(WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
  }
  return shape;
}

// Chooses the outer position, and for centring on the screen may shrink the
// outer size; false when no centring took place.
bool CentreWindow(unsigned flags, HWND owner, int* x, int* y, int* width, int* height) {
  if (flags & CentreOnScreen) {
    int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    if (*width > screenWidth) *width = screenWidth;
    if (*height > screenHeight) *height = screenHeight;
    *x = (screenWidth - *width) / 2;
    *y = (screenHeight - *height) / 2;
    return true;
  }
  if (flags & CentreOnOwner) {
    HWND around = owner ? owner : GetActiveWindow();
    RECT rect;
    if (!around || !GetWindowRect(around, &rect)) return false;
    *x = rect.left + (rect.right - rect.left - *width) / 2;
    *y = rect.top + (rect.bottom - rect.top - *height) / 2;
    if (*x < 0) *x = 0;
    if (*y < 0) *y = 0;
    return true;
  }
  return false;
}

HACCEL CreateTabAccelerators() {
  ACCEL keys[2] = {};
  keys[0].fVirt = FVIRTKEY;
  keys[0].key = VK_TAB;
  keys[0].cmd = NextControlCommand;
  keys[1].fVirt = FVIRTKEY | FSHIFT;
  keys[1].key = VK_TAB;
  keys[1].cmd = PreviousControlCommand;
  return CreateAcceleratorTableA(keys, 2);
}

bool RegisterWindowClass(int number) {
  char name[32];
  ClassNameOf(number, name);
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_DBLCLKS;
  windowClass.lpfnWndProc = kCommonWindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  windowClass.lpszClassName = name;
  return RegisterClassExA(&windowClass) != 0;
}

int ShowCommandFor(HWND window) {
  if (IsZoomed(window)) return SW_SHOWMAXIMIZED;
  if (IsIconic(window)) return SW_SHOWMINIMIZED;
  return SW_SHOWNORMAL;
}

void TakeSnapshot() {
  snapshot.id = record.id;
  snapshot.window = record.window;
  snapshot.type = record.type;
  snapshot.pending = record.pending;
  snapshot.wParam = record.wParam;
  snapshot.lParam = record.lParam;
}

HACCEL AcceleratorsOf(HWND window) {
  int number = NumberProperty(window);
  Guard guard(&tableLock);
  const WindowSlot* slot = windows.Find(number);
  return slot ? slot->accelerators : nullptr;
}

void DispatchOne(MSG& message) {
  HWND active = GetActiveWindow();
  HACCEL accelerators = active ? AcceleratorsOf(active) : nullptr;
  if (accelerators && TranslateAcceleratorA(active, accelerators, &message)) return;
  TranslateMessage(&message);
  DispatchMessageA(&message);
}

int WaitForEvent(bool forever) {
  RestackFocusedTrees();
  record.type = -1;
  int event;
  QueuedEvent queued;
  if (PopEvent(record.queue, &queued)) {
    event = queued.event;
    record.window = queued.window;
    record.pending = 0;
  } else {
    MSG message;
    if (forever) {
      if (GetMessageA(&message, nullptr, 0, 0) == -1) return 0;
    } else if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE | PM_NOYIELD)) {
      return 0;
    }
    DispatchOne(message);
    RestackFocusedTrees();
    if (record.pending) {
      // Also an event left by a window procedure that ran in a modal loop
      // since the last wait; it keeps the subtype it was made with.
      event = record.pending;
      record.type = record.pendingType;
      record.pending = 0;
    } else {
      event = static_cast<int>(message.message);
      record.wParam = message.wParam;
      record.lParam = message.lParam;
      // A press on a control is handled by the control's own procedure;
      // the event still belongs to the numbered window that holds it.
      if (message.hwnd) record.window = NumberOfWindow(message.hwnd);
    }
  }
  TakeSnapshot();
  return event;
}

struct ThreadStart {
  ThreadProcedure procedure;
  int value;
};

DWORD WINAPI RunThread(LPVOID parameter) {
  ThreadStart start = *static_cast<ThreadStart*>(parameter);
  delete static_cast<ThreadStart*>(parameter);
  return static_cast<DWORD>(start.procedure(start.value));
}

const LPTHREAD_START_ROUTINE kRunThread = RunThread;

struct StartedThread {
  int number;
  HANDLE handle;
};
std::vector<StartedThread> threads;
int lastThreadNumber = 0;

// Under threadLock.
void CloseEndedThreads() {
  std::vector<StartedThread> running;
  for (const StartedThread& thread : threads) {
    if (WaitForSingleObject(thread.handle, 0) == WAIT_OBJECT_0)
      CloseHandle(thread.handle);
    else
      running.push_back(thread);
  }
  threads.swap(running);
}

}  // namespace

bool OpenWindowSlot(int number, int x, int y, int width, int height, const char* title,
                    unsigned flags, HWND owner) {
  if (number < 0) return false;
  CloseWindowSlot(number);
  if (!RegisterWindowClass(number)) return false;
  WindowShape shape = ShapeFromFlags(flags);
  RECT outer = {0, 0, width, height};
  AdjustWindowRectEx(&outer, shape.style, FALSE, shape.exStyle);
  int outerWidth = outer.right - outer.left;
  int outerHeight = outer.bottom - outer.top;
  int left = x;
  int top = y;
  if (!CentreWindow(flags, owner, &left, &top, &outerWidth, &outerHeight) &&
      (x == KeepValue || y == KeepValue)) {
    left = CW_USEDEFAULT;
    top = CW_USEDEFAULT;
  }
  char name[32];
  ClassNameOf(number, name);
  HWND window =
      CreateWindowExA(shape.exStyle, name, title ? title : "", shape.style, left, top, outerWidth,
                      outerHeight, owner, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (!window) {
    UnregisterClassA(name, GetModuleHandleA(nullptr));
    return false;
  }
  SetPropA(window, kNumberProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(number + 1)));
  HACCEL accelerators = CreateTabAccelerators();
  {
    Guard guard(&tableLock);
    WindowSlot* slot = windows.Claim(number);
    slot->number = number;
    slot->handle = window;
    slot->accelerators = accelerators;
  }
  if (!(flags & CreateHidden)) {
    int show = SW_SHOWNORMAL;
    if (shape.style & WS_MAXIMIZE)
      show = SW_SHOWMAXIMIZED;
    else if (shape.style & WS_MINIMIZE)
      show = SW_SHOWMINIMIZED;
    ShowWindow(window, show);
  }
  if (!(flags & NotControlParent)) currentParent = window;
  return true;
}

HWND WindowHandle(int number) {
  return HandleOf(number);
}

int WindowLeft(int number) {
  RECT rect;
  HWND window = HandleOf(number);
  return window && GetWindowRect(window, &rect) ? rect.left : 0;
}

int WindowTop(int number) {
  RECT rect;
  HWND window = HandleOf(number);
  return window && GetWindowRect(window, &rect) ? rect.top : 0;
}

void PlaceWindow(int number, int x, int y, int width, int height) {
  HWND window = HandleOf(number);
  RECT outer, client;
  if (!window || !GetWindowRect(window, &outer) || !GetClientRect(window, &client)) return;
  // The frame is whatever the outer rectangle has beyond the client area.
  int frameWidth = (outer.right - outer.left) - client.right;
  int frameHeight = (outer.bottom - outer.top) - client.bottom;
  int left = x == KeepValue ? outer.left : x;
  int top = y == KeepValue ? outer.top : y;
  int outerWidth = width == KeepValue ? outer.right - outer.left : width + frameWidth;
  int outerHeight = height == KeepValue ? outer.bottom - outer.top : height + frameHeight;
  SetWindowPos(window, nullptr, left, top, outerWidth, outerHeight, SWP_NOACTIVATE | SWP_NOZORDER);
}

void SetWindowHidden(int number, int hidden) {
  HWND window = HandleOf(number);
  if (!window) return;
  if (hidden) {
    if (HWND owner = GetWindow(window, GW_OWNER)) SetActiveWindow(owner);
    ShowWindow(window, SW_HIDE);
  } else {
    ShowWindow(window, ShowCommandFor(window));
  }
}

void SetWindowBackground(int number, int colour) {
  HWND window = nullptr;
  HBRUSH old = nullptr;
  {
    Guard guard(&tableLock);
    WindowSlot* slot = windows.Find(number);
    if (!slot || slot->background == colour) return;
    old = slot->backgroundBrush;
    slot->background = colour;
    slot->backgroundBrush =
        colour == DefaultColour ? nullptr : CreateSolidBrush(static_cast<COLORREF>(colour));
    window = slot->handle;
  }
  if (old) DeleteObject(old);
  if (window)
    RedrawWindow(window, nullptr, nullptr, RDW_ERASE | RDW_INTERNALPAINT | RDW_INVALIDATE);
}

void SetWindowTitleText(int number, const char* text) {
  HWND window = HandleOf(number);
  if (window && text) SetWindowTextA(window, text);
}

void CloseWindowSlot(int number) {
  WindowSlot slot;
  {
    Guard guard(&tableLock);
    WindowSlot* held = windows.Find(number);
    if (!held) return;
    slot = *held;
    windows.Forget(number);
  }
  if (currentParent && currentParent == slot.handle) currentParent = nullptr;
  ReleaseWindowSlot(slot);
}

void CloseAllWindowSlots() {
  std::vector<int> numbers;
  {
    Guard guard(&tableLock);
    windows.ForEach([&](int number, WindowSlot&) { numbers.push_back(number); });
  }
  for (int number : numbers) CloseWindowSlot(number);
}

void SetWindowHook(WindowHook hook) {
  windowHook = hook;
}

bool StartWindowTimer(int number, int timer, int milliseconds) {
  HWND window = HandleOf(number);
  if (!window) return false;
  return SetTimer(window, static_cast<UINT_PTR>(timer), static_cast<UINT>(milliseconds), nullptr) !=
         0;
}

HWND CurrentParentWindow() {
  return currentParent;
}

int WaitEvent() {
  return WaitForEvent(true);
}
int PollEvent() {
  return WaitForEvent(false);
}
int EventWindowNumber() {
  return snapshot.window;
}
int EventSubtype() {
  return snapshot.type;
}
int EventId() {
  return snapshot.id;
}

void SetControlReportHandler(ControlReportHandler handler) {
  controlReportHandler = handler;
}
void SetTaskbarRestartHandler(TaskbarRestartHandler handler) {
  taskbarRestartHandler = handler;
}

int StartThread(ThreadProcedure procedure, int value) {
  if (!procedure) return 0;
  ThreadStart* start = new (std::nothrow) ThreadStart{procedure, value};
  if (!start) return 0;
  DWORD threadId = 0;
  HANDLE handle = CreateThread(nullptr, 4096, kRunThread, start, 0, &threadId);
  if (!handle) {
    delete start;
    return 0;
  }
  Guard guard(&threadLock);
  CloseEndedThreads();
  threads.push_back(StartedThread{++lastThreadNumber, handle});
  return lastThreadNumber;
}

void ReleaseThreadHandles() {
  Guard guard(&threadLock);
  for (const StartedThread& thread : threads) CloseHandle(thread.handle);
  threads.clear();
}

void Delay(int milliseconds) {
  Sleep(milliseconds < 0 ? 0 : static_cast<DWORD>(milliseconds));
}
