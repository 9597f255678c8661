// Type-to-find in the city list: what a run of keys finds among lines of the
// shipped shape (code, space, CP1251 name).
#include "app/city_search.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(CitySearch, FindsNamesNotCodesInAnyCaseWithYoAsYeUntilAPauseOfASecond) {
  const std::vector<std::string> lines = {"27612 Москва",   "27906 Орёл", "00067 Орехово-Зуево",
                                          "00077 Улан-Удэ", "12345",      ""};
  EXPECT_EQ(FindCityLine(lines, "276"), -1) << "codes are not names";
  EXPECT_EQ(FindCityLine(lines, ""), -1);
  EXPECT_EQ(FindCityLine(lines, "мОСКВА"), 0);
  EXPECT_EQ(FindCityLine(lines, "ОРЕЛ"), 1);
  EXPECT_EQ(FindCityLine(lines, "оре"), 1) << "the first of two";
  EXPECT_EQ(FindCityLine(lines, "орЁх"), 2);
  EXPECT_EQ(FindCityLine(lines, "улан у"), 3) << "a hyphen typed as a space";

  CitySearch search;
  for (char c : std::string("Орех")) TypeCityLetter(search, c, 5000);
  TypeCityLetter(search, 'X', 5999);
  EXPECT_EQ(search.typed, "ОрехX") << "just under a second: one search";
  TakeCityLetterBack(search, 9000);
  EXPECT_EQ(search.typed, "Орех") << "Backspace edits even after a pause";
  TypeCityLetter(search, 'М', 10000);
  EXPECT_EQ(search.typed, "М") << "a second later a new search";
  TakeCityLetterBack(search, 10100);
  TakeCityLetterBack(search, 10200);
  EXPECT_EQ(search.typed, "");
}

}  // namespace
