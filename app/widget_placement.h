#pragma once
// Where the main window opens and whether it may stay where it is: a saved
// place is only taken when the whole plate lies on one monitor's work area,
// so a changed monitor layout can never leave the widget off screen. Plain
// figures in screen pixels; the Windows part supplies them.

#include <string>
#include <vector>

struct ScreenPoint {
  int x = 0;
  int y = 0;
};

// left and top inside, right and bottom just outside, as Windows has them.
struct ScreenRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

struct PlateSize {
  int width = 0;
  int height = 0;
};

// An optional '-' and decimal digits, nothing else, within the range any
// screen could need; false for anything else.
bool ReadWholeNumber(const std::string& text, int* value);

bool LiesWhollyOnOneArea(ScreenPoint at, PlateSize plate, const std::vector<ScreenRect>& areas);

// The saved place when both texts read as whole numbers and the plate lies
// wholly on one work area there; otherwise fallback.
ScreenPoint ChooseOpeningPlace(const std::string& savedX, const std::string& savedY,
                               PlateSize plate, const std::vector<ScreenRect>& areas,
                               ScreenPoint fallback);
