#include "app/city_search.h"

#include "common/city_line.h"

namespace {

const unsigned char kCapitalYo = 0xA8, kSmallYo = 0xB8, kSmallYe = 0xE5;
const unsigned char kFirstCapital = 0xC0, kLastCapital = 0xDF;
const unsigned char kCaseDistance = 0x20;

// One CP1251 byte as the search compares it.
unsigned char Folded(char c) {
  const unsigned char b = static_cast<unsigned char>(c);
  if (b >= 'A' && b <= 'Z') return static_cast<unsigned char>(b + kCaseDistance);
  if (b >= kFirstCapital && b <= kLastCapital) return static_cast<unsigned char>(b + kCaseDistance);
  if (b == kCapitalYo || b == kSmallYo) return kSmallYe;
  if (b == '-') return ' ';
  return b;
}

bool BeginsWith(const std::string& name, const std::string& prefix) {
  if (name.size() < prefix.size()) return false;
  for (std::string::size_type i = 0; i < prefix.size(); ++i)
    if (Folded(name[i]) != Folded(prefix[i])) return false;
  return true;
}

void ForgetAfterPause(CitySearch& search, std::int64_t nowMs) {
  if (nowMs - search.lastKeyMs >= kCitySearchPauseMs) search.typed.clear();
  search.lastKeyMs = nowMs;
}

}  // namespace

void TypeCityLetter(CitySearch& search, char letter, std::int64_t nowMs) {
  ForgetAfterPause(search, nowMs);
  search.typed += letter;
}

// Whatever the pause: taking a letter back edits the search the user sees.
void TakeCityLetterBack(CitySearch& search, std::int64_t nowMs) {
  search.lastKeyMs = nowMs;
  if (!search.typed.empty()) search.typed.pop_back();
}

int FindCityLine(const std::vector<std::string>& lines, const std::string& typed) {
  if (typed.empty()) return -1;
  for (std::vector<std::string>::size_type i = 0; i < lines.size(); ++i)
    if (BeginsWith(CityNameFromLine(lines[i]), typed)) return static_cast<int>(i);
  return -1;
}
