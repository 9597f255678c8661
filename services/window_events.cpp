// The common window procedure that turns the messages of numbered windows
// into events, and the per-thread wait that hands them out.
#include <windows.h>

#include "services/event_queue.h"
#include "services/window_events.h"
#include "services/window_table.h"
#include "services/wine_stacking.h"

namespace {

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
// Each thread's hook sees the messages of that thread's windows.
thread_local WindowHook windowHook = nullptr;
ControlReportHandler controlReportHandler = nullptr;
TaskbarRestartHandler taskbarRestartHandler = nullptr;

UINT TaskbarCreatedMessage() {
  static const UINT message = RegisterWindowMessageA("TaskbarCreated");
  return message;
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
  const HBRUSH brush = WindowBackgroundBrush(number);
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

void TakeSnapshot() {
  snapshot.id = record.id;
  snapshot.window = record.window;
  snapshot.type = record.type;
  snapshot.pending = record.pending;
  snapshot.wParam = record.wParam;
  snapshot.lParam = record.lParam;
}

bool IsKeyMessage(UINT message) {
  return message >= WM_KEYFIRST && message <= WM_KEYLAST;
}

// Only keys can be accelerators: any other message skips the two server
// round trips of asking for the active window's table.
void DispatchOne(MSG& message) {
  if (IsKeyMessage(message.message)) {
    HWND active = GetActiveWindow();
    HACCEL accelerators = active ? WindowAccelerators(active) : nullptr;
    if (accelerators && TranslateAcceleratorA(active, accelerators, &message)) return;
  }
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

}  // namespace

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

void SetWindowHook(WindowHook hook) {
  windowHook = hook;
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
