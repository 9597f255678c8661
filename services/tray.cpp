// Numbered notification-area icons and popup menus.
#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <string>
#include <vector>

#include "services/alpha_mask.h"
#include "services/slot_table.h"
#include "services/tray.h"
#include "services/windows.h"

namespace {

// The second version of the structure: the first holds only 63 characters
// of tooltip; every shell since Windows 2000 takes this one.
#ifdef _WIN64
static_assert(NOTIFYICONDATAA_V2_SIZE == 504, "NOTIFYICONDATAA second version, 64-bit");
#else
static_assert(NOTIFYICONDATAA_V2_SIZE == 488, "NOTIFYICONDATAA second version, 32-bit");
static_assert(sizeof(HWND) == 4 && sizeof(LPARAM) == 4, "the product is a 32-bit program");
#endif

struct TrayIconSlot {
  int number = -1;
  HWND window = nullptr;
  HICON madeIcon = nullptr;  // made here from a bitmap; ours to destroy
  HICON icon = nullptr;      // what the shell shows: madeIcon or the caller's
  std::string tip;           // empty: no tooltip
};

NOTIFYICONDATAA IconData(HWND window, int number, HICON icon) {
  NOTIFYICONDATAA data = {};
  data.cbSize = NOTIFYICONDATAA_V2_SIZE;
  data.hWnd = window;
  data.uID = static_cast<UINT>(number);
  data.uFlags = NIF_MESSAGE | NIF_ICON;
  data.uCallbackMessage = TrayCallbackMessage;
  data.hIcon = icon;
  return data;
}

void PutTip(NOTIFYICONDATAA* data, const std::string& tip) {
  if (tip.empty()) return;
  const size_t length = tip.size() < kMaxTrayTipLength ? tip.size() : kMaxTrayTipLength;
  tip.copy(data->szTip, length);
  data->szTip[length] = '\0';
  data->uFlags |= NIF_TIP;
}

void ReleaseTrayIcon(TrayIconSlot& slot) {
  NOTIFYICONDATAA data = IconData(slot.window, slot.number, nullptr);
  data.uFlags = 0;
  Shell_NotifyIconA(NIM_DELETE, &data);
  if (slot.madeIcon) DestroyIcon(slot.madeIcon);
}

SlotTable<TrayIconSlot, ReleaseTrayIcon, 16> trayIcons;

struct MenuSlot {
  HMENU menu = nullptr;
};

HMENU currentMenu = nullptr;

void ReleaseMenu(MenuSlot& slot) {
  if (slot.menu == currentMenu) currentMenu = nullptr;
  if (slot.menu) DestroyMenu(slot.menu);
}

SlotTable<MenuSlot, ReleaseMenu, 16> menus;

// The alpha bytes of a 32-bit bitmap decide the mask; any other bitmap is
// shown whole.
HBITMAP MakeMask(HBITMAP image, const BITMAP& shape) {
  const int width = shape.bmWidth;
  const int height = shape.bmHeight < 0 ? -shape.bmHeight : shape.bmHeight;
  std::vector<uint8_t> mask(static_cast<size_t>(MaskRowBytes(width)) * static_cast<size_t>(height),
                            0);
  if (shape.bmBitsPixel == 32) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // bottom-up, as the bitmap stores its rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    HDC screen = GetDC(nullptr);
    int rows = GetDIBits(screen, image, 0, static_cast<UINT>(height), pixels.data(), &info,
                         DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (rows == height) mask = BuildAlphaMask(pixels.data(), width, height);
  }
  return CreateBitmap(width, height, 1, 1, mask.data());
}

HICON IconFromBitmap(HBITMAP image) {
  BITMAP shape;
  if (!GetObjectA(image, sizeof shape, &shape) || shape.bmWidth <= 0 || shape.bmHeight == 0)
    return nullptr;
  HBITMAP mask = MakeMask(image, shape);
  if (!mask) return nullptr;
  ICONINFO info = {};
  info.fIcon = TRUE;
  info.hbmMask = mask;
  info.hbmColor = image;
  HICON icon = CreateIconIndirect(&info);
  DeleteObject(mask);  // the icon keeps copies of both bitmaps
  return icon;
}

// The taskbar was re-created and forgot every icon: give it this window's
// icons again.
void AddIconsAgain(HWND window) {
  trayIcons.ForEach([window](int number, TrayIconSlot& slot) {
    if (slot.window != window) return;
    NOTIFYICONDATAA data = IconData(slot.window, number, slot.icon);
    PutTip(&data, slot.tip);
    Shell_NotifyIconA(NIM_ADD, &data);
  });
}

}  // namespace

bool AddTrayIcon(int number, HWND window, HANDLE image) {
  if (number < 0 || !window || !image) return false;
  trayIcons.Free(number);
  HICON made = nullptr;
  HICON icon = static_cast<HICON>(image);
  if (GetObjectType(image) == OBJ_BITMAP) {
    made = IconFromBitmap(static_cast<HBITMAP>(image));
    if (!made) return false;
    icon = made;
  }
  NOTIFYICONDATAA data = IconData(window, number, icon);
  if (!Shell_NotifyIconA(NIM_ADD, &data)) {
    if (made) DestroyIcon(made);
    return false;
  }
  TrayIconSlot* slot = trayIcons.Claim(number);
  slot->number = number;
  slot->window = window;
  slot->madeIcon = made;
  slot->icon = icon;
  SetTaskbarRestartHandler(AddIconsAgain);
  return true;
}

void RemoveTrayIcon(int number) {
  trayIcons.Free(number);
}

void RemoveAllTrayIcons() {
  trayIcons.FreeAll();
}

HICON TrayIconImage(int number) {
  const TrayIconSlot* slot = trayIcons.Find(number);
  return slot ? slot->icon : nullptr;
}

void SetTrayIconTip(int number, const std::string& tip) {
  TrayIconSlot* slot = trayIcons.Find(number);
  if (!slot) return;
  slot->tip = tip.substr(0, kMaxTrayTipLength);
  NOTIFYICONDATAA data = IconData(slot->window, number, slot->icon);
  data.uFlags = NIF_TIP;
  PutTip(&data, slot->tip);
  Shell_NotifyIconA(NIM_MODIFY, &data);
}

std::string TrayIconTip(int number) {
  const TrayIconSlot* slot = trayIcons.Find(number);
  return slot ? slot->tip : std::string();
}

HMENU CreatePopupMenuSlot(int number) {
  if (number < 0) return nullptr;
  menus.Free(number);
  HMENU menu = CreatePopupMenu();
  if (!menu) return nullptr;
  menus.Claim(number)->menu = menu;
  currentMenu = menu;
  return menu;
}

void AppendMenuItem(int item, const char* text) {
  if (currentMenu)
    AppendMenuA(currentMenu, MF_STRING, static_cast<UINT_PTR>(item), text ? text : "");
}

void AppendMenuSeparator() {
  if (currentMenu) AppendMenuA(currentMenu, MF_SEPARATOR, static_cast<UINT_PTR>(-1), nullptr);
}

void ShowPopupMenu(int number, HWND window) {
  const MenuSlot* slot = menus.Find(number);
  if (!slot) return;
  POINT at;
  if (!GetCursorPos(&at)) return;
  at.x -= 1;
  at.y -= 1;
  SetForegroundWindow(window);
  TrackPopupMenu(slot->menu, TPM_RIGHTBUTTON, at.x, at.y, 0, window, nullptr);
}

void SetMenuItemChecked(int number, int item, bool checked) {
  const MenuSlot* slot = menus.Find(number);
  if (slot)
    CheckMenuItem(slot->menu, static_cast<UINT>(item),
                  MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

HMENU MenuHandle(int number) {
  const MenuSlot* slot = menus.Find(number);
  return slot ? slot->menu : nullptr;
}

void DestroyAllMenuSlots() {
  menus.FreeAll();
}
