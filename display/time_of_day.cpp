#include "display/time_of_day.h"

#include <climits>

const char kTimeOfDayMask[] = "%hh:%ii:%ss";

namespace {

// One character of the text, counted from 1, as a text of its own; the
// empty text past the end.
std::string CharacterAt(const std::string& text, size_t position) {
  if (position < 1 || position > text.size()) return std::string();
  return text.substr(position - 1, 1);
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

}  // namespace

std::string TimeOfDayText(DateValue date) {
  return FormatDateText(kTimeOfDayMask, date);
}

int TextNumberValue(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long long value = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > INT_MAX) value = INT_MAX;  // saturate rather than overflow
  }
  return static_cast<int>(negative ? -value : value);
}

ClockDigits ClockDigitsOf(const std::string& timeText) {
  static const size_t kPositions[4] = {1, 2, 4, 5};
  ClockDigits digits;
  for (int i = 0; i < 4; ++i)
    digits.cell[i] = TextNumberValue(CharacterAt(timeText, kPositions[i]));
  return digits;
}

bool IsNightTimeText(const std::string& timeText) {
  return CharacterAt(timeText, 1) == "0" && TextNumberValue(CharacterAt(timeText, 2)) < 6;
}
