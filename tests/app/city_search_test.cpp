// Type-to-find in the city list: what a run of keys finds among lines of the
// shipped shape (code, space, CP1251 name).
#include "app/city_search.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::vector<std::string> kLines = {
    "27612 Москва",
    "26063 Санкт-Петербург",
    "00001 Тольятти",
    "28275 Тобольск",
    "27906 Орёл",
    "00067 Орехово-Зуево",
    "23330 Салехард",
    "00077 Улан-Удэ",
    "30823 Улан Батор",
    "12345",
    "",
    "22113 Мурманск",
};

// Keys as the list delivers them: letters, '\b' for Backspace; each after
// `gapMs` of the last.
int FindAfter(CitySearch& search, const std::string& keys, std::int64_t& clock, int gapMs = 200) {
  for (char key : keys) {
    clock += gapMs;
    if (key == '\b')
      TakeCityLetterBack(search, clock);
    else
      TypeCityLetter(search, key, clock);
  }
  return FindCityLine(kLines, search.typed);
}

TEST(CitySearch, FindsTheFirstNameBeginningWithTheLettersNotTheCode) {
  CitySearch search;
  std::int64_t clock = 5000;
  EXPECT_EQ(FindAfter(search, "Т", clock), 2);
  EXPECT_EQ(FindAfter(search, "об", clock), 3);
  EXPECT_EQ(FindAfter(search, "ол", clock), 3);
  EXPECT_EQ(FindAfter(search, "ы", clock), -1) << "Тоболы names no town";
  EXPECT_EQ(FindCityLine(kLines, "276"), -1) << "codes are not names";
  EXPECT_EQ(FindCityLine(kLines, ""), -1);
  EXPECT_EQ(FindCityLine(kLines, "Мурманск и"), -1);
}

TEST(CitySearch, IgnoresCaseAndTakesYoAsYeAndAHyphenAsASpace) {
  EXPECT_EQ(FindCityLine(kLines, "мОСКВ"), 0);
  EXPECT_EQ(FindCityLine(kLines, "САНКТ ПЕТ"), 1);
  EXPECT_EQ(FindCityLine(kLines, "орел"), 4);
  EXPECT_EQ(FindCityLine(kLines, "ОРЁ"), 4);
  EXPECT_EQ(FindCityLine(kLines, "оре"), 4) << "the first of Орёл and Орехово";
  EXPECT_EQ(FindCityLine(kLines, "орех"), 5);
  EXPECT_EQ(FindCityLine(kLines, "улан у"), 7);
  EXPECT_EQ(FindCityLine(kLines, "улан-б"), 8);
}

TEST(CitySearch, APauseOfASecondStartsANewSearchAndBackspaceTakesALetterBack) {
  CitySearch search;
  std::int64_t clock = 5000;
  EXPECT_EQ(FindAfter(search, "Сал", clock), 6);
  EXPECT_EQ(FindAfter(search, "Т", clock, 999), -1) << "just under a second: still one search";
  EXPECT_EQ(search.typed, "СалТ");
  EXPECT_EQ(FindAfter(search, "Т", clock, 1000), 2) << "a second later a new one";
  EXPECT_EQ(FindAfter(search, "ольX", clock), -1);
  EXPECT_EQ(FindAfter(search, "\b", clock, 3000), 2) << "Backspace edits even after a pause";
  EXPECT_EQ(FindAfter(search, "\b\b\bоб", clock), 3);
  EXPECT_EQ(FindAfter(search, "\b\b\b\b\b", clock), -1);
  EXPECT_EQ(search.typed, "");
}

}  // namespace
