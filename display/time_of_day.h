#pragma once
// The time of day as the clock and the day/night icon read it: the local
// time formatted "hh:ii:ss" and picked apart character by character.

#include <string>

#include "services/dates.h"

extern const char kTimeOfDayMask[];  // "%hh:%ii:%ss"

std::string TimeOfDayText(DateValue date);

// The number value of a text: decimal digits after optional blanks and a
// sign; a text without digits gives 0.
int TextNumberValue(const std::string& text);

// The digits of the four clock cells (hour tens, hour units, minute tens,
// minute units), from characters 1, 2, 4 and 5 of the time text.
struct ClockDigits {
  int cell[4];
};
ClockDigits ClockDigitsOf(const std::string& timeText);

// Night runs from 00:00:00 to 05:59:59: the hour's first character is "0"
// and its second is below 6.
bool IsNightTimeText(const std::string& timeText);
