#include <windows.h>

#include <gtest/gtest.h>

#include "services/dates.h"

namespace {

DateValue FixedNoon() {
  return 1798718400;
}  // 2026-12-31 12:00:00

TEST(CurrentDate, FollowsTheLocalWallClock) {
  SYSTEMTIME before;
  GetLocalTime(&before);
  const DateValue now = CurrentDate();
  DateFields f;
  ASSERT_TRUE(BreakDownDate(now, &f));
  EXPECT_EQ(f.year, before.wYear);
  EXPECT_EQ(f.month, before.wMonth);
  // Two reads within one second agree, or the second is one later.
  const DateValue again = CurrentDate();
  EXPECT_GE(again, now);
  EXPECT_LE(again - now, 1);
}

TEST(CurrentDate, TestsCanReplaceTheClock) {
  SetDateSource(FixedNoon);
  EXPECT_EQ(FormatDateText("%hh:%ii:%ss", CurrentDate()), "12:00:00");
  SetDateSource(nullptr);
  EXPECT_NE(CurrentDate(), FixedNoon());
}

}  // namespace
