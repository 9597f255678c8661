#pragma once
// Type-to-find in the city list: the letters typed so far and the first line
// whose town name (the text after the code and its space) begins with them.
// Letters compare without regard to case in CP1251, Ё as Е, a hyphen as a
// space. OS-free: the caller gives the time of each key.

#include <cstdint>
#include <string>
#include <vector>

// A key after this long without one starts a new search.
const std::int64_t kCitySearchPauseMs = 1000;

struct CitySearch {
  std::string typed;  // CP1251, as typed
  std::int64_t lastKeyMs = 0;
};

// `nowMs` from any steady millisecond clock.
void TypeCityLetter(CitySearch& search, char letter, std::int64_t nowMs);
// Backspace: the last letter taken back, also after a pause; the next
// letter within the pause goes on from there.
void TakeCityLetterBack(CitySearch& search, std::int64_t nowMs);

// The first line whose name begins with `typed`; -1 when none does or
// nothing is typed.
int FindCityLine(const std::vector<std::string>& lines, const std::string& typed);
