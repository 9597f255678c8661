// The numbered window table, the window class of each number, and the
// window operations by number.
#include <windows.h>

#include <cstdio>
#include <vector>

#include "services/critical_section.h"
#include "services/dpi_lookup.h"
#include "services/slot_table.h"
#include "services/window_events.h"
#include "services/window_table.h"
#include "services/widget_scale.h"

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
CriticalSection tableLock;

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

thread_local HWND currentParent = nullptr;

HWND HandleOf(int number) {
  Guard guard(tableLock);
  const WindowSlot* slot = windows.Find(number);
  return slot ? slot->handle : nullptr;
}

int NumberProperty(HWND window) {
  HANDLE value = GetPropA(window, kNumberProperty);
  return value ? static_cast<int>(reinterpret_cast<INT_PTR>(value)) - 1 : -1;
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
  // The group's own small image, loaded once: without it Wine scales the
  // large one down again for every window it opens.
  windowClass.hIconSm = static_cast<HICON>(
      LoadImageA(instance, MAKEINTRESOURCEA(1), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                 GetSystemMetrics(SM_CYSMICON), LR_SHARED));
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

}  // namespace

// A numbered window is found in the table, without the server round trip
// of reading its property; its children walk up by property.
int NumberOfWindow(HWND window) {
  if (!window) return -1;
  {
    Guard guard(tableLock);
    int found = -1;
    windows.ForEach([&](int number, WindowSlot& slot) {
      if (slot.handle == window) found = number;
    });
    if (found >= 0) return found;
  }
  while (window) {
    int number = NumberProperty(window);
    if (number >= 0) return number;
    if (!(GetWindowLongPtrA(window, GWL_STYLE) & WS_CHILD)) break;
    window = GetParent(window);
  }
  return -1;
}

bool ExchangeMinMaxSeen(int number, bool seen) {
  Guard guard(tableLock);
  WindowSlot* slot = windows.Find(number);
  if (!slot) return false;
  bool was = slot->minMaxSeen;
  slot->minMaxSeen = seen;
  return was;
}

HBRUSH WindowBackgroundBrush(int number) {
  Guard guard(tableLock);
  const WindowSlot* slot = windows.Find(number);
  return slot ? slot->backgroundBrush : nullptr;
}

HACCEL WindowAccelerators(HWND window) {
  int number = NumberProperty(window);
  Guard guard(tableLock);
  const WindowSlot* slot = windows.Find(number);
  return slot ? slot->accelerators : nullptr;
}

// The slot stays until CloseWindowSlot so that the class, brush and accelerators are freed.
void ForgetDestroyedWindow(HWND window, int number) {
  RemovePropA(window, kNumberProperty);
  if (currentParent == window) currentParent = nullptr;
  Guard guard(tableLock);
  WindowSlot* slot = windows.Find(number);
  if (slot && slot->handle == window) slot->handle = nullptr;
}

bool OpenWindowSlot(int number, int x, int y, int width, int height, const char* title,
                    unsigned flags, HWND owner) {
  if (number < 0) return false;
  CloseWindowSlot(number);
  if (!RegisterWindowClass(number)) return false;
  WindowShape shape = ShapeFromFlags(flags);
  RECT outer = {0, 0, width, height};
  // The frame of the widget's scale: on a per-monitor screen it need not be the system's.
  AdjustWindowRectForDpi(&outer, shape.style, shape.exStyle, WidgetDpi());
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
    Guard guard(tableLock);
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
    // A hidden window stays as it is: activating its owner would only move
    // the focus, and under Wine every move of the focus restacks a tree.
    if (!(GetWindowLongPtrA(window, GWL_STYLE) & WS_VISIBLE)) return;
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
    Guard guard(tableLock);
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
    Guard guard(tableLock);
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
    Guard guard(tableLock);
    windows.ForEach([&](int number, WindowSlot&) { numbers.push_back(number); });
  }
  for (int number : numbers) CloseWindowSlot(number);
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
