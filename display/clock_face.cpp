#include <windows.h>

#include "display/clock_face.h"

#include "display/images.h"
#include "display/time_of_day.h"
#include "display/widget_numbers.h"
#include "services/dates.h"

namespace {

const int kDigitWidth = 48;
const int kDigitHeight = 83;

// Left edges of the hour tens, hour units, minute tens and minute units;
// the gap between 138 and 165 separates hours from minutes.
const int kCellLeft[4] = {37, 90, 165, 217};
const int kCellTop = 0;

}  // namespace

void RedrawClock() {
  if (!BeginWindowDrawing(kClockOverlay)) return;
  const ClockDigits digits = ClockDigitsOf(TimeOfDayText(CurrentDate()));
  for (int i = 0; i < 4; ++i) {
    const HANDLE picture = ImageSlotHandle(kFirstDigitImage + digits.cell[i]);
    DrawImageScaled(picture, kCellLeft[i], kCellTop, kDigitWidth, kDigitHeight);
  }
  EndDrawing();
}
