#include "display/time_of_day.h"

#include <gtest/gtest.h>
#include "tests/support/test_clock.h"

namespace {

std::vector<int> Cells(DateValue date) {
  const ClockDigits d = ClockDigitsOf(TimeOfDayText(date));
  return {d.cell[0], d.cell[1], d.cell[2], d.cell[3]};
}

TEST(ClockDigits, TakeHoursAndMinutesButNotSeconds) {
  EXPECT_EQ(Cells(At(9, 5, 59)), (std::vector<int>{0, 9, 0, 5}));
  EXPECT_EQ(Cells(At(23, 59, 0)), (std::vector<int>{2, 3, 5, 9}));
  EXPECT_EQ(Cells(At(0, 0, 0)), (std::vector<int>{0, 0, 0, 0}));
  EXPECT_EQ(Cells(At(12, 34, 56)), (std::vector<int>{1, 2, 3, 4}));
}

TEST(ClockDigits, ShortOrOddTextGivesZeroCells) {
  const ClockDigits d = ClockDigitsOf("7");
  EXPECT_EQ(d.cell[0], 7);
  EXPECT_EQ(d.cell[1], 0);
  EXPECT_EQ(d.cell[3], 0);
  EXPECT_EQ(ClockDigitsOf("a:b:c").cell[0], 0);
}

TEST(TextNumberValue, ReadsLeadingDecimalDigits) {
  EXPECT_EQ(TextNumberValue("7"), 7);
  EXPECT_EQ(TextNumberValue("  -12x"), -12);
  EXPECT_EQ(TextNumberValue("+5"), 5);
  EXPECT_EQ(TextNumberValue(":"), 0);
  EXPECT_EQ(TextNumberValue(""), 0);
  EXPECT_EQ(TextNumberValue("99999999999999999999"), 2147483647);
}

TEST(NightRule, RunsFromMidnightToJustBeforeSix) {
  EXPECT_TRUE(IsNightTimeText(TimeOfDayText(At(0, 0, 0))));
  EXPECT_TRUE(IsNightTimeText(TimeOfDayText(At(5, 59, 59))));
  EXPECT_FALSE(IsNightTimeText(TimeOfDayText(At(6, 0, 0))));
  EXPECT_FALSE(IsNightTimeText(TimeOfDayText(At(10, 0, 0))));
  EXPECT_FALSE(IsNightTimeText(TimeOfDayText(At(23, 59, 59))));
  EXPECT_FALSE(IsNightTimeText(TimeOfDayText(At(20, 0, 0))));  // second digit 0, first not "0"
}

TEST(NightRule, HoldsAfterTheThirtyTwoBitSecondsRunOut) {
  DateFields f;
  f.year = 2038;
  f.month = 1;
  f.day = 19;
  f.hour = 10;
  f.minute = 30;
  EXPECT_EQ(Cells(DateFromFields(f)), (std::vector<int>{1, 0, 3, 0}));
  EXPECT_FALSE(IsNightTimeText(TimeOfDayText(DateFromFields(f))));
}

}  // namespace
