#include "common/city_line.h"

#include <gtest/gtest.h>

namespace {

TEST(CityLine, CodeIsTheFirstFiveBytesTakenAsTheyAreNameFollowsTheSpace) {
  EXPECT_EQ(CityCodeFromLine("27612 \xCC\xEE\xF1\xEA\xE2\xE0"), "27612");
  EXPECT_EQ(CityCodeFromLine("  276 x"), "  276");
  EXPECT_EQ(CityCodeFromLine("123"), "123");
  EXPECT_EQ(CityCodeFromLine(""), "");
  EXPECT_EQ(CityCodeFromLine("27612"), "27612");
  EXPECT_EQ(CityNameFromLine("27612 \xCC\xEE\xF1\xEA\xE2\xE0"), "\xCC\xEE\xF1\xEA\xE2\xE0");
  EXPECT_EQ(CityNameFromLine("27612"), "");
}

}  // namespace
