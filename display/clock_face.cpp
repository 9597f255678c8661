#include <windows.h>

#include "display/clock_face.h"

#include "display/drawing_surface.h"
#include "display/images.h"
#include "display/time_of_day.h"
#include "services/widget_numbers.h"
#include "services/dates.h"
#include "services/widget_scale.h"
#include "services/window_table.h"

namespace {

const int kDigitWidth = 48;
const int kDigitHeight = 83;

// Left edges of the hour tens, hour units, minute tens and minute units;
// the gap between 138 and 165 separates hours from minutes.
const int kCellLeft[4] = {37, 90, 165, 217};
const int kCellTop = 0;

// What the overlay shows: the window and each cell's picture as last drawn.
struct DrawnClock {
  HWND window = nullptr;
  HANDLE picture[4] = {};
};

bool operator==(const DrawnClock& a, const DrawnClock& b) {
  for (int i = 0; i < 4; ++i)
    if (a.picture[i] != b.picture[i]) return false;
  return a.window == b.window;
}

DrawnClock drawn;

}  // namespace

void RedrawClock() {
  DrawnClock now;
  now.window = WindowHandle(kClockOverlay);
  if (!now.window) return;
  const ClockDigits digits = ClockDigitsOf(TimeOfDayText(CurrentDate()));
  for (int i = 0; i < 4; ++i) now.picture[i] = ImageSlotHandle(kFirstDigitImage + digits.cell[i]);
  if (now == drawn || !BeginWindowDrawing(kClockOverlay)) return;
  for (int i = 0; i < 4; ++i)
    DrawImageScaled(now.picture[i], Scaled(kCellLeft[i]), Scaled(kCellTop), Scaled(kDigitWidth),
                    Scaled(kDigitHeight));
  EndDrawing();
  drawn = now;
}

void ForgetDrawnClock() {
  drawn = DrawnClock{};
}
