#pragma once
// Numbered child controls: texts, image cells and a list. Each is created in
// the window the calling thread opened last (CurrentParentWindow) and lives
// until that window closes, its number is reused or shutdown. What a control
// reports comes back as EventControl (EventId = control number). Main thread
// only, apart from the shared background brushes, which carry their own lock.

#include <windows.h>

#include <string>

// Creation returns false and leaves the number free when it fails (also when
// there is no parent window). Every control starts with DEFAULT_GUI_FONT.
bool CreateTextControl(int number, int x, int y, int width, int height, const char* text);
// A bitmap or icon image resizes the cell to the image; 0 leaves it empty,
// and an empty cell draws nothing at all.
bool CreateImageControl(int number, int x, int y, int width, int height, HANDLE image);
bool CreateListControl(int number, int x, int y, int width, int height);

// position -1 appends; a missing text counts as empty.
void AddListItem(int number, int position, const char* text);
// -1 when nothing is selected or the number holds no list.
int GetListSelection(int number);
// The empty text for an invalid index or number.
std::string GetListItemText(int number, int index);

// A missing text counts as empty.
void SetControlText(int number, const char* text);
// DefaultControlFont (-1) restores DEFAULT_GUI_FONT.
const HFONT DefaultControlFont = reinterpret_cast<HFONT>(static_cast<INT_PTR>(-1));
void SetControlFont(int number, HFONT font);
// which: 1 text colour, 2 background colour; DefaultColour restores the
// system's. Redraws the control.
const int ControlTextColour = 1;
const int ControlBackColour = 2;
void SetControlColour(int number, int which, int colour);

// 0 when the number holds no control.
HWND ControlHandle(int number);

// Moves and sizes a control within its window, without restacking;
// nothing for an empty number.
void PlaceControl(int number, int x, int y, int width, int height);

// Destroys every control and its shared brushes (shutdown).
void ReleaseControlServices();
