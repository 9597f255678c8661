// Numbered child controls, their replaced procedures and the background
// brushes they share.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "services/controls.h"
#include "services/slot_table.h"
#include "services/windows.h"

namespace {

enum ControlKind { TextControl, ImageControl, ListControl };

// Not the window number's property: a control's messages must still lead to
// the number of the window that holds it.
const char kNumberProperty[] = "NimbrelControlNumber";
const char kPreviousProperty[] = "NimbrelControlProcedure";

const DWORD kTextStyle = WS_CHILD | WS_VISIBLE | WS_GROUP;
const DWORD kImageStyle = WS_CHILD | WS_VISIBLE | SS_NOTIFY;
const DWORD kListStyle = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | WS_GROUP | WS_TABSTOP |
                         LBS_NOINTEGRALHEIGHT | LBS_HASSTRINGS | LBS_NOTIFY;
static_assert(kTextStyle == 0x50020000, "text control style");
static_assert(kImageStyle == 0x50000100, "image control style");
static_assert(kListStyle == 0x50330141, "list control style");

struct ControlSlot {
  HWND handle = nullptr;  // 0 once the control has been destroyed
  ControlKind kind = TextControl;
  WNDPROC previousProcedure = nullptr;
  int textColour = DefaultColour;
  int backColour = DefaultColour;
  HBRUSH backBrush = nullptr;
  HANDLE image = nullptr;
  int reportedSelection = -1;  // a list's selection when it was last reported
  bool pressed = false;        // left button went down on it; watching for a drag
  POINT pressPoint = {0, 0};
};

// Background brushes, one per colour, shared by every control that uses the
// colour and deleted with the last of them.
struct SharedBrush {
  int colour;
  HBRUSH brush;
  int users;
};
std::vector<SharedBrush> brushes;
CRITICAL_SECTION brushLock;
struct BrushLockSetup {
  BrushLockSetup() { InitializeCriticalSection(&brushLock); }
} brushLockSetup;

struct BrushGuard {
  BrushGuard() { EnterCriticalSection(&brushLock); }
  ~BrushGuard() { LeaveCriticalSection(&brushLock); }
  BrushGuard(const BrushGuard&) = delete;
  BrushGuard& operator=(const BrushGuard&) = delete;
};

HBRUSH AcquireBrush(int colour) {
  BrushGuard guard;
  for (SharedBrush& shared : brushes) {
    if (shared.colour == colour) {
      ++shared.users;
      return shared.brush;
    }
  }
  HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(colour));
  if (brush) brushes.push_back(SharedBrush{colour, brush, 1});
  return brush;
}

void ReleaseBrush(int colour) {
  BrushGuard guard;
  for (size_t i = 0; i < brushes.size(); ++i) {
    if (brushes[i].colour != colour) continue;
    if (--brushes[i].users == 0) {
      DeleteObject(brushes[i].brush);
      brushes.erase(brushes.begin() + static_cast<long>(i));
    }
    return;
  }
}

void ReleaseControl(ControlSlot& slot) {
  if (slot.backBrush) ReleaseBrush(slot.backColour);
  slot.backBrush = nullptr;
  if (slot.handle && IsWindow(slot.handle)) DestroyWindow(slot.handle);
}

SlotTable<ControlSlot, ReleaseControl, 50> controls;

int ControlNumberOf(HWND control) {
  HANDLE value = GetPropA(control, kNumberProperty);
  return value ? static_cast<int>(reinterpret_cast<INT_PTR>(value)) - 1 : -1;
}

// The slot of a living control by its handle; nullptr for anything else.
ControlSlot* SlotOfHandle(HWND control) {
  ControlSlot* slot = controls.Find(ControlNumberOf(control));
  return slot && slot->handle == control ? slot : nullptr;
}

HWND HandleOf(int number) {
  const ControlSlot* slot = controls.Find(number);
  return slot ? slot->handle : nullptr;
}

const ControlSlot* ListSlot(int number) {
  const ControlSlot* slot = controls.Find(number);
  return slot && slot->handle && slot->kind == ListControl ? slot : nullptr;
}

bool ImageSize(HANDLE image, int* width, int* height) {
  if (GetObjectType(image) == OBJ_BITMAP) {
    BITMAP bitmap;
    if (!GetObjectA(image, sizeof bitmap, &bitmap)) return false;
    *width = bitmap.bmWidth;
    *height = bitmap.bmHeight < 0 ? -bitmap.bmHeight : bitmap.bmHeight;
    return true;
  }
  ICONINFO info;
  if (!GetIconInfo(static_cast<HICON>(image), &info)) return false;
  BITMAP bitmap;
  bool known = false;
  if (info.hbmColor && GetObjectA(info.hbmColor, sizeof bitmap, &bitmap)) {
    *width = bitmap.bmWidth;
    *height = bitmap.bmHeight;
    known = true;
  } else if (info.hbmMask && GetObjectA(info.hbmMask, sizeof bitmap, &bitmap)) {
    *width = bitmap.bmWidth;
    *height = bitmap.bmHeight / 2;  // a monochrome icon stacks mask and image
    known = true;
  }
  // GetIconInfo hands out copies that are ours to delete.
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  return known;
}

void PaintImage(HWND control, HANDLE image) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(control, &paint);
  if (GetObjectType(image) == OBJ_BITMAP) {
    int width = 0, height = 0;
    ImageSize(image, &width, &height);
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, image);
    BitBlt(dc, 0, 0, width, height, source, 0, 0, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
  } else {
    DrawIconEx(dc, 0, 0, static_cast<HICON>(image), 0, 0, 0, nullptr, DI_NORMAL);
  }
  EndPaint(control, &paint);
}

HANDLE SetImage(HWND control, ControlSlot* slot, HANDLE image) {
  HANDLE old = slot->image;
  slot->image = image;
  int width, height;
  if (image && ImageSize(image, &width, &height))
    SetWindowPos(control, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(control, nullptr, TRUE);
  return old;
}

// A left press that moves further than the system's drag distance becomes a
// drag event for the window.
void WatchForDrag(HWND control, ControlSlot* slot, int number, UINT message, WPARAM wParam,
                  LPARAM lParam) {
  POINT at = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  switch (message) {
    case WM_LBUTTONDOWN:
      slot->pressed = true;
      slot->pressPoint = at;
      SetCapture(control);
      break;
    case WM_MOUSEMOVE:
      if (!slot->pressed) break;
      if (!(wParam & MK_LBUTTON)) {
        slot->pressed = false;
        break;
      }
      if (std::abs(at.x - slot->pressPoint.x) > GetSystemMetrics(SM_CXDRAG) ||
          std::abs(at.y - slot->pressPoint.y) > GetSystemMetrics(SM_CYDRAG)) {
        slot->pressed = false;
        ReleaseCapture();
        PostMessageA(GetParent(control), ControlEventMessage, static_cast<WPARAM>(number),
                     ControlDragged);
      }
      break;
    case WM_LBUTTONUP:
      slot->pressed = false;
      if (GetCapture() == control) ReleaseCapture();
      break;
  }
}

// An empty cell is a place, not a picture: whatever lies beneath shows.
void PaintNothing(HWND control) {
  PAINTSTRUCT paint;
  BeginPaint(control, &paint);
  EndPaint(control, &paint);
}

LRESULT CALLBACK ControlProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  WNDPROC previous = reinterpret_cast<WNDPROC>(GetPropA(control, kPreviousProperty));
  int number = ControlNumberOf(control);
  ControlSlot* slot = SlotOfHandle(control);
  if (message == WM_NCDESTROY) {
    RemovePropA(control, kNumberProperty);
    RemovePropA(control, kPreviousProperty);
    SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    if (slot) {
      slot->handle = nullptr;  // already going: only the number and brush remain
      controls.Free(number);
    }
    return previous ? CallWindowProcA(previous, control, message, wParam, lParam) : 0;
  }
  if (!previous) return DefWindowProcA(control, message, wParam, lParam);
  if (!slot) return CallWindowProcA(previous, control, message, wParam, lParam);
  if (slot->kind == ImageControl) {
    switch (message) {
      case WM_PAINT:
        if (slot->image)
          PaintImage(control, slot->image);
        else
          PaintNothing(control);
        return 0;
      case WM_ERASEBKGND:
        if (!slot->image) return 1;
        break;
      case STM_SETIMAGE:
        return reinterpret_cast<LRESULT>(SetImage(control, slot, reinterpret_cast<HANDLE>(lParam)));
      case STM_GETIMAGE:
        return reinterpret_cast<LRESULT>(slot->image);
    }
  }
  if (slot->kind == TextControl) return CallWindowProcA(previous, control, message, wParam, lParam);
  // Lists and image cells: the class does its part first (a list selects
  // and captures on a press), then the drag watch.
  LRESULT result = CallWindowProcA(previous, control, message, wParam, lParam);
  if (message == WM_LBUTTONDOWN || message == WM_MOUSEMOVE || message == WM_LBUTTONUP) {
    if ((slot = SlotOfHandle(control)))
      WatchForDrag(control, slot, number, message, wParam, lParam);
  }
  return result;
}

const WNDPROC kControlProc = ControlProc;

bool AnswerTextColours(const ControlSlot& slot, HDC dc, LRESULT* answer) {
  if (slot.textColour != DefaultColour) SetTextColor(dc, static_cast<COLORREF>(slot.textColour));
  if (slot.backColour != DefaultColour && slot.backBrush) {
    SetBkColor(dc, static_cast<COLORREF>(slot.backColour));
    *answer = reinterpret_cast<LRESULT>(slot.backBrush);
    return true;
  }
  if (slot.textColour != DefaultColour) {
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    *answer = reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    return true;
  }
  return false;
}

// Some list boxes notify a change on every click, also on the item already
// selected; only a real change of the selection is an event.
void ReportSelectionChange(HWND window, int number) {
  ControlSlot* slot = controls.Find(number);
  if (!slot || !slot->handle) return;
  int selection = static_cast<int>(SendMessageA(slot->handle, LB_GETCURSEL, 0, 0));
  if (selection == slot->reportedSelection) return;
  slot->reportedSelection = selection;
  PostMessageA(window, ControlEventMessage, static_cast<WPARAM>(number), ControlSelectionChanged);
}

// What a control reports to its window, offered by the common window
// procedure before its own translation.
bool OnControlReport(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* answer) {
  // Only these two carry the control's handle in lParam and concern a kind.
  if (message != WM_COMMAND && message != WM_CTLCOLORSTATIC) return false;
  const ControlSlot* slot = SlotOfHandle(reinterpret_cast<HWND>(lParam));
  if (!slot) return false;
  int number = ControlNumberOf(slot->handle);
  switch (message) {
    case WM_COMMAND:
      if (slot->kind != ListControl) return false;
      // Posted, so the event comes after the list has finished moving its
      // selection.
      if (HIWORD(wParam) == LBN_DBLCLK)
        PostMessageA(window, ControlEventMessage, static_cast<WPARAM>(number),
                     ControlDoubleClicked);
      else if (HIWORD(wParam) == LBN_SELCHANGE)
        ReportSelectionChange(window, number);
      *answer = 0;
      return true;
    case WM_CTLCOLORSTATIC:
      if (slot->kind != TextControl) return false;
      return AnswerTextColours(*slot, reinterpret_cast<HDC>(wParam), answer);
  }
  return false;
}

bool CreateControl(int number, ControlKind kind, const char* className, DWORD exStyle, DWORD style,
                   int x, int y, int width, int height, const char* text) {
  HWND parent = CurrentParentWindow();
  if (number < 0 || !parent || !IsWindow(parent)) return false;
  controls.Free(number);
  SetControlReportHandler(OnControlReport);
  HWND control = CreateWindowExA(exStyle, className, text ? text : "", style, x, y, width, height,
                                 parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(-1)),
                                 GetModuleHandleA(nullptr), nullptr);
  if (!control) return false;
  SetWindowLongPtrA(control, GWLP_ID, number);
  SetPropA(control, kNumberProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(number + 1)));
  WNDPROC previous = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(kControlProc)));
  SetPropA(control, kPreviousProperty, reinterpret_cast<HANDLE>(previous));
  ControlSlot* slot = controls.Claim(number);
  slot->handle = control;
  slot->kind = kind;
  slot->previousProcedure = previous;
  SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
               TRUE);
  return true;
}

}  // namespace

bool CreateTextControl(int number, int x, int y, int width, int height, const char* text) {
  return CreateControl(number, TextControl, "Static", 0, kTextStyle, x, y, width, height, text);
}

bool CreateImageControl(int number, int x, int y, int width, int height, HANDLE image) {
  if (!CreateControl(number, ImageControl, "STATIC", 0, kImageStyle, x, y, width, height, ""))
    return false;
  if (image) {
    WPARAM type = GetObjectType(image) == OBJ_BITMAP ? IMAGE_BITMAP : IMAGE_ICON;
    SendMessageA(HandleOf(number), STM_SETIMAGE, type, reinterpret_cast<LPARAM>(image));
  }
  return true;
}

bool CreateListControl(int number, int x, int y, int width, int height) {
  return CreateControl(number, ListControl, "ListBox", WS_EX_CLIENTEDGE, kListStyle, x, y, width,
                       height, "");
}

void AddListItem(int number, int position, const char* text) {
  if (const ControlSlot* slot = ListSlot(number))
    SendMessageA(slot->handle, LB_INSERTSTRING, static_cast<WPARAM>(position),
                 reinterpret_cast<LPARAM>(text ? text : ""));
}

int GetListSelection(int number) {
  const ControlSlot* slot = ListSlot(number);
  if (!slot) return -1;
  LRESULT index = SendMessageA(slot->handle, LB_GETCURSEL, 0, 0);
  return index == LB_ERR ? -1 : static_cast<int>(index);
}

std::string GetListItemText(int number, int index) {
  const ControlSlot* slot = ListSlot(number);
  if (!slot || index < 0) return std::string();
  HWND list = slot->handle;
  LRESULT length = SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == LB_ERR || length < 0) return std::string();
  std::string text(static_cast<size_t>(length) + 1, '\0');
  LRESULT copied = SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(index),
                                reinterpret_cast<LPARAM>(&text[0]));
  if (copied == LB_ERR || copied < 0) return std::string();
  text.resize(static_cast<size_t>(copied) < text.size() ? static_cast<size_t>(copied)
                                                        : text.size() - 1);
  return text;
}

void SetControlText(int number, const char* text) {
  const ControlSlot* slot = controls.Find(number);
  if (slot && slot->handle && slot->kind == TextControl)
    SetWindowTextA(slot->handle, text ? text : "");
}

void SetControlFont(int number, HFONT font) {
  HWND control = HandleOf(number);
  if (!control) return;
  if (font == DefaultControlFont) font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void SetControlColour(int number, int which, int colour) {
  ControlSlot* slot = controls.Find(number);
  if (!slot || !slot->handle) return;
  if (which == ControlTextColour) {
    slot->textColour = colour;
  } else if (which == ControlBackColour) {
    if (colour == slot->backColour) return;
    if (slot->backBrush) ReleaseBrush(slot->backColour);
    slot->backColour = colour;
    slot->backBrush = colour == DefaultColour ? nullptr : AcquireBrush(colour);
  } else {
    return;
  }
  RedrawWindow(slot->handle, nullptr, nullptr,
               RDW_FRAME | RDW_ERASE | RDW_INTERNALPAINT | RDW_INVALIDATE);
}

HWND ControlHandle(int number) {
  return HandleOf(number);
}

void ReleaseControlServices() {
  controls.FreeAll();
  BrushGuard guard;
  for (const SharedBrush& shared : brushes) DeleteObject(shared.brush);
  brushes.clear();
}

void PlaceControl(int number, int x, int y, int width, int height) {
  HWND control = ControlHandle(number);
  if (control) SetWindowPos(control, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}
