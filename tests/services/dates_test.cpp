#include "services/dates.h"

#include <gtest/gtest.h>

namespace {

DateValue At(int year, int month, int day, int hour, int minute, int second) {
  DateFields f;
  f.year = year;
  f.month = month;
  f.day = day;
  f.hour = hour;
  f.minute = minute;
  f.second = second;
  return DateFromFields(f);
}

TEST(DateValue, CountsSecondsOfTheLocalFieldsAsIfUtc) {
  EXPECT_EQ(At(1970, 1, 1, 0, 0, 0), 0);
  EXPECT_EQ(At(1970, 1, 2, 0, 0, 1), 86401);
  EXPECT_EQ(At(2000, 3, 1, 0, 0, 0), 951868800);  // after a leap day of a century year
  EXPECT_EQ(At(2038, 1, 19, 3, 14, 7), 2147483647);
  EXPECT_EQ(At(2038, 1, 19, 3, 14, 8), 2147483648);
}

TEST(DateValue, BreaksDownToTheSameFields) {
  for (DateValue value : {DateValue{0}, DateValue{951782400}, DateValue{1291593600},
                          DateValue{2147483647}, DateValue{2147483648}, DateValue{4102444800}}) {
    DateFields f;
    ASSERT_TRUE(BreakDownDate(value, &f));
    EXPECT_EQ(DateFromFields(f), value);
  }
  DateFields f;
  EXPECT_FALSE(BreakDownDate(-1, &f));
  EXPECT_EQ(f.year, 0);
}

TEST(FormatDateText, ClockMaskGivesTwoDigitFields) {
  EXPECT_EQ(FormatDateText("%hh:%ii:%ss", At(2026, 12, 7, 9, 5, 3)), "09:05:03");
  EXPECT_EQ(FormatDateText("%hh:%ii:%ss", At(2026, 12, 7, 23, 59, 59)), "23:59:59");
  EXPECT_EQ(FormatDateText("%hh:%ii:%ss", At(2026, 12, 8, 0, 0, 0)), "00:00:00");
  EXPECT_EQ(FormatDateText("%yyyy-%mm-%dd %hh:%ii", At(2038, 1, 19, 10, 30, 0)),
            "2038-01-19 10:30");
}

TEST(FormatDateText, DateTokensIgnoreLetterCase) {
  const DateValue date = At(2010, 12, 6, 14, 0, 0);
  EXPECT_EQ(FormatDateText("%yyyy-%mm-%dd", date), "2010-12-06");
  EXPECT_EQ(FormatDateText("%yy", date), "10");
  EXPECT_EQ(FormatDateText("%YYYY", date), "2010");
  EXPECT_EQ(FormatDateText("%HH:%Ii", date), "14:00");
}

TEST(FormatDateText, PercentWithoutTokenIsCopied) {
  const DateValue date = At(2010, 12, 6, 7, 0, 0);
  EXPECT_EQ(FormatDateText("100%", date), "100%");
  EXPECT_EQ(FormatDateText("%x%", date), "%x%");
  EXPECT_EQ(FormatDateText("%%hh", date), "%07");
  EXPECT_EQ(FormatDateText("%y%m", date), "%y%m");
  EXPECT_EQ(FormatDateText(nullptr, date), "");
  EXPECT_EQ(FormatDateText("", date), "");
}

TEST(FormatDateText, UnbreakableValueGivesZeroFields) {
  EXPECT_EQ(FormatDateText("%yyyy-%mm-%dd %hh:%ii:%ss", -5), "0000-00-00 00:00:00");
  EXPECT_EQ(FormatDateText("%yy", -5), "00");
}

}  // namespace
