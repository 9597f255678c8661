#include "app/widget_placement.h"

namespace {
// Far beyond any desktop, small enough that no sum below can overflow.
const long kMaxCoordinate = 1000000;
}  // namespace

bool ReadWholeNumber(const std::string& text, int* value) {
  size_t at = text.size() > 0 && text[0] == '-' ? 1 : 0;
  if (at == text.size()) return false;
  long number = 0;
  for (; at < text.size(); ++at) {
    const char c = text[at];
    if (c < '0' || c > '9') return false;
    number = number * 10 + (c - '0');
    if (number > kMaxCoordinate) return false;
  }
  *value = static_cast<int>(text[0] == '-' ? -number : number);
  return true;
}

bool LiesWhollyOnOneArea(ScreenPoint at, PlateSize plate, const std::vector<ScreenRect>& areas) {
  for (const ScreenRect& area : areas)
    if (at.x >= area.left && at.y >= area.top && at.x + plate.width <= area.right &&
        at.y + plate.height <= area.bottom)
      return true;
  return false;
}

ScreenPoint ChooseOpeningPlace(const std::string& savedX, const std::string& savedY,
                               PlateSize plate, const std::vector<ScreenRect>& areas,
                               ScreenPoint fallback) {
  ScreenPoint saved;
  if (!ReadWholeNumber(savedX, &saved.x) || !ReadWholeNumber(savedY, &saved.y)) return fallback;
  return LiesWhollyOnOneArea(saved, plate, areas) ? saved : fallback;
}
