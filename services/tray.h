#pragma once
// Numbered icons in the notification area and numbered popup menus. Mouse
// actions on an icon arrive as EventTray (EventId = icon number, EventSubtype
// TrayLeftPress ... TrayRightDoubleClick); a chosen menu item as EventMenu
// (EventId = item number). Main thread only.

#include <windows.h>

#include <string>

// image: a bitmap (shown through an icon made from it, its alpha-0 pixels
// left out) or an icon (shown as it is); the caller keeps it. Adding under a
// number in use removes the old icon first. False when window or image is 0
// or the shell refuses. Icons come back by themselves when the taskbar is
// re-created.
bool AddTrayIcon(int number, HWND window, HANDLE image);
// Takes the icon out of the notification area; nothing for an empty number.
void RemoveTrayIcon(int number);
// Every icon (shutdown).
void RemoveAllTrayIcons();
// The icon the notification area shows for the number; 0 when empty.
HICON TrayIconImage(int number);

// The tooltip of the icon; the empty text removes it. Longer texts are cut
// to what the shell shows. Kept when the taskbar is re-created.
const size_t kMaxTrayTipLength = 127;
void SetTrayIconTip(int number, const std::string& tip);
// The tooltip as last set; empty for an empty number.
std::string TrayIconTip(int number);

// The new menu becomes the current menu, to which items are appended.
// Reusing a number destroys the old menu. 0 on failure.
HMENU CreatePopupMenuSlot(int number);
// A text item with that command number; a missing text counts as empty.
void AppendMenuItem(int item, const char* text);
void AppendMenuSeparator();
// Shows or clears the check mark of the menu's item; nothing for an empty number.
void SetMenuItemChecked(int number, int item, bool checked);
// Shows the menu one pixel above and left of the mouse pointer, owned by the
// window, and returns when it closes; nothing for an empty number.
void ShowPopupMenu(int number, HWND window);
HMENU MenuHandle(int number);
// Every menu (shutdown).
void DestroyAllMenuSlots();
