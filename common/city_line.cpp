#include "common/city_line.h"

std::string CityCodeFromLine(const std::string& line) {
  return line.substr(0, kCityCodeLength);
}

std::string CityNameFromLine(const std::string& line) {
  return line.size() > kCityCodeLength ? line.substr(kCityCodeLength + 1) : std::string();
}
